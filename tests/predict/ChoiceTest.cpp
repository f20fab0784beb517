// Which satellites a search takes is the caller's choice, by place in the
// list: the records' selected byte (a file's field) plays no part.
#include <gtest/gtest.h>

#include <vector>

#include "PredictTestUtil.h"
#include "uChoice.h"
#include "uPassSearch.h"
#include "uTargets.h"
#include "uTransit.h"

namespace {
const double kStart = EncodeDayNumber(2018, 1, 21);

TEST(Choice, EveryMarkedNoneAndWhere) {
    const TChoice every;
    EXPECT_TRUE(every.TakesEvery());
    EXPECT_TRUE(every(0));
    EXPECT_TRUE(every(1000000));
    EXPECT_EQ(every.Count(7), 7u);

    const TChoice marked = TChoice::Marked({true, false, true});
    EXPECT_FALSE(marked.TakesEvery());
    EXPECT_TRUE(marked(0));
    EXPECT_FALSE(marked(1));
    EXPECT_TRUE(marked(2));
    EXPECT_FALSE(marked(3)) << "past the marks nothing is taken";
    EXPECT_EQ(marked.Count(10), 2u);
    EXPECT_EQ(marked.Count(1), 1u);

    EXPECT_FALSE(TChoice::None()(0));
    EXPECT_EQ(TChoice::None().Count(5), 0u);
    const std::vector<int> numbers{4, 7, 10, 13};
    EXPECT_EQ(TChoice::Where(numbers, [](int n) { return n % 2 == 0; }), TChoice::Marked({true, false, true, false}));
}

// A search of the chosen part of a list finds what a search of each chosen
// record alone finds, named by its place in the whole list, and counts only
// the chosen ones.
TEST(Choice, SearchesTakeTheChosenPlacesOnly) {
    std::vector<TSatRec> sats = LoadTestSats();
    ASSERT_GE(sats.size(), 4u);
    for (TSatRec& s : sats) s.selected = 0;  // the bytes say nothing
    std::vector<bool> marks(sats.size(), false);
    marks[1] = marks[3] = true;
    TPredictionInputs in = TestInputs(kStart, kStart + 2.0, false, true);
    in.chosen = TChoice::Marked(marks);
    const TObserver o = TestObserver();

    const TPredictionResult line = RunLineSearch(in, sats, o, 2);
    EXPECT_EQ(line.status.satellitesTotal, 2u);
    ASSERT_FALSE(line.linePasses.empty());
    TPredictionInputs alone = in;
    alone.chosen = TChoice{};
    std::vector<double> expected, found;
    for (std::size_t i : {std::size_t{1}, std::size_t{3}})
        for (const TLinePass& p : RunLineSearch(alone, {sats[i]}, o, 1).linePasses) expected.push_back(p.aos);
    for (const TLinePass& p : line.linePasses) {
        EXPECT_TRUE(p.satellite == 1 || p.satellite == 3) << p.satellite;
        found.push_back(p.aos);
    }
    EXPECT_EQ(found, expected);

    const TPredictionResult table = RunTabularSearch(in, sats, o, 2);
    for (const TTablePass& p : table.tablePasses) EXPECT_TRUE(p.satellite == 1 || p.satellite == 3);

    TTransitTarget moon;
    ASSERT_TRUE(MakeBodyTarget("Moon", moon));
    const TTransitResult transits = RunTransitSearch(in, 5.0, moon, sats, o, 2);
    EXPECT_EQ(transits.status.satellitesTotal, 2u);

    in.chosen = TChoice::None();
    EXPECT_TRUE(RunLineSearch(in, sats, o).linePasses.empty());
    EXPECT_EQ(RunLineSearch(in, sats, o).status.satellitesTotal, 0u);
}
}  // namespace
