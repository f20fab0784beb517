// ReadElementFile on a generated file of 30,000 three-line element sets, and
// the same sets as OMM CSV, JSON and XML read into element entries.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "catalogue/OmmWriter.h"
#include "uFormat.h"
#include "uLoadSave.h"

namespace {

std::string WithChecksum(std::string line) {
    int sum = 0;
    for (char c : line) sum += (c >= '0' && c <= '9') ? c - '0' : (c == '-');
    line.push_back(static_cast<char>('0' + sum % 10));
    return line;
}

// Distinct, valid sets: catalogue numbers and angles vary with k.
std::string MakeFile(int sets) {
    std::string text;
    for (int k = 0; k < sets; ++k) {
        int cat = 10000 + k;
        std::string l1 = FormatArgs("1 %0:5dU 98067A   24%1:3d.%2:8d  .00001000  00000-0  10000-3 0  999",
                                    {cat, 1 + k % 365, 10000000 + k * 37 % 89999999});
        std::string l2 = FormatArgs("2 %0:5d %1:8.4f %2:8.4f 0006703 %3:8.4f %4:8.4f %5:11.8f10000",
                                    {cat, 51.6416 + k % 40, k * 0.0117, k * 0.0093, 359.0 - k * 0.011,
                                     12.5 + (k % 300) * 0.01});
        text += "SAT " + std::to_string(k) + "\n" + WithChecksum(l1) + "\n" + WithChecksum(l2) + "\n";
    }
    return text;
}

void BM_ReadElementFile(benchmark::State& state) {
    const std::string path =
        (std::filesystem::temp_directory_path() / ("orbisk_bench_" + std::to_string(::getpid()) + ".tle")).string();
    const std::string text = MakeFile(30000);
    std::ofstream(path, std::ios::binary) << text;
    std::vector<TElementEntry> entries;
    for (auto _ : state) {
        ReadElementFile(entries, path);
        benchmark::DoNotOptimize(entries.data());
    }
    if (entries.size() != 30000) state.SkipWithError("generated sets were not all accepted");
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
    state.counters["sets"] = static_cast<double>(entries.size());
    std::remove(path.c_str());
}
BENCHMARK(BM_ReadElementFile)->Unit(benchmark::kMillisecond);

enum TOmmKind { kCsv, kJson, kXml };

// The 30,000 sets in one OMM encoding, read from a file on one thread.
void BM_ReadOmm(benchmark::State& state) {
    std::vector<ommw::Set> sets;
    std::vector<TElementEntry> entries;
    ReadElementText(entries, MakeFile(30000));
    for (const auto& e : entries) sets.push_back({e.name.str(), e.line1.str(), e.line2.str()});
    const TOmmKind kind = static_cast<TOmmKind>(state.range(0));
    const std::string text = kind == kCsv ? ommw::Csv(sets) : kind == kJson ? ommw::Json(sets) : ommw::Xml(sets);
    const std::string path =
        (std::filesystem::temp_directory_path() / ("orbisk_bench_omm_" + std::to_string(::getpid()))).string();
    std::ofstream(path, std::ios::binary) << text;
    for (auto _ : state) {
        ReadElementFile(entries, path);
        benchmark::DoNotOptimize(entries.data());
    }
    std::remove(path.c_str());
    if (entries.size() != sets.size()) state.SkipWithError("generated records were not all accepted");
    state.SetLabel(kind == kCsv ? "CSV" : kind == kJson ? "JSON" : "XML");
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
    state.counters["records"] = static_cast<double>(entries.size());
}
BENCHMARK(BM_ReadOmm)->Arg(kCsv)->Arg(kJson)->Arg(kXml)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
