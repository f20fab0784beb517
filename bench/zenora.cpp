// Cost of the library calls made on every clock tick: planet positions,
// horizontal coordinates, sidereal time and nutation.
#include <benchmark/benchmark.h>

#include <cstdint>

#include "Zenora.h"

namespace {
constexpr double kJd = 2460000.5;

void BM_Calc_Planet(benchmark::State& state) {
    const auto body = static_cast<uint8_t>(state.range(0));
    double jd = kJd;
    TVector v{};
    for (auto _ : state) {
        Calc_Planet(body, &v, true, jd, 69.0 / 86400, false);
        benchmark::DoNotOptimize(v);
        jd += 0.001;
    }
}
BENCHMARK(BM_Calc_Planet)->ArgName("body")->Arg(0)->Arg(1)->Arg(2)->Arg(3)->Arg(4)->Arg(5)->Arg(6)->Arg(7)->Arg(8)
    ->Arg(9)->Arg(31);

void BM_Ra_dec_to_alt_az(benchmark::State& state) {
    const TLatLon site{0.933, -1.18, 1.0};
    TRaDec p{1.0, 0.3, 1.0};
    TAltAz h{};
    double gst = 0.5;
    for (auto _ : state) {
        Ra_dec_to_alt_az(&site, &p, &h, gst);
        benchmark::DoNotOptimize(h);
        gst += 1e-4;
    }
}
BENCHMARK(BM_Ra_dec_to_alt_az);

void BM_GreenwhichHourAngle(benchmark::State& state) {
    double jd = kJd;
    for (auto _ : state) {
        benchmark::DoNotOptimize(GreenwhichHourAngle(jd));
        jd += 0.001;
    }
}
BENCHMARK(BM_GreenwhichHourAngle);

void BM_Nutation_Obliq_Long(benchmark::State& state) {
    double jd = kJd, dEps = 0, dPsi = 0;
    for (auto _ : state) {
        Nutation_Obliq_Long(&dEps, &dPsi, jd);
        benchmark::DoNotOptimize(dEps);
        benchmark::DoNotOptimize(dPsi);
        jd += 0.001;
    }
}
BENCHMARK(BM_Nutation_Obliq_Long);
}  // namespace

BENCHMARK_MAIN();
