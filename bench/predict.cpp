// Line search over every low-Earth satellite (mean motion above 11) of the
// bundled January 2018 element sets, 15 days, one observer, whole passes day
// and night; on one thread and on all cores. The yardstick is the
// independent pass finder of the tests (python3-ephem) on the same sets.
#include <unistd.h>
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "uFormat.h"
#include "uInitialize.h"
#include "uLoadSave.h"
#include "uPassSearch.h"

namespace {
const std::string kSource = ORBISK_SOURCE_DIR;
const char* kFiles[] = {"visual.tle", "stations.tle", "Iridium.tle"};
constexpr double kDays = 15.0;

struct TWork {
    std::vector<TSatRec> sats;
    std::vector<TElementEntry> entries;
    TObserver observer;
    TPredictionInputs inputs;
};

const TWork& Work() {
    static const TWork work = [] {
        TWork w;
        for (const char* f : kFiles) {
            std::vector<TElementEntry> entries;
            ReadElementFile(entries, kSource + "/data/install/tle/" + f);
            for (const TElementEntry& e : entries) {
                TSatRec sat{};
                if (!InitSatelliteFromEntry(sat, e, 11.0, 20.0)) continue;
                sat.selected = 1;
                w.sats.push_back(sat);
                w.entries.push_back(e);
            }
        }
        w.observer = DefaultObserver();
        TPredictionControls c;
        c.shownStart = EncodeDayNumber(2018, 1, 21);
        c.shownStop = c.shownStart + kDays;
        c.sunlitOnly = false;
        c.dayNight = true;
        c.revs = 11.0;
        w.inputs = ReadPredictionInputs(c, 0.0);
        return w;
    }();
    return work;
}

void BM_LineSearch(benchmark::State& state) {
    const TWork& w = Work();
    const unsigned threads = static_cast<unsigned>(state.range(0));
    const TReportSettings settings;
    std::size_t passes = 0;
    const uint64_t before = PassSearchEvaluations();
    for (auto _ : state) {
        // Search and report, as the window and the command line run them.
        const TPredictionResult r = RunLineSearch(w.inputs, w.sats, w.observer, threads);
        passes = r.passes.size();
        const TReportLines lines = LineReport(r, w.sats, w.inputs, settings);
        benchmark::DoNotOptimize(lines.data());
    }
    const double evaluations = static_cast<double>(PassSearchEvaluations() - before);
    state.counters["satellites"] = static_cast<double>(w.sats.size());
    state.counters["passes"] = static_cast<double>(passes);
    state.counters["threads"] = threads;
    state.counters["evaluations/s"] = benchmark::Counter(evaluations, benchmark::Counter::kIsRate);
}

// The same sets through python3-ephem (rise/set at 0 degrees, then each 10
// degree crossing by bisection), timed as one run of the script.
void BM_EphemReference(benchmark::State& state) {
    const TWork& w = Work();
    const std::string tle = "/tmp/orbisk_bench_leo_" + std::to_string(::getpid()) + ".tle";
    {
        std::ofstream out(tle);
        for (const TElementEntry& e : w.entries)
            out << e.name.str() << "\n" << e.line1.str() << "\n" << e.line2.str() << "\n";
    }
    char cmd[1024];
    std::snprintf(cmd, sizeof cmd,
                  "/usr/bin/python3 '%s/tests/predict/reference_passes.py' '%s' %.6f %.6f %.1f "
                  "%.6f %.6f 10 2>/dev/null | wc -l",
                  kSource.c_str(), tle.c_str(), Degrees(w.observer.pos.lat),
                  Degrees(w.observer.pos.lon), w.observer.pos.height * 1000.0,
                  w.inputs.start, w.inputs.stop);
    double passes = 0;
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        FILE* p = popen(cmd, "r");
        if (!p || std::fscanf(p, "%lf", &passes) != 1 || pclose(p) != 0 || passes == 0) {
            state.SkipWithError("python3-ephem is not available");
            return;
        }
        state.SetIterationTime(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
    }
    state.counters["passes"] = passes;
}
}  // namespace

BENCHMARK(BM_LineSearch)->Arg(1)->Arg(std::max(1u, std::thread::hardware_concurrency()))
    ->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1.0);
BENCHMARK(BM_EphemReference)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);

BENCHMARK_MAIN();
