// Unit costs of the tracking engine: one search step (observer + mode-4
// satellite state), Sun and Moon states, and the daylight intervals of a
// fortnight's prediction.
#include <benchmark/benchmark.h>

#include <vector>

#include "Satellite.h"
#include "Zenora.h"
#include "uTracking.h"

namespace {


TObserver MakeObserver(double latDeg, double lonDeg) {
    TObserver o{};
    o.pos = TLatLon{latDeg * kDegToRad, lonDeg * kDegToRad, 0.1};
    RhoSinCos(&o.pos, &o.rhoSin, &o.rhoCos);
    return o;
}

TSatRec MakeSat() {
    TSatRec sat{};
    parse_elements("1 06251U 62025E   06176.82412014  .00008885  00000-0  12808-3 0  3985",
                   "2 06251  58.0579  54.0425 0030035 139.1568 221.1854 15.56387291  6774", &sat);
    sat.deepSpace ? SDP4_init(&sat) : SGP4_init(&sat);
    return sat;
}

void BM_PropagateMode4(benchmark::State& bs) {
    const TSite obs = MakeObserver(51.5, -0.1);
    TSatRec sat = MakeSat();
    TSatState s{};
    const double t0 = sat.epoch - kJulianOffset;
    int i = 0;
    for (auto _ : bs) {
        const double t = t0 + (i++ & 1023) / kSecondsPerDay;
        benchmark::DoNotOptimize(PropagateSatellite(sat, s, ObserverFrame(obs, t), kFillLookAngles));
        benchmark::DoNotOptimize(s.altaz.alt);
    }
}
BENCHMARK(BM_PropagateMode4);

void BM_BodyState(benchmark::State& bs) {
    TSatState s{};
    s.body = static_cast<int32_t>(bs.range(0));
    const double t0 = 43101.0;  // 2018-01-01
    TFrame frame = ObserverFrame(MakeObserver(51.5, -0.1), t0);
    int i = 0;
    for (auto _ : bs) {
        frame.t = t0 + (i++ & 1023) / kSecondsPerDay;  // one sidereal angle, as before
        ComputeBodyState(s, frame, kFillLookAngles);
        benchmark::DoNotOptimize(s.altaz.alt);
    }
}
BENCHMARK(BM_BodyState)->Arg(kBodySun)->Arg(kBodyMoon);

void BM_SunIntervals15Days(benchmark::State& bs) {
    TObserver obs = MakeObserver(51.5, -0.1);
    TSatState sun{};
    const double t0 = 43101.0;
    std::vector<TTimeInterval> list;
    for (auto _ : bs) {
        list.clear();
        BodyIntervals(sun, false, true, t0, t0 + 15.0, -6.0 * kDegToRad, list, obs);
        benchmark::DoNotOptimize(list.data());
    }
}
BENCHMARK(BM_SunIntervals15Days)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
