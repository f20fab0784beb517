#include <gtest/gtest.h>

#include <tuple>

#include "TrackingTestUtil.h"

namespace {

TSatState Filled() {
    TSatState s{};
    s.radec = TRaDec{11.0, 12.0, 13.0};
    s.latlon = TLatLon{21.0, 22.0, 23.0};
    s.altaz = TAltAz{31.0, 32.0};
    s.sunlit = 7;
    return s;
}

TEST(DecayRules, ThresholdsOfHeightAndSpeed) {
    const TVector fast{0, 0, 0, 7.0};
    EXPECT_TRUE(IsDecayedMotion(TVector{0, 0, 0, 6453.137}, fast));
    EXPECT_TRUE(IsDecayedMotion(TVector{0, 0, 0, 6400.0}, fast));
    EXPECT_FALSE(IsDecayedMotion(TVector{0, 0, 0, 6453.2}, fast));
    const TVector high{0, 0, 0, 7000.0};
    EXPECT_FALSE(IsDecayedMotion(high, TVector{0, 0, 0, 0.5}));
    EXPECT_TRUE(IsDecayedMotion(high, TVector{0, 0, 0, 0.4999}));
    // A propagator that returns garbage without failing must not pass as a position.
    EXPECT_TRUE(IsDecayedMotion(TVector{0, 0, 0, NAN}, fast));
    EXPECT_TRUE(IsDecayedMotion(high, TVector{0, 0, 0, INFINITY}));
}

TEST(PropagateSatellite, FillsOnlyTheGroupsAskedFor) {
    TSatRec sat;
    ASSERT_TRUE(MakeSat(kTle06251[0], kTle06251[1], sat));
    const TSite site = MakeObserver(50.0, 10.0, 0.3);
    const double t = sat.epoch - kJulianOffset + 0.1;
    const TFrame frame = ObserverFrame(site, t);

    TSatState s = Filled();
    ASSERT_TRUE(PropagateSatellite(sat, s, frame, kFillPosition));
    EXPECT_GT(s.pos.r, 6600.0);
    EXPECT_GT(s.vel.r, 7.0);
    EXPECT_EQ(s.radec.ra, 11.0);
    EXPECT_EQ(s.latlon.lat, 21.0);
    EXPECT_EQ(s.altaz.alt, 31.0);

    TSatState look = Filled();
    ASSERT_TRUE(PropagateSatellite(sat, look, frame, kFillLookAngles));
    EXPECT_NE(look.radec.ra, 11.0);
    EXPECT_NE(look.altaz.az, 32.0);
    EXPECT_EQ(look.latlon.lat, 21.0);
    EXPECT_NEAR(look.altaz.alt, ElevationOf(look.pos, frame), 1e-9);  // one horizon for both

    TSatState sub = Filled();
    ASSERT_TRUE(PropagateSatellite(sat, sub, frame, kFillSubPoint));
    EXPECT_EQ(sub.radec.ra, 11.0);
    EXPECT_EQ(sub.altaz.alt, 31.0);
    EXPECT_NEAR(sub.latlon.height, 6770.0 - 6378.0, 40.0);

    // ra/dec alone leaves the look angles; with the sub-point, both of those.
    TSatState radec = Filled(), both = Filled();
    ASSERT_TRUE(PropagateSatellite(sat, radec, frame, kFillRaDec));
    ASSERT_TRUE(PropagateSatellite(sat, both, frame, kFillRaDecSubPoint));
    EXPECT_EQ(radec.radec.dec, look.radec.dec);
    EXPECT_EQ(radec.altaz.alt, 31.0);
    EXPECT_EQ(radec.latlon.lat, 21.0);
    EXPECT_EQ(both.radec.dist, look.radec.dist);
    EXPECT_EQ(both.altaz.az, 32.0);
    EXPECT_EQ(both.latlon.lon, sub.latlon.lon);

    TSatState all = Filled();
    ASSERT_TRUE(PropagateSatellite(sat, all, frame, kFillAll));
    EXPECT_EQ(all.radec.ra, look.radec.ra);
    EXPECT_EQ(all.altaz.az, look.altaz.az);
    EXPECT_EQ(all.latlon.lon, sub.latlon.lon);
}

TEST(ObserverFrame, SameFrameForTheSameTimeAndStoredVectIgnored) {
    TObserver record = MakeObserver(-33.9, 18.4, 0.05);
    record.vect = TVector{1.0, 2.0, 3.0, 4.0};  // whatever the file held
    const TSite site = record;
    const double t = 45000.25;
    const TFrame a = ObserverFrame(site, t), b = ObserverFrame(site, t);
    EXPECT_EQ(a.pos.x, b.pos.x);
    EXPECT_EQ(a.gha, b.gha);
    EXPECT_NEAR(a.pos.r, std::hypot(site.rhoSin, site.rhoCos), 1e-9);
    const TVector zenith = a.Zenith();
    EXPECT_NEAR(zenith.r, 1.0, 1e-12);
    // The zenith leans from the radial direction by the ellipsoid's tilt, towards the equator.
    const double radial = std::asin(a.pos.z / a.pos.r), normal = std::asin(zenith.z);
    EXPECT_LT(normal, radial);
    EXPECT_NEAR(radial - normal, site.normalTilt - 1e-7, 1e-9);
    // Straight up is 90 degrees.
    const TVector up{a.pos.x + zenith.x * 500.0, a.pos.y + zenith.y * 500.0, a.pos.z + zenith.z * 500.0, 0.0};
    EXPECT_NEAR(ElevationOf(up, a), kHalfPi, 1e-7);
}

// The frame makes its position and zenith itself: the position must stay
// the library's to the bit (saved observers and every search read it), the
// zenith and the elevation those of the library's vectors.
TEST(ObserverFrame, PositionZenithAndElevationAsTheLibraryMakesThem) {
    for (const auto& [lat, lon, height] : {std::tuple{53.457, -67.609, 0.2}, {-33.9, 18.4, 0.05},
                                           {0.0, 179.9, 0.0}, {89.0, 10.0, 3.0}, {-89.0, -120.0, 0.0}}) {
        const TSite site = MakeObserver(lat, lon, height);
        for (double t = 45000.0; t < 45002.0; t += 0.137) {
            const TFrame f = ObserverFrame(site, t);
            TVector pos;
            Lat_lon_height_to_vect(&pos, f.gha, site.geo.lon, site.rhoSin, site.rhoCos);
            EXPECT_EQ(f.pos.x, pos.x);
            EXPECT_EQ(f.pos.y, pos.y);
            EXPECT_EQ(f.pos.z, pos.z);
            EXPECT_EQ(f.pos.r, pos.r);
            const TRaDec dir{std::atan2(pos.y, pos.x), site.geo.lat, 1.0};
            TVector zenith;
            Ra_dec_to_vect(&dir, &zenith);
            EXPECT_NEAR(f.zenith.x, zenith.x, 1e-15);
            EXPECT_NEAR(f.zenith.y, zenith.y, 1e-15);
            EXPECT_EQ(f.zenith.z, zenith.z);
            // Satellites high and low, near the horizon.
            for (const TVector& d : {TVector{800.0, -300.0, 900.0, 0.0}, TVector{-3000.0, 2000.0, 100.0, 0.0}}) {
                TVector sat{pos.x + d.x, pos.y + d.y, pos.z + d.z, 0.0};
                sat.r = std::sqrt(sat.x * sat.x + sat.y * sat.y + sat.z * sat.z);
                TVector line;
                Sub_vect(&sat, &pos, &line);
                EXPECT_NEAR(ElevationOf(sat, f), kHalfPi - Angle_2vect(&line, &zenith), 1e-9);
            }
            // Straight up the cosine may round past 1: still 90 degrees, never NaN.
            for (double height : {300.0, 700.0, 36000.0}) {
                const TVector& z = f.zenith;
                const TVector up{pos.x + z.x * height, pos.y + z.y * height, pos.z + z.z * height, 0.0};
                EXPECT_NEAR(ElevationOf(up, f), kHalfPi, 1e-7);  // one rounding of the cosine is 2e-8 rad
            }
        }
    }
}

TEST(PropagateSatellite, DecayedResultKeepsDerivedGroupsAndRecovers) {
    TSatRec sat;
    ASSERT_TRUE(MakeSat(kTle28872[0], kTle28872[1], sat));
    TObserver obs = MakeObserver(-30.0, 150.0);
    const double t0 = sat.epoch - kJulianOffset;
    TSatState s = Filled();

    const double early = t0 + 5.0 / kMinutesPerDay;
    ASSERT_TRUE(PropagateSatellite(sat, s, ObserverFrame(obs, early), kFillAll));
    EXPECT_EQ(sat.decayed, 0);
    const TSatState before = s;

    // 45 min: below the decay height; 60 min: the propagator itself finds it
    // under the surface. The record is only read.
    for (const auto& [minutes, why] : {std::pair{45.0, TPropagation::decayed}, std::pair{60.0, TPropagation::decayed}}) {
        const double late = t0 + minutes / kMinutesPerDay;
        const TPropagated done = PropagateSatellite(sat, s, ObserverFrame(obs, late), kFillAll);
        EXPECT_FALSE(done) << minutes;
        EXPECT_EQ(done.status, why) << minutes << ": " << PropagationText(done.status);
        EXPECT_EQ(sat.decayed, 0);
        EXPECT_EQ(s.pos.r, kEarthRadius);
        EXPECT_EQ(s.radec.ra, before.radec.ra);
        EXPECT_EQ(s.radec.dist, before.radec.dist);
        EXPECT_EQ(s.altaz.az, before.altaz.az);
        EXPECT_EQ(s.latlon.height, before.latlon.height);
        EXPECT_EQ(s.sunlit, before.sunlit);
    }

    ASSERT_TRUE(PropagateSatellite(sat, s, ObserverFrame(obs, early), kFillAll));
    EXPECT_EQ(sat.decayed, 0);

    // A record the catalogue rejected is never propagated, even at a good time.
    sat.decayed = kDecayedRejected;
    const TSatState good = s;
    EXPECT_EQ(PropagateSatellite(sat, s, ObserverFrame(obs, early), kFillAll).status, TPropagation::rejected);
    EXPECT_EQ(sat.decayed, kDecayedRejected);
    EXPECT_EQ(s.pos.x, good.pos.x);
    EXPECT_EQ(s.pos.r, kEarthRadius);
}

TEST(ActiveStates, SelectedRecordsFillEntriesInOrder) {
    const char* const* tles[5] = {kTle06251, kTle00005, kTle28872, kTle06251, kTle00005};
    std::vector<TSatRec> sats(5, TSatRec{});
    for (int i = 0; i < 5; ++i) ASSERT_TRUE(MakeSat(tles[i][0], tles[i][1], sats[i]));
    const TChoice tracked = TChoice::Marked({false, true, true, false, true});
    sats[0].selected = 1;  // the file's byte: the choice decides, not it
    std::vector<TSatState> states(5, Filled());
    const TVector sun{1.496e8, 0, 0, 1.496e8};
    TObserver obs = MakeObserver(40.0, -75.0);
    const double t = sats[2].epoch - kJulianOffset + 10.0 / kMinutesPerDay;
    const TFrame frame = ObserverFrame(obs, t);

    ComputeActiveStates(sats, tracked, states, frame, sun, kFillRaDec, 1);

    const int picked[3] = {1, 2, 4};
    for (int k = 0; k < 3; ++k) {
        TSatRec copy = sats[picked[k]];
        TSatState expect = Filled();
        ASSERT_TRUE(PropagateSatellite(copy, expect, frame, k == 1 ? kFillAll : kFillRaDec));
        EXPECT_EQ(states[k].pos.x, expect.pos.x) << k;
        EXPECT_EQ(states[k].radec.dec, expect.radec.dec) << k;
        // The first satellite gets every group, the others what the view needs.
        EXPECT_EQ(states[k].latlon.lat, k == 1 ? expect.latlon.lat : 21.0) << k;
        EXPECT_EQ(states[k].sunlit, SunLite(&expect.pos, &sun) ? 1 : 0) << k;
    }
    EXPECT_EQ(states[3].radec.ra, 11.0);
    EXPECT_EQ(states[3].sunlit, 7);

    for (const TSatRec& rec : sats) EXPECT_EQ(rec.decayed, 0);

    // An hour on, the rocket body is down and says so; a rejected record keeps its mark.
    sats[4].decayed = kDecayedRejected;
    const double later = t + 1.0 / 24.0;
    ComputeActiveStates(sats, tracked, states, ObserverFrame(obs, later), sun, kFillRaDec, 1);
    EXPECT_EQ(sats[1].decayed, 0);
    EXPECT_EQ(sats[2].decayed, 1);
    EXPECT_EQ(sats[4].decayed, kDecayedRejected);

    // Fewer states than selected records (list not resized yet) must not overrun.
    states.resize(2);
    ComputeActiveStates(sats, tracked, states, frame, sun, kFillRaDec, 9);
}

TEST(ActiveStates, FillFollowsTheView) {
    TOptions options{};
    options.viewMode = 2;
    EXPECT_EQ(ViewFill(options), kFillRaDec);
    options.viewMode = 3;
    EXPECT_EQ(ViewFill(options), kFillSubPoint);
    options.viewMode = 1;
    EXPECT_EQ(ViewFill(options), kFillSubPoint);
}

TEST(VisualMagnitude, OnlyForSunlitSatellites) {
    const TVector obs{6378.0, 0, 0, 6378.0};
    TSatState s{};
    s.pos = TVector{7378.0, 0, 0, 7378.0};  // overhead
    s.radec.dist = 1000.0;
    double mag = 99.0;
    const TVector sideSun{0, 1.496e8, 0, 1.496e8};  // half lit as seen from below
    ASSERT_TRUE(VisualMagnitude(obs, s, sideSun, 3.0, mag));
    EXPECT_NEAR(mag, 3.0 + 2.5 * std::log10(1000.0 * 1000.0 / 0.5) - 15.75, 1e-9);
    const TVector nightSun{-1.496e8, 0, 0, 1.496e8};
    mag = 99.0;
    EXPECT_FALSE(VisualMagnitude(obs, s, nightSun, 3.0, mag));
    EXPECT_EQ(mag, 99.0);
}

}  // namespace
