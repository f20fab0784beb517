// The whole catalogue at once: orbisk-predict's line search over 20,000
// low-orbit objects (the bundled sets with more than 11 revolutions a day,
// copied with moved nodes and mean anomalies under new numbers; generated
// here, not stored) for 1 and 15 days, whole passes by day and night from
// 0 degrees, as a user runs it: wall time, peak resident memory of the
// program and the size of its report. Then Moon transits over the same file
// for a day. Each case runs once more through orbisk-predict-counted (built
// with a propagation counter) for the work done: propagations per
// satellite-day and per listed pass.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "common/ElementSets.h"
#include "uLoadSave.h"

namespace {
const std::string kSource = ORBISK_SOURCE_DIR;
const std::string kProgram = std::string(ORBISK_PROGRAM_DIR) + "/orbisk-predict";
const std::string kCounted = std::string(ORBISK_COUNTED_DIR) + "/orbisk-predict-counted";
constexpr std::size_t kObjects = 20000;

std::string gGenerated;  // removed at the end

const std::string& CatalogueFile() {
    static const std::string path = [] {
        std::vector<TElementEntry> low;
        for (const char* f : {"visual.tle", "stations.tle", "Iridium.tle"}) {
            std::vector<TElementEntry> entries;
            ReadElementFile(entries, kSource + "/data/install/tle/" + f);
            for (const TElementEntry& e : entries)
                if (e.meanMotion > 11.0 && e.meanMotion < 20.0) low.push_back(e);
        }
        const std::string file = "/tmp/orbisk_bench_catalogue_" + std::to_string(::getpid()) + ".tle";
        std::ofstream(file) << elsets::SpreadCopies(low, kObjects, 70000);
        gGenerated = file;
        return file;
    }();
    return path;
}

struct TRun {
    bool ok = false;
    double seconds = 0.0;
    double peakMb = 0.0;
    double cpuSeconds = 0.0;  // user and system time of the program
    double reportBytes = 0.0;
    double passes = 0.0;        // report lines of a pass ("  MM/DD ...")
    double propagations = -1.0; // told on stderr by the counted program
};

// Counts the pass lines of a report read in pieces.
struct TPassLines {
    std::string line;
    double count = 0.0;
    void Feed(const char* p, std::size_t n) {
        for (std::size_t i = 0; i < n; ++i) {
            if (p[i] != '\n') {
                if (line.size() < 8) line += p[i];
                continue;
            }
            count += IsPassLine();
            line.clear();
        }
    }
    bool IsPassLine() const {
        auto digit = [&](std::size_t i) { return line.size() > i && line[i] >= '0' && line[i] <= '9'; };
        return line.rfind("  ", 0) == 0 && digit(2) && digit(3) && line.size() > 7 && line[4] == '/' &&
               digit(5) && digit(6) && line[7] == ' ';
    }
};

// Runs program with args, its report read from a pipe and counted, its
// stderr in a file scanned for the propagation count.
TRun RunPredict(const std::string& program, const std::vector<std::string>& args) {
    TRun run;
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) return run;
    const std::string errFile = "/tmp/orbisk_bench_stderr_" + std::to_string(::getpid());
    const auto t0 = std::chrono::steady_clock::now();
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(pipeFds[1], STDOUT_FILENO);
        const int err = ::open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ::dup2(err, STDERR_FILENO);
        ::close(pipeFds[0]);
        std::vector<char*> argv{const_cast<char*>(program.c_str())};
        for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
    ::close(pipeFds[1]);
    if (pid < 0) {
        ::close(pipeFds[0]);
        return run;
    }
    char buf[1 << 16];
    TPassLines lines;
    for (ssize_t n; (n = ::read(pipeFds[0], buf, sizeof buf)) > 0;) {
        run.reportBytes += static_cast<double>(n);
        lines.Feed(buf, static_cast<std::size_t>(n));
    }
    run.passes = lines.count;
    ::close(pipeFds[0]);
    int status = 0;
    rusage usage{};
    ::wait4(pid, &status, 0, &usage);
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    run.peakMb = static_cast<double>(usage.ru_maxrss) / 1024.0;
    run.cpuSeconds = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                     static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    std::ifstream err(errFile);
    for (std::string l; std::getline(err, l);) {
        unsigned long long n = 0;
        if (std::sscanf(l.c_str(), "propagations: %llu", &n) == 1) run.propagations = static_cast<double>(n);
    }
    std::remove(errFile.c_str());
    return run;
}

void Measure(benchmark::State& state, const std::vector<std::string>& args, int days) {
    TRun run;
    for (auto _ : state) {
        run = RunPredict(kProgram, args);
        if (!run.ok) {
            state.SkipWithError("orbisk-predict failed (is it built?)");
            return;
        }
        state.SetIterationTime(run.seconds);
    }
    state.counters["objects"] = kObjects;
    state.counters["peak_rss_MB"] = run.peakMb;
    state.counters["cpu_s"] = run.cpuSeconds;
    state.counters["report_MB"] = run.reportBytes / 1e6;
    const TRun counted = RunPredict(kCounted, args);
    if (!counted.ok || counted.propagations < 0.0) {
        state.SkipWithError("orbisk-predict-counted failed or told no count (is it built?)");
        return;
    }
    state.counters["passes"] = counted.passes;
    state.counters["propagations"] = counted.propagations;
    state.counters["prop_per_sat_day"] = counted.propagations / (kObjects * days);
    if (counted.passes > 0.0) state.counters["prop_per_pass"] = counted.propagations / counted.passes;
}

std::vector<std::string> Period(int days) {
    return {"--tle", CatalogueFile(), "--utc", "--start", "2018-01-21 00:00:00", "--days", std::to_string(days),
            "--threads", "2"};
}

void BM_WholeCatalogueLineSearch(benchmark::State& state) {
    const int days = static_cast<int>(state.range(0));
    std::vector<std::string> args = Period(days);
    for (const char* a : {"--all", "--day-night", "--min-elev", "0", "--min-revs", "11"}) args.push_back(a);
    Measure(state, args, days);
}
BENCHMARK(BM_WholeCatalogueLineSearch)->Arg(1)->Arg(15)->Unit(benchmark::kSecond)->UseManualTime()->Iterations(1);

void BM_WholeCatalogueMoonTransits(benchmark::State& state) {
    std::vector<std::string> args = Period(1);
    for (const char* a : {"--mode", "transit", "--target", "Moon", "--sep", "300", "--day-night", "--min-revs", "11"})
        args.push_back(a);
    Measure(state, args, 1);
}
BENCHMARK(BM_WholeCatalogueMoonTransits)->Unit(benchmark::kSecond)->UseManualTime()->Iterations(1);
}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (!gGenerated.empty()) std::remove(gGenerated.c_str());
    return 0;
}
