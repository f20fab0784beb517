// Alerts over the January 2018 test sets for a fixed clock: the expected
// events at the expected times, and nothing told twice however often the
// plan is worked out again while the clock runs.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "predict/PredictTestUtil.h"
#include "uAlerts.h"

namespace {
const double kFrom = EncodeDayNumber(2018, 1, 21, 22, 0, 0);

TAlertPlanInputs Inputs(std::vector<TAlertRule> rules, double from = kFrom) {
    TAlertPlanInputs in;
    in.rules = std::move(rules);
    in.catalogue = LoadTestSats();
    in.observer = TestObserver();
    in.from = from;
    return in;
}

TAlertRule Iss() {
    TAlertRule r;
    r.name = "ISS";
    r.satellites = TAlertSatellites::kList;
    r.numbers = {"25544"};
    r.minMaxElevation = 30;
    r.leadMinutes = {10, 1};
    return r;
}

std::string Shown(const TAlertPlan& plan, const TAlertItem& item) {
    return FormatDateTime("yyyy-mm-dd HH:nn:ss", item.when) + " " + plan.passes[item.pass].number + " " +
           AlertItemText(item);
}
}  // namespace

TEST(Alerts, FixedClockGivesTheExpectedSet) {
    TAlertRule high;
    high.name = "high";
    high.minMaxElevation = 30;
    high.leadMinutes = {10, 1};
    high.losProgram = {"true"};
    const TAlertPlan plan = PlanAlerts(Inputs({high}));
    EXPECT_TRUE(plan.problems.empty());
    std::vector<std::string> shown;
    for (const TAlertItem& item : plan.items) shown.push_back(Shown(plan, item));
    // The passes of the line report of this period that reach 30 degrees.
    const std::vector<std::string> expected = {
        "2018-01-21 22:45:11 25338 10 min before AOS", "2018-01-21 22:46:58 28931 10 min before AOS",
        "2018-01-21 22:47:37 37820 10 min before AOS", "2018-01-21 22:54:11 25338 1 min before AOS",
        "2018-01-21 22:55:58 28931 1 min before AOS",  "2018-01-21 22:56:37 37820 1 min before AOS",
        "2018-01-21 23:01:44 37820 program at LOS",    "2018-01-21 23:05:48 25338 program at LOS",
        "2018-01-21 23:06:14 28931 program at LOS",    "2018-01-22 00:41:22 27386 10 min before AOS",
        "2018-01-22 00:50:22 27386 1 min before AOS",  "2018-01-22 00:54:30 27386 program at LOS",
        "2018-01-22 10:55:35 41765 10 min before AOS", "2018-01-22 10:58:32 25338 10 min before AOS",
        "2018-01-22 11:04:35 41765 1 min before AOS",  "2018-01-22 11:07:32 25338 1 min before AOS",
        "2018-01-22 11:10:15 41765 program at LOS",    "2018-01-22 11:18:08 25338 program at LOS",
    };
    EXPECT_EQ(shown, expected) << Joined(shown);

    // Started half-way through the first three passes: only their LOS
    // programs are still to come, and their AOS (before the start) is the
    // true one, so their keys are those of the earlier plan.
    const double late = EncodeDayNumber(2018, 1, 21, 22, 58, 0);
    const TAlertPlan under = PlanAlerts(Inputs({high}, late));
    std::vector<std::string> coming;
    for (const TAlertItem& item : under.items)
        if (item.when >= late && coming.size() < 4) coming.push_back(Shown(under, item));
    EXPECT_EQ(coming, std::vector<std::string>(expected.begin() + 6, expected.begin() + 10));
    ASSERT_FALSE(under.items.empty());
    EXPECT_EQ(under.passes.front().aosMinute, plan.passes.front().aosMinute);

    // Brighter than 2.8 (standard magnitude 4): TIANGONG 1 and TIANGONG-2 only.
    high.haveMagnitude = true;
    high.brighterThan = 2.8;
    const TAlertPlan bright = PlanAlerts(Inputs({high}));
    std::set<std::string> numbers;
    for (const TAlertPass& p : bright.passes) numbers.insert(p.number);
    EXPECT_EQ(numbers, (std::set<std::string>{"37820", "41765"}));
}

