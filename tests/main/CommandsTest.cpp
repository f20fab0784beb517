// Menu and toolbar commands and the pointer, driven as a user would.
#include <QComboBox>
#include <QDialog>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QToolButton>

#include <cmath>

#include "WindowTestUtil.h"
#include "uArgValues.h"
#include "uNotifier.h"
#include "frInfo.h"
#include "uGraphicCalc.h"
#include "uInitialize.h"
#include "uMagFile.h"

namespace {

struct TCommandsTest : TWindowTest {
    // Options.bin with the given view mode and star magnitude base, and the
    // sky chart's files.
    void WriteOptions(int viewMode, double starBase) {
        folder.CopyInstalled("SaoStar.bin");
        folder.CopyInstalled("Constellation.bin");
        TOptions o = DefaultOptions(ORBISK_PROGRAM_DIR "/");
        o.viewMode = viewMode;
        o.starMagBase = starBase;
        ASSERT_TRUE(SaveOptions(folder.path, o, DefaultMenuSettings()));
    }
    void Activate() {
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }
    // Ctrl+Shift+M, then the answer typed into the input box and Enter.
    void EnterMagnitude(const QString& answer) {
        Activate();
        QTest::keyClick(window.get(), Qt::Key_M, Qt::ControlModifier | Qt::ShiftModifier);
        QInputDialog* dialog = nullptr;
        ASSERT_TRUE(WaitFor([&] { return (dialog = window->findChild<QInputDialog*>("MagnitudeDialog")) != nullptr; }));
        EXPECT_EQ(dialog->labelText(), "Faintest satellite magnitude drawn on the sky chart:");
        QLineEdit* edit = dialog->findChild<QLineEdit*>();
        ASSERT_NE(edit, nullptr);
        edit->selectAll();
        QTest::keyClicks(edit, answer);
        QTest::keyClick(edit, Qt::Key_Return);
        WaitFor([&] { return window->findChild<QInputDialog*>("MagnitudeDialog") == nullptr; }, 3000);
    }
};

TEST_F(TCommandsTest, MagnitudeLimitAcceptsThirtyAndRefusesTheRest) {
    folder.Satellites({TTestSat{}.Record()});
    WriteOptions(kViewSky, 5.0);
    TfrMainWnd& w = Start();
    EXPECT_EQ(Ui().menu_mag->text(), "Satellite Mag Limit = 7");
    EnterMagnitude("30");
    EXPECT_EQ(w.session().Options.magLimit, 30.0);
    EXPECT_EQ(Ui().menu_mag->text(), "Satellite Mag Limit = 30");

    EnterMagnitude("30.5");
    EXPECT_EQ(TakeMessage(), " Magnitude not valid, Max (30) - Min (-10) ");
    EnterMagnitude("-10.5");
    EXPECT_EQ(TakeMessage(), " Magnitude not valid, Max (30) - Min (-10) ");
    EnterMagnitude("bright");
    EXPECT_EQ(TakeMessage(), " Magnitude entered is not valid, try again ");
    EXPECT_EQ(w.session().Options.magLimit, 30.0);
    EXPECT_EQ(Ui().menu_mag->text(), "Satellite Mag Limit = 30");
}

TEST_F(TCommandsTest, StoredSkyViewLoadsItsStarsAndMoreStarsStopsAtEight) {
    folder.Satellites({TTestSat{}.Record()});
    WriteOptions(kViewSky, 7.8);
    TfrMainWnd& w = Start();
    EXPECT_TRUE(Ui().menu_sky->isChecked());
    EXPECT_FALSE(w.session().StarList.empty());
    QToolButton* plus = ToolbarButton(Ui(), Ui().tb_plus);
    ASSERT_NE(plus, nullptr);
    EXPECT_EQ(plus->objectName(), "tb_plus");
    EXPECT_EQ(plus->toolTip(), "Increase the number of stars");
    QTest::mouseClick(plus, Qt::LeftButton);
    EXPECT_EQ(w.session().Options.starMagBase, 8.0);
}

TEST_F(TCommandsTest, ViewChosenWhileASwitchRunsIsIgnored) {
    folder.Satellites({TTestSat{}.Record()});
    folder.CopyInstalled("SaoStar.bin");
    folder.CopyInstalled("Constellation.bin");
    TfrMainWnd& w = Start();
    ASSERT_EQ(w.session().Options.viewMode, kViewMap);
    // No event is handled between the two clicks, so the first switch still runs.
    QTest::mouseClick(ToolbarButton(Ui(), Ui().menu_sky), Qt::LeftButton);
    QTest::mouseClick(ToolbarButton(Ui(), Ui().menu_globe), Qt::LeftButton);
    ASSERT_TRUE(Settle());
    EXPECT_EQ(w.session().Options.viewMode, kViewSky);
    EXPECT_TRUE(Ui().menu_sky->isChecked());
    EXPECT_FALSE(Ui().menu_globe->isChecked());
    EXPECT_FALSE(w.session().StarList.empty());
    EXPECT_TRUE(Ui().stxt_info1->text().startsWith("Size: "));
}

TEST_F(TCommandsTest, MapClickPicksTheLaterOfTwoNearSatellites) {
    TTestSat a, b, far;
    b.catNo = "90002";
    b.name = "TWIN";
    far.catNo = "90003";
    far.name = "FAR";
    far.meanAnomaly = 145.0;
    folder.Satellites({a.Record(), b.Record(), far.Record()});
    TfrMainWnd& w = Start();
    ASSERT_EQ(Ui().cb_sat1->currentIndex(), 0);
    QPoint p;
    p = GeoToPixel(w.viewState(), w.session().SatStates[0].latlon, 0).value();
    QTest::mouseClick(Ui().MainImage, Qt::LeftButton, {}, p + QPoint(1, 1));
    EXPECT_EQ(Ui().cb_sat1->currentIndex(), 1);
    EXPECT_EQ(Ui().cb_sat1->currentText(), "TWIN");
    EXPECT_EQ(w.session().Sat1Main, 1);

    // Shift + right click puts the observer there, keeping his height.
    const double height = w.session().Observer.pos.height;
    QTest::mouseClick(Ui().MainImage, Qt::RightButton, Qt::ShiftModifier, p);
    TLatLon clicked{};
    clicked = PixelToGeo(w.viewState(), p).value();
    EXPECT_DOUBLE_EQ(w.session().Observer.pos.lat, clicked.lat);
    EXPECT_DOUBLE_EQ(w.session().Observer.pos.lon, clicked.lon);
    EXPECT_EQ(w.session().Observer.pos.height, height);
    EXPECT_EQ(w.windowTitle(), "Unknown");
}

TEST_F(TCommandsTest, AlertsWindowFromThePredictionsMenuAndShowChoosesTheSatellite) {
    TTestSat a, b;
    b.catNo = "90002";
    b.name = "TWIN";
    folder.Satellites({a.Record(), b.Record()});
    TfrMainWnd& w = Start();
    ASSERT_NE(w.alerts(), nullptr);
    ASSERT_NE(w.notifier(), nullptr);
    QAction* menu = w.findChild<QAction*>("menu_alerts");
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->text(), "Pass Alerts...");
    menu->trigger();
    ASSERT_TRUE(WaitFor([&] { return w.findChild<QDialog*>("frAlerts") != nullptr; }, 5000));
    menu->trigger();
    EXPECT_EQ(w.findChildren<QDialog*>("frAlerts").size(), 1);

