// The private storage comes back from files: damage must fail, never crash.
#include <gtest/gtest.h>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include "Satellite.h"
#include "TestLines.h"

namespace {
using namespace tl;

TSatRec make(const std::string& a, const std::string& b) {
    TSatRec s{};
    EXPECT_TRUE(parse_elements(a.c_str(), b.c_str(), &s));
    EXPECT_TRUE(s.deepSpace ? SDP4_init(&s) : SGP4_init(&s));
    return s;
}
bool prop(TSatRec& s, double t, TVector* r, TVector* v) { return s.deepSpace ? SDP4(&s, r, v, t) : SGP4(&s, r, v, t); }

TEST(Robustness, OnlyAnInitialisedBlockOfTheRightModelPropagates) {
    TVector r, v;
    TSatRec s{};
    ASSERT_TRUE(parse_elements(kNear1.c_str(), kNear2.c_str(), &s));
    EXPECT_FALSE(SGP4(&s, &r, &v, 0.0));  // parsed, not initialised
    ASSERT_TRUE(SGP4_init(&s));
    EXPECT_TRUE(SGP4(&s, &r, &v, 0.0));
    EXPECT_FALSE(SDP4(&s, &r, &v, 0.0));  // built for the other model
    TSatRec d = make(kDeep1, kDeep2);
    EXPECT_FALSE(SGP4(&d, &r, &v, 0.0));
    // Either model may be built for any orbit; each then answers to its own call.
    ASSERT_TRUE(SDP4_init(&s));
    EXPECT_TRUE(SDP4(&s, &r, &v, 60.0));
    EXPECT_FALSE(SGP4(&s, &r, &v, 60.0));
    EXPECT_FALSE(SGP4(nullptr, &r, &v, 0.0));
    EXPECT_FALSE(SGP4(&s, nullptr, &v, 0.0));
    EXPECT_FALSE(SGP4_init(nullptr));
}

TEST(Robustness, DamagedPrivateStorageFails) {
    TVector r, v;
    for (const auto& [a, b] : {std::pair{kNear1, kNear2}, std::pair{kDeep1, kDeep2}}) {
        const TSatRec good = make(a, b);
        // Every single-byte change in the model constants is noticed.
        for (std::size_t off = 129; off < 1072; off += 7) {
            TSatRec s = good;
            s.work[off - 129] ^= 0x10;
            TVector r0, v0;
            TSatRec ref = good;
            const bool ok = prop(s, 100.0, &r, &v);
            ASSERT_TRUE(prop(ref, 100.0, &r0, &v0));
            // Unused bytes and the self-healing integrator cache may change freely,
            // but then the answer must be the untouched one.
            if (ok) {
                EXPECT_EQ(r.x, r0.x) << "offset " << off;
                EXPECT_EQ(v.z, v0.z) << "offset " << off;
            }
        }
        std::mt19937 rng(7);
        for (int i = 0; i < 200; ++i) {
            TSatRec s = good;
            for (auto& byte : s.work) byte = static_cast<uint8_t>(rng());
            EXPECT_FALSE(prop(s, 10.0, &r, &v));
        }
        TSatRec z = good;
        std::memset(z.work, 0, sizeof z.work);
        EXPECT_FALSE(prop(z, 0.0, &r, &v));
        // A byte-for-byte copy (a record read back from a file) works as it was.
        TSatRec copy;
        std::memcpy(&copy, &good, sizeof copy);
        TSatRec orig = good;
        TVector r1, v1, r2, v2;
        ASSERT_TRUE(prop(copy, 500.0, &r1, &v1));
        ASSERT_TRUE(prop(orig, 500.0, &r2, &v2));
        EXPECT_EQ(r1.x, r2.x);
        EXPECT_EQ(v1.y, v2.y);
    }
}

TEST(Robustness, BadTimesAndBadElements) {
    TVector r, v;
    TSatRec s = make(kDeep1, kDeep2);
    EXPECT_FALSE(SDP4(&s, &r, &v, std::numeric_limits<double>::quiet_NaN()));
    EXPECT_FALSE(SDP4(&s, &r, &v, std::numeric_limits<double>::infinity()));
    EXPECT_FALSE(SDP4(&s, &r, &v, 2.0e8));  // would integrate for ever
    EXPECT_TRUE(SDP4(&s, &r, &v, 1440.0));

    // Public fields changed after parsing: the initialisation refuses them.
    TSatRec p{};
    ASSERT_TRUE(parse_elements(kNear1.c_str(), kNear2.c_str(), &p));
    TSatRec q = p;
    q.ecc = 1.5;
    EXPECT_FALSE(SGP4_init(&q));
    q = p;
    q.inclination = std::numeric_limits<double>::quiet_NaN();
    EXPECT_FALSE(SGP4_init(&q));
    EXPECT_FALSE(SGP4(&q, &r, &v, 0.0));
}

TEST(Robustness, ResonanceCacheDoesNotChangeResults) {
    // The integrator position and rates are reused between calls; any order of
    // times must give the same answer as a fresh record, for the half-day
    // (Molniya) and the one-day (geostationary) resonance alike.
    const std::string geo1 = "1 28626U 05008A   06176.46683397 -.00000205  00000-0  10000-3 0  2190";
    const std::string geo2 = "2 28626   0.0019 286.9433 0000335  13.7918  55.6504  1.00270176  4891";
    const double times[] = {10000.0, -3000.0, 2880.0, 50000.0, 720.0, 49000.0, -20000.0, 725.5, 719.0, 0.0};
    for (const auto& [l1, l2] : {std::pair{kDeep1, kDeep2}, std::pair{geo1, geo2}}) {
        TSatRec walker = make(l1, l2);
        for (double t : times) {
            TSatRec fresh = make(l1, l2);
            TVector r1, v1, r2, v2;
            ASSERT_TRUE(SDP4(&walker, &r1, &v1, t));
            ASSERT_TRUE(SDP4(&fresh, &r2, &v2, t));
            EXPECT_EQ(r1.x, r2.x) << l1 << " at " << t;
            EXPECT_EQ(r1.y, r2.y) << l1 << " at " << t;
            EXPECT_EQ(r1.z, r2.z) << l1 << " at " << t;
            EXPECT_EQ(v1.x, v2.x) << l1 << " at " << t;
            EXPECT_EQ(v1.z, v2.z) << l1 << " at " << t;
        }
    }
}

TEST(Robustness, DecayedSatelliteFailsInsteadOfGoingUnderground) {
    // The public verification set's sub-orbital rocket body: lost within the hour.
    const std::string a = "1 28872U 05037B   05333.02012661  .25992681  00000-0  24476-3 0  1534";
    const std::string b = "2 28872  96.4736 157.9986 0303955 244.0492 110.6523 16.46015938 10708";
    TSatRec s = make(a, b);
    TVector r, v;
    EXPECT_TRUE(SGP4(&s, &r, &v, 50.0));
    EXPECT_GT(r.r, 6378.135);
    EXPECT_FALSE(SGP4(&s, &r, &v, 60.0));
}

}  // namespace
