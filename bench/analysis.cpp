// The analysis searches over a whole catalogue: 30,000 element sets made
// from the bundled ones (every fifth a deep-space orbit, as in the public
// catalogue), searched for what is visible now, what has decayed a year on,
// and what transits the Moon within 90 minutes; on one thread and on one
// per core.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

#include "common/ElementLines.h"
#include "Zenora.h"
#include "uAnalysis.h"
#include "uFormat.h"
#include "uLoadSave.h"
#include "uMagFile.h"

namespace {
constexpr std::size_t kCatalogueSize = 30000;

// Deep-space orbits: geostationary, Molniya, navigation.
const char* const kDeepSpace[][2] = {
    {"1 28884U 05041A   18020.50000000 -.00000297  00000-0  00000+0 0  999",
     "2 28884   0.0150  86.6124 0001976 265.0000 180.0000  1.00271458 4500"},
    {"1 40296U 14069A   18020.50000000  .00000120  00000-0  00000+0 0  999",
     "2 40296  63.2000 150.0000 7200000 270.0000  10.0000  2.00600000 2200"},
    {"1 32711U 08012A   18020.50000000 -.00000030  00000-0  00000+0 0  999",
     "2 32711  55.0000 200.0000 0100000  50.0000 300.0000  2.00560000 7300"},
};

std::string Checked(std::string line) {
    line.resize(68, ' ');
    return line + TleChecksum(line);
}

// Catalogue number and the two angles of a template set changed, so every
// set is its own satellite in its own place.
TElementEntry Variant(const std::string& line1, const std::string& line2, const std::string& name, std::size_t k) {
    char number[6], raan[9], anomaly[9];
    std::snprintf(number, sizeof number, "%05zu", 10000 + k);
    std::snprintf(raan, sizeof raan, "%8.4f", static_cast<double>((k * 37) % 3600) / 10.0);
    std::snprintf(anomaly, sizeof anomaly, "%8.4f", static_cast<double>((k * 73) % 3600) / 10.0);
    std::string l1 = line1, l2 = line2;
    l1.replace(2, 5, number);
    l2.replace(2, 5, number);
    l2.replace(17, 8, raan);
    l2.replace(43, 8, anomaly);
    std::vector<TElementEntry> entries;
    ReadElementText(entries, name + "\n" + Checked(l1.substr(0, 68)) + "\n" + Checked(l2.substr(0, 68)) + "\n");
    return entries.empty() ? TElementEntry{} : entries.front();
}

const std::vector<TElementEntry>& Catalogue() {
    static const std::vector<TElementEntry> catalogue = [] {
        std::vector<TElementEntry> bundled;
        for (const char* file : {"visual.tle", "stations.tle", "Iridium.tle"}) {
            std::vector<TElementEntry> part;
            ReadElementFile(part, std::string(ORBISK_SOURCE_DIR) + "/data/install/tle/" + file);
            bundled.insert(bundled.end(), part.begin(), part.end());
        }
        std::vector<TElementEntry> all;
        for (std::size_t k = 0; k < kCatalogueSize && !bundled.empty(); ++k) {
            if (k % 5 == 4) {
                const auto& deep = kDeepSpace[k % std::size(kDeepSpace)];
                all.push_back(Variant(deep[0], deep[1], "DEEP " + std::to_string(k), k));
            } else {
                const TElementEntry& e = bundled[k % bundled.size()];
                all.push_back(Variant(e.line1.str(), e.line2.str(), e.name.str(), k));
            }
        }
        return all;
    }();
    return catalogue;
}

TObserver Site() {
    TObserver o{};
    o.name = "Bench";
    o.pos = TLatLon{Radians(45.0), Radians(-75.0), 0.1};
    RhoSinCos(&o.pos, &o.rhoSin, &o.rhoCos);
    return o;
}

TAnalysisInputs Moment(double days) {
    TAnalysisInputs in;
    in.time = EncodeDayNumber(2018, 1, 22, 3) + days;
    return in;
}

void BM_VisibleNow(benchmark::State& bs) {
    const auto& entries = Catalogue();
    TMagFile mag;
    LoadMagFile(std::string(ORBISK_SOURCE_DIR) + "/data/install/data/Mag.dat", mag);
    const TMagList mags(mag.lines);
    TAnalysisInputs in = Moment(0.0);
    in.minRevs = 1.0;  // every orbit, deep space included
    in.minAlt = 0.0;
    std::size_t listed = 0;
    for (auto _ : bs) {
        const TVisibleResult r = RunVisibleSearch(in, entries, Site(), &mags,
                                                  static_cast<unsigned>(bs.range(0)));
        listed = r.sats.size();
        benchmark::DoNotOptimize(VisibleReport(r, in, TReportSettings{}).data());
    }
    bs.counters["sets"] = static_cast<double>(entries.size());
    bs.counters["listed"] = static_cast<double>(listed);
}
BENCHMARK(BM_VisibleNow)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_DecayedYearOn(benchmark::State& bs) {
    const auto& entries = Catalogue();
    const TAnalysisInputs in = Moment(365.0);
    std::size_t listed = 0;
    for (auto _ : bs) {
        const TDecayedResult r = RunDecayedSearch(in, entries, static_cast<unsigned>(bs.range(0)));
        listed = r.sats.size();
        benchmark::DoNotOptimize(DecayedReport(r, in, TReportSettings{}).data());
    }
    bs.counters["sets"] = static_cast<double>(entries.size());
    bs.counters["listed"] = static_cast<double>(listed);
}
BENCHMARK(BM_DecayedYearOn)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_MoonTransitsSpan(benchmark::State& bs) {
    const auto& entries = Catalogue();
    TAnalysisInputs in = Moment(16.0 / 24.0);  // 19:00 UTC: the Moon is up
    TAnalysisTransitInputs tr;
    tr.dayAndNight = true;
    tr.separation = 300.0;
    TTransitTarget moon;
    MakeBodyTarget("Moon", moon);
    std::size_t listed = 0;
    for (auto _ : bs) {
        const TAnalysisTransitResult r = RunAnalysisTransitSearch(in, tr, moon, entries, Site(),
                                                                  static_cast<unsigned>(bs.range(0)));
        listed = r.transits.transits.size();
        benchmark::DoNotOptimize(AnalysisTransitReport(r, moon, TReportSettings{}).data());
    }
    bs.counters["sets"] = static_cast<double>(entries.size());
    bs.counters["transits"] = static_cast<double>(listed);
}
BENCHMARK(BM_MoonTransitsSpan)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime();
}  // namespace

BENCHMARK_MAIN();
