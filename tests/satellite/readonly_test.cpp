// Propagation that only reads the record: the same numbers as the record
// calls, any order of times, any number of threads on one record.
#include <gtest/gtest.h>
#include <algorithm>
#include <cstring>
#include <limits>
#include <random>
#include <thread>
#include <vector>
#include "Satellite.h"
#include "TestLines.h"

namespace {
using namespace tl;

const std::string kGeo1 = "1 28626U 05008A   06176.46683397 -.00000205  00000-0  10000-3 0  2190";
const std::string kGeo2 = "2 28626   0.0019 286.9433 0000335  13.7918  55.6504  1.00270176  4891";

TSatRec make(const std::string& a, const std::string& b) {
    TSatRec s{};
    EXPECT_TRUE(parse_elements(a.c_str(), b.c_str(), &s));
    EXPECT_TRUE(s.deepSpace ? SDP4_init(&s) : SGP4_init(&s));
    return s;
}

std::vector<double> shuffledTimes(unsigned seed) {
    std::vector<double> times;
    for (double t = -30000.0; t <= 60000.0; t += 1234.5) times.push_back(t);
    times.insert(times.end(), {0.0, 719.0, 720.0, 725.5, 1440.0});
    std::mt19937 rng(seed);
    std::shuffle(times.begin(), times.end(), rng);
    return times;
}

// What the record call gives for a fresh copy at t.
void reference(const TSatRec& sat, double t, TVector& r, TVector& v) {
    TSatRec fresh = sat;
    ASSERT_TRUE(sat.deepSpace ? SDP4(&fresh, &r, &v, t) : SGP4(&fresh, &r, &v, t));
}

TEST(ReadOnly, SameAsTheRecordCallsInAnyOrderAndTheRecordStaysAsItWas) {
    for (const auto& [a, b] : {std::pair{kNear1, kNear2}, std::pair{kDeep1, kDeep2}, std::pair{kGeo1, kGeo2}}) {
        const TSatRec sat = make(a, b);
        TSatRec before;
        std::memcpy(&before, &sat, sizeof before);
        for (double t : shuffledTimes(3)) {
            TVector r1, v1, r2, v2;
            ASSERT_EQ(sat_propagate(&sat, sat.deepSpace, t, &r1, &v1), kSatOk) << a << " at " << t;
            reference(sat, t, r2, v2);
            EXPECT_EQ(r1.x, r2.x) << a << " at " << t;
            EXPECT_EQ(r1.y, r2.y) << a << " at " << t;
            EXPECT_EQ(r1.z, r2.z) << a << " at " << t;
            EXPECT_EQ(v1.x, v2.x) << a << " at " << t;
            EXPECT_EQ(v1.z, v2.z) << a << " at " << t;
        }
        EXPECT_EQ(std::memcmp(&before, &sat, sizeof sat), 0);
    }
}

TEST(ReadOnly, FailuresAreToldApart) {
    TVector r, v;
    TSatRec parsed{};
    ASSERT_TRUE(parse_elements(kNear1.c_str(), kNear2.c_str(), &parsed));
    EXPECT_EQ(sat_propagate(&parsed, 0, 0.0, &r, &v), kSatNotInitialised);
    const TSatRec near = make(kNear1, kNear2);
    EXPECT_EQ(sat_propagate(&near, 1, 0.0, &r, &v), kSatNotInitialised);  // built for the other model
    EXPECT_EQ(sat_propagate(nullptr, 0, 0.0, &r, &v), kSatNotInitialised);
    EXPECT_EQ(sat_propagate(&near, 0, 0.0, nullptr, &v), kSatNotInitialised);
    TSatRec damaged = near;
    damaged.work[40] ^= 0x01;
    EXPECT_EQ(sat_propagate(&damaged, 0, 0.0, &r, &v), kSatNotInitialised);
    EXPECT_EQ(sat_propagate(&near, 0, std::numeric_limits<double>::quiet_NaN(), &r, &v), kSatTimeOutOfRange);
    EXPECT_EQ(sat_propagate(&near, 0, -2.0e8, &r, &v), kSatTimeOutOfRange);

    // A sub-orbital rocket body: fine at 50 minutes, then the drag terms
    // take the model out of its range.
    const TSatRec falling = make("1 28872U 05037B   05333.02012661  .25992681  00000-0  24476-3 0  1534",
                                 "2 28872  96.4736 157.9986 0303955 244.0492 110.6523 16.46015938 10708");
    EXPECT_EQ(sat_propagate(&falling, 0, 50.0, &r, &v), kSatOk);
    const int32_t later = sat_propagate(&falling, 0, 60.0, &r, &v);
    EXPECT_TRUE(later == kSatBelowSurface || later == kSatEccentricity || later == kSatMeanMotion) << later;
    EXPECT_EQ(sat_propagate(&falling, 0, 1.0e5, &r, &v), kSatEccentricity);
}

TEST(ReadOnly, ThreadsShareOneDeepSpaceRecord) {
    const TSatRec sats[] = {make(kDeep1, kDeep2), make(kGeo1, kGeo2)};
    std::vector<std::vector<double>> got(4);
    std::vector<std::thread> threads;
    for (unsigned k = 0; k < got.size(); ++k)
        threads.emplace_back([&, k] {
            for (int round = 0; round < 3; ++round)
                for (double t : shuffledTimes(k)) {
                    // Two records in turn, so each thread's integrator
                    // positions are taken up and given back.
                    const unsigned which = (round + k) % 2;
                    TVector r{}, v{};
                    const int32_t status = sat_propagate(&sats[which], 1, t, &r, &v);
                    got[k].insert(got[k].end(), {static_cast<double>(status), t, double(which), r.x, r.z, v.x});
                }
        });
    for (std::thread& t : threads) t.join();
    for (unsigned k = 0; k < got.size(); ++k)
        for (std::size_t i = 0; i < got[k].size(); i += 6) {
            const double t = got[k][i + 1];
            ASSERT_EQ(got[k][i], kSatOk);
            TVector r, v;
            reference(sats[static_cast<std::size_t>(got[k][i + 2])], t, r, v);
            EXPECT_EQ(got[k][i + 3], r.x) << "thread " << k << " at " << t;
            EXPECT_EQ(got[k][i + 4], r.z) << "thread " << k << " at " << t;
            EXPECT_EQ(got[k][i + 5], v.x) << "thread " << k << " at " << t;
        }
}

// The library picks a build for the processor when it loads; every build
// must give these bits (taken from the plain x86-64 one), so a compiler
// setting that fuses or reorders arithmetic in one of them shows here.
TEST(Propagator, TheSameBitsWhateverBuildThisProcessorRuns) {
    const std::pair<std::string, std::string> sets[] = {
        {kNear1, kNear2},
        {"1 28872U 05037B   05333.02012661  .25992681  00000-0  24476-3 0  1534",
         "2 28872  96.4736 157.9986 0303955 244.0492 110.6523 16.46015938 10708"},
        {kDeep1, kDeep2},
        {kGeo1, kGeo2}};
    struct Bits {
        int set;
        double t, rx, rz, vy;
    };
    const Bits expected[] = {
    {0, 0, 0x1.b6e771d6b873ap+12, 0x1.47487b5207189p-5, 0x1.99fa29d15d3bep+2},
    {0, 47.5, -0x1.3646f49ece02dp+12, 0x1.11fd959e08493p+12, -0x1.afb097570208ap+0},
    {0, 4327.25, -0x1.2f1553266cb4bp+13, -0x1.1e639dd7479a2p+9, -0x1.2e45cf22edf5cp+2},
    {0, -2000, 0x1.7e00f979387b9p+12, -0x1.90568b5e50dbbp+10, 0x1.685723b6dd464p+2},
    {1, 0, -0x1.7f3d3ca3b42a2p+12, -0x1.fb48c2af909d7p+7, 0x1.fd7ddf96dc85bp-1},
    {1, 47.5, 0x1.6e9faadd3575fp+12, -0x1.9e6cf13c7ed12p+9, -0x1.769739a6f2d01p-2},
    {2, 0, 0x1.25bca279dd82dp+11, 0x1.5b3d2c7232f61p-6, -0x1.a0df344cfedd2p+1},
    {2, 47.5, 0x1.15fe946da21b2p+13, 0x1.73cb86f69c8fap+13, -0x1.d5b6696896432p-2},
    {2, 4327.25, 0x1.3828a15ebcf57p+12, 0x1.27bcc837720a9p+12, -0x1.cf18ebc4cdff5p+0},
    {2, -2000, 0x1.0cf588f853197p+14, 0x1.d4057436c4916p+14, 0x1.2c24f203f892fp+0},
    {3, 0, 0x1.48c16fe221d16p+15, 0x1.a31420c1dffafp-1, 0x1.88cac6ceea245p+1},
    {3, 47.5, 0x1.45f32d23d9c12p+15, 0x1.f623b32f16f27p+0, 0x1.8570013595a27p+1},
    {3, 4327.25, 0x1.495723a9db289p+15, 0x1.0061fda86117ep+1, 0x1.897cb6be5bfffp+1},
    {3, -2000, -0x1.0dbdee76ed9cp+15, -0x1.2fe8c95aef0a4p+3, -0x1.42445ed8c848cp+1},
    };
    for (const Bits& e : expected) {
        const TSatRec s = make(sets[e.set].first, sets[e.set].second);
        TVector r, v;
        ASSERT_EQ(sat_propagate(&s, s.deepSpace, e.t, &r, &v), kSatOk) << e.set << " at " << e.t;
        EXPECT_EQ(r.x, e.rx) << e.set << " at " << e.t;
        EXPECT_EQ(r.z, e.rz) << e.set << " at " << e.t;
        EXPECT_EQ(v.y, e.vy) << e.set << " at " << e.t;
    }
}

// A block checked once is not hashed again while its bytes stay the same:
// bytes changed in place, at the same address, must be checked afresh.
TEST(Propagator, ABlockChangedInPlaceIsCheckedAgain) {
    for (const auto& [a, b] : {std::pair{kNear1, kNear2}, std::pair{kDeep1, kDeep2}}) {
        TSatRec s = make(a, b);
        const TSatRec good = s;
        TVector r, v;
        for (std::size_t off = 0; off < 280; off += 13) {  // within the near-earth constants
            ASSERT_EQ(sat_propagate(&s, s.deepSpace, 100.0, &r, &v), kSatOk);
            s.work[20 + off] ^= 0x04;
            EXPECT_EQ(sat_propagate(&s, s.deepSpace, 100.0, &r, &v), kSatNotInitialised) << a << " " << off;
            EXPECT_FALSE(s.deepSpace ? SDP4(&s, &r, &v, 100.0) : SGP4(&s, &r, &v, 100.0)) << a << " " << off;
            s = good;
        }
    }
}

}  // namespace
