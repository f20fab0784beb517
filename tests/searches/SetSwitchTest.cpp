// Several element sets of one object searched over one period: each set
// serves the moments nearest its epoch, a pass belongs to the set serving
// its AOS and is listed once, whole.
#include <gtest/gtest.h>

#include <cstdio>
#include <limits>
#include <mutex>

#include "SearchTestUtil.h"
#include "uSearchPool.h"

namespace {
// A made-up set of number 25544 at day-of-2018 `day`; the mean anomaly moves
// the satellite along its orbit, so two sets give passes at other times.
std::string IssSet(double day, double anomaly, const char* number = "25544") {
    char l1[80], l2[80];
    std::snprintf(l1, sizeof l1, "1 %sU 98067A   18%012.8f  .00001764  00000-0  33290-4 0  999", number, day);
    std::snprintf(l2, sizeof l2, "2 %s  51.6420 247.4627 0006703 130.5360 %8.4f 15.54200000 9343", number,
                  anomaly);
    return elsets::ThreeLines("ISS (ZARYA)", l1, l2);
}
std::vector<TSatRec> Records(const std::string& text) {
    std::vector<TElementEntry> entries;
    ReadElementText(entries, text);
    return elsets::SelectedRecords(entries);
}
double Day(double day) { return EncodeDayNumber(2018, 1, 1) + day - 1.0; }

// The passes of the line search of sats over start..stop, day and night.
std::vector<TLinePass> Passes(const std::vector<TSatRec>& sats, double start, double stop, unsigned threads = 1) {
    TPredictionInputs in = Period(start, stop, 10.0, true);
    in.sunlitOnly = false;
    return RunLineSearch(in, sats, SiteAt(45.0, -75.0), threads).linePasses;
}

void ExpectSamePass(const TLinePass& got, const TLinePass& want, double slack, const char* what) {
    EXPECT_NEAR(got.aos, want.aos, slack) << what;
    EXPECT_NEAR(got.los, want.los, slack) << what;
    EXPECT_NEAR(got.maxElevation, want.maxElevation, 0.05) << what;
}
}  // namespace

// The rule alone, on passes laid down by hand: a job lists the passes that
// overlap its window, cut to it, as a search does.
TEST(SetSwitch, RunnerGivesEachPassOnceToTheSetServingItsStart) {
    std::vector<TSatRec> sats(4);
    const double epochs[] = {10.0, 20.0, 30.0, 15.0};
    const char* numbers[] = {"7", "7", "7", "8"};
    for (int i = 0; i < 4; ++i) {
        sats[i].catNo = numbers[i];
        sats[i].epoch = epochs[i] + kJulianOffset;
        sats[i].selected = 1;
    }
    // Midpoints of object 7 at 15 and 25. One pass across 15 lasts 9 days,
    // far past the first window; one starts on the midpoint 25 itself.
    const std::vector<std::pair<double, double>> laid = {{11.0, 11.1}, {14.9, 15.1}, {14.0, 23.0},
                                                         {24.95, 24.99}, {25.0, 25.2}, {40.0, 40.5}};
    std::vector<TSetWindow> windows;
    std::mutex windowsLock;  // the jobs run on the pool's threads
    auto job = [&](std::size_t i, const TSetWindow& w, const TStop&, std::vector<TLinePass>& out) {
        if (i == 0 || i == 3) {
            const std::lock_guard lock(windowsLock);
            windows.push_back(w);
        }
        if (i == 3) {  // always up
            TLinePass p;
            p.satellite = i;
            p.aos = std::max(w.from, 0.0);
            p.los = std::min(w.to, 100.0);
            out.push_back(p);
            return;
        }
        for (const auto& [a, b] : laid) {
            const double from = std::max({a, w.from, 0.0}), to = std::min({b, w.to, 100.0});
            if (!(from < to)) continue;
            TLinePass p;
            p.satellite = i;
            p.aos = from;
            p.los = to;
            out.push_back(p);
        }
    };
    std::vector<TLinePass> got;
    std::vector<std::size_t> sunk;
    const TSearchStatus status = RunPerObject(
        sats, [](const TSatRec&) { return true; }, 1, nullptr, job,
        [](const TLinePass& p) { return RecordTimes(p); }, got,
        TSatelliteSink<TLinePass>([&](std::size_t i, std::vector<TLinePass>& r) {
            for (const TLinePass& p : r) EXPECT_EQ(p.satellite, i) << "a sink run holds one set";
            sunk.push_back(i);
        }));
    EXPECT_EQ(status.satellitesTotal, 2u) << "two objects";
    EXPECT_EQ(status.satellitesDone, 2u);
    EXPECT_TRUE(got.empty()) << "a sink takes the records";
    EXPECT_EQ(sunk, (std::vector<std::size_t>{0, 1, 2, 3}));

    got.clear();
    RunPerObject(sats, [](const TSatRec&) { return true; }, 3, nullptr, job,
                 [](const TLinePass& p) { return RecordTimes(p); }, got);
    struct TWant {
        std::size_t set;
        double aos, los;
    };
    const std::vector<TWant> want = {{0, 11.0, 11.1},  {0, 14.0, 23.0}, {0, 14.9, 15.1}, {1, 24.95, 24.99},
                                     {2, 25.0, 25.2},  {2, 40.0, 40.5}, {3, 0.0, 100.0}};
    ASSERT_EQ(got.size(), want.size());
    for (std::size_t k = 0; k < want.size(); ++k) {
        EXPECT_EQ(got[k].satellite, want[k].set) << k;
        EXPECT_DOUBLE_EQ(got[k].aos, want[k].aos) << k << ": whole, never cut at a window";
        EXPECT_DOUBLE_EQ(got[k].los, want[k].los) << k;
    }
    // The lone set of object 8 ran once over the whole period.
    bool wholeSeen = false;
    for (const TSetWindow& w : windows) wholeSeen |= w.Whole();
    EXPECT_TRUE(wholeSeen);
}

