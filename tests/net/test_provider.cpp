// The login provider's request limits, on a clock the test drives.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "uRateLimit.h"

namespace {
struct FakeClock {
    double t = 1000.0;
    std::vector<double> slept;
    TLimiterClock Clock() {
        return {[this] { return t; }, [this](double s) {
                    slept.push_back(s);
                    t += s;
                },
                {}};
    }
};
}  // namespace

TEST(ProviderLimits, ThirtyFirstRequestOfAMinuteWaitsHourLimitAndGpClassRefuse) {
    FakeClock clock;
    TProviderLimiter limiter(clock.Clock());
    for (int k = 0; k < 30; ++k, clock.t += 1.0) ASSERT_EQ(limiter.Admit(false), TAdmission::kGo) << k;
    EXPECT_TRUE(clock.slept.empty()) << "thirty a minute go at once";
    // Request 31 at 1030 s: the first of the minute went at 1000 s, so it waits until 1060 s.
    ASSERT_EQ(limiter.Admit(false), TAdmission::kGo);
    EXPECT_FALSE(clock.slept.empty());
    EXPECT_DOUBLE_EQ(clock.t, 1060.0);

    // The general-perturbations class once an hour: the second query is refused, not delayed.
    EXPECT_EQ(limiter.Admit(true), TAdmission::kGo);
    EXPECT_EQ(limiter.Admit(true), TAdmission::kGpTooSoon);
    EXPECT_GT(limiter.GpWait(), 3500.0);
    clock.t += 3600.0;
    EXPECT_EQ(limiter.Admit(true), TAdmission::kGo);

    // 300 an hour: the next one would wait most of an hour, so it is not made.
    FakeClock slow;
    TProviderLimiter hourly(slow.Clock());
    for (int k = 0; k < 300; ++k, slow.t += 3.0) ASSERT_EQ(hourly.Admit(false), TAdmission::kGo) << k;
    EXPECT_EQ(hourly.Admit(false), TAdmission::kHourFull);
    slow.t = 4570.0;  // the hour's first request (1000 s) leaves it at 4600 s: a short wait
    EXPECT_EQ(hourly.Admit(false), TAdmission::kGo);
    EXPECT_DOUBLE_EQ(slow.t, 4600.0);

    // A wait ends when the batch is told to stop.
    std::atomic<bool> stop{true};
    FakeClock busy;
    TProviderLimiter stopped(busy.Clock());
    for (int k = 0; k < 30; ++k) stopped.Admit(false);
    EXPECT_EQ(stopped.Admit(false, &stop), TAdmission::kStopped);
    EXPECT_TRUE(IsGpClassUrl("https://host/basicspacedata/query/class/GP/format/3le"));
    EXPECT_FALSE(IsGpClassUrl("https://host/basicspacedata/query/class/gp_history/format/3le"));
}

// The once-an-hour rule outlives the program: a restart reads the last
// query's time back, and a garbled record or one ahead of the clock is no
// query at all.
TEST(ProviderLimits, GpClassRecordSurvivesARestart) {
    const std::string path = ::testing::TempDir() + "orbisk_gp_record_" + std::to_string(::getpid());
    std::remove(path.c_str());
    double wall = 1.8e9;
    auto clock = [&wall](FakeClock& steady) {
        TLimiterClock c = steady.Clock();
        c.wall = [&wall] { return wall; };
        return c;
    };
    FakeClock first;
    TProviderLimiter before(clock(first));
    before.KeepGpRecord(path);
    ASSERT_EQ(before.Admit(true), TAdmission::kGo);

    wall += 600.0;
    FakeClock second;  // a new program: its steady clock starts again
    TProviderLimiter after(clock(second));
    after.KeepGpRecord(path);
    EXPECT_EQ(after.Admit(true), TAdmission::kGpTooSoon);
    EXPECT_NEAR(after.GpWait(), 3000.0, 1e-6);
    EXPECT_EQ(after.Admit(false), TAdmission::kGo) << "other classes are not held back";
    wall += 3000.0;
    EXPECT_EQ(after.Admit(true), TAdmission::kGo);

    for (const char* record : {"garbage\n", "1e300\n", ""}) {
        std::ofstream(path, std::ios::trunc) << record;
        FakeClock steady;
        TProviderLimiter fresh(clock(steady));
        fresh.KeepGpRecord(path);
        EXPECT_EQ(fresh.Admit(true), TAdmission::kGo) << record;
    }
    std::remove(path.c_str());
}
