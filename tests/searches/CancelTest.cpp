// The per-satellite runner's control: a cancelled search comes back soon
// with what it finished, marked cut short; progress counts every satellite
// once and reaches the total once.
#include <gtest/gtest.h>

#include <chrono>
#include <mutex>
#include <set>
#include <thread>

#include "SearchTestUtil.h"
#include "uFlares.h"
#include "uTransit.h"

namespace {
std::vector<TSatRec> WholeCatalogue() {
    return BundledSets({"visual.tle", "stations.tle", "Iridium.tle"});
}

using Clock = std::chrono::steady_clock;
}  // namespace

TEST(SearchControl, CancelledFifteenDaySearchReturnsSoonWithWhatItFound) {
    const std::vector<TSatRec> sats = WholeCatalogue();
    ASSERT_GT(sats.size(), 200u);
    const TObserver site = SiteAt(45.0, -75.0, 0.1);
    const double start = EncodeDayNumber(2018, 1, 22);
    TPredictionInputs in = Period(start, start + 15.0, 10.0, true);
    in.sunlitOnly = false;

    TSearchControl control;
    std::atomic<std::size_t> calls{0};
    control.progress = [&](std::size_t, std::size_t) { ++calls; };
    Clock::time_point cancelledAt{};
    std::thread canceller([&] {
        // 100 ms in, and after at least one satellite (a slow, instrumented
        // build may not finish one by then), so there is something to keep.
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        while (calls == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        cancelledAt = Clock::now();
        control.cancel = true;
    });
    const TPredictionResult r = RunLineSearch(in, sats, site, 2, &control);
    const Clock::time_point returned = Clock::now();
    canceller.join();
    const double late = std::chrono::duration<double, std::milli>(returned - cancelledAt).count();

    EXPECT_TRUE(r.status.cutShort);
    EXPECT_LT(late, 200.0) << "the search went on after the cancel";
    EXPECT_GT(r.status.satellitesDone, 0u);
    EXPECT_LT(r.status.satellitesDone, r.status.satellitesTotal);
    EXPECT_EQ(calls.load(), r.status.satellitesDone);
    ASSERT_FALSE(r.linePasses.empty());
    // Whole satellites only: every satellite listed has all its passes, the
    // same as an uncancelled search of that satellite alone finds.
    const std::size_t first = r.linePasses.front().satellite;
    std::size_t count = 0;
    for (const TLinePass& p : r.linePasses) count += p.satellite == first;
    EXPECT_EQ(RunLineSearch(in, {sats[first]}, site, 1).linePasses.size(), count);
}

TEST(SearchControl, ProgressCountsEverySatelliteOnceAndReachesTheTotalOnce) {
    const std::vector<TSatRec> sats = IridiumCatalogue();
    const TObserver site = SiteAt(45.0, -75.0, 0.1);
    TFlareInputs in;
    in.start = EncodeDayNumber(2018, 1, 22);
    in.stop = in.start + 1.0;
    TSearchControl control;
    std::mutex m;
    std::multiset<std::size_t> seen;
    std::size_t totals = 0;
    control.progress = [&](std::size_t done, std::size_t total) {
        std::lock_guard<std::mutex> lock(m);
        seen.insert(done);
        if (done == total) ++totals;
        EXPECT_EQ(total, sats.size());
    };
    const TFlareResult r = RunFlareSearch(in, sats, site, SettingsFor(site), 3, &control);
    EXPECT_FALSE(r.status.cutShort);
    EXPECT_EQ(r.status.satellitesDone, sats.size());
    EXPECT_EQ(totals, 1u);
    ASSERT_EQ(seen.size(), sats.size());
    std::size_t expect = 1;
    for (std::size_t done : seen) EXPECT_EQ(done, expect++);

    // Cancelled before it starts: nothing searched, nothing reported.
    TSearchControl stopped;
    stopped.cancel = true;
    const TTransitResult none = RunTransitSearch(Period(in.start, in.stop), 0.5, TTransitTarget{},
                                                 WholeCatalogue(), site, SettingsFor(site), 2,
                                                 &stopped);
    EXPECT_TRUE(none.status.cutShort);
    EXPECT_EQ(none.status.satellitesDone, 0u);
    EXPECT_TRUE(none.transits.empty());
}
