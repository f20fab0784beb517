// The Sun's place interpolated between hourly nodes against the full theory,
// across a period, at its ends and beyond them.
#include <gtest/gtest.h>

#include <cmath>

#include "PredictTestUtil.h"
#include "uSunPath.h"
#include "uTracking.h"

namespace {
double Apart(const TVector& a, const TVector& b) { return std::hypot(a.x - b.x, a.y - b.y, a.z - b.z); }
}  // namespace

TEST(SunPath, WithinMetresOfTheFullTheoryAndInFullOutsideItsPeriod) {
    const double from = EncodeDayNumber(2018, 1, 21, 0, 0, 0), to = from + 15.0;
    const TSunPath path(from, to);
    double worst = 0.0;
    // Odd steps land everywhere between nodes, on them and at the very ends.
    for (double t = from; t <= to; t += 0.0137) {
        TVector full{};
        PlanetVector(kBodySun, full, t);
        const TVector v = path.At(t);
        worst = std::max(worst, Apart(v, full));
        EXPECT_NEAR(v.r, full.r, 0.005);
    }
    for (double t : {from, to}) {
        TVector full{};
        PlanetVector(kBodySun, full, t);
        worst = std::max(worst, Apart(path.At(t), full));
    }
    // The theory's own time argument (a Julian date) is only good to some
    // 40 microseconds, in which the Earth moves a metre or two.
    EXPECT_LT(worst, 0.005);  // km
    // Far outside the nodes, and with no nodes at all, the full theory itself.
    for (double t : {from - 3.0, to + 40.0}) {
        TVector full{};
        PlanetVector(kBodySun, full, t);
        const TVector v = path.At(t), none = TSunPath().At(t);
        EXPECT_EQ(v.x, full.x);
        EXPECT_EQ(v.y, full.y);
        EXPECT_EQ(none.z, full.z);
    }
    // A period that cannot be had (reversed, not a number) has no nodes.
    EXPECT_EQ(TSunPath(to, from).At(from).x, TSunPath().At(from).x);
    EXPECT_EQ(TSunPath(std::nan(""), to).At(to).y, TSunPath().At(to).y);
}