    // A notification's "Show" picks its satellite; one not tracked is said so.
    emit w.notifier()->ShowRequested(90002);
    EXPECT_EQ(Ui().cb_sat1->currentText(), "TWIN");
    EXPECT_EQ(w.session().Sat1Main, 1);
    emit w.notifier()->ShowRequested(12345);
    EXPECT_EQ(Ui().cb_sat1->currentText(), "TWIN");
    EXPECT_TRUE(w.statusBar()->currentMessage().contains("12345")) << w.statusBar()->currentMessage().toStdString();
}

TEST_F(TCommandsTest, SkyDragZoomsAndTheMiddleButtonLeavesTheChart) {
    folder.Satellites({TTestSat{}.Record()});
    WriteOptions(kViewSky, 5.0);
    TfrMainWnd& w = Start();
    const TViewState& vs = w.viewState();
    const TRaDec centre = vs.SkyCentre;
    const QPoint off(vs.CentreX + 120, vs.CentreY + 80);
    QTest::mouseClick(Ui().MainImage, Qt::MiddleButton, {}, off);
    EXPECT_EQ(w.viewState().SkyCentre.ra, centre.ra);
    EXPECT_EQ(w.viewState().SkyCentre.dec, centre.dec);

    const double scale = vs.SkyScale;
    const QPoint start(vs.CentreX, vs.CentreY);
    QTest::mousePress(Ui().MainImage, Qt::LeftButton, {}, start);
    QTest::mouseMove(Ui().MainImage, start + QPoint(10, 100));
    EXPECT_EQ(Ui().MainImage->dragRect().height(), 200);
    QTest::mouseRelease(Ui().MainImage, Qt::LeftButton, {}, start + QPoint(10, 100));
    EXPECT_NEAR(w.viewState().SkyScale, scale * vs.CentreY / 100.0, 1e-9);
    EXPECT_TRUE(Ui().MainImage->dragRect().isEmpty());
}

