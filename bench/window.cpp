// The prediction window with a whole catalogue, on the offscreen platform:
// a line search of 30,000 generated objects (a third one constellation in a
// single plane, spaced along it; a tenth deep space in 12-hour orbits; the
// rest copies of the bundled low-orbit sets) over one day, whole passes by
// day and night from 0 degrees, as a user starts it from the toolbar. The
// counters: the longest the event loop went without a turn while the search
// ran and then, with the "Report" tab opened, while its text was written and
// shown (a 5 ms timer's longest gap, less its 5 ms), the time to the first rows in the
// table, to the whole list (the window idle again), from there to the whole
// report text (written when the tab is opened), the rows, the resident memory when the list is whole and the
// peak (with the report's text). Arg 1 sorts the table by maximum elevation and
// filters it by a name as the search starts, so every row that comes is
// sorted in and filtered. ORBISK_BENCH_GAPS=1 tells every gap over 50 ms on
// stderr, with the rows in the table at the time and the window thread's
// own CPU time in the gap; ORBISK_BENCH_OBJECTS=N searches N objects. On a
// loaded machine a gap is mostly waiting for a
// core: longest_ui_work_ms is the most CPU time the window's thread spent
// between two beats while the search ran, the part that is the window's own
// doing (report_ui_work_ms the same while the report's tab fills; start_ui_ms
// the window thread's CPU time for the click that starts the search). cpu_s is the process's
// user and system time to the whole list; the engine case runs the same
// search without the window, so the two tell what the window adds.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <sys/resource.h>
#include <time.h>
#include <QCheckBox>
#include <QDateTimeEdit>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLineEdit>
#include <QSpinBox>
#include <QTableView>
#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "common/ElementSets.h"
#include "frMainWidgets.h"
#include "frPrediction.h"
#include "frReportView.h"
#include "frResultTable.h"
#include "frSearchTools.h"
#include "uFormat.h"
#include "uInitialize.h"
#include "uLoadSave.h"
#include "uPassSearch.h"
#include "uStartup.h"

namespace {

// ORBISK_BENCH_OBJECTS makes the catalogue smaller, for a profiler's run.
const std::size_t kObjects = [] {
    const char* n = std::getenv("ORBISK_BENCH_OBJECTS");
    return n && std::atol(n) > 0 ? static_cast<std::size_t>(std::atol(n)) : std::size_t{30000};
}();
const std::size_t kConstellation = kObjects / 3, kDeepSpace = kObjects / 10;

std::string Folder() {
    static const std::string folder = [] {
        const std::string f =
            (std::filesystem::temp_directory_path() / ("orbisk_bench_window_" + std::to_string(::getpid()))).string() +
            "/";
        std::filesystem::create_directories(f);
        return f;
    }();
    return folder;
}

std::vector<TSatRec> Catalogue() {
    {
        std::string text;
        for (std::size_t k = 0; k < kConstellation; ++k) {
            elsets::TOrbit o;
            o.inclination = 53.0;
            o.node = 120.0;
            o.eccentricity = 0.0001;
            o.anomaly = 360.0 * static_cast<double>(k) / kConstellation;
            o.meanMotion = 15.06;
            text += elsets::MadeUpSet("TRAIN-" + std::to_string(k + 1), 10000 + static_cast<int>(k), 21.0, o);
        }
        for (std::size_t k = 0; k < kDeepSpace; ++k) {
            elsets::TOrbit o;
            const bool molniya = k % 2 == 0;
            o.inclination = molniya ? 63.4 : 55.0;
            o.eccentricity = molniya ? 0.72 : 0.005;
            o.perigee = molniya ? 270.0 : 30.0;
            o.node = std::fmod(static_cast<double>(k) * 7.9, 360.0);
            o.anomaly = std::fmod(static_cast<double>(k) * 53.3, 360.0);
            o.meanMotion = molniya ? 2.006 : 2.0056;
            o.drag = " 00000-0";
            text += elsets::MadeUpSet((molniya ? "HIGH-" : "NAV-") + std::to_string(k + 1),
                                      20000 + static_cast<int>(k), 21.0, o);
        }
        text += elsets::SpreadCopies(elsets::BundledLowSets(), kObjects - kConstellation - kDeepSpace, 40000);
        const std::string file = Folder() + "catalogue.tle";
        std::ofstream(file) << text;
        std::vector<TElementEntry> entries;
        ReadElementFile(entries, file);
        return elsets::SelectedRecords(entries);
    }
}

long ResidentKiB(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(field, 0) == 0) return std::atol(line.c_str() + std::strlen(field));
    return 0;
}

