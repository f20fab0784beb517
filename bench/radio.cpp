// One engine update of the radio control loop: satellite state, range rate,
// both radio frequencies and the deadband decision; and a rotator plan of a
// whole pass.
#include <benchmark/benchmark.h>

#include "Satellite.h"
#include "Zenora.h"
#include "uRotatorPlan.h"
#include "uTracking.h"
#include "uTuning.h"

namespace {
TObserver Site() {
    TObserver o{};
    o.pos = TLatLon{52.0 * kDegToRad, 4.0 * kDegToRad, 0.05};
    RhoSinCos(&o.pos, &o.rhoSin, &o.rhoCos);
    return o;
}

TSatRec Iss() {
    TSatRec sat{};
    parse_elements("1 25544U 98067A   18020.89808844  .00002078  00000-0  38550-4 0  9992",
                   "2 25544  51.6424  32.9776 0003646  28.7227  39.5332 15.54190080 95614", &sat);
    SGP4_init(&sat);
    return sat;
}

TTransponder Linear() {
    TTransponder t;
    t.downlinkLow = 435.8e6, t.downlinkHigh = 435.9e6;
    t.uplinkLow = 145.9e6, t.uplinkHigh = 146.0e6;
    t.mode = "USB";
    t.inverting = true;
    return t;
}

void BM_EngineUpdate(benchmark::State& bs) {
    TTuner tuner(Iss(), Site(), Linear());
    const TDeadbands deadbands;
    const double t0 = 43121.0283;  // 2018-01-21 00:40:45, in a pass
    double sent = 0.0;
    int i = 0, sends = 0;
    for (auto _ : bs) {
        TRadioTarget target;
        tuner.Update(t0 + (i++ & 511) * 0.5 / kSecondsPerDay, target);
        if (NeedsCorrection(sent, target.downRadio, deadbands.For("USB"))) sent = target.downRadio, ++sends;
        benchmark::DoNotOptimize(target.upRadio);
    }
    bs.counters["sent"] = benchmark::Counter(sends, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_EngineUpdate);

void BM_RotatorPlanOfAPass(benchmark::State& bs) {
    const TSatRec iss = Iss();
    const TObserver site = Site();
    const double aos = 43121.0283, los = aos + 640.0 / kSecondsPerDay;
    const std::vector<TTrackPoint> track = PassTrack(iss, site, aos, los, 1.0);
    TRotatorSettings s;
    s.limits.azMax = 450.0;
    s.limits.elMax = 180.0;
    for (auto _ : bs) benchmark::DoNotOptimize(PlanPass(track, s, 0.0).commands.size());
}
BENCHMARK(BM_RotatorPlanOfAPass)->Unit(benchmark::kMicrosecond);
}  // namespace

BENCHMARK_MAIN();
