// The search primitives' contract on made-up samplers, and the edge search's
// statuses on real elements.
#include <gtest/gtest.h>

#include <cmath>
#include <map>

#include "PredictTestUtil.h"
#include "uCrossing.h"
#include "uPassSearch.h"

namespace {
constexpr double kDay = 1000.0;
constexpr TStepPolicy kSteps{100.0, 25.0, 0.5, 5.0, 1.0, 0.1, 1.0, true};
double Sec(double s) { return kDay + s / kSecondsPerDay; }

// Rises through 0 at `at` seconds from kDay at 0.01 per second; fails from
// `failFrom` seconds on with `how`.
struct TRamp {
    double at = 1000.0, failFrom = 1e9;
    TSampled how = TSampled::decayed;
    int samples = 0;
    TReading Sample(double t) {
        ++samples;
        const double s = (t - kDay) * kSecondsPerDay;
        if (s >= failFrom - 1e-6) return {0.0, how};
        return {0.01 * (s - at)};
    }
    double Quiet(double) const { return 0.0; }
    void Mark() {}
    TReading Back(double t) { return Sample(t); }
};

template <typename Probe>
TCrossing Walk(Probe& ramp, double limitSeconds, TDirection d = TDirection::up) {
    return FindCrossing(ramp, kSteps, d, 0.0, kDay, Sec(limitSeconds), ramp.Sample(kDay));
}
double Seconds(double t) { return (t - kDay) * kSecondsPerDay; }
}  // namespace

TEST(FindCrossing, FoundNotFoundDecayedAndFailedAreToldApart) {
    TRamp ramp;  // crosses at 1000 s: found late by less than a second
    const TCrossing c = Walk(ramp, 5000.0);
    ASSERT_TRUE(c.Found());
    EXPECT_GE(Seconds(c.t), 1000.0 - 1e-3);
    EXPECT_LT(Seconds(c.t), 1001.0);
    EXPECT_EQ(c.stoppedAt, c.t);
    EXPECT_TRUE(c.Before(Sec(5000.0)));

    // A crossing on the limit itself is found (but not before it).
    TCrossing at = FindCrossing(ramp, kSteps, TDirection::up, 0.0, kDay, c.t, ramp.Sample(kDay));
    ASSERT_TRUE(at.Found());
    EXPECT_EQ(at.t, c.t);
    EXPECT_FALSE(at.Before(c.t));

    // Short of it: not found, at the limit.
    const double shortOf = c.t - 0.5 / kSecondsPerDay;
    at = FindCrossing(ramp, kSteps, TDirection::up, 0.0, kDay, shortOf, ramp.Sample(kDay));
    EXPECT_EQ(at.status, TFound::notFound);
    EXPECT_EQ(at.t, shortOf);

    // Down: from above the level it is found at once.
    at = Walk(ramp, 5000.0, TDirection::down);
    ASSERT_TRUE(at.Found());
    EXPECT_EQ(at.t, kDay);

    // Gone before the crossing: decayed, never "not found"; the limit stays
    // the time, the failed sample's time is told.
    TRamp gone{1000.0, 600.0, TSampled::decayed};
    at = Walk(gone, 5000.0);
    EXPECT_EQ(at.status, TFound::decayed);
    EXPECT_EQ(at.t, Sec(5000.0));
    EXPECT_NEAR(Seconds(at.stoppedAt), 600.0, 1.0);

    TRamp broken{1000.0, 0.0, TSampled::failed};
    at = Walk(broken, 5000.0);
    EXPECT_EQ(at.status, TFound::failed);
    EXPECT_EQ(at.stoppedAt, kDay);

    // A failure past the crossing only ends the coarse walk: the fine walk
    // still finds the crossing before it.
    TRamp late{1000.0, 1050.0, TSampled::decayed};
    at = Walk(late, 5000.0);
    ASSERT_TRUE(at.Found());
    EXPECT_EQ(at.t, c.t);
}

TEST(FindCrossing, QuietStretchesAreNotSampled) {
    // A probe claiming the first 900 s are short of any bound: the result is
    // the same with fewer samples.
    struct TQuiet : TRamp {
        double Quiet(double) const { return samples == 1 ? 900.0 : 0.0; }
    } quiet;
    TRamp plain;
    const TCrossing a = Walk(quiet, 5000.0), b = Walk(plain, 5000.0);
    ASSERT_TRUE(a.Found());
    EXPECT_NEAR(a.t, b.t, 0.5 / kSecondsPerDay);
    EXPECT_LT(quiet.samples, plain.samples);
}

namespace {
// A top at `peak` seconds, value -(s - peak)^2 + 3; `failAt` fails.
struct TBump {
    explicit TBump(double top, double fail = -1.0) : peak(top), failAt(fail) {}
    double peak, failAt;
    std::map<int, int> held;
    int kept = -2;  // -1: the last sample; 0, 1: a slot
    double last = 0.0;
    double S(double t) const { return (t - kDay) * kSecondsPerDay; }
    bool Slope(double t, double& v, double& r) {
        if (failAt >= 0.0 && std::abs(S(t) - failAt) < 0.5) return false;
        v = 3.0 - (S(t) - peak) * (S(t) - peak) * 1e-4;
        r = -2e-4 * (S(t) - peak);
        last = S(t);
        return true;
    }
    bool Value(double t, double& v) {
        double r = 0.0;
        return Slope(t, v, r);
    }
    void Hold(int slot) { held[slot] = static_cast<int>(std::lround(last)); }
    void KeepHeld(int slot) { kept = held[slot]; }
    void KeepLast() { kept = static_cast<int>(std::lround(last)); }
    TSlope End(double s) {
        TSlope e{Sec(s), 0.0, 0.0};
        Slope(e.t, e.value, e.rate);
        return e;
    }
};
}  // namespace