double ThreadCpuMs() {
    timespec t{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

double CpuSeconds() {
    rusage use{};
    ::getrusage(RUSAGE_SELF, &use);
    const auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(use.ru_utime) + seconds(use.ru_stime);
}

const TSession& Session() {
    static TSession s;
    if (!s.MainSats.empty()) return s;
    s.ProgramFolder = std::string(ORBISK_PROGRAM_DIR) + "/";
    s.DataFolder = Folder();
    s.Options = DefaultOptions(s.ProgramFolder);
    s.Options.utcDisplay = 1;
    s.Options.metric = 1;
    s.DistanceFactor = 1.0;
    s.Observer = DefaultObserver();
    s.Observer.name = "Bench Site";
    s.Observer.pos = TLatLon{45.0 * kDegToRad, -75.0 * kDegToRad, 0.1};
    s.Observer.utcOffset = 0.0;
    UpdateParallax(s.Observer);
    s.CurrentTime = EncodeDayNumber(2018, 1, 21);
    s.MainSats = Catalogue();
    return s;
}

void BM_WindowWholeCatalogue(benchmark::State& state) {
    const bool sortedAndFiltered = state.range(0) != 0;
    const TSession& session = Session();
    const TSessionStore store(session);
    double stallMs = 0.0, firstRows = -1.0, whole = 0.0, rows = 0.0, shown = 0.0, text = 0.0, listKiB = 0.0;
    double cpu0 = 0.0, cpu = 0.0, workMs = 0.0, reportWorkMs = 0.0, startMs = 0.0;
    for (auto _ : state) {
        auto w = std::make_unique<TfrPredictionWnd>(store);
        w->setAttribute(Qt::WA_DeleteOnClose, false);
        w->show();
        w->nm_satalt->setValue(0);
        w->nm_revs->setValue(2);
        w->ckb_day_night->setChecked(true);
        w->ckb_sunlite->setChecked(false);
        const double start = EncodeDayNumber(2018, 1, 21);
        w->dt_predict_hour1->setDateTime(PickerDateTime(start));
        w->dt_predict_hour2->setDateTime(PickerDateTime(start + 1.0));
        QApplication::processEvents();

        QElapsedTimer clock;
        QEventLoop loop;
        QTimer beat;
        beat.setTimerType(Qt::PreciseTimer);
        beat.setInterval(5);
        qint64 last = 0;
        double lastCpu = 0.0;
        workMs = reportWorkMs = 0.0;
        firstRows = -1.0;
        stallMs = 0.0;
        QObject::connect(w->Results->model(), &QAbstractItemModel::rowsInserted, &loop, [&] {
            if (firstRows < 0.0) firstRows = static_cast<double>(clock.nsecsElapsed()) / 1e9;
        });
        QObject::connect(&beat, &QTimer::timeout, &loop, [&] {
            const qint64 now = clock.nsecsElapsed();
            const double cpuNow = ThreadCpuMs();
            stallMs = std::max(stallMs, static_cast<double>(now - last) / 1e6 - 5.0);
            double& work = whole == 0.0 ? workMs : reportWorkMs;
            work = std::max(work, cpuNow - lastCpu);
            if (std::getenv("ORBISK_BENCH_GAPS") && now - last > 50000000)
                std::fprintf(stderr, "gap %.0f ms (window thread busy %.0f ms) at %.2f s, %d rows, busy %d\n",
                             (now - last) / 1e6, cpuNow - lastCpu, now / 1e9, w->Results->model()->rowCount(),
                             w->busy());
            last = now;
            lastCpu = cpuNow;
            if (w->busy()) return;
            if (whole == 0.0) {
                whole = static_cast<double>(now) / 1e9;
                listKiB = static_cast<double>(ResidentKiB("VmRSS:"));
                cpu = CpuSeconds() - cpu0;
                w->Results->setCurrentIndex(1);  // the text is written, then fills while it shows
                return;
            }
            // On until the report's tab holds all of it.
            if (w->reportWritten() && static_cast<std::size_t>(w->PredictMemo->lineCount()) >= w->report().size())
                loop.quit();
        });
        auto* line = w->findChild<QToolButton*>("tb_line");
        whole = 0.0;
        cpu0 = CpuSeconds();
        lastCpu = ThreadCpuMs();
        clock.start();
        line->click();
        startMs = ThreadCpuMs() - lastCpu;
        // The search has begun the table: its columns are there to sort by.
        if (sortedAndFiltered) {
            w->Results->view()->sortByColumn(w->Results->model()->ColumnOf("max_elevation_deg"), Qt::DescendingOrder);
            w->Results->filter()->setText("a");
        }
        beat.start();
        loop.exec();
        text = static_cast<double>(clock.nsecsElapsed()) / 1e9 - whole;
        state.SetIterationTime(whole);
        rows = static_cast<double>(w->Results->model()->rowCount());
        shown = static_cast<double>(w->Results->proxy()->rowCount());
        if (rows == 0.0) state.SkipWithError("the search listed nothing");
        w->close();
    }
    state.counters["objects"] = static_cast<double>(session.MainSats.size());
    state.counters["rows"] = rows;
    state.counters["rows_shown"] = shown;
    state.counters["longest_stall_ms"] = stallMs;
    state.counters["longest_ui_work_ms"] = workMs;
    state.counters["start_ui_ms"] = startMs;
    state.counters["report_ui_work_ms"] = reportWorkMs;
    state.counters["first_rows_s"] = firstRows;
    state.counters["whole_list_s"] = whole;
    state.counters["cpu_s"] = cpu;
    state.counters["report_text_s"] = text;
    state.counters["rss_at_list_MiB"] = listKiB / 1024.0;
    state.counters["peak_rss_MiB"] = static_cast<double>(ResidentKiB("VmHWM:")) / 1024.0;
}
BENCHMARK(BM_WindowWholeCatalogue)->Arg(0)->Arg(1)->Unit(benchmark::kSecond)->UseManualTime()->Iterations(1);

// The window's search alone: the same inputs, no sink, no rows, no report.
void BM_EngineAlone(benchmark::State& state) {
    const TSession& session = Session();
    const double start = EncodeDayNumber(2018, 1, 21);
    TPredictionControls c;
    c.shownStart = start;
    c.shownStop = start + 1.0;
    c.satAlt = 0;
    c.revs = 2;
    c.dayNight = true;
    c.sunlitOnly = false;
    const TPredictionInputs in = ReadPredictionInputs(c, 0.0);
    double passes = 0.0, cpu = 0.0;
    for (auto _ : state) {
        const double cpu0 = CpuSeconds();
        const TPredictionResult r = RunLineSearch(in, session.MainSats, session.Observer);
        cpu = CpuSeconds() - cpu0;
        passes = static_cast<double>(r.linePasses.size());
    }
    state.counters["passes"] = passes;
    state.counters["cpu_s"] = cpu;
}
BENCHMARK(BM_EngineAlone)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(1);

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::filesystem::remove_all(Folder());
    return 0;
}
