// The bounds the searches skip evaluations by, against the propagated
// elevation itself: where a bound says the elevation stays below (or above)
// a level for so long, a one-second scan of that stretch must agree.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

#include "../common/ElementSets.h"
#include "PredictTestUtil.h"
#include "uReach.h"

namespace {
struct TSample {
    double el = 0.0, rate = 0.0, range = 0.0;
    TSatState state{};
    TFrame frame{};
};

bool SampleAt(const TSatRec& sat, const TSite& site, double t, TSample& s) {
    s.state = TSatState{};
    const TFrame at = ObserverFrame(site, t);
    if (!PropagateSatellite(sat, s.state, at, kFillPosition)) return false;
    s.frame = at;
    s.el = ElevationOf(s.state.pos, at);
    s.rate = ElevationRate(s.state, at);
    const TVector& v = at.pos;
    s.range = std::hypot(s.state.pos.x - v.x, s.state.pos.y - v.y, s.state.pos.z - v.z);
    return true;
}


// Orbits of several kinds from the equator, 60 degrees and near the pole.
std::vector<TSatRec> ReachOrbits() {
    const elsets::TOrbit orbits[] = {
        {51.6, 30.0, 0.0004, 30.0, 0.0, 15.54},
        {98.7, 100.0, 0.0012, 90.0, 0.0, 14.3},
        {150.0, 60.0, 0.01, 10.0, 0.0, 13.5},
        {63.0, 300.0, 0.12, 270.0, 0.0, 11.5},
        {65.0, 45.0, 0.003, 0.0, 0.0, 16.3, " 99000-2"},  // decaying
        {63.4, 120.0, 0.72, 270.0, 0.0, 2.006},           // Molniya
        {55.0, 200.0, 0.005, 40.0, 0.0, 2.0056},          // navigation
        {27.0, 10.0, 0.73, 180.0, 0.0, 2.25},             // transfer
    };
    std::string text;
    int number = 91001;
    for (const elsets::TOrbit& orbit : orbits) text += elsets::MadeUpSet("REACH", number++, 21.0, orbit);
    std::vector<TElementEntry> entries;
    ReadElementText(entries, text);
    return elsets::SelectedRecords(entries);
}

// Every `every` seconds of a day, each bound's claim from that state is
// scanned in `scan`-second steps; returns the claims checked and their mean.
template <typename Claim>
std::pair<int, double> CheckClaims(double every, double scan, Claim claim) {
    std::vector<TSatRec> sats = ReachOrbits();
    EXPECT_EQ(sats.size(), 8u);
    const double start = EncodeDayNumber(2018, 1, 21, 0, 0, 0);
    double claimed = 0.0;
    int checked = 0;
    for (double lat : {0.0, 60.0, -89.0}) {
        const TSite o = TestObserver(lat, 20.0, 0.3);
        for (TSatRec& sat : sats) {
            for (double k = 0.0; k < 86400.0; k += every) {
                TSample now;
                if (!SampleAt(sat, o, start + k / 86400.0, now)) continue;
                for (double sign : {1.0, -1.0})
                    for (double gap : {0.002, 0.03, 0.3}) {
                        const double ceiling = sign * now.el + gap;
                        const double quiet = claim(sat, now, sign, ceiling);
                        if (!(quiet >= scan)) continue;
                        claimed += quiet;
                        ++checked;
                        for (double j = scan; j <= quiet; j += scan) {
                            TSample later;
                            if (!SampleAt(sat, o, start + (k + j) / 86400.0, later)) {
                                ADD_FAILURE() << "a propagation failed inside a stretch claimed quiet";
                                break;
                            }
                            EXPECT_LT(sign * later.el, ceiling)
                                << "satellite " << sat.catNo.str() << " latitude " << lat << " at " << k
                                << " s + " << j << " s, claimed " << quiet << " s";
                            if (!(sign * later.el < ceiling)) return {checked, claimed / checked};
                        }
                    }
            }
        }
    }
    return {checked, checked ? claimed / checked : 0.0};
}
}  // namespace

TEST(Reach, RateBoundHoldsOverEveryStretchItClaims) {
    const auto [checked, mean] = CheckClaims(293.0, 1.0, [](const TSatRec& sat,
                                                             const TSample& now, double sign, double ceiling) {
        if (sat.deepSpace) return 0.0;  // the searches ask near-earth sets only
        return SecondsBelowByRate(ReachOf(now.state.pos, now.state.vel), sign * now.el, sign * now.rate,
                                  now.el, now.range, now.frame, ceiling);
    });
    // The bound is not idle: it claims stretches, some of them long.
    EXPECT_GT(checked, 500);
    EXPECT_GT(mean, 20.0);
}

