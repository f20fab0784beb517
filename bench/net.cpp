// Catalogue maintenance: refreshing a 1,000-record list from element files
// totalling 30,000 sets (one read per file against one read per file and
// record), and the common-name conversion of a 30,000-set file.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "Satellite.h"
#include "uConversion.h"
#include "uLoadSave.h"
#include "uUpdate.h"
#include "../tests/net/LiteralUpdate.h"

namespace {

constexpr int kFiles = 3;
constexpr int kSetsPerFile = 10000;
constexpr int kRecords = 1000;

std::string WithChecksum(std::string line) {
    int sum = 0;
    for (char c : line) sum += (c >= '0' && c <= '9') ? c - '0' : (c == '-');
    line.push_back(static_cast<char>('0' + sum % 10));
    return line;
}

struct Lines {
    std::string l1, l2;
};

Lines MakeSet(int catNo, double day) {
    char a[80], b[80];
    std::snprintf(a, sizeof a, "1 %05dU 98067A   18%012.8f  .00002182  00000-0  40768-4 0  999", catNo, day);
    std::snprintf(b, sizeof b, "2 %05d %8.4f 247.4627 0006703 130.5360 325.0288 %11.8f 5635", catNo,
                  40.0 + catNo % 50, 14.0 + (catNo % 150) * 0.01);
    return {WithChecksum(a), WithChecksum(b)};
}

std::string Folder(const char* tag) {
    auto p = std::filesystem::temp_directory_path() / ("orbisk_bench_net_" + std::string(tag) + std::to_string(::getpid()));
    std::filesystem::create_directories(p);
    return p.string() + "/";
}

// Files of sets for catalogue numbers 10000..39999, newer file by file;
// the list holds every 30th number with an older epoch.
struct UpdateFixture {
    std::string folder = Folder("upd");
    std::vector<TSatRec> list;
    UpdateFixture() {
        for (int f = 0; f < kFiles; ++f) {
            std::string text;
            for (int k = 0; k < kSetsPerFile; ++k) {
                const int cat = 10000 + (k * 7919 + f * 13) % (kFiles * kSetsPerFile);
                const Lines s = MakeSet(cat, 10.0 + f);
                text += "SAT\r\n" + s.l1 + "\r\n" + s.l2 + "\r\n";
            }
            std::ofstream(folder + "f" + std::to_string(f) + ".tle", std::ios::binary) << text;
        }
        for (int r = 0; r < kRecords; ++r) {
            const Lines s = MakeSet(10000 + r * 30, 1.0);
            TSatRec sat{};
            MakeSatelliteRecord(sat, "SAT", s.l1.substr(2, 5), 8.0, s.l1, s.l2);
            list.push_back(sat);
        }
    }
    ~UpdateFixture() { std::filesystem::remove_all(folder); }
};


void BM_UpdateSinglePass(benchmark::State& state) {
    UpdateFixture fx;
    for (auto _ : state) {
        auto list = fx.list;
        if (!UpdateFromElementFiles(list, fx.folder)) state.SkipWithError("nothing updated");
        benchmark::DoNotOptimize(list.data());
    }
    state.counters["records"] = kRecords;
    state.counters["sets"] = kFiles * kSetsPerFile;
}
BENCHMARK(BM_UpdateSinglePass)->Unit(benchmark::kMillisecond);

void BM_UpdateLiteral(benchmark::State& state) {
    UpdateFixture fx;
    for (auto _ : state) {
        auto list = fx.list;
        if (!LiteralUpdate(list, fx.folder)) state.SkipWithError("nothing updated");
        benchmark::DoNotOptimize(list.data());
    }
}
BENCHMARK(BM_UpdateLiteral)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_ConvertToCommonNames(benchmark::State& state) {
    const std::string folder = Folder("conv");
    const std::string mag = std::string(ORBISK_SOURCE_DIR) + "/data/install/data/Mag.dat";
    std::string text;
    for (int k = 0; k < kFiles * kSetsPerFile; ++k) {
        const Lines s = MakeSet(40000 - k, 10.0);
        text += "OBJECT " + std::to_string(k) + "\r\n" + s.l1 + "\r\n" + s.l2 + "\r\n";
    }
    const std::string path = folder + "all.tle";
    for (auto _ : state) {
        state.PauseTiming();
        std::ofstream(path, std::ios::binary) << text;
        state.ResumeTiming();
        if (!ConvertToCommonNames(path, mag)) state.SkipWithError("conversion failed");
    }
    state.counters["sets"] = kFiles * kSetsPerFile;
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_ConvertToCommonNames)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
