#include <gtest/gtest.h>

#include <thread>

#include "TrackingTestUtil.h"

namespace {

TSatState Body(int32_t code) {
    TSatState s{};
    s.body = code;
    return s;
}

// ΔT depends on the date alone: the same on every thread whatever was
// computed before, and near the observed value (IERS: 68.97 s at
// 2018-01-01, 69.36 s at 2019-01-01; the model's extension past its 2006
// table runs about 2 s low).
TEST(DeltaT, PureFunctionOfTheDate) {
    const double jd2018 = DayNumber(2018, 1, 1) + kJulianOffset;
    const double jd2019 = DayNumber(2019, 1, 1) + kJulianOffset;
    EXPECT_NEAR(DeltaTDays(jd2018) * kSecondsPerDay, 68.97, 2.5);
    EXPECT_NEAR(DeltaTDays(jd2019) * kSecondsPerDay, 69.36, 2.5);
    double onThread = 0.0;
    std::thread([&] {
        (void)DeltaTDays(jd2018 - 5000.0);  // nothing computed before may change the next value
        onThread = DeltaTDays(jd2019);
    }).join();
    EXPECT_EQ(onThread, DeltaTDays(jd2019));
    TVector a{}, b{};
    PlanetVector(kBodyMoon, a, DayNumber(2018, 1, 1));
    PlanetVector(kBodyMoon, b, DayNumber(2030, 1, 1));
    PlanetVector(kBodyMoon, b, DayNumber(2018, 1, 1));
    EXPECT_EQ(a.x, b.x);
}

TEST(FixedTarget, KeepsItsDirectionAndGetsLookAngles) {
    TObserver obs = MakeObserver(45.0, 7.0);
    const double t = DayNumber(2018, 5, 1, 22.0);
    const TFrame frame = ObserverFrame(obs, t);
    TSatState s = Body(kBodyStar);
    // Right ascension on the local meridian, declination at the observer's latitude.
    SetFixedTarget(s, kBodyStar, fmod2pi(frame.gha + obs.pos.lon), obs.pos.lat);
    const TVector before = s.pos;
    ComputeBodyState(s, frame, kFillLookAngles);
    EXPECT_EQ(s.pos.x, before.x);
    EXPECT_EQ(s.pos.z, before.z);
    EXPECT_NEAR(s.pos.r, kAstronomicalUnit, 1.0);
    EXPECT_NEAR(s.altaz.alt, kHalfPi, 1e-4);
    EXPECT_NEAR(s.radec.dist, kAstronomicalUnit, 10000.0);
    EXPECT_NEAR(ElevationOf(s.pos, frame), kHalfPi, 1e-4);

    TVector v = before;
    PlanetVector(kBodyRaDec, v, t + 100.0);
    EXPECT_EQ(v.y, before.y);
}

TEST(BodyStates, InclusiveCountClippedToTheArray) {
    TObserver obs = MakeObserver(0.0, 0.0);
    const double t = DayNumber(2018, 3, 20, 12.0);
    std::vector<TSatState> states = {Body(kBodySun), Body(kBodyMoon)};
    ComputeBodyStates(states, 5, ObserverFrame(obs, t), kFillLookAngles);
    EXPECT_NEAR(states[0].pos.r, kAstronomicalUnit, 0.02 * kAstronomicalUnit);
    EXPECT_NEAR(states[1].pos.r, 384400.0, 30000.0);
    EXPECT_GT(states[0].altaz.alt, 1.3);  // equinox noon on the equator
}

struct Place {
    double lat, lon;
};

TEST(BodyIntervals, DaylightNightAndBothFlags) {
    const Place london{51.48, 0.0};
    TObserver obs = MakeObserver(london.lat, london.lon);
    TSatState sun = Body(kBodySun);
    const double t0 = DayNumber(2018, 3, 1);
    const double t1 = t0 + 1.5;  // ends at noon, in daylight

    std::vector<TTimeInterval> both{{1.0, 2.0}};
    BodyIntervals(sun, true, true, t0, t1, 0.0, both, obs);
    ASSERT_EQ(both.size(), 2u);
    EXPECT_EQ(both[1].start, t0);
    EXPECT_EQ(both[1].end, t1);

    std::vector<TTimeInterval> day;
    BodyIntervals(sun, true, false, t0, t1, 0.0, day, obs);
    ASSERT_EQ(day.size(), 2u);
    EXPECT_EQ(day[1].end, t1);
    const double step = 20.0 / kSecondsPerDay;
    for (const TTimeInterval& iv : day) {
        EXPECT_LT(iv.start, iv.end);
        EXPECT_GE(BodyElevation(sun, iv.start, obs), 0.0);
        EXPECT_LT(BodyElevation(sun, iv.start - step, obs), 0.0);
    }
    EXPECT_NEAR(day[0].end - day[0].start, 10.75 / 24.0, 0.25 / 24.0);  // early March
    EXPECT_LE(BodyElevation(sun, day[0].end, obs), 0.0);
    EXPECT_GT(BodyElevation(sun, day[0].end - step, obs), 0.0);

    // Nights fill the gaps: before the first sunrise and between the days.
    std::vector<TTimeInterval> night;
    BodyIntervals(sun, false, true, t0, t1, 0.0, night, obs);
    ASSERT_GE(night.size(), 2u);
    EXPECT_EQ(night[0].start, t0);
    EXPECT_EQ(night[0].end, day[0].start);
    EXPECT_EQ(night[1].start, day[0].end);
    EXPECT_EQ(night[1].end, day[1].start);

    // Already up at the start: the rise is the start itself.
    const double noon = t0 + 0.5;
    EXPECT_EQ(BodyRise(sun, 0.0, noon, t1, obs), noon);
    EXPECT_EQ(BodySet(sun, 0.0, t0, t1, obs), t0);
    // No crossing before the end gives the end.
    EXPECT_EQ(BodyRise(sun, 0.0, t0, t0 + 0.1, obs), t0 + 0.1);
}

TEST(BodyIntervals, UndefinedElevationEndsTheSearch) {
    TObserver obs = MakeObserver(10.0, 10.0);
    obs.rhoSin = NAN;
    TSatState sun = Body(kBodySun);
    std::vector<TTimeInterval> list;
    const double t0 = DayNumber(2018, 3, 1);
    BodyIntervals(sun, true, false, t0, t0 + 1.0, 0.0, list, obs);
    EXPECT_TRUE(list.empty());
}

}  // namespace
