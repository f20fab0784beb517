// Propagator speed: SGP4 and SDP4 calls, element parsing plus initialisation.
#include <benchmark/benchmark.h>
#include "Satellite.h"

namespace {

const char* kNear1 = "1 00005U 58002B   00179.78495062  .00000023  00000-0  28098-4 0  4753";
const char* kNear2 = "2 00005  34.2682 348.7242 1859667 331.7664  19.3264 10.82419157413667";
// Half-day resonant (the costliest deep-space path) and a non-resonant GPS orbit.
const char* kMolniya1 = "1 08195U 75081A   06176.33215444  .00000099  00000-0  11873-3 0   813";
const char* kMolniya2 = "2 08195  64.1586 279.0717 6877146 264.7651  20.2257  2.00491383225656";
const char* kGps1 = "1 28129U 03058A   06175.57071136 -.00000104  00000-0  10000-3 0   459";
const char* kGps2 = "2 28129  54.7298 324.8098 0048506 266.2640  93.1663  2.00562768 18443";
// One-day resonant and near-equatorial: the other integrator and the
// low-inclination form of the lunar-solar periodics.
const char* kGeo1 = "1 28626U 05008A   06176.46683397 -.00000205  00000-0  10000-3 0  2190";
const char* kGeo2 = "2 28626   0.0019 286.9433 0000335  13.7918  55.6504  1.00270176  4891";

TSatRec build(const char* a, const char* b) {
    TSatRec s{};
    parse_elements(a, b, &s);
    if (s.deepSpace) SDP4_init(&s);
    else SGP4_init(&s);
    return s;
}

// Times advance by 7.3 minutes and wrap after two days, as a tracker would ask.
template <bool Deep>
void propagate(benchmark::State& state, const char* a, const char* b) {
    TSatRec s = build(a, b);
    TVector r, v;
    double t = 0.0;
    for (auto _ : state) {
        const bool ok = Deep ? SDP4(&s, &r, &v, t) : SGP4(&s, &r, &v, t);
        benchmark::DoNotOptimize(ok);
        benchmark::DoNotOptimize(r);
        t += 7.3;
        if (t > 2880.0) t -= 2880.0;
    }
    state.SetItemsProcessed(state.iterations());
}

// The read-only call on a shared record (the integrator kept per thread).
void propagateConst(benchmark::State& state, const char* a, const char* b) {
    const TSatRec s = build(a, b);
    TVector r, v;
    double t = 0.0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(sat_propagate(&s, s.deepSpace, t, &r, &v));
        benchmark::DoNotOptimize(r);
        t += 7.3;
        if (t > 2880.0) t -= 2880.0;
    }
    state.SetItemsProcessed(state.iterations());
}

void BM_SGP4_NearEarth(benchmark::State& st) { propagate<false>(st, kNear1, kNear2); }
void BM_ReadOnly_NearEarth(benchmark::State& st) { propagateConst(st, kNear1, kNear2); }
void BM_ReadOnly_DeepResonant(benchmark::State& st) { propagateConst(st, kMolniya1, kMolniya2); }
void BM_SDP4_DeepResonant(benchmark::State& st) { propagate<true>(st, kMolniya1, kMolniya2); }
void BM_SDP4_DeepGps(benchmark::State& st) { propagate<true>(st, kGps1, kGps2); }
void BM_SDP4_DeepGeo(benchmark::State& st) { propagate<true>(st, kGeo1, kGeo2); }

void parseInit(benchmark::State& state, const char* a, const char* b) {
    TSatRec s{};
    for (auto _ : state) {
        parse_elements(a, b, &s);
        const bool ok = s.deepSpace ? SDP4_init(&s) : SGP4_init(&s);
        benchmark::DoNotOptimize(ok);
    }
    state.SetItemsProcessed(state.iterations());
}
void BM_ParseInit_NearEarth(benchmark::State& st) { parseInit(st, kNear1, kNear2); }
void BM_ParseInit_Deep(benchmark::State& st) { parseInit(st, kMolniya1, kMolniya2); }

}  // namespace

BENCHMARK(BM_SGP4_NearEarth);
BENCHMARK(BM_SDP4_DeepResonant);
BENCHMARK(BM_SDP4_DeepGps);
BENCHMARK(BM_SDP4_DeepGeo);
BENCHMARK(BM_ParseInit_NearEarth);
BENCHMARK(BM_ParseInit_Deep);
BENCHMARK(BM_ReadOnly_NearEarth);
BENCHMARK(BM_ReadOnly_DeepResonant);
BENCHMARK_MAIN();
