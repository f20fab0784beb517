// The whole catalogue at once: orbisk-predict's line search over 20,000
// low-orbit objects (the bundled sets with more than 11 revolutions a day,
// copied with moved nodes and mean anomalies under new numbers; generated
// here, not stored) for 1 and 15 days, whole passes by day and night from
// 0 degrees, as a user runs it: wall time, peak resident memory of the
// program and the size of its report. Then 30,000 objects mixed as the
// tracked catalogue is (a third one constellation of many planes at 550 km
// and 53 degrees, a tenth deep space: geostationary, Molniya, navigation and
// transfer orbits; the rest the low sets copied) for a day from 2
// revolutions a day, the least the window takes, so the geostationary ones
// are left out as there. Then Moon transits over the 20,000 for a day. Each case runs once more through orbisk-predict-counted (built
// with a propagation counter) for the work done: propagations per
// satellite-day and per listed pass.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "common/ElementSets.h"
#include "uLoadSave.h"

namespace {
const std::string kProgram = std::string(ORBISK_PROGRAM_DIR) + "/orbisk-predict";
const std::string kCounted = std::string(ORBISK_COUNTED_DIR) + "/orbisk-predict-counted";
constexpr std::size_t kObjects = 20000;
constexpr std::size_t kMixedObjects = 30000;

std::vector<std::string> gGenerated;  // removed at the end

// ORBISK_BENCH_KEEP=dir keeps the generated catalogues there (dir/catalogue.tle,
// dir/mixed.tle), so that two builds' reports can be compared on them.
std::string TempFile(const char* what) {
    if (const char* keep = std::getenv("ORBISK_BENCH_KEEP"); keep && *keep)
        return std::string(keep) + "/" + what + ".tle";
    const std::string file = "/tmp/orbisk_bench_" + std::string(what) + "_" + std::to_string(::getpid()) + ".tle";
    gGenerated.push_back(file);
    return file;
}

const std::string& CatalogueFile() {
    static const std::string path = [] {
        const std::string file = TempFile("catalogue");
        std::ofstream(file) << elsets::SpreadCopies(elsets::BundledLowSets(), kObjects, 70000);
        return file;
    }();
    return path;
}

// Numbers from 100000 up do not fit the five columns: the mixed file takes
// 10000..39999.
const std::string& MixedCatalogueFile() {
    static const std::string path = [] {
        std::string text;
        int number = 10000;
        // The constellation: 100 planes of 100, phased between planes.
        constexpr int kPlanes = 100, kPerPlane = 100;
        for (int p = 0; p < kPlanes; ++p)
            for (int k = 0; k < kPerPlane; ++k) {
                const elsets::TOrbit o{53.0, 360.0 * p / kPlanes, 0.0001, 90.0,
                                       std::fmod(360.0 * k / kPerPlane + 3.6 * 0.37 * p, 360.0), 15.06,
                                       " 30000-4"};
                text += elsets::MadeUpSet("CONSTELLATION", number++, 21.0, o);
            }
        // Deep space: a tenth of the whole.
        const elsets::TOrbit deep[] = {
            {0.05, 0.0, 0.0002, 0.0, 0.0, 1.0027, " 00000-0"},    // geostationary
            {63.4, 0.0, 0.72, 270.0, 0.0, 2.006, " 00000-0"},     // Molniya
            {55.0, 0.0, 0.005, 0.0, 0.0, 2.0056, " 00000-0"},     // navigation
            {27.0, 0.0, 0.73, 180.0, 0.0, 2.25, " 10000-3"},      // transfer
        };
        constexpr std::size_t kDeep = kMixedObjects / 10;
        for (std::size_t k = 0; k < kDeep; ++k) {
            elsets::TOrbit o = deep[k % 4];
            const double copy = static_cast<double>(k / 4);
            o.node = std::fmod(copy * 137.5, 360.0);
            o.anomaly = std::fmod(copy * 53.3, 360.0);
            text += elsets::MadeUpSet("DEEP SPACE", number++, 21.0, o);
        }
        const std::size_t rest = kMixedObjects - kPlanes * kPerPlane - kDeep;
        std::string low = elsets::SpreadCopies(elsets::BundledLowSets(), rest, number);
        const std::string file = TempFile("mixed");
        std::ofstream(file) << text << low;
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
    // Line ends found with memchr: the reader shares the two cores with
    // the program it measures, so it should cost next to nothing.
    void Feed(const char* p, std::size_t n) {
        const char* end = p + n;
        while (p < end) {
            const char* nl = static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)));
            const char* stop = nl ? nl : end;
            if (line.size() < 8) line.append(p, std::min<std::size_t>(8 - line.size(), static_cast<std::size_t>(stop - p)));
            if (!nl) return;
            count += IsPassLine();
            line.clear();
            p = nl + 1;
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

void Measure(benchmark::State& state, const std::vector<std::string>& args, int days,
             std::size_t objects = kObjects) {
    TRun run;
    for (auto _ : state) {
        run = RunPredict(kProgram, args);
        if (!run.ok) {
            state.SkipWithError("orbisk-predict failed (is it built?)");
            return;
        }
        state.SetIterationTime(run.seconds);
    }
    state.counters["objects"] = static_cast<double>(objects);
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
    state.counters["prop_per_sat_day"] = counted.propagations / (static_cast<double>(objects) * days);
    if (counted.passes > 0.0) state.counters["prop_per_pass"] = counted.propagations / counted.passes;
}

std::vector<std::string> Period(int days, const std::string& file = CatalogueFile()) {
    return {"--tle", file, "--utc", "--start", "2018-01-21 00:00:00", "--days", std::to_string(days),
            "--threads", "2"};
}

void BM_WholeCatalogueLineSearch(benchmark::State& state) {
    const int days = static_cast<int>(state.range(0));
    std::vector<std::string> args = Period(days);
    for (const char* a : {"--all", "--day-night", "--min-elev", "0", "--min-revs", "11"}) args.push_back(a);
    Measure(state, args, days);
}
BENCHMARK(BM_WholeCatalogueLineSearch)->Arg(1)->Arg(15)->Unit(benchmark::kSecond)->UseManualTime()->Iterations(1);

void BM_MixedCatalogueLineSearch(benchmark::State& state) {
    std::vector<std::string> args = Period(1, MixedCatalogueFile());
    for (const char* a : {"--all", "--day-night", "--min-elev", "0", "--min-revs", "2"}) args.push_back(a);
    Measure(state, args, 1, kMixedObjects);
}
BENCHMARK(BM_MixedCatalogueLineSearch)->Unit(benchmark::kSecond)->UseManualTime()->Iterations(1);

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
    for (const std::string& file : gGenerated) std::remove(file.c_str());
    return 0;
}