TEST(Reach, PathBoundHoldsAndClaimsMoreThanTheRateBound) {
    // Near a threshold (the last approach before a rise or a set) the path
    // claims more than the elevation rate does.
    double rateNear = 0.0, pathNear = 0.0;
    int nearMisses = 0, longClaims = 0;
    const auto [checked, mean] = CheckClaims(293.0, 1.0, [&](const TSatRec&,
                                                             const TSample& now, double sign, double ceiling) {
        const TReach reach = ReachOf(now.state.pos, now.state.vel);
        const double path = SecondsBelowByPath(reach, now.state, now.frame, sign, ceiling);
        nearMisses += sign > 0.0 && path > kLongestRateClaim;
        longClaims += path > kLongestPathClaim;
        if (ceiling - sign * now.el < 0.01 && std::abs(now.el) < 0.2) {
            pathNear += path;
            rateNear += SecondsBelowByRate(reach, sign * now.el, sign * now.rate, now.el, now.range, now.frame, ceiling);
        }
        return path;
    });
    EXPECT_GT(checked, 500);
    EXPECT_GT(mean, 20.0);
    EXPECT_GT(pathNear, 2.0 * rateNear);
    // Rising, gravity's pull away from the zenith lets whole near misses be
    // claimed, beyond the rate bound's longest stretch.
    EXPECT_GT(nearMisses, 50);
    // High orbits bend slowly: their claims run past the near-earth stretches.
    EXPECT_GT(longClaims, 1000);
    std::printf("claims beyond %.0f s: %d\n", kLongestPathClaim, longClaims);
    std::printf("near a threshold: path %.0f s, rate %.0f s\n", pathNear, rateNear);
}

TEST(Reach, PathBoundRefusesWhatItCannotBound) {
    std::vector<TSatRec> sats = ReachOrbits();
    const TSite o = TestObserver(60.0, 20.0, 0.3);
    TSample now;
    ASSERT_TRUE(SampleAt(sats[0], o, EncodeDayNumber(2018, 1, 21, 0, 0, 0), now));
    const TReach reach = ReachOf(now.state.pos, now.state.vel);
    // Already at or past the ceiling, a ceiling at the zenith, a bad sign, a broken state.
    EXPECT_EQ(SecondsBelowByPath(reach, now.state, now.frame, 1.0, now.el), 0.0);
    EXPECT_EQ(SecondsBelowByPath(reach, now.state, now.frame, -1.0, -now.el - 0.01), 0.0);
    EXPECT_EQ(SecondsBelowByPath(reach, now.state, now.frame, 1.0, kHalfPi + 0.1), 0.0);
    EXPECT_EQ(SecondsBelowByPath(reach, now.state, now.frame, 0.0, now.el + 0.1), 0.0);
    TSatState broken = now.state;
    broken.vel.x = std::nan("");
    EXPECT_EQ(SecondsBelowByPath(ReachOf(broken.pos, broken.vel), broken, now.frame, 1.0, now.el + 0.1), 0.0);
    EXPECT_GT(SecondsBelowByPath(reach, now.state, now.frame, 1.0, now.el + 0.1), 0.0);
}

TEST(Reach, OrbitPlaneBoundHoldsOverEveryStretchItClaims) {
    const auto [checked, mean] = CheckClaims(617.0, 2.0, [](const TSatRec&,
                                                             const TSample& now, double sign, double ceiling) {
        if (sign < 0.0) return 0.0;  // a bound on rising only
        const TReach reach = ReachOf(now.state.pos, now.state.vel);
        return SecondsOffPlane(reach, PlaneAngle(reach, now.frame.pos), now.frame, ceiling);
    });
    EXPECT_GT(checked, 100);
    EXPECT_GT(mean, 600.0);
}