TEST_F(TCommandsTest, SkyCommandsTurnTheChartAndActOnlyOnTheSky) {
    folder.Satellites({TTestSat{}.Record()});
    folder.CopyInstalled("SaoStar.bin");
    folder.CopyInstalled("Constellation.bin");
    TfrMainWnd& w = Start();
    Activate();
    // In map mode the sky's commands do nothing, not even a check mark.
    QTest::keyClick(window.get(), Qt::Key_I, Qt::ControlModifier);
    EXPECT_FALSE(Ui().menu_sky_tools_orientation_inverted->isChecked());
    QTest::mouseClick(ToolbarButton(Ui(), Ui().menu_sky), Qt::LeftButton);
    ASSERT_TRUE(Settle());
    Activate();
    QTest::keyClick(window.get(), Qt::Key_W, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_DOUBLE_EQ(w.viewState().SkyCentreHoriz.az, 1.5 * M_PI);
    QTest::keyClick(window.get(), Qt::Key_N, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_DOUBLE_EQ(w.viewState().SkyCentreHoriz.az, 0.0);
    QTest::keyClick(window.get(), Qt::Key_I, Qt::ControlModifier);
    EXPECT_EQ(w.viewState().SignX, -1);
    EXPECT_EQ(w.viewState().SignY, -1);
    QTest::keyClick(window.get(), Qt::Key_W, Qt::ControlModifier);
    EXPECT_EQ(w.viewState().SignX, -1);
    EXPECT_EQ(w.viewState().SignY, 1);
    EXPECT_TRUE(Ui().menu_sky_tools_orientation_mirror_ew->isChecked());
    EXPECT_FALSE(Ui().menu_sky_tools_orientation_inverted->isChecked()) << "one orientation at a time";
    // The Moon: Alt+0 centres the chart on it.
    QTest::keyClick(window.get(), Qt::Key_0, Qt::AltModifier);
    const TSatState& moon = w.session().BodyStates[3];
    EXPECT_EQ(moon.body, 31);
    EXPECT_NEAR(w.viewState().SkyCentre.dec, moon.radec.dec, 1e-6);
}

TEST_F(TCommandsTest, InformationAndAboutBoxesShowTheirTexts) {
    folder.Satellites({TTestSat{}.Record()});
    Start();
    Activate();
    QTest::keyClick(window.get(), Qt::Key_F3, Qt::ControlModifier);
    QDialog* info = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (info = window->findChild<QDialog*>("frInfo")) != nullptr; }));
    EXPECT_EQ(info->windowTitle(), "Satellite Information");
    EXPECT_TRUE(info->findChild<QPlainTextEdit*>("InfoMemo")->toPlainText().contains("  Number:  90001"));
    QTest::mouseClick(info->findChild<QPushButton*>("bn_close"), Qt::LeftButton);
    ASSERT_TRUE(WaitFor([&] { return window->findChild<QDialog*>("frInfo") == nullptr; }));

    Activate();
    QTest::keyClick(window.get(), Qt::Key_F10, Qt::ShiftModifier);
    QDialog* about = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (about = window->findChild<QDialog*>("frAbout")) != nullptr; }));
    EXPECT_EQ(about->windowTitle(), "About Orbisk");
    EXPECT_TRUE(about->findChild<QPlainTextEdit*>("LicenseMemo")->toPlainText().contains("MIT License"));
    // The version --version prints.
    EXPECT_EQ(about->findChild<QLabel*>("lb_version")->text().toStdString(), "Version:  " + ProgramVersion());
    EXPECT_EQ(VersionLine("orbisk"), "orbisk (Orbisk) " + ProgramVersion());
    QTest::mouseClick(about->findChild<QPushButton*>("bn_ok"), Qt::LeftButton);
    EXPECT_TRUE(WaitFor([&] { return window->findChild<QDialog*>("frAbout") == nullptr; })) << "OK closes it";
}