TEST(Alerts, RulesOnOneSatelliteShareItsPassAndFileRulesReadTheirFile) {
    TAlertRule a = Iss(), b = Iss();
    a.numbers = b.numbers = {"37820"};
    a.leadMinutes = {10, 1};
    b.leadMinutes = {10, 5};
    b.aosProgram = {"true"};
    TAlertRule file;
    file.name = "file";
    file.satellites = TAlertSatellites::kFile;
    file.file = "no-such-file.tle";
    const TAlertPlan plan = PlanAlerts(Inputs({a, b, file}));
    std::vector<std::string> shown;
    for (const TAlertItem& item : plan.items)
        if (plan.passes[item.pass].number == "37820") shown.push_back(Shown(plan, item));
    EXPECT_EQ(shown, (std::vector<std::string>{"2018-01-21 22:47:37 37820 10 min before AOS",
                                               "2018-01-21 22:52:37 37820 5 min before AOS",
                                               "2018-01-21 22:56:37 37820 1 min before AOS",
                                               "2018-01-21 22:57:37 37820 program at AOS"}));
    ASSERT_EQ(plan.problems.size(), 1u);
    EXPECT_NE(plan.problems[0].find("rule 'file'"), std::string::npos) << plan.problems[0];

    file.file = kPassesTle;
    file.minMaxElevation = 30;
    const TAlertPlan fromFile = PlanAlerts(Inputs({file}));
    EXPECT_TRUE(fromFile.problems.empty());
    EXPECT_EQ(fromFile.passes.size(), 6u);
}

// The clock runs through the day in steps of 40 s while the plan is worked
// out again every few minutes (from the clock, and once for an observer a
// few metres away, which moves every AOS a little): every item is told
// exactly once.
TEST(Alerts, NoneTwiceAfterRefreshes) {
    TAlertRule high;
    high.minMaxElevation = 30;
    high.leadMinutes = {10, 1, 0};
    high.aosProgram = high.losProgram = {"true"};
    TAlertPlanInputs in = Inputs({high});
    TAlertPlan plan = PlanAlerts(in);
    const std::size_t expected = plan.items.size();
    TAlertLedger ledger;
    std::map<std::string, int> told;
    double previous = kFrom - 1.0 / kSecondsPerDay;
    const double step = 40.0 / kSecondsPerDay;
    for (int i = 0; i * step < 1.0; ++i) {
        const double now = kFrom + i * step;
        if (i % 11 == 5) {
            in.from = now;
            in.observer = TestObserver(45.0, -75.0, i % 2 ? 0.1 : 0.115);
            plan = PlanAlerts(in);
        }
        for (const TAlertItem& item : TakeDueAlerts(plan, ledger, previous, now))
            ++told[FormatDateTime("yyyy-mm-dd HH:nn", plan.passes[item.pass].aos) + " " +
                   plan.passes[item.pass].number + " " + AlertItemText(item)];
        previous = now;
    }
    for (const auto& [key, n] : told) EXPECT_EQ(n, 1) << key;
    EXPECT_EQ(told.size(), expected);
}

TEST(Alerts, LedgerAndClockJumps) {
    TAlertLedger ledger;
    ledger.Mark({25544, 1000, 1});
    // An AOS that moved over a minute boundary is the same pass.
    EXPECT_TRUE(ledger.Fired({25544, 999, 1}));
    EXPECT_TRUE(ledger.Fired({25544, 1001, 1}));
    EXPECT_FALSE(ledger.Fired({25544, 1002, 1}));
    EXPECT_FALSE(ledger.Fired({25544, 1000, 2}));
    EXPECT_FALSE(ledger.Fired({25545, 1000, 1}));
    ledger.ForgetBefore(1001 / kMinutesPerDay);
    EXPECT_EQ(ledger.Size(), 0u);

    TAlertRule high;
    high.minMaxElevation = 30;
    const TAlertPlan plan = PlanAlerts(Inputs({high}));
    ASSERT_FALSE(plan.items.empty());
    const double first = plan.items.front().when;
    TAlertLedger fresh;
    // Set far ahead, or back: nothing told on the way.
    EXPECT_TRUE(TakeDueAlerts(plan, fresh, kFrom, kFrom + 0.5).empty());
    EXPECT_TRUE(TakeDueAlerts(plan, fresh, first + 0.01, first - 0.001).empty());
    EXPECT_EQ(TakeDueAlerts(plan, fresh, first - 1.0 / kSecondsPerDay, first).size(), 1u);
    EXPECT_TRUE(TakeDueAlerts(plan, fresh, first - 1.0 / kSecondsPerDay, first).empty());
}