TEST(Reach, CentralAngleBoundsHoldAndStayWithinTheirMost) {
    // The search leaves out a bound whose most cannot beat a claim in hand:
    // that most must never be below what the bound claims.
    const auto [checked, mean] = CheckClaims(617.0, 2.0, [](const TSatRec&,
                                                             const TSample& now, double sign, double ceiling) {
        const TReach reach = ReachOf(now.state.pos, now.state.vel);
        const double gamma = CentralAngle(now.state.pos, now.frame.pos);
        if (sign < 0.0) return SecondsAbove(reach, gamma, now.frame, -ceiling);
        const double below = SecondsBelow(reach, gamma, now.frame, ceiling);
        EXPECT_GE(MostBelow(reach, gamma, ceiling), below);
        const double planeAngle = PlaneAngle(reach, now.frame.pos);
        EXPECT_GE(MostOffPlane(reach, planeAngle, ceiling), SecondsOffPlane(reach, planeAngle, now.frame, ceiling));
        return below;
    });
    EXPECT_GT(checked, 100);
    EXPECT_GT(mean, 200.0);
}

TEST(Reach, OrbitArcBoundHoldsOverEveryStretchItClaims) {
    const auto [checked, mean] = CheckClaims(617.0, 2.0, [](const TSatRec&,
                                                             const TSample& now, double sign, double ceiling) {
        if (sign < 0.0) return 0.0;  // a bound on rising only
        return SecondsOffArc(ReachOf(now.state.pos, now.state.vel), now.state.pos, now.frame, ceiling);
    });
    EXPECT_GT(checked, 100);
    EXPECT_GT(mean, 600.0);
}

TEST(Reach, VisibleArcBoundHoldsOverEveryStretchItClaims) {
    const auto [checked, mean] = CheckClaims(131.0, 1.0, [](const TSatRec&,
                                                             const TSample& now, double sign, double ceiling) {
        if (sign > 0.0) return 0.0;  // a bound on setting only
        return SecondsOnArc(ReachOf(now.state.pos, now.state.vel), now.state.pos, now.frame, -ceiling);
    });
    EXPECT_GT(checked, 50);
    EXPECT_GT(mean, 60.0);
}

TEST(Reach, ShadowBoundHoldsOverEveryStretchItClaims) {
    // The pass search holds the Sun where it stood at AOS; so does this scan.
    std::vector<TSatRec> sats = ReachOrbits();
    const TSite o = TestObserver(0.0, 20.0, 0.3);
    const double start = EncodeDayNumber(2018, 1, 21, 0, 0, 0);
    TVector sun{};
    PlanetVector(kBodySun, sun, start);
    int checked = 0, eccentric = 0;
    double claimed = 0.0, blind = 0.0;
    int rated = 0;  // claims the margin's rate lengthens
    for (TSatRec& sat : sats) {
        for (double k = 0.0; k < 86400.0; k += 311.0) {
            TSample now;
            if (!SampleAt(sat, o, start + k / 86400.0, now)) continue;
            const bool lit = SunLite(&now.state.pos, &sun);
            const TReach reach = ReachOf(now.state.pos, now.state.vel);
            const double margin = std::abs(SunlitMargin(now.state.pos, sun));
            // With the Sun's angle from the orbit plane the claim is longer.
            double quiet = SecondsSameShadow(reach, margin, PlaneAngle(reach, sun));
            const double plain = SecondsSameShadow(reach, margin);
            EXPECT_GE(quiet, plain);
            const double byRate = SecondsSameShadowByRate(reach, now.state.pos, now.state.vel, sun);
            rated += byRate > quiet;
            quiet = std::max(quiet, byRate);
            if (!(quiet >= 1.0)) continue;
            blind += plain;
            ++checked;
            eccentric += sat.deepSpace;
            claimed += quiet;
            for (double j = 1.0; j <= quiet; j += 1.0) {
                TSample later;
                ASSERT_TRUE(SampleAt(sat, o, start + (k + j) / 86400.0, later));
                ASSERT_EQ(SunLite(&later.state.pos, &sun), lit)
                    << "satellite " << sat.catNo.str() << " at " << k << " s + " << j << " s, claimed " << quiet;
            }
        }
    }
    EXPECT_GT(checked, 500);
    EXPECT_GT(eccentric, 50);  // the long passes of an eccentric orbit are claimed too
    EXPECT_GT(claimed / checked, 300.0);
    EXPECT_GT(claimed, 1.03 * blind);
    EXPECT_GT(rated, 100);
    std::printf("shadow claims %d (%d eccentric, %d by the rate), mean %.0f s, %.0f s without the Sun's angle\n",
                checked, eccentric, rated, claimed / checked, blind / checked);
}