// A real search against each set alone: the first set's passes up to the
// midpoint are its own search's over the whole period, one pass across the
// midpoint included whole; the second set's after it are its own search's
// from the midpoint on; the thread count changes nothing.
TEST(SetSwitch, LineSearchSwitchesSetsAtTheMidpoint) {
    const double start = Day(18.0), stop = Day(21.0);
    const std::vector<TSatRec> first = Records(IssSet(18.0, 10.0));
    const std::vector<TLinePass> alone = Passes(first, start, stop);
    ASSERT_GE(alone.size(), 8u);
    // The second set's epoch puts the midpoint inside a pass of the first.
    const TLinePass& across = alone[alone.size() / 2];
    const double mid = (across.aos + across.los) / 2.0;
    const double secondDay = 2.0 * (mid - Day(18.0)) + 18.0;
    const std::vector<TSatRec> second = Records(IssSet(secondDay, 200.0));
    ASSERT_EQ(second.size(), 1u);
    const double midpoint = (JulianToDayNumber(first[0].epoch) + JulianToDayNumber(second[0].epoch)) / 2.0;
    ASSERT_GT(midpoint, across.aos);
    ASSERT_LT(midpoint, across.los);

    std::vector<TSatRec> both = second;  // list order is not epoch order
    both.push_back(first[0]);
    const std::vector<TLinePass> got = Passes(both, start, stop);
    std::vector<TLinePass> want;
    for (const TLinePass& p : alone)
        if (p.aos < midpoint) want.push_back(p);
    const std::size_t fromFirst = want.size();
    for (const TLinePass& p : Passes(second, midpoint, stop))
        if (p.aos > midpoint) want.push_back(p);  // not one cut at the midpoint
    ASSERT_EQ(got.size(), want.size());
    int crossing = 0;
    for (std::size_t k = 0; k < got.size(); ++k) {
        EXPECT_EQ(got[k].satellite, k < fromFirst ? 1u : 0u) << k;
        ExpectSamePass(got[k], want[k], k < fromFirst ? 0.0 : 1.5 / 86400.0, "pass by pass");
        if (k > 0) {
            EXPECT_LE(got[k - 1].aos, got[k].aos) << "time order";
        }
        crossing += got[k].aos < midpoint && got[k].los > midpoint;
    }
    EXPECT_EQ(crossing, 1) << "the pass across the midpoint, once";

    const std::vector<TLinePass> threaded = Passes(both, start, stop, 3);
    ASSERT_EQ(threaded.size(), got.size());
    for (std::size_t k = 0; k < got.size(); ++k) ExpectSamePass(threaded[k], got[k], 0.0, "threads");
}
