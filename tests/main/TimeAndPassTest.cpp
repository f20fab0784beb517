// The main window's times as a user meets them: the next pass of the chosen
// satellite, the observer's own time zone with daylight saving, the clock
// pickers and SET/NOW, and the angle readouts.
#include <QComboBox>
#include <QDateEdit>
#include <QDateTimeEdit>
#include <QInputDialog>
#include <QLabel>
#include <QPushButton>

#include "WindowTestUtil.h"
#include "frCommon.h"
#include "uClock.h"
#include "uInitialize.h"

namespace {

constexpr double kSecond = 1.0 / 86400.0;

TObserver Site(double latDeg, double lonDeg, const char* zone, double fixedOffsetHours) {
    TObserver o = DefaultObserver();
    o.name = "Test Site";
    o.zoneName = zone;
    o.pos = TLatLon{latDeg * kDegToRad, lonDeg * kDegToRad, 0.05};
    o.utcOffset = fixedOffsetHours / 24.0;
    UpdateParallax(o);
    return o;
}

struct TTimeTest : TWindowTest {
    void Observer(TObserver o) { ASSERT_TRUE(SaveObserver(folder.path, o)); }
    // Chooses entry `index` of the first satellite box with the keyboard.
    void ChooseFirst(int index) {
        QComboBox* box = Ui().cb_sat1;
        box->setFocus();
        while (box->currentIndex() < index) QTest::keyClick(box, Qt::Key_Down);
        while (box->currentIndex() > index) QTest::keyClick(box, Qt::Key_Up);
    }
    bool PassShown() {
        return WaitFor([&] { return window->idle() && Panel(1) != "..."; });
    }
};

TEST_F(TTimeTest, NextPassFollowsTheChosenSatelliteAndSaysWhenItNeverRises) {
    Observer(Site(53.5, 10.0, "Europe/Berlin", 1.0));
    TTestSat iss;
    iss.name = "LOW INCLINED";
    TTestSat hst;
    hst.name = "NEVER HERE";
    hst.catNo = "90002";
    hst.inclination = 28.47;
    hst.meanMotion = 15.09;
    folder.Satellites({iss.Record(), hst.Record()});
    TfrMainWnd& w = Start(Day2018(22, 3));
    ASSERT_TRUE(PassShown());
    const QString issRise = Panel(1), issSet = Panel(3);
    ASSERT_NE(issRise, "never rises");
    const double issSetTime = w.session().NextSet;

    ChooseFirst(1);
    ASSERT_TRUE(PassShown());
    EXPECT_EQ(Panel(1), "never rises");
    EXPECT_NE(Panel(3), issSet);
    QTest::mouseClick(Ui().stxt_utc, Qt::LeftButton);
    EXPECT_EQ(Panel(1), "never rises") << "a UTC toggle shows the same answer";
    EXPECT_NE(w.session().NextSet, issSetTime);

    ChooseFirst(0);
    ASSERT_TRUE(PassShown());
    const TSession& s = w.session();
    EXPECT_EQ(s.NextSet, issSetTime);
    EXPECT_GT(s.NextSet, s.NextRise);
    EXPECT_LT(s.NextSet - s.NextRise, 20.0 / 1440.0);
    EXPECT_EQ(Panel(1).toStdString(), PassTimeText(s.NextRise, true, 0.0));
}

// Berlin keeps its own time: CEST in July, CET in January, whatever the
// fixed offset stored with the place says.
TEST_F(TTimeTest, BerlinShowsSummerAndWinterTime) {
    Observer(Site(52.52, 13.40, "Europe/Berlin", 1.0));
    folder.Satellites({TTestSat{}.Record()});
    TfrMainWnd& w = Start(EncodeDayNumber(2018, 7, 22, 12, 0, 0));
    ASSERT_EQ(Ui().stxt_utc->text(), "LOC");
    EXPECT_EQ(Ui().stxt_time->text(), "2018 Jul 22   14:00:00");
    EXPECT_EQ(Ui().dt_main_hour->time(), QTime(14, 0, 0));

    // 19:00 typed into the pickers on a January day is 18:00 UTC.
    QTest::mouseClick(Ui().dt_main_date, Qt::LeftButton);
    Ui().dt_main_date->setDate(QDate(2018, 1, 22));
    Ui().dt_main_hour->setTime(QTime(19, 0, 0));
    QTest::mouseClick(Ui().bn_set, Qt::LeftButton);
    EXPECT_NEAR(w.session().CurrentTime, EncodeDayNumber(2018, 1, 22, 18, 0, 0), 1e-9);
    EXPECT_EQ(Ui().stxt_time->text(), "2018 Jan 22   19:00:00");
}

TEST_F(TTimeTest, SetLeavesTheClockWhereItIsAndNowBringsThePickersAlong) {
    Observer(Site(52.52, 13.40, "Europe/Berlin", 1.0));
    folder.Satellites({TTestSat{}.Record()});
    const double start = EncodeDayNumber(2018, 1, 22, 3, 0, 0) + 0.25 / 86400.0;
    TfrMainWnd& w = Start(start);
    QTest::mouseClick(Ui().bn_set, Qt::LeftButton);
    EXPECT_EQ(w.session().CurrentTime, start) << "untouched pickers: SET changes nothing";
    QTest::mouseClick(Ui().stxt_utc, Qt::LeftButton);
    EXPECT_EQ(Ui().dt_main_hour->time(), QTime(3, 0, 0)) << "the pickers follow the display mode";
    QTest::mouseClick(Ui().bn_set, Qt::LeftButton);
    EXPECT_EQ(w.session().CurrentTime, start);

    QTest::mouseClick(Ui().bn_now, Qt::LeftButton);
    const double now = w.session().CurrentTime;
    EXPECT_NEAR(now, NowDayNumber(), 60 * kSecond);
    TDateParts p;
    ASSERT_TRUE(DecodeDayNumber(now, &p));
    EXPECT_EQ(Ui().dt_main_date->date(), QDate(p.year, p.month, p.day));
    EXPECT_EQ(Ui().dt_main_hour->date(), QDate(p.year, p.month, p.day));
}

TEST(AngleText, RoundsBeforeSplitting) {
    const double arcsecond = kDegToRad / 3600.0;
    EXPECT_EQ(AngleText(-(60.0 * 3600.0 - 0.2) * arcsecond), QString::fromUtf8("-60° 00' 00\""));
    EXPECT_EQ(AngleText((12 * 3600.0 + 31 * 60.0 - 0.4) * arcsecond), QString::fromUtf8("+12° 31' 00\""));
    EXPECT_EQ(AngleText((45 * 3600.0 + 30 * 60.0 + 15.4) * arcsecond), QString::fromUtf8("+45° 30' 15\""));
    EXPECT_EQ(AngleText(-0.1 * arcsecond), QString::fromUtf8("+00° 00' 00\""));
}

TEST_F(TWindowTest, PointerPositionsNeverShowSixtySecondsOrMinutes) {
    folder.Satellites({TTestSat{}.Record()});
    Start();
    QWidget* view = Ui().MainImage;
    int shown = 0;
    for (int x = 3; x < view->width(); x += 7) {
        QTest::mouseMove(view, QPoint(x, (x * 5) % std::max(1, view->height())));
        for (int panel : {5, 7}) {
            const QString text = Panel(panel);
            if (text.isEmpty()) continue;
            ++shown;
            EXPECT_FALSE(text.contains(" 60\"") || text.contains(" 60'")) << text.toStdString();
        }
    }
    EXPECT_GT(shown, 100);
}

TEST_F(TWindowTest, KeysRunStopAndPaceTheClockAndCtrlQQuits) {
    folder.Satellites({TTestSat{}.Record()});
    TfrMainWnd& w = Start();
    w.activateWindow();
    EXPECT_EQ(Ui().stxt_step->text(), "1 Sec");
    QTest::keyClick(&w, Qt::Key_Up, Qt::ControlModifier);
    EXPECT_EQ(Ui().stxt_step->text(), "5 Sec");
    QTest::keyClick(&w, Qt::Key_Down, Qt::ControlModifier);
    EXPECT_EQ(Ui().stxt_step->text(), "1 Sec");
    QTest::keyClick(&w, Qt::Key_Left, Qt::ControlModifier);
    EXPECT_EQ(Ui().stxt_step->text(), "-1 Sec");
    const double t0 = w.session().CurrentTime;
    ASSERT_TRUE(WaitFor([&] { return w.session().CurrentTime < t0; }, 3000)) << "running backwards";
    QTest::keyClick(&w, Qt::Key_Space, Qt::ControlModifier);
    const double stopped = w.session().CurrentTime;
    QTest::qWait(1200);
    EXPECT_EQ(w.session().CurrentTime, stopped);

    QTest::keyClick(&w, Qt::Key_Q, Qt::ControlModifier);
    EXPECT_FALSE(w.isVisible()) << "Ctrl+Q quits";
    EXPECT_TRUE(w.findChildren<QInputDialog*>().isEmpty()) << "not the magnitude dialog";
}

// An object of two sets (a supplemental file) is one line of the boxes and
// tracked with the set nearest the clock: a clock past the midpoint between
// the epochs (Jan 22 00:00) takes the later set, and the next pass with it.
TEST_F(TTimeTest, TrackingTakesTheSetNearestTheClock) {
    Observer(DefaultObserver());
    TTestSat late;
    late.epochDay = 24.0;
    late.meanAnomaly = 100.0;
    TTestSat other;
    other.catNo = "90002";
    other.name = "OTHER";
    TTestSat early;
    early.epochDay = 20.0;
    folder.Satellites({late.Record(), other.Record(), early.Record()});
    TfrMainWnd& w = Start(Day2018(21, 3));
    ASSERT_TRUE(PassShown());
    const TSession& s = w.session();
    EXPECT_EQ(Ui().cb_sat1->count(), 2) << "one line per object";
    EXPECT_EQ(s.Sat1Main, 2) << "the day-20 set serves Jan 21";
    const double earlyPass = s.NextRise;

    QDateEdit* date = Ui().dt_main_date;
    date->setFocus();
    date->setSelectedSection(QDateTimeEdit::DaySection);
    QTest::keyClicks(date, "23");
    QTest::keyClick(date, Qt::Key_Enter);
    ASSERT_NEAR(s.CurrentTime, Day2018(23, 3), 1e-9);
    EXPECT_EQ(s.Sat1Main, 0) << "the day-24 set serves Jan 23";
    EXPECT_EQ(s.ActiveIndex[0], 0);
    EXPECT_EQ(s.ActiveIndex[1], 1);
    EXPECT_EQ(Ui().cb_sat1->count(), 2);
    ASSERT_TRUE(PassShown());
    EXPECT_GE(s.NextSet, s.CurrentTime) << "the pass searched again from the new clock";
    EXPECT_NE(s.NextRise, earlyPass);
}

TEST_F(TWindowTest, DigitsTypedIntoThePickersAndEnterSetTheClock) {
    folder.Satellites({TTestSat{}.Record()});
    TObserver observer = DefaultObserver();  // UTC: pickers and clock read alike
    ASSERT_TRUE(SaveObserver(folder.path, observer));
    TfrMainWnd& w = Start(Day2018(22, 3));
    QDateTimeEdit* hour = Ui().dt_main_hour;
    hour->setFocus();
    hour->setSelectedSection(QDateTimeEdit::HourSection);
    QTest::keyClicks(hour, "07");
    EXPECT_EQ(hour->time().hour(), 7);
    QTest::keyClick(hour, Qt::Key_Return);
    EXPECT_NEAR(w.session().CurrentTime, Day2018(22, 7), 1e-9);

    QDateEdit* date = Ui().dt_main_date;
    date->setFocus();
    date->setSelectedSection(QDateTimeEdit::DaySection);
    QTest::keyClicks(date, "25");
    EXPECT_EQ(date->date(), QDate(2018, 1, 25));
    EXPECT_EQ(hour->time(), QTime(7, 0, 0)) << "a new date keeps the time";
    QTest::keyClick(date, Qt::Key_Enter);
    EXPECT_NEAR(w.session().CurrentTime, Day2018(25, 7), 1e-9);
}

}  // namespace
