// Whole searches on the bundled element sets: a week of Iridium flares and
// a day of Moon transits over every bundled satellite, on one thread and on
// one per core.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "Zenora.h"
#include "uFlares.h"
#include "uFormat.h"
#include "uLoadSave.h"
#include "uSearchModes.h"
#include "uTransit.h"

namespace {
const std::string kTle = std::string(ORBISK_SOURCE_DIR) + "/data/install/tle/";

std::vector<TSatRec> Load(const std::string& file, bool iridiumOnly) {
    std::vector<TElementEntry> entries;
    ReadElementFile(entries, kTle + file);
    std::vector<TSatRec> sats;
    for (const TElementEntry& e : entries) {
        if (iridiumOnly && !IsIridiumCatalogueName(e.name.str())) continue;
        TSatRec sat{};
        if (!InitSatelliteFromEntry(sat, e, 0.0, 1000.0)) continue;
        sat.selected = 1;
        sats.push_back(sat);
    }
    return sats;
}

TObserver Site() {
    TObserver o{};
    o.name = "Bench";
    o.pos = TLatLon{45.0 * kDegToRad, -75.0 * kDegToRad, 0.1};
    RhoSinCos(&o.pos, &o.rhoSin, &o.rhoCos);
    return o;
}

TReportSettings Settings(const TObserver& o) {
    TReportSettings s;
    s.observerName = o.name.str();
    s.latitude = o.pos.lat;
    s.longitude = o.pos.lon;
    return s;
}

void BM_FlaresWeek(benchmark::State& bs) {
    const std::vector<TSatRec> sats = Load("Iridium.tle", true);
    const TObserver site = Site();
    TFlareInputs in;
    in.start = EncodeDayNumber(2018, 1, 20);
    in.stop = in.start + 7.0;
    std::size_t flares = 0;
    for (auto _ : bs) {
        const TFlareResult r =
            RunFlareSearch(in, sats, site, static_cast<unsigned>(bs.range(0)));
        flares = r.flares.size();
        const TReportLines lines = FlareReport(r, in, Settings(site));
        benchmark::DoNotOptimize(lines.data());
    }
    bs.counters["satellites"] = static_cast<double>(sats.size());
    bs.counters["flares"] = static_cast<double>(flares);
}
BENCHMARK(BM_FlaresWeek)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_MoonTransitsDay(benchmark::State& bs) {
    std::vector<TSatRec> sats;
    for (const char* file : {"visual.tle", "stations.tle", "Iridium.tle"}) {
        const std::vector<TSatRec> part = Load(file, false);
        sats.insert(sats.end(), part.begin(), part.end());
    }
    const TObserver site = Site();
    TPredictionControls c;
    c.shownStart = EncodeDayNumber(2018, 1, 21);
    c.shownStop = c.shownStart + 1.0;
    c.revs = 2.0;
    c.dayNight = true;
    const TPredictionInputs in = ReadPredictionInputs(c, 0.0);
    TTransitTarget moon;
    MakeBodyTarget("Moon", moon);
    std::size_t transits = 0;
    for (auto _ : bs) {
        const TTransitResult r = RunTransitSearch(in, 300.0 / 60.0, moon, sats, site,
                                                  static_cast<unsigned>(bs.range(0)));
        transits = r.transits.size();
        const TReportLines lines = TransitReport(r, sats, moon, in, Settings(site));
        benchmark::DoNotOptimize(lines.data());
    }
    bs.counters["satellites"] = static_cast<double>(sats.size());
    bs.counters["transits"] = static_cast<double>(transits);
}
BENCHMARK(BM_MoonTransitsDay)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime();
}  // namespace

BENCHMARK_MAIN();
