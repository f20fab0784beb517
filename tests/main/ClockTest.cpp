// The clock: the step ladder, running backwards, local and UTC display, the
// next pass of slow satellites and the notice about old element sets.
#include <QComboBox>
#include <QLabel>
#include <QPushButton>

#include "WindowTestUtil.h"
#include "uClock.h"
#include "uInitialize.h"
#include "uTracking.h"

namespace {

constexpr double kSecond = 1.0 / 86400.0;

TEST(ClockLadder, StepsAndTheirTexts) {
    EXPECT_EQ(LadderStep(500, kClockFaster), 1000);
    EXPECT_EQ(StepText(1000, 1), "1 Sec");
    EXPECT_EQ(LadderStep(1000, kClockFaster), 5000);
    EXPECT_EQ(StepText(5000, 1), "5 Sec");
    EXPECT_EQ(LadderStep(600000, kClockFaster), 600000);
    EXPECT_EQ(StepText(600000, 1), "10 Min");
    EXPECT_EQ(LadderStep(50, kClockSlower), 50);
    EXPECT_EQ(StepText(50, 1), "0.05 Sec");
    EXPECT_EQ(LadderStep(-5000, kClockSlower), 1000) << "the magnitude moves, the sign is the direction's";
    EXPECT_EQ(LadderStep(700, kClockFaster), 700) << "off the ladder: kept";
    EXPECT_EQ(StepText(30000, -1), "-30 Sec");
    EXPECT_EQ(StepText(120000, -1), "-2 Min");
    EXPECT_DOUBLE_EQ(AdvanceClock(100.0, -5000), 100.0 - 5 * kSecond);
}

TEST_F(TWindowTest, BackwardsAtFiveSecondsMovesEachTickFiveSecondsBack) {
    folder.Satellites({TTestSat{}.Record()});
    TfrMainWnd& w = Start();
    EXPECT_EQ(Ui().stxt_step->text(), "1 Sec");
    QTest::mouseClick(Ui().bn_plus, Qt::LeftButton);
    EXPECT_EQ(Ui().stxt_step->text(), "5 Sec");
    QTest::mouseClick(Ui().bn_timebackward, Qt::LeftButton);
    EXPECT_EQ(Ui().stxt_step->text(), "-5 Sec");
    const double t0 = w.session().CurrentTime;
    ASSERT_TRUE(WaitFor([&] { return w.session().CurrentTime != t0; }, 3000));
    EXPECT_NEAR(w.session().CurrentTime - t0, -5 * kSecond, 1e-9);
    QTest::mouseClick(Ui().bn_stop, Qt::LeftButton);
    const double stopped = w.session().CurrentTime;
    QTest::qWait(1200);
    EXPECT_EQ(w.session().CurrentTime, stopped);
}

TEST_F(TWindowTest, LocalTimeIsUtcPlusTheObserversOffset) {
    folder.Satellites({TTestSat{}.Record()});
    TObserver observer = DefaultObserver();
    observer.utcOffset = 2.0 / 24.0;
    ASSERT_TRUE(SaveObserver(folder.path, observer));
    Start(Day2018(22, 10));
    EXPECT_EQ(Ui().stxt_utc->text(), "LOC");
    EXPECT_EQ(Ui().stxt_time->text(), "2018 Jan 22   12:00:00");
    QTest::mouseClick(Ui().stxt_utc, Qt::LeftButton);
    EXPECT_EQ(Ui().stxt_utc->text(), "UTC");
    EXPECT_EQ(Ui().menu_utctime->text(), "Set Time to LOC");
    EXPECT_EQ(Ui().stxt_time->text(), "2018 Jan 22   10:00:00");
}

TEST_F(TWindowTest, TwoRevolutionsADayIsAGeoSatWithoutSearch) {
    TTestSat slow;
    slow.meanMotion = 2.0;
    folder.Satellites({slow.Record()});
    TfrMainWnd& w = Start();
    EXPECT_EQ(Panel(1), "Geo Sat");
    EXPECT_EQ(Panel(3), "Geo Sat");
    EXPECT_NEAR(w.session().NextRise - w.session().CurrentTime, 180.0, 1e-9);
}

// At 03:00 UTC on 22 January 2018 the bundled ISS is low in the east over
// the default observer: the panels show the pass it is on.
TEST_F(TWindowTest, SatelliteUpNowShowsThePassItIsOn) {
    folder.CopyInstalled("MainSat.bin");
    TfrMainWnd& w = Start(Day2018(22, 3));
    ASSERT_TRUE(WaitFor([&] { return !Panel(1).isEmpty() && w.idle(); }));
    const TSession& s = w.session();
    EXPECT_LT(s.NextRise, s.CurrentTime);
    EXPECT_GT(s.NextSet, s.CurrentTime);
    EXPECT_EQ(Panel(1).toStdString(), PassTimeText(s.NextRise, false, s.Observer.utcOffset));

    // Below the horizon just before the rise and just after the set, above between.
    TSatRec sat = s.MainSats[s.Sat1Main];
    TObserver observer = s.Observer;
    auto elevation = [&](double t) {
        TSatState state{};
        const TFrame at = ObserverFrame(observer, t);
        PropagateSatellite(sat, state, at, kFillPosition);
        return ElevationOf(state.pos, at);
    };
    EXPECT_LT(elevation(s.NextRise - 2 * kSecond), 0.0);
    EXPECT_GT(elevation(s.NextRise), 0.0);
    EXPECT_GT(elevation(s.NextSet - 1 * kSecond), 0.0);
    EXPECT_LE(elevation(s.NextSet), 0.0);
}

TEST_F(TWindowTest, OldElementsBringANoticeThatCanMoveTheClock) {
    folder.Satellites({TTestSat{}.Record()});
    TfrMainWnd& w = Start(Day2018(22) + 45.0);
    EXPECT_TRUE(Ui().ElementNotice->isVisible());
    EXPECT_EQ(Panel(11), "45.0 Days");
    QTest::mouseClick(Ui().ElementNotice->epochButton(), Qt::LeftButton);
    EXPECT_DOUBLE_EQ(w.session().CurrentTime, Day2018(22));
    EXPECT_FALSE(Ui().ElementNotice->isVisible());
    EXPECT_EQ(Panel(11), "0.0 Days");
}

}  // namespace