TEST(FindPeak, HighestWholeSecondWithAndWithoutKeeping) {
    for (double peak : {0.3, 1.5, 123.4, 123.6, 299.9}) {
        for (bool keep : {false, true}) {
            TBump bump(peak);
            const TSlope a = bump.End(0.0), b = bump.End(300.0);
            const TPeak p = FindPeak(bump, a, b, keep);
            const double expected = std::clamp(std::round(peak), 0.0, 300.0);
            EXPECT_NEAR((p.t - kDay) * kSecondsPerDay, expected, 1e-6) << peak << " " << keep;
            EXPECT_EQ(p.status, TFound::found);
            // A kept state is the state at the result.
            if (keep && p.kept) {
                EXPECT_EQ(bump.kept, static_cast<int>(expected)) << peak;
            }
            if (!keep) {
                EXPECT_FALSE(p.kept);
            }
        }
    }
    // Falling from the start: the start, nothing to close in on.
    TBump falling(-10.0);
    const TPeak p = FindPeak(falling, falling.End(0.0), falling.End(300.0), true);
    EXPECT_EQ(p.t, Sec(0.0));
    EXPECT_FALSE(p.kept);
}

TEST(FindPeak, AimedOrMisaimedTheTopIsTheSameSecond) {
    // A probe's aim only picks the seconds sampled: good, poor or wild aims
    // end on the same top, a good one in fewer samples.
    struct TAimed : TBump {
        using TBump::TBump;
        double error = 0.0;
        int samples = 0;
        bool Slope(double t, double& v, double& r) {
            ++samples;
            return TBump::Slope(t, v, r);
        }
        double TopAhead() const { return peak - last + error; }
    };
    for (double peak : {0.7, 61.5, 123.4, 250.2, 299.6}) {
        int plain = 0;
        for (double error : {0.0, 0.4, -3.0, 40.0, -500.0, std::nan("")}) {
            TAimed bump(peak);
            bump.error = error;
            const TSlope a = bump.End(0.0), b = bump.End(300.0);
            bump.samples = 0;
            const TPeak p = FindPeak(bump, a, b, true);
            TBump unaimed(peak);
            const TPeak q = FindPeak(unaimed, unaimed.End(0.0), unaimed.End(300.0), true);
            EXPECT_EQ(p.t, q.t) << peak << " " << error;
            if (error == 0.0) plain = bump.samples;
        }
        EXPECT_LE(plain, 3) << peak;
    }
}

TEST(FindPeak, EndsAimTheClosingIn) {
    // On a parabola the cubic through the ends finds the top at once: the
    // two seconds that hold it are all that is sampled.
    struct TCounted : TBump {
        using TBump::TBump;
        int samples = 0;
        bool Slope(double t, double& v, double& r) {
            ++samples;
            return TBump::Slope(t, v, r);
        }
    };
    for (double peak : {20.5, 123.4, 250.2}) {
        TCounted bump(peak);
        const TSlope a = bump.End(0.0), b = bump.End(300.0);
        bump.samples = 0;
        const TPeak p = FindPeak(bump, a, b, true);
        EXPECT_NEAR((p.t - kDay) * kSecondsPerDay, std::round(peak), 1e-6) << peak;
        EXPECT_LE(bump.samples, 2) << peak;
    }
}

TEST(FindPeak, FailedClosingInIsReportedButStillAnswers) {
    TBump bump(150.0, 150.0);
    const TPeak p = FindPeak(bump, bump.End(0.0), bump.End(300.0), true);
    EXPECT_EQ(p.status, TFound::failed);
    EXPECT_GT(p.t, Sec(0.0));
    EXPECT_LT(p.t, Sec(300.0));
}

TEST(FindChange, SameAsAScanOfEverySecond) {
    const double from = kDay, end = Sec(95.0);
    for (int change : {1, 9, 10, 11, 47, 94, 95, 200}) {
        int asked = 0;
        auto state = [&](double t, double& claim) {
            ++asked;
            claim = 0.0;
            return (t - kDay) * kSecondsPerDay < change - 1e-6;
        };
        const TChange c = FindChange(from, end, true, 0.0, 10, state);
        if (change < 95) {
            EXPECT_TRUE(c.Found()) << change;
            EXPECT_EQ(c.seconds, change);
        } else {
            EXPECT_EQ(c.status, TFound::notFound) << change;
            EXPECT_EQ(c.seconds, 95);
        }
        EXPECT_LT(asked, 30) << change;
    }
    auto never = [](double, double& claim) {
        claim = 0.0;
        return true;
    };
    EXPECT_EQ(FindChange(from, from, true, 0.0, 10, never).seconds, 0);
}

TEST(EdgeSearch, NotRisingByTheLimitIsNotFound) {
    // Not at the zenith within a minute.
    const std::vector<TSatRec> sats = LoadTestSats();
    TObserver pole = TestObserver(89.9, 0.0);
    const TSatRec& sat = sats.front();
    TSatState st{};
    st.mode = kFillPosition;
    const double start = sat.epoch - kJulianOffset;
    const double limit = start + 60.0 / kSecondsPerDay;
    const TCrossing c = SearchCrossing(TEdge::kRise, sat, st, 89.99 * kDegToRad, start, limit, pole);
    EXPECT_EQ(c.status, TFound::notFound);
    EXPECT_EQ(c.t, limit);
}
