// Sidereal time, ΔT, obliquity, nutation and precession, with the IAU
// models of ERFA as the reference where it is installed.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "Zenora.h"

#ifdef HAVE_ERFA
#include <erfa.h>
#endif

namespace {
constexpr double kPi = 3.141592653589793;
constexpr double kArcSec = kPi / 180 / 3600;
constexpr double kJ2000 = 2451545.0;

double JdOfYear(double year) { return (year - 2000) * 365.25 + kJ2000; }

TEST(ZenoraSidereal, TextbookExamples) {
    EXPECT_DOUBLE_EQ(GreenwhichHourAngle(kJ2000), 4.8949612127358);
    EXPECT_NEAR(fmod2pi(GreenwhichHourAngle(kJ2000 + 0.5) - GreenwhichHourAngle(kJ2000)), 3.15019404949248, 1e-12);
    // 1987 April 10, 0h UT: 13h 10m 46.3668s; at 19h 21m UT: 128.7378734°.
    const double sec = 2 * kPi / 86400;
    EXPECT_NEAR(GreenwhichHourAngle(2446895.5), (13 * 3600 + 10 * 60 + 46.3668) * sec, 0.0005 * sec);
    EXPECT_NEAR(GreenwhichHourAngle(2446896.30625), 128.7378734 * kPi / 180, 0.0005 * sec);
    for (double jd : {2415020.5, 2433282.25, 2488070.75}) {
        const double g = GreenwhichHourAngle(jd);
        EXPECT_GE(g, 0);
        EXPECT_LE(g, 2 * kPi);
    }
}

TEST(ZenoraDeltaT, TableInterpolationAndEnds) {
    EXPECT_NEAR(Delta_t(JdOfYear(1620.0)), 124.00, 1e-9);
    EXPECT_NEAR(Delta_t(JdOfYear(2000.0)), 63.83, 1e-9);
    EXPECT_NEAR(Delta_t(JdOfYear(2001.0)), 64.065, 1e-9);
    EXPECT_NEAR(Delta_t(JdOfYear(2006.0)), 64.85, 1e-9);
    EXPECT_NEAR(Delta_t(JdOfYear(2010.0)), 65.462, 1e-9);
    EXPECT_NEAR(Delta_t(JdOfYear(1901.0)), -1.35, 1e-9);
    // Branch edges: the polynomials hand over at 948 and 1620.
    const double t9479 = (947.9 - 2000) / 100, t948 = (948.0 - 2000) / 100, t1619 = (1619.99 - 2000) / 100;
    EXPECT_NEAR(Delta_t(JdOfYear(947.9)), 2715.6 + 573.36 * t9479 + 46.5 * t9479 * t9479, 1e-6);
    EXPECT_NEAR(Delta_t(JdOfYear(948.0)), 50.6 + 67.5 * t948 + 22.5 * t948 * t948, 1e-6);
    EXPECT_NEAR(Delta_t(JdOfYear(1619.99)), 50.6 + 67.5 * t1619 + 22.5 * t1619 * t1619, 1e-6);
    // Past the table: the last interval extended plus the parabola.
    const double f = (3000.0 - 1620) / 2 - 192;
    EXPECT_NEAR(Delta_t(JdOfYear(3000)), (6457 + 28 * f) / 100 + 32.5 * ((f - 1) / 50) * ((f - 1) / 50), 1e-6);
}

TEST(ZenoraObliquity, Models) {
    const double eps0 = 0.409092804222135;
    EXPECT_EQ(Mean_obliquity(1, kJ2000), eps0);
    EXPECT_NEAR(Mean_obliquity(2, kJ2000), 84381.448 * kArcSec, 1e-15);
    EXPECT_EQ(Mean_obliquity(0, 2440000.5), eps0);
    EXPECT_EQ(Mean_obliquity(7, 2440000.5), eps0);
    EXPECT_NEAR(Mean_obliquity(1, kJ2000 + 1000), eps0 - 6.981317e-6, 1e-15);
    // One century later: 23°26'21.448" - 46.815" to first order.
    EXPECT_NEAR(Mean_obliquity(2, kJ2000 + 36525), (84381.448 - 46.8150 - 0.00059 + 0.001813) * kArcSec,
                0.01 * kArcSec);
}

TEST(ZenoraNutation, TextbookExample) {
    // 1987 April 10, 0h TT.
    double dEps = 0, dPsi = 0;
    Nutation_Obliq_Long(&dEps, &dPsi, 2446895.5);
    EXPECT_NEAR(dPsi, -3.788, 0.0005);
    EXPECT_NEAR(dEps, 9.443, 0.0005);
}

void ExpectSameVector(const TVector& a, const TVector& b, double tol) {
    EXPECT_NEAR(a.x, b.x, tol);
    EXPECT_NEAR(a.y, b.y, tol);
    EXPECT_NEAR(a.z, b.z, tol);
    EXPECT_NEAR(a.r, b.r, tol);
}

TEST(ZenoraPrecession, IdentityAtJ2000AndRoundTripsForBothMethods) {
    const TVector v{0.3, -0.8, 0.52, std::sqrt(0.09 + 0.64 + 0.52 * 0.52)};
    TVector c{}, back{};
    Precession(&v, 1, &c, kJ2000);
    EXPECT_EQ(c.x, v.x);
    EXPECT_EQ(c.r, v.r);
    for (double years : {-3000.0, -150.0, 50.0, 199.0, 201.0, 1500.0, 8000.0}) {
        const double jd = kJ2000 + years * 365.25;
        Precession(&v, 1, &c, jd);
        Precession(&c, 0, &back, jd);
        ExpectSameVector(back, v, 1e-13);
        EXPECT_NEAR(c.r, v.r, 1e-14);
    }
    // Both methods turn the equinox by about 50.3" a year near the switch.
    const TVector x{1, 0, 0, 1};
    Precession(&x, 1, &c, kJ2000 + 199.99 * 365.25);
    const double rigorous = std::atan2(c.y, c.x);
    Precession(&x, 1, &c, kJ2000 + 200.01 * 365.25);
    const double longPeriod = std::atan2(c.y, c.x);
    EXPECT_NEAR(rigorous, longPeriod, 60 * kArcSec);
}

TEST(ZenoraPrecession, FastRaDecIsTheFirstOrderRate) {
    TRaDec p{0, 0, 1};
    J2000_to_epoch(&p, kJ2000 + 36525);  // one century at RA 0, Dec 0
    EXPECT_NEAR(p.ra, 100 * (3.07496 + 0.00186 / 2) * 15 * kArcSec, 1e-12);
    EXPECT_NEAR(p.dec, 100 * (1.33621 - 0.00057 / 2) * 15 * kArcSec, 1e-12);
    TRaDec q{1.0, 0.4, 1};
    J2000_to_epoch(&q, kJ2000 - 36525 * 0.5);
    Epoch_to_J2000(&q, kJ2000 - 36525 * 0.5);
    // Both directions use the position in the record, so the trip is only
    // good to second order.
    EXPECT_NEAR(q.ra, 1.0, 1e-4);
    EXPECT_NEAR(q.dec, 0.4, 1e-4);
}

#ifdef HAVE_ERFA
// Largest differences against the IAU 1982 sidereal time, 1980 nutation and
// 1976 precession over 1900-2100, printed for the record.
TEST(ZenoraIauReference, SiderealNutationPrecession) {
    double maxGmst = 0, maxPsi = 0, maxEps = 0, maxPrec = 0;
    for (double jd = JdOfYear(1900); jd <= JdOfYear(2100); jd += 7.31) {
        double g = GreenwhichHourAngle(jd) - eraGmst82(jd, 0);
        g = std::remainder(g, 2 * kPi);
        maxGmst = std::max(maxGmst, std::fabs(g) / (2 * kPi) * 86400);

        double dEps, dPsi, rPsi, rEps;
        Nutation_Obliq_Long(&dEps, &dPsi, jd);
        eraNut80(jd, 0, &rPsi, &rEps);
        maxPsi = std::max(maxPsi, std::fabs(dPsi - rPsi / kArcSec));
        maxEps = std::max(maxEps, std::fabs(dEps - rEps / kArcSec));

        double m[3][3];
        eraPmat76(jd, 0, m);
        for (int axis = 0; axis < 3; ++axis) {
            TVector v{axis == 0 ? 1.0 : 0.0, axis == 1 ? 1.0 : 0.0, axis == 2 ? 1.0 : 0.0, 1}, c{};
            Precession(&v, 1, &c, jd);
            const double dx = c.x - m[0][axis], dy = c.y - m[1][axis], dz = c.z - m[2][axis];
            maxPrec = std::max(maxPrec, std::sqrt(dx * dx + dy * dy + dz * dz) / kArcSec);
        }
    }
    std::printf("max |GMST - IAU 1982| = %.3g s, nutation dPsi %.3g\" dEps %.3g\", precession %.3g\"\n", maxGmst,
                maxPsi, maxEps, maxPrec);
    EXPECT_LT(maxGmst, 0.001);
    // The 63-term table leaves out the IAU series' 43 smallest terms.
    EXPECT_LT(maxPsi, 0.003);
    EXPECT_LT(maxEps, 0.002);
    EXPECT_LT(maxPrec, 0.01);
}
#else
TEST(ZenoraIauReference, NeedsItsReferenceLibrary) {
    FAIL() << "ERFA (liberfa-dev) is needed for this reference (scripts/install-deps installs it)";
}
#endif
}  // namespace