TEST(SatelliteInfo, ElementsInTheirFormats) {
    TTestSat s;
    s.name = "TWENTY CHARACTERS AB";
    const TSatRec sat = s.Record();
    const std::vector<std::string> lines = SatelliteInfoLines(sat, true, 1.0);
    ASSERT_EQ(lines.size(), 17u);
    EXPECT_EQ(lines[1], "  Name:    TWENTY CHARACTERS AB");
    EXPECT_EQ(lines[2], "  Number:  90001");
    TSatRec rated = sat;
    rated.stdMag = 3.5;
    SetSatMagSource(rated, TMagSource::kRcs);
    EXPECT_EQ(SatelliteInfoLines(rated, true, 1.0)[3], "  Std Mag:  3.5 (rcs)");
    rated.stdMag = kPlaceholderStdMag;
    SetSatMagSource(rated, TMagSource::kNotRecorded);  // an older record: 8.0 is the placeholder
    EXPECT_EQ(SatelliteInfoLines(rated, true, 1.0)[3], "  Std Mag:  8.0 estimated: no standard magnitude known");
    EXPECT_EQ(lines[5], "  Epoch Date:     \tJan 22 2018 00:00:00Z");
    EXPECT_EQ(lines[7], "  Revs per day:    \t15.50  Rev");
    EXPECT_EQ(lines[9], "  Inclination:     \t51.64000  Degrees");
    EXPECT_EQ(lines[10], "  Eccentricity:    \t0.0006703");
    EXPECT_EQ(lines[13], "  RA of Asc Node:  \t247.463  Degrees");
    EXPECT_TRUE(lines.back().starts_with("  Decay Date:\t\t") && lines.back().ends_with("Z")) << lines.back();
    TTestSat noDrag = s;  // no decay in sight
    noDrag.ndot = " .00000000";
    EXPECT_EQ(SatelliteInfoLines(noDrag.Record(), true, 1.0).back(), "  Decay Date:        No Decay prior to 2050");
    const std::vector<std::string> miles = SatelliteInfoLines(sat, false, 0.621371);
    EXPECT_TRUE(miles[14].ends_with(" mi."));
}

}  // namespace
