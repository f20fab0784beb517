// Files with several element sets of one object (supplemental GP data): all
// kept, the set nearest the time computed chosen, one line per object.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>

#include "../common/ElementSets.h"
#include "../common/RunProgram.h"
#include "TempDirTest.h"
#include "uElementGroups.h"
#include "uFormat.h"
#include "uSelectorList.h"

namespace {
// A set of the number at day-of-2018 `day`; its mean anomaly tells sets apart.
std::string Set(const std::string& name, const char* number, double day, double anomaly) {
    char l1[80], l2[80];
    std::snprintf(l1, sizeof l1, "1 %sU 98067A   18%012.8f  .00001764  00000-0  33290-4 0  999", number, day);
    std::snprintf(l2, sizeof l2, "2 %s  51.6420 247.4627 0006703 130.5360 %8.4f 15.54200000 9343", number, anomaly);
    return elsets::ThreeLines(name, l1, l2);
}
double Day(double day) { return EncodeDayNumber(2018, 1, 1) + day - 1.0; }

const std::string kTwoEach = Set("ISS (ZARYA)", "25544", 18.0, 10.0) + Set("HST", "20580", 18.5, 20.0) +
                             Set("ISS (ZARYA)", "25544", 30.0, 30.0) + Set("HST", "20580", 29.5, 40.0);

double Anomaly(const TElementEntry& e) { return std::stod(std::string(e.line2.view().substr(43, 8))); }
}  // namespace

class ElementGroups : public TempDirTest {};

TEST_F(ElementGroups, TwoSetsPerObjectChooseByEpoch) {
    Write("sup.tle", kTwoEach);
    std::vector<TElementEntry> entries;
    ASSERT_TRUE(ReadElementFile(entries, Path("sup.tle")));
    ASSERT_EQ(entries.size(), 4u) << "every set is kept";
    const auto groups = GroupSetsByObject(entries);
    ASSERT_EQ(groups.size(), 2u);
    EXPECT_EQ(groups[0], (std::vector<std::size_t>{0, 2}));

    auto near = SetsNearestEpoch(entries, Day(20.0));
    ASSERT_EQ(near.size(), 2u);
    EXPECT_EQ(near[0].catNo.str(), "25544");
    EXPECT_EQ(Anomaly(near[0]), 10.0);
    EXPECT_EQ(Anomaly(near[1]), 20.0);
    near = SetsNearestEpoch(entries, Day(25.0));  // 5 days from ISS's second, 6.5 from HST's first
    EXPECT_EQ(Anomaly(near[0]), 30.0);
    EXPECT_EQ(Anomaly(near[1]), 40.0);
    EXPECT_EQ(Anomaly(SetsNearestEpoch(entries, Day(24.0))[0]), 30.0) << "a tie takes the later set";

    std::vector<TSatRec> sats = elsets::SelectedRecords(entries);
    KeepNearestEpoch(sats, Day(19.0));
    ASSERT_EQ(sats.size(), 2u);
    EXPECT_EQ(sats[0].catNo.str(), "25544");
    EXPECT_NEAR(JulianToDayNumber(sats[0].epoch), Day(18.0), 1e-6);

    // The selector lists each object once, with the set nearest its clock.
    const auto file = LoadSelectorFile(Path("sup.tle"), Day(31.0));
    ASSERT_EQ(file->size(), 2u);
    EXPECT_EQ(Anomaly(file->entries[0]), 30.0);
}

// The spans each set serves: from midpoint to midpoint, in epoch order
// whatever the file order; a repeated epoch and an unreadable one serve none.
TEST(ElementGroupSpans, MidpointsBetweenEpochs) {
    std::vector<TSatRec> sats(6);
    const char* numbers[] = {"25544", "20580", "25544", "25544", "25544", "20580"};
    const double epochs[] = {30.0, 5.0, 18.0, 30.0, std::nan(""), std::nan("")};
    for (std::size_t i = 0; i < sats.size(); ++i) {
        sats[i].catNo = numbers[i];
        sats[i].epoch = Day(epochs[i]) + kJulianOffset;
    }
    const auto spans = SetSpansByObject(sats, {0, 1, 2, 3, 4, 5});
    ASSERT_EQ(spans.size(), 2u);
    ASSERT_EQ(spans[0].size(), 2u) << "the repeated day-30 set and the unreadable one serve nothing";
    EXPECT_EQ(spans[0][0].set, 2u);
    EXPECT_TRUE(std::isinf(spans[0][0].from) && spans[0][0].from < 0);
    EXPECT_DOUBLE_EQ(spans[0][0].to, Day(24.0));
    EXPECT_EQ(spans[0][1].set, 0u) << "of one epoch the first set";
    EXPECT_DOUBLE_EQ(spans[0][1].from, Day(24.0)) << "the midpoint goes to the later set, as the nearest does";
    EXPECT_TRUE(std::isinf(spans[0][1].to) && spans[0][1].to > 0);
    ASSERT_EQ(spans[1].size(), 1u);
    EXPECT_EQ(spans[1][0].set, 1u);
    // Only the records asked for; one with no readable epoch serves alone.
    const auto alone = SetSpansByObject(sats, {4});
    ASSERT_EQ(alone.size(), 1u);
    EXPECT_EQ(alone[0][0].set, 4u);
    EXPECT_TRUE(std::isinf(alone[0][0].from) && std::isinf(alone[0][0].to));
}

// orbisk-predict --tle: one block per object, the set nearest the period.
TEST_F(ElementGroups, CommandLineSearchesTheSetNearestThePeriod) {
    const std::string program = std::string(ORBISK_PROGRAM_DIR) + "/orbisk-predict";
    if (!std::filesystem::exists(program)) GTEST_SKIP() << "orbisk-predict is not built";
    Write("sup.tle", kTwoEach);
    const std::string common = "--tle '" + Path("sup.tle") + "' --utc --all --day-night --lat 45 --lon -75 --days 1 --sat 25544 ";
    const TProgramRun early = RunProgram(program, common + "--start 2018-01-19");
    ASSERT_EQ(early.status, 0) << early.out;
    EXPECT_NE(early.out.find("TLE Date: Jan 18 2018"), std::string::npos) << early.out;
    EXPECT_EQ(early.out.find("TLE Date: Jan 30 2018"), std::string::npos) << early.out;
    const TProgramRun late = RunProgram(program, common + "--start 2018-01-28");
    ASSERT_EQ(late.status, 0) << late.out;
    EXPECT_NE(late.out.find("TLE Date: Jan 30 2018"), std::string::npos) << late.out;
    // Across the midpoint (Jan 24 00:00) each set for its part of the period.
    const std::string twoDays = "--tle '" + Path("sup.tle") + "' --utc --all --day-night --lat 45 --lon -75 --days 2 --sat 25544 ";
    const TProgramRun across = RunProgram(program, twoDays + "--start 2018-01-23");
    ASSERT_EQ(across.status, 0) << across.out;
    const std::size_t earlier = across.out.find("TLE Date: Jan 18 2018");
    const std::size_t later = across.out.find("TLE Date: Jan 30 2018");
    EXPECT_NE(earlier, std::string::npos) << across.out;
    EXPECT_NE(later, std::string::npos) << across.out;
    EXPECT_LT(earlier, later) << across.out;
    const TProgramRun list = RunProgram(program, "--tle '" + Path("sup.tle") + "' --list");
    EXPECT_NE(list.out.find("2 satellites"), std::string::npos) << list.out;
}
