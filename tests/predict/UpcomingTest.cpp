// The upcoming passes of the main window's list: passes under way keep their
// AOS, finished ones drop out, order and filters hold, and the change key
// sees what the search reads and nothing else.
#include <gtest/gtest.h>

#include <algorithm>

#include "PredictTestUtil.h"
#include "uUpcoming.h"

namespace {
const double kFrom = EncodeDayNumber(2018, 1, 21, 12);
constexpr double kSecond = 1.0 / 86400.0;

TEST(Upcoming, PassesUnderWayKeepTheirAosAndFinishedOnesDropOut) {
    const std::vector<TSatRec> sats = LoadTestSats();
    const TObserver o = TestObserver();
    TUpcomingInputs in;
    in.from = kFrom;
    const std::vector<TUpcomingPass> all = FindUpcomingPasses(in, sats, o);
    ASSERT_GT(all.size(), 5u);
    EXPECT_TRUE(std::is_sorted(all.begin(), all.end(), [](auto& a, auto& b) { return a.aos < b.aos; }));
    for (const TUpcomingPass& p : all) {
        EXPECT_GE(p.los, kFrom);
        EXPECT_LT(p.aos, kFrom + 1.0);
        EXPECT_LT(p.aos, p.middle);
        EXPECT_LT(p.middle, p.los);
        EXPECT_GE(p.maxElevation, 10.0 - 1e-6);
        EXPECT_EQ(p.name, sats[p.satellite].name.str());
    }

    // From the middle of a pass: the pass is still listed, with the same edges.
    const TUpcomingPass& chosen = all[all.size() / 2];
    in.from = chosen.middle;
    const std::vector<TUpcomingPass> later = FindUpcomingPasses(in, sats, o);
    const auto same = std::find_if(later.begin(), later.end(), [&](const TUpcomingPass& p) {
        return p.satellite == chosen.satellite && p.aos < in.from;
    });
    ASSERT_NE(same, later.end()) << "the pass under way is kept";
    EXPECT_NEAR(same->aos, chosen.aos, 1.5 * kSecond);
    EXPECT_NEAR(same->los, chosen.los, 1.5 * kSecond);
    for (const TUpcomingPass& p : later) EXPECT_GE(p.los, in.from) << "finished passes are left out";
}

TEST(Upcoming, VisibleOnlyAndUnselectedSatellites) {
    std::vector<TSatRec> sats = LoadTestSats();
    const TObserver o = TestObserver();
    TUpcomingInputs in;
    in.from = kFrom;
    const std::size_t all = FindUpcomingPasses(in, sats, o).size();
    in.visibleOnly = true;
    const std::vector<TUpcomingPass> visible = FindUpcomingPasses(in, sats, o);
    EXPECT_LT(visible.size(), all);
    for (const TUpcomingPass& p : visible) EXPECT_FALSE(p.shadowed) << p.name;

    // Only the tracked ones, whatever the records' bytes say.
    in.visibleOnly = false;
    in.tracked = TChoice::Marked({true});
    const std::vector<TUpcomingPass> first = FindUpcomingPasses(in, sats, o);
    EXPECT_FALSE(first.empty());
    for (const TUpcomingPass& p : first) EXPECT_EQ(p.satellite, 0u);
    in.tracked = TChoice::None();
    EXPECT_TRUE(FindUpcomingPasses(in, sats, o).empty());
}

TEST(Upcoming, KeySeesElementsSelectionAndPlaceOnly) {
    std::vector<TSatRec> sats = LoadTestSats();
    TObserver o = TestObserver();
    const uint64_t key = UpcomingKey(sats, TChoice{}, o);
    // A propagation writes the work area: no new search for that.
    TSatRec copy = sats[0];
    TSatState st{};
    const TFrame at = ObserverFrame(o, kFrom);
    PropagateSatellite(copy, st, at, kFillPosition);
    std::vector<TSatRec> propagated = sats;
    propagated[0] = copy;
    EXPECT_EQ(UpcomingKey(propagated, TChoice{}, o), key);

    std::vector<TSatRec> changed = sats;
    changed[1].epoch += 0.5;
    EXPECT_NE(UpcomingKey(changed, TChoice{}, o), key);
    std::vector<bool> all(sats.size(), true);
    EXPECT_EQ(UpcomingKey(sats, TChoice::Marked(all), o), key);
    all[2] = false;
    EXPECT_NE(UpcomingKey(sats, TChoice::Marked(all), o), key);
    o.pos.lat += 1e-4;
    EXPECT_NE(UpcomingKey(sats, TChoice{}, o), key);
    o = TestObserver();
    o.zoneName = "Europe/Berlin";
    EXPECT_NE(UpcomingKey(sats, TChoice{}, o), key);
}

}  // namespace
