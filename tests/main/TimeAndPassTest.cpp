// The main window's times as a user meets them: the next pass of the chosen
// satellite, the observer's own time zone with daylight saving, the clock
// pickers and SET/NOW, and the angle readouts.
#include <QComboBox>
#include <QDateEdit>
#include <QDateTimeEdit>
#include <QLabel>
#include <QPushButton>

#include "WindowTestUtil.h"
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

}  // namespace
