// The satellite selector on an element file of 60,000 three-line sets: from
// choosing the file to its first page on the screen, one page turn, and one
// keystroke of the name search with the list repainted (a letter that
// matches every set, and a word that matches a few). The engine's part alone
// is measured too.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QTest>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <unistd.h>

#include "common/ElementLines.h"
#include "frSatSelector.h"
#include "uFormat.h"
#include "uSelectorList.h"

namespace {

constexpr int kSets = 60000;
const char* const kStems[] = {"COSMOS ", "STARLINK-", "IRIDIUM ", "NOAA ", "FENGYUN 1C DEB ", "SL-8 R/B "};

const std::string& BenchFile() {
    static std::string path;
    if (!path.empty()) return path;
    path = (std::filesystem::temp_directory_path() / ("orbisk_bench_sel_" + std::to_string(::getpid()) + ".tle"))
               .string();
    std::string text;
    for (int k = 0; k < kSets; ++k) {
        const int cat = 10000 + k;
        std::string l1 = FormatArgs("1 %0:5dU 98067A   24%1:3d.%2:8d  .00001000  00000-0  10000-3 0  999",
                                    {cat, 1 + k % 365, 10000000 + k * 37 % 89999999});
        std::string l2 = FormatArgs("2 %0:5d %1:8.4f %2:8.4f 0006703 %3:8.4f %4:8.4f %5:11.8f10000",
                                    {cat, 51.6416 + k % 40, std::fmod(k * 0.0117, 360.0), std::fmod(k * 0.0093, 360.0),
                                     std::fmod(k * 0.011, 360.0), 12.5 + (k % 300) * 0.01});
        l1 += TleChecksum(l1);
        l2 += TleChecksum(l2);
        text += kStems[k % std::size(kStems)] + std::to_string(k) + "\n" + l1 + "\n" + l2 + "\n";
    }
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

int Rows(TfrSatSelectorWnd& w) { return w.findChild<QListView*>("ListBoxSatFile")->model()->rowCount(); }

void Drain(TfrSatSelectorWnd& w) {
    while (w.busy()) QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
    QCoreApplication::processEvents();
}

std::unique_ptr<TfrSatSelectorWnd> OpenSelector() {
    auto w = std::make_unique<TfrSatSelectorWnd>(std::vector<TSatRec>{}, "/nonexistent/", "/tmp/");
    w->resize(1000, 700);
    w->show();
    w->OpenFile(BenchFile());
    Drain(*w);
    return w;
}

// Choosing the file until its first 1000 names are painted.
void BM_OpenToFirstPage(benchmark::State& state) {
    BenchFile();
    for (auto _ : state) {
        auto w = OpenSelector();
        w->findChild<QListView*>("ListBoxSatFile")->viewport()->repaint();
        if (Rows(*w) != 1000) state.SkipWithError("first page not shown");
        state.PauseTiming();
        w.reset();
        state.ResumeTiming();
    }
    state.counters["sets"] = kSets;
}
BENCHMARK(BM_OpenToFirstPage)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_NextPage(benchmark::State& state) {
    auto w = OpenSelector();
    auto* next = w->findChild<QPushButton*>("bn_next");
    auto* reset = w->findChild<QPushButton*>("bn_reset");
    for (auto _ : state) {
        QTest::mouseClick(next->isEnabled() ? next : reset, Qt::LeftButton);
        Drain(*w);
        w->findChild<QListView*>("ListBoxSatFile")->viewport()->repaint();
    }
}
BENCHMARK(BM_NextPage)->Unit(benchmark::kMillisecond);

// One keystroke: the search over all sets, the list refilled and repainted.
void BM_SearchKeystroke(benchmark::State& state, const char* text) {
    auto w = OpenSelector();
    auto* edit = w->findChild<QLineEdit*>("txt_search");
    auto* list = w->findChild<QListView*>("ListBoxSatFile");
    int matches = 0;
    for (auto _ : state) {
        state.PauseTiming();
        edit->clear();
        state.ResumeTiming();
        QTest::keyClicks(edit, text);  // the last key is the one that counts; the rest are short words
        list->viewport()->repaint();
        matches = Rows(*w);
    }
    state.counters["matches"] = matches;
    state.counters["keys"] = static_cast<double>(std::strlen(text));
}
BENCHMARK_CAPTURE(BM_SearchKeystroke, every_set, "S")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SearchKeystroke, a_few_sets, "NOAA 1234")->Unit(benchmark::kMillisecond);

// The engine alone: reading and sorting, and one search pass.
void BM_LoadSelectorFile(benchmark::State& state) {
    std::size_t sets = 0, withS = 0;
    for (auto _ : state) {
        const auto file = LoadSelectorFile(BenchFile());
        sets = file->size();
        withS = SearchSelectorFile(*file, false, "S").size();
    }
    state.counters["sets"] = static_cast<double>(sets);
    state.counters["with_s"] = static_cast<double>(withS);
}
BENCHMARK(BM_LoadSelectorFile)->Unit(benchmark::kMillisecond);

void BM_SearchPass(benchmark::State& state) {
    const auto file = LoadSelectorFile(BenchFile());
    for (auto _ : state) benchmark::DoNotOptimize(SearchSelectorFile(*file, false, "noaa 1"));
}
BENCHMARK(BM_SearchPass)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::remove(BenchFile().c_str());
    return 0;
}
