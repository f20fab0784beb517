// The program window on the offscreen platform with the bundled data and 15
// tracked satellites: start-up to the first frame, one tick (computation and
// frame) with the view area at 1920x1080 in each view, a view switch, and
// the resident memory.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include <QPushButton>
#include <QSpinBox>

#include "frMain.h"
#include "frRadio.h"
#include "frRotator.h"
#include "frMainWidgets.h"
#include "uFormat.h"
#include "uLoadSave.h"
#include "uStartup.h"

namespace {

constexpr int kWidth = 1920, kHeight = 1080;
const double kClock = EncodeDayNumber(2018, 1, 22, 3);

// The installation's data with every bundled satellite selected (15 tracked).
std::string BenchFolder() {
    static std::string folder;
    if (!folder.empty()) return folder;
    folder = (std::filesystem::temp_directory_path() / ("orbisk_bench_" + std::to_string(::getpid()))).string() + "/";
    std::filesystem::create_directories(folder);
    for (const char* name : {"MainSat.bin", "SaoStar.bin", "Constellation.bin", "MapLocations.dat", "Mag.dat"})
        std::filesystem::copy_file(std::string(ORBISK_PROGRAM_DIR) + "/data/" + name, folder + name,
                                   std::filesystem::copy_options::overwrite_existing);
    std::vector<TSatRec> sats;
    LoadCatalogue(sats, folder + "MainSat.bin");
    for (TSatRec& s : sats) s.selected = 1;
    if (!SaveCatalogue(sats, folder + "MainSat.bin")) std::abort();
    return folder;
}

bool Settled(const TfrMainWnd& w) { return w.loaded() && w.idle() && w.framesDrawn() > 0; }

void Drain(const TfrMainWnd& w) {
    while (!Settled(w)) QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
}

std::unique_ptr<TfrMainWnd> OpenWindow() {
    const TFolders f = ChooseFolders(std::string(ORBISK_PROGRAM_DIR) + "/", BenchFolder(), true, "");
    auto w = std::make_unique<TfrMainWnd>(f, &kClock);
    w->show();
    Drain(*w);
    // Grow the window until its view area is 1920x1080.
    const QSize extra = w->size() - w->ui().MainImage->size();
    w->resize(kWidth + extra.width(), kHeight + extra.height());
    QTest::qWait(20);
    Drain(*w);
    return w;
}

long ResidentKiB(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(field, 0) == 0) return std::atol(line.c_str() + std::strlen(field));
    return 0;
}

void BM_StartUpToFirstFrame(benchmark::State& state) {
    for (auto _ : state) {
        const TFolders f = ChooseFolders(std::string(ORBISK_PROGRAM_DIR) + "/", BenchFolder(), true, "");
        auto w = std::make_unique<TfrMainWnd>(f, &kClock);
        w->show();
        Drain(*w);
        state.PauseTiming();
        w->close();
        w.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_StartUpToFirstFrame)->Unit(benchmark::kMillisecond)->Iterations(5);

// One tick as the timer runs it: clock, states of Sun, Moon (planets) and 15
// satellites, the frame, the readouts, and the view area repainted.
void BM_Tick(benchmark::State& state) {
    const int mode = static_cast<int>(state.range(0));
    auto w = OpenWindow();
    QAction* const actions[] = {nullptr, w->ui().menu_map, w->ui().menu_sky, w->ui().menu_globe};
    if (w->session().Options.viewMode != mode) actions[mode]->trigger();
    Drain(*w);
    for (auto _ : state) {
        w->Tick();
        w->ui().MainImage->repaint();  // the frame onto the screen, as the event loop would
    }
    state.counters["view_w"] = w->viewState().Width;
    state.counters["view_h"] = w->viewState().Height;
    state.counters["satellites"] = static_cast<double>(w->session().SatStates.size());
    state.counters["rss_MiB"] = ResidentKiB("VmRSS:") / 1024.0;
    w->close();
}
BENCHMARK(BM_Tick)->Arg(kViewMap)->Arg(kViewSky)->Arg(kViewGlobe)->Unit(benchmark::kMillisecond);

// The map view's tick, with the event loop's other work run after each (so
// the control windows' timers get their turn): Arg 0 without, Arg 1 with the
// Radio and Rotator Control windows engaged on hamlib's in-process dummy
// radio and rotator, their loops running on their worker threads.
void BM_TickWithControls(benchmark::State& state) {
    auto w = OpenWindow();
    if (w->session().Options.viewMode != kViewMap) w->ui().menu_map->trigger();
    Drain(*w);
    std::vector<TSatRec> tracked;
    for (const TSatRec& s : w->session().MainSats)
        if (s.selected) tracked.push_back(s);
    std::unique_ptr<TfrRadioWnd> radio;
    std::unique_ptr<TfrRotatorWnd> rotator;
    if (state.range(0)) {
        const std::string data = BenchFolder();
        radio = std::make_unique<TfrRadioWnd>(tracked, tracked.size(), w->session().Observer,
                                              std::string(ORBISK_PROGRAM_DIR) + "/", data);
        rotator = std::make_unique<TfrRotatorWnd>(tracked, tracked.size(), w->session().Observer, data);
        const auto clock = [] { return kClock; };
        radio->setClock(clock);
        rotator->setClock(clock);
        radio->selectSatellite("25544");  // it has transponders
        rotator->selectSatellite("25544");
        for (QDialog* d : {static_cast<QDialog*>(radio.get()), static_cast<QDialog*>(rotator.get())}) {
            d->show();
            d->findChild<QSpinBox*>("nm_model")->setValue(1);  // hamlib's dummy
            d->findChild<QPushButton*>("bn_engage")->click();
        }
        if (!radio->engaged() || !rotator->engaged()) {
            state.SkipWithError("a control window did not engage");
            return;
        }
    }
    for (auto _ : state) {
        w->Tick();
        w->ui().MainImage->repaint();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
    }
    state.counters["engaged"] = static_cast<double>(state.range(0));
    radio.reset();
    rotator.reset();
    w->close();
}
BENCHMARK(BM_TickWithControls)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// A view switch from the menu to the first frame of the new view: map to sky
// (loads the star and figure files) and sky to map.
void BM_ViewSwitch(benchmark::State& state) {
    auto w = OpenWindow();
    for (auto _ : state) {
        for (QAction* a : {w->ui().menu_sky, w->ui().menu_map}) {
            const long frames = w->framesDrawn();
            a->trigger();
            while (!(w->idle() && w->framesDrawn() > frames)) QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        }
    }
    state.counters["switches"] = benchmark::Counter(2.0 * static_cast<double>(state.iterations()));
    state.counters["peak_rss_MiB"] = ResidentKiB("VmHWM:") / 1024.0;
    w->close();
}
BENCHMARK(BM_ViewSwitch)->Unit(benchmark::kMillisecond)->Iterations(10);

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::filesystem::remove_all(BenchFolder());
    return 0;
}
