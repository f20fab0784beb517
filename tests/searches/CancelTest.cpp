// The per-satellite runner's control: a cancelled search comes back soon
// with what it finished, marked cut short; progress counts every satellite
// once, in order, and reaches the total once, last.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <mutex>
#include <vector>
#include <stdexcept>

#include "SearchTestUtil.h"
#include "uAnalysis.h"
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
    Clock::time_point cancelledAt{};
    // Cancelled as the first satellite is done, from the progress call: a
    // timer would race a fast machine, which finishes all 15 days in 100 ms.
    control.progress = [&](std::size_t, std::size_t) {
        if (calls++ == 0) {
            cancelledAt = Clock::now();
            control.cancel = true;
        }
    };
    const TPredictionResult r = RunLineSearch(in, sats, site, 2, &control);
    const Clock::time_point returned = Clock::now();
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
    std::vector<std::size_t> seen;  // in call order: a display shows the last one
    std::size_t totals = 0;
    control.progress = [&](std::size_t done, std::size_t total) {
        std::lock_guard<std::mutex> lock(m);
        seen.push_back(done);
        if (done == total) ++totals;
        EXPECT_EQ(total, sats.size());
    };
    const TFlareResult r = RunFlareSearch(in, sats, site, 3, &control);
    EXPECT_FALSE(r.status.cutShort);
    EXPECT_EQ(r.status.satellitesDone, sats.size());
    EXPECT_EQ(totals, 1u);
    ASSERT_EQ(seen.size(), sats.size());
    std::size_t expect = 1;
    for (std::size_t done : seen) EXPECT_EQ(done, expect++) << "counts out of order";

    // Cancelled before it starts: nothing searched, nothing reported.
    TSearchControl stopped;
    stopped.cancel = true;
    const TTransitResult none = RunTransitSearch(Period(in.start, in.stop), 0.5, TTransitTarget{},
                                                 WholeCatalogue(), site, 2,
                                                 &stopped);
    EXPECT_TRUE(none.status.cutShort);
    EXPECT_EQ(none.status.satellitesDone, 0u);
    EXPECT_TRUE(none.transits.empty());
}

// With a sink each satellite's passes leave as soon as it and all before it
// are searched: in list order, while later ones are still being searched,
// and together the same report as the search that keeps everything; after
// a cancel, still whole satellites only.
TEST(SearchControl, SinkTakesEachSatelliteInListOrderAsSoonAsItIsDone) {
    const std::vector<TSatRec> sats = WholeCatalogue();
    const TObserver site = SiteAt(51.5, 0.0, 0.0);
    const double start = EncodeDayNumber(2018, 1, 22);
    TPredictionInputs in = Period(start, start + 1.0, 10.0, true);
    in.sunlitOnly = false;
    const TReportSettings rs = SettingsFor(site);

    TSearchControl control;
    std::atomic<std::size_t> done{0};
    control.progress = [&](std::size_t n, std::size_t) { done = n; };
    std::vector<std::size_t> order;
    std::size_t doneAtFirst = 0;
    TReportLines streamed;
    WritePeriodHeader(streamed, in, rs);
    const TPredictionResult r = RunLineSearch(
        in, sats, site, 2, &control, [&](std::size_t i, std::vector<TLinePass>& passes) {
            if (order.empty()) doneAtFirst = done;
            order.push_back(i);
            WriteLineSatellite(streamed, sats[i], passes, in, rs);
        });
    EXPECT_TRUE(r.linePasses.empty() && r.passes.empty());
    EXPECT_TRUE(r.skyCharts);
    EXPECT_LT(doneAtFirst, r.status.satellitesTotal / 2);
    ASSERT_EQ(order.size(), r.status.satellitesTotal);
    EXPECT_TRUE(std::is_sorted(order.begin(), order.end()));
    EXPECT_TRUE(streamed == LineReport(RunLineSearch(in, sats, site, 2), sats, in, rs));

    TSearchControl cancelled;
    std::vector<std::size_t> kept;
    std::vector<std::size_t> passCounts;
    const TPredictionResult cut = RunLineSearch(
        in, sats, site, 2, &cancelled, [&](std::size_t i, std::vector<TLinePass>& passes) {
            kept.push_back(i);
            passCounts.push_back(passes.size());
            if (kept.size() == 20) cancelled.cancel = true;
        });
    EXPECT_TRUE(cut.status.cutShort);
    EXPECT_EQ(kept.size(), cut.status.satellitesDone);
    EXPECT_TRUE(std::is_sorted(kept.begin(), kept.end()));
    for (std::size_t k = 0; k < kept.size(); k += 7)
        EXPECT_EQ(RunLineSearch(in, {sats[kept[k]]}, site, 1).linePasses.size(), passCounts[k]);
}

// An exception inside a search (here from its progress call and from its
// sink) fails that search with the reason instead of ending the program;
// what it finished is kept, and the next search runs normally.
TEST(SearchControl, ThrowingSearchFailsWithItsReason) {
    const std::vector<TSatRec> sats = WholeCatalogue();
    const TObserver site = SiteAt(45.0, -75.0, 0.1);
    const double start = EncodeDayNumber(2018, 1, 22);
    TPredictionInputs in = Period(start, start + 1.0, 10.0, true);
    in.sunlitOnly = false;

    TSearchControl control;
    std::atomic<std::size_t> calls{0};
    control.progress = [&](std::size_t, std::size_t) {
        if (++calls == 5) throw std::runtime_error("disk on fire");
    };
    const TPredictionResult r = RunLineSearch(in, sats, site, 2, &control);
    EXPECT_TRUE(r.status.cutShort);
    EXPECT_EQ(r.status.failure, "disk on fire");
    EXPECT_GE(r.status.satellitesDone, 5u);
    EXPECT_LT(r.status.satellitesDone, r.status.satellitesTotal);
    EXPECT_EQ(CutShortLine(r.status), "  Search failed: disk on fire; " + std::to_string(r.status.satellitesDone) +
                                          " of " + std::to_string(r.status.satellitesTotal) + " satellites searched");

    std::size_t handed = 0;
    const TPredictionResult s = RunLineSearch(in, sats, site, 2, nullptr, [&](std::size_t, std::vector<TLinePass>&) {
        if (++handed == 3) throw 42;  // not even an exception class
    });
    EXPECT_TRUE(s.status.cutShort);
    EXPECT_EQ(s.status.failure, "unknown error");
    EXPECT_EQ(handed, 3u);

    const TPredictionResult again = RunLineSearch(in, {sats[0], sats[1]}, site, 2);
    EXPECT_FALSE(again.status.cutShort);
    EXPECT_TRUE(again.status.failure.empty());
    EXPECT_EQ(CutShortLine(again.status), "");
}
