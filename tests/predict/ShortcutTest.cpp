// The pass searches' shortcuts (satellites that cannot rise left out,
// evaluations that cannot change a walk passed over) against the plain walk:
// the same reports, satellite by satellite, for orbits of every kind and
// observers from the equator to the poles.
#include <gtest/gtest.h>

#include <cstdio>

#include "../common/ElementSets.h"
#include "PredictTestUtil.h"

namespace {
// Polar, sun-synchronous, equatorial, retrograde, eccentric, high and
// low-perigee orbits (one decaying), each at a few places on its orbit.
std::vector<TSatRec> VariedOrbits() {
    struct TKind {
        const char* name;
        elsets::TOrbit orbit;
    };
    const TKind kinds[] = {
        {"POLAR", {90.0, 10.0, 0.001, 0.0, 0.0, 14.2}},
        {"SUN SYNC", {98.7, 100.0, 0.0012, 90.0, 0.0, 14.3}},
        {"EQUATORIAL", {0.05, 0.0, 0.0005, 0.0, 0.0, 14.5}},
        {"LOW INCLINATION", {6.0, 200.0, 0.002, 0.0, 0.0, 12.0}},
        {"ISS LIKE", {51.6, 30.0, 0.0004, 30.0, 0.0, 15.54}},
        {"RETROGRADE", {150.0, 60.0, 0.01, 10.0, 0.0, 13.5}},
        {"ECCENTRIC LEO", {63.0, 300.0, 0.12, 270.0, 0.0, 11.5}},
        {"MOLNIYA", {63.4, 120.0, 0.72, 270.0, 0.0, 2.006}},
        {"TRANSFER", {27.0, 200.0, 0.73, 180.0, 0.0, 2.25}},
        {"LOW PERIGEE", {82.0, 0.0, 0.02, 90.0, 0.0, 15.9, " 20000-3"}},
        {"DECAYING", {65.0, 45.0, 0.003, 0.0, 0.0, 16.3, " 99000-2"}},
        // Dawn to dusk: the Sun stands far from the plane, the shadow is grazed.
        {"DAWN DUSK", {98.0, 32.0, 0.001, 0.0, 0.0, 14.6}},
        // Barely rising at 60 degrees: the prefilter's edge.
        {"EDGE 32", {32.0, 0.0, 0.001, 0.0, 0.0, 14.2}},
        {"EDGE 33", {33.0, 90.0, 0.001, 0.0, 0.0, 14.2}},
        {"EDGE 34", {34.0, 270.0, 0.001, 0.0, 0.0, 14.2}},
    };
    std::string text;
    int number = 90001;
    for (const TKind& k : kinds)
        for (double anomaly : {0.0, 120.0, 240.0}) {
            elsets::TOrbit o = k.orbit;
            o.anomaly = anomaly;
            o.node = std::fmod(o.node + anomaly / 2.0, 360.0);
            text += elsets::MadeUpSet(k.name, number++, 21.0, o);
        }
    std::vector<TElementEntry> entries;
    ReadElementText(entries, text);
    return elsets::SelectedRecords(entries);
}

// Each satellite's block of a report: its header and lines up to the next.
std::vector<std::string> Blocks(const TReportLines& lines) {
    std::vector<std::string> blocks(1);
    for (const std::string& l : lines) {
        if (l.rfind("  ---", 0) == 0) blocks.emplace_back();
        blocks.back() += l + "\n";
    }
    return blocks;
}
}  // namespace

TEST(Shortcuts, SameReportsAsThePlainWalkForEveryOrbitAndLatitude) {
    const std::vector<TSatRec> sats = VariedOrbits();
    ASSERT_EQ(sats.size(), 45u);
    const double start = EncodeDayNumber(2018, 1, 21, 6, 0, 0);
    std::size_t left = 0, passes = 0;
    for (double lat : {0.0, 60.0, -60.0, 89.0, -89.0}) {
        const TObserver o = TestObserver(lat, lat * 2.0 + 7.0, 0.2);
        const TReportSettings rs = TestSettings(o, 0.0);
        for (int kind = 0; kind < 3; ++kind) {
            SCOPED_TRACE("latitude " + std::to_string(lat) + ", search " + std::to_string(kind));
            // Whole passes from the horizon; sunlit parts in darkness; a table.
            TPredictionInputs in = TestInputs(start, start + (kind == 2 ? 1.0 : 3.0), kind == 1, kind != 1);
            in.minRevs = 2.0;
            in.minElevation = kind == 0 ? 0.0 : 10.0 * kDeg;
            TPredictionInputs plain = in;
            plain.shortcuts = false;
            const TPredictionResult a = kind == 2 ? RunTabularSearch(in, sats, o) : RunLineSearch(in, sats, o);
            const TPredictionResult b =
                kind == 2 ? RunTabularSearch(plain, sats, o) : RunLineSearch(plain, sats, o);
            const auto report = [&](const TPredictionResult& r, const TPredictionInputs& i) {
                return kind == 2 ? TabularReport(r, sats, i, rs) : LineReport(r, sats, i, rs);
            };
            const std::vector<std::string> fast = Blocks(report(a, in)), slow = Blocks(report(b, plain));
            ASSERT_EQ(fast.size(), slow.size());
            for (std::size_t i = 0; i < fast.size(); ++i) EXPECT_EQ(fast[i], slow[i]);
            for (const TSatRec& sat : sats) left += !MayRise(sat, in, o);
            passes += a.passes.size();
        }
    }
    EXPECT_GT(left, 0u);   // the prefilter did leave satellites out
    EXPECT_GT(passes, 100u);
    std::printf("shortcuts: %zu passes the same, %zu satellite searches left out\n", passes, left);
}
