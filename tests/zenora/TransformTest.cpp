// Coordinate and geodesy transforms, shadow and brightness.
#include <gtest/gtest.h>

#include <cmath>

#include "Zenora.h"

namespace {
constexpr double kPi = 3.141592653589793;
constexpr double kDeg = kPi / 180;

TEST(ZenoraSpherical, RoundTripsKeepDistanceAndReduceRa) {
    TRaDec p{-0.5, 0.3, 2.5}, q{};
    TVector v{};
    Ra_dec_to_vect(&p, &v);
    EXPECT_EQ(v.r, 2.5);
    Vect_to_ra_dec(&v, &q);
    EXPECT_NEAR(q.ra, 2 * kPi - 0.5, 1e-14);
    EXPECT_NEAR(q.dec, 0.3, 1e-14);
    EXPECT_EQ(q.dist, 2.5);

    TLatLon g{-0.2, 4.0, 7.0}, h{};
    Lat_lon_to_vect(&g, &v);
    Vect_to_lat_lon(&v, &h);
    EXPECT_NEAR(h.lat, -0.2, 1e-14);
    EXPECT_NEAR(h.lon, 4.0, 1e-14);
    EXPECT_EQ(h.height, 7.0);

    TVector origin{100, -50, 20, 0}, w{};
    origin.r = Range_vect(&origin);
    Ra_dec_dist_to_vect(&origin, &p, &w);
    Vect_to_ra_dec_dist(&origin, &w, &q);
    EXPECT_NEAR(q.ra, 2 * kPi - 0.5, 1e-12);
    EXPECT_NEAR(q.dec, 0.3, 1e-12);
    EXPECT_NEAR(q.dist, 2.5, 1e-12);
    EXPECT_DOUBLE_EQ(w.r, Range_vect(&w));
}

TEST(ZenoraHorizon, MeridianAndQuadrants) {
    const TLatLon site{50 * kDeg, 0.4, 0.1};
    const double gst = 1.0;
    const double lst = site.lon + gst;
    TAltAz h{};
    TRaDec south{lst, 10 * kDeg, 1};  // on the meridian, south of the zenith
    Ra_dec_to_alt_az(&site, &south, &h, gst);
    EXPECT_NEAR(h.az, kPi, 1e-12);
    EXPECT_NEAR(h.alt, 50 * kDeg, 1e-12);
    TRaDec west{lst - 0.3, 10 * kDeg, 1};  // hour angle +0.3: west of the meridian
    Ra_dec_to_alt_az(&site, &west, &h, gst);
    EXPECT_GT(h.az, kPi);
    EXPECT_LT(h.az, 2 * kPi);
    TRaDec east{lst + 0.3, 10 * kDeg, 1};
    Ra_dec_to_alt_az(&site, &east, &h, gst);
    EXPECT_GT(h.az, 0);
    EXPECT_LT(h.az, kPi);
    TRaDec north{lst, 80 * kDeg, 1};  // between pole and zenith
    Ra_dec_to_alt_az(&site, &north, &h, gst);
    EXPECT_NEAR(std::remainder(h.az, 2 * kPi), 0, 1e-7);
}

TEST(ZenoraHorizon, RoundTripAwayFromPolesAndZenith) {
    const TLatLon sites[] = {{0.933, -1.18, 1}, {-0.6, 2.0, 0}, {0.0, 0.0, 0}};
    for (const TLatLon& site : sites) {
        for (double alt = -1.2; alt <= 1.4; alt += 0.2) {
            for (double az = 0.05; az < 2 * kPi; az += 0.37) {
                const TAltAz in{alt, az};
                TRaDec p{};
                TAltAz out{};
                Alt_az_to_ra_dec(&site, &in, &p, 3.3);
                Ra_dec_to_alt_az(&site, &p, &out, 3.3);
                EXPECT_NEAR(out.alt, alt, 1e-9) << site.lat << " " << alt << " " << az;
                EXPECT_NEAR(out.az, az, 1e-7) << site.lat << " " << alt << " " << az;
            }
        }
    }
}

TEST(ZenoraHorizon, ObserverAtAPoleUsesTheHourAngle) {
    const TLatLon pole{kPi / 2, 0.25, 0};
    const double gst = 2.0;
    TRaDec p{1.0, 0.5, 1};
    TAltAz h{};
    Ra_dec_to_alt_az(&pole, &p, &h, gst);
    EXPECT_NEAR(h.az, fmod2pi(0.25 + gst - 1.0), 1e-15);
    EXPECT_NEAR(h.alt, 0.5, 1e-12);
    const TAltAz in{0.5, 1.0};
    Alt_az_to_ra_dec(&pole, &in, &p, gst);
    EXPECT_NEAR(p.ra, fmod2pi(kPi + 1.0 + gst + 0.25), 1e-15);
}

TEST(ZenoraEllipsoid, RhoSinCosAndSubPoint) {
    double rs = -1, rc = -1;
    const TLatLon equator{0, 1, 0}, pole{kPi / 2, 0, 0};
    RhoSinCos(&equator, &rs, &rc);
    EXPECT_NEAR(rs, 0, 1e-12);
    EXPECT_NEAR(rc, 6378.137, 1e-9);
    RhoSinCos(&pole, &rs, &rc);
    EXPECT_NEAR(rs, 6356.7523142, 1e-6);
    EXPECT_NEAR(rc, 0, 1e-9);
    // Height adds along the vertical: 1 km up at 45° adds cos45 and sin45 km.
    const TLatLon low{45 * kDeg, 0, 0}, high{45 * kDeg, 0, 1};
    double rs0, rc0;
    RhoSinCos(&low, &rs0, &rc0);
    RhoSinCos(&high, &rs, &rc);
    EXPECT_NEAR(rs - rs0, std::sin(45 * kDeg), 1e-9);
    EXPECT_NEAR(rc - rc0, std::cos(45 * kDeg), 1e-9);

    TVector v{};
    Lat_lon_height_to_vect(&v, 0.0, 0.0, 0.0, 6378.137 + 400);
    TLatLon p{};
    Vect_to_lat_lon_height(&v, &p, 0.0);
    EXPECT_NEAR(p.lat, 0, 1e-15);
    EXPECT_NEAR(p.lon, 0, 1e-15);
    EXPECT_NEAR(p.height, 400, 1e-9);
    // Longitude comes back east-positive in [-π, π] after removing gst.
    Lat_lon_height_to_vect(&v, 1.0, 2.5, 3000, 5000);
    Vect_to_lat_lon_height(&v, &p, 1.0);
    EXPECT_NEAR(p.lon, 2.5, 1e-12);
    Lat_lon_height_to_vect(&v, 3.0, 2.5, 0, 7000);
    Vect_to_lat_lon_height(&v, &p, 3.0);
    EXPECT_NEAR(p.lon, 2.5, 1e-12);

    EXPECT_NEAR(EarthRadius(0), 6378.137, 1e-9);
    EXPECT_NEAR(EarthRadius(kPi / 2 - 1e-9), 6356.7523142, 1e-3);
}

TEST(ZenoraGreatCircle, AzimuthQuadrants) {
    const TLatLon o{0, 0, 0};
    const TLatLon east{0, 1 * kDeg, 0}, south{-1 * kDeg, 0, 0}, north{1 * kDeg, 0, 0}, west{0, -1 * kDeg, 0};
    EXPECT_NEAR(Az_2latlon(&o, &east), kPi / 2, 1e-9);
    EXPECT_EQ(Az_2latlon(&o, &south), kPi);
    EXPECT_EQ(Az_2latlon(&o, &north), 0);
    EXPECT_EQ(Az_2latlon(&o, &o), 0);
    const double w = Az_2latlon(&o, &west);
    EXPECT_GE(w, -kPi / 2);
    EXPECT_NEAR(w, -kPi / 2, 1e-6);
    const TLatLon ne{1 * kDeg, 1 * kDeg, 0}, se{-1 * kDeg, 1 * kDeg, 0}, sw{-1 * kDeg, -1 * kDeg, 0},
        nw{1 * kDeg, -1 * kDeg, 0};
    EXPECT_NEAR(Az_2latlon(&o, &ne), kPi / 4, 1e-3);
    EXPECT_NEAR(Az_2latlon(&o, &se), 3 * kPi / 4, 1e-3);
    EXPECT_NEAR(Az_2latlon(&o, &sw), 5 * kPi / 4, 1e-3);
    EXPECT_NEAR(Az_2latlon(&o, &nw), 7 * kPi / 4, 1e-3);
}

TEST(ZenoraGreatCircle, DestinationAndDistance) {
    const TLatLon start{0.8, 3.1, 5};
    TLatLon p{};
    Az_dist_to_lat_lon(&start, &p, 0.0, 111.2, 6371);  // due north
    EXPECT_NEAR(p.lat, 0.8 + 111.2 / 6371, 1e-12);
    EXPECT_NEAR(p.lon, 3.1, 1e-12);
    EXPECT_EQ(p.height, 0.001);
    Az_dist_to_lat_lon(&start, &p, kPi / 2, 500, 6371);  // east, across the date line
    EXPECT_GT(p.lon, kPi);

    // Andoyer: one degree of the equator, and Paris-London-like lines.
    const TLatLon a{0, 0, 0}, b{0, 1 * kDeg, 0};
    EXPECT_NEAR(Dist_2latlon(&a, &b), 111.3195, 1e-3);
    EXPECT_EQ(Dist_2latlon(&a, &a), 0);
    const TLatLon paris{48.8566 * kDeg, 2.3522 * kDeg, 0}, london{51.5074 * kDeg, -0.1278 * kDeg, 0};
    EXPECT_NEAR(Dist_2latlon(&paris, &london), 343.9, 0.5);  // geodesic 343.92 km
    EXPECT_NEAR(Dist_2latlon(&paris, &london), Dist_2latlon(&london, &paris), 1e-9);
}

TEST(ZenoraAngles, SeparationAndPositionAngle) {
    const TRaDec a{1.0, 0.2, 1}, b{1.1, 0.25, 1};
    TVector va{}, vb{};
    Ra_dec_to_vect(&a, &va);
    Ra_dec_to_vect(&b, &vb);
    EXPECT_NEAR(Sep_angle(&a, &b), std::acos(Dot_vect(&va, &vb)), 1e-9);
    EXPECT_NEAR(Sep_angle(&a, &a), 0, 1e-15);
    // Due north of p2 is 0, due east π/2; south folds to 0 and west to π/2.
    const TRaDec c{1.0, 0.0, 1}, n{1.0, 0.1, 1}, e{1.1, 0.0, 1}, s{1.0, -0.1, 1}, w{0.9, 0.0, 1};
    EXPECT_NEAR(Pos_angle(&n, &c), 0, 1e-12);
    EXPECT_NEAR(Pos_angle(&e, &c), kPi / 2, 1e-12);
    EXPECT_NEAR(Pos_angle(&w, &c), kPi / 2, 1e-12);
    const double south = Pos_angle(&s, &c);
    EXPECT_LT(south, kPi);
    EXPECT_NEAR(south, 0, 1e-12);
    for (double ra = -3; ra < 3; ra += 0.25)
        for (double dec = -1.5; dec < 1.5; dec += 0.25) {
            const TRaDec p{ra, dec, 1};
            const double pa = Pos_angle(&p, &c);
            EXPECT_GE(pa, 0);
            EXPECT_LT(pa, kPi);
        }
}

TEST(ZenoraRefraction, HorizonAndZenith) {
    const double horizon = Refraction(0, 1010, 10) / kDeg * 60;
    EXPECT_NEAR(horizon, 34.48, 0.01);
    EXPECT_NEAR(Refraction(kPi / 2, 1010, 10) / kDeg * 3600, 0, 5);  // a few arc seconds at most
    EXPECT_NEAR(Refraction(0, 505, 10), Refraction(0, 1010, 10) / 2, 1e-15);
}

TEST(ZenoraShadow, SunLiteAtFourHundredKilometres) {
    const TVector sun{1.5e8, 0, 0, 1.5e8};
    const double r = 6778.137;
    const double limit = kPi / 2 + std::acos(6378.137 / r);  // about 109.8°
    EXPECT_NEAR(limit / kDeg, 109.8, 0.05);
    auto at = [&](double angle) { return TVector{r * std::cos(angle), r * std::sin(angle), 0, r}; };
    TVector s = at(limit - 1e-6);
    EXPECT_TRUE(SunLite(&s, &sun));
    s = at(limit + 1e-6);
    EXPECT_FALSE(SunLite(&s, &sun));
    s = at(kPi);
    EXPECT_FALSE(SunLite(&s, &sun));
    s = at(0);
    EXPECT_TRUE(SunLite(&s, &sun));
}

TEST(ZenoraBrightness, FractionMagnitudeAndSlantRange) {
    const TVector sun{-1.5e8, 0, 0, 1.5e8}, sat{7000, 0, 0, 7000}, obs{6378, 0, 0, 6378};
    EXPECT_NEAR(illum_fraction(&obs, &sat, &sun), 1, 1e-12);  // Sun behind the observer
    const TVector sunAhead{1.5e8, 0, 0, 1.5e8};
    EXPECT_NEAR(illum_fraction(&obs, &sat, &sunAhead), 0, 1e-12);

    EXPECT_NEAR(Calc_Magnitude(3.0, 1000, 0.5), 3.0 + 2.5 * std::log10(2e6) - 15.75, 1e-12);
    EXPECT_NEAR(Calc_Magnitude(3.0, 1000, 0.5), 3.0026, 1e-4);
    EXPECT_NEAR(Calc_Magnitude(0, 1000, 0) - Calc_Magnitude(0, 1000, 0.5), 2.5 * std::log10(0.5 / 1e-7), 1e-9);

    EXPECT_NEAR(SlantRange(0, 6778.137, 6378.137), 400.0, 1e-9);
    EXPECT_NEAR(SlantRange(kPi / 2, 6778.137, 6378.137), std::cos(kPi / 2) * 6778.137, 1e-9);  // misses
}
}  // namespace
