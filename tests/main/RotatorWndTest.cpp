// The rotator control window on hamlib's in-process dummy rotator.
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QSpinBox>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "frMain.h"
#include "ControlWndTestUtil.h"
#include "frRotator.h"

using RotatorWnd = TControlWndTest;

TEST_F(RotatorWnd, FollowsThePlanOnTheDummyRotatorRefusesASharedDeviceAndKeepsItsSettings) {
    const double inPass = ControlTestInPass();
    {
        TfrRotatorWnd w({ControlTestIss()}, 0, ControlTestSite(), folder);
        auto clock = std::make_shared<std::atomic<double>>(inPass);
        w.setClock([clock] { return clock->load(); });
        w.show();
        // A range that is not one is refused before anything is driven.
        Find<QComboBox>(&w, "cb_azrange")->setCurrentText("0-200");
        EXPECT_FALSE(Find<QPushButton>(&w, "bn_engage")->isEnabled());
        EXPECT_TRUE(Find<QLabel>(&w, "lb_message")->text().contains("360 to 540"));
        Find<QComboBox>(&w, "cb_azrange")->setCurrentText("0-450");
        Find<QComboBox>(&w, "cb_elrange")->setCurrentIndex(1);
        Find<QDoubleSpinBox>(&w, "nm_flip")->setValue(60.0);
        ASSERT_FALSE(w.plan().commands.empty());
        for (const TRotatorCommand& c : w.plan().commands) {
            EXPECT_GE(c.az, 0.0);
            EXPECT_LE(c.az, 450.0);
            EXPECT_GE(c.el, 0.0);
        }

        Find<QSpinBox>(&w, "nm_model")->setValue(1);  // hamlib's dummy
        QTest::mouseClick(Find<QPushButton>(&w, "bn_engage"), Qt::LeftButton);
        ASSERT_TRUE(WaitFor([&] { return Find<QLabel>(&w, "lb_state")->text().startsWith("Engaged"); }, 10000))
            << Find<QLabel>(&w, "lb_message")->text().toStdString();
        ASSERT_TRUE(WaitFor([&] { return Find<QLabel>(&w, "lb_read")->text() != "-"; }, 10000));
        // Opened mid-pass, the antenna goes where the satellite is; a minute on it tracks.
        const double later = inPass + 60.0 / 86400.0;
        clock->store(later);
        ASSERT_TRUE(WaitFor([&] { return Find<QLabel>(&w, "lb_commanded")->text().contains("tracking"); }, 10000));
        const TRotatorCommand* now = w.plan().At(later);
        ASSERT_NE(now, nullptr);
        EXPECT_EQ(w.control()->Status().commanded.az, now->az);
        EXPECT_EQ(w.control()->Status().commanded.el, now->el);
        EXPECT_EQ(Find<QPushButton>(&w, "bn_engage")->text(), "Disengage");
        EXPECT_FALSE(Find<QComboBox>(&w, "cb_azrange")->isEnabled());
        // Engaged mid-pass: the time to LOS, not to the opening.
        ASSERT_TRUE(WaitFor([&] { return Find<QLabel>(&w, "lb_pass")->text().startsWith("In pass, LOS in 00:0"); }, 3000))
            << Find<QLabel>(&w, "lb_pass")->text().toStdString();
        if (const char* shots = std::getenv("ORBISK_SHOT_DIR")) w.grab().save(QString(shots) + "/orbisk-rotator.png");

        // Two windows never drive one daemon.
        TfrRotatorWnd a({ControlTestIss()}, 0, ControlTestSite(), folder), b({ControlTestIss()}, 0, ControlTestSite(), folder);
        ExpectOneWindowPerDevice(a, b);
    }
    // The settings came back from their file.
    TfrRotatorWnd again({ControlTestIss()}, 0, ControlTestSite(), folder);
    EXPECT_EQ(Find<QComboBox>(&again, "cb_azrange")->currentText(), "0-450");
    EXPECT_EQ(Find<QComboBox>(&again, "cb_elrange")->currentIndex(), 1);
    EXPECT_EQ(Find<QDoubleSpinBox>(&again, "nm_flip")->value(), 60.0);
    // Before the pass it counts down to AOS.
    again.setClock([inPass] { return inPass - 1800.0 / 86400.0; });
    EXPECT_TRUE(Find<QLabel>(&again, "lb_pass")->text().startsWith("AOS in 00:")) << Find<QLabel>(&again, "lb_pass")->text().toStdString();
}

// Every stored value at the far end of what the file may hold is shown as
// stored, so the plan and an Engage use it rather than one cut to a field.
TEST_F(RotatorWnd, ShowsStoredSettingsAtTheirLimits) {
    std::ofstream(data / kRotatorSettingsFile) << "model=999999\naddress=rot:4533\nazrange=-180-180\nelmax=180\nfloor=45\n"
                                                  "flip=90\npreaos=900\nthreshold=0.5\nparkaz=-360\nparkel=180\n";
    TfrRotatorWnd w({ControlTestIss()}, 0, ControlTestSite(), folder);
    EXPECT_EQ(Find<QSpinBox>(&w, "nm_model")->value(), 999999);
    EXPECT_EQ(Find<QLineEdit>(&w, "txt_address")->text(), "rot:4533");
    auto* az = Find<QComboBox>(&w, "cb_azrange");
    EXPECT_EQ(az->currentText(), "-180-180");
    EXPECT_EQ(az->count(), 3) << "the usual ranges offered";
    EXPECT_EQ(Find<QComboBox>(&w, "cb_elrange")->currentIndex(), 1);
    EXPECT_EQ(Find<QDoubleSpinBox>(&w, "nm_floor")->value(), 45.0);
    EXPECT_EQ(Find<QDoubleSpinBox>(&w, "nm_flip")->value(), 90.0);
    EXPECT_EQ(Find<QSpinBox>(&w, "nm_preaos")->value(), 900);
    EXPECT_EQ(Find<QDoubleSpinBox>(&w, "nm_threshold")->value(), 0.5);
    EXPECT_EQ(Find<QDoubleSpinBox>(&w, "nm_parkaz")->value(), -360.0);
    EXPECT_EQ(Find<QDoubleSpinBox>(&w, "nm_parkel")->value(), 180.0);
    EXPECT_TRUE(Find<QPushButton>(&w, "bn_engage")->isEnabled()) << Find<QLabel>(&w, "lb_message")->text().toStdString();
}

namespace {
struct TSatMenuTest : TWindowTest {
    // The satellite menu of box, and in it the action called name triggered.
    void Choose(QComboBox* box, const char* name) {
        emit box->customContextMenuRequested(QPoint(4, 4));
        QPointer<QMenu> menu;
        ASSERT_TRUE(WaitFor([&] { return (menu = window->findChild<QMenu*>("mn_satellite")) != nullptr; }));
        QAction* action = menu->findChild<QAction*>(name);
        ASSERT_NE(action, nullptr) << name;
        action->trigger();
        menu->close();
        ASSERT_TRUE(WaitFor([&] { return menu.isNull(); }, 3000));
    }
};
}  // namespace

TEST_F(TSatMenuTest, SatelliteContextMenuOpensTheControlWindowsOnThatSatellite) {
    TTestSat a, b;
    b.catNo = "90002";
    b.name = "TWIN";
    folder.Satellites({a.Record(), b.Record()});
    TfrMainWnd& w = Start();
    Ui().cb_sat2->setCurrentIndex(1);
    Choose(Ui().cb_sat2, "menu_satrotator");
    auto* rotator = w.findChild<TfrRotatorWnd*>();
    ASSERT_NE(rotator, nullptr);
    EXPECT_TRUE(Find<QComboBox>(rotator, "cb_sat")->currentText().contains("90002"));
    Choose(Ui().cb_sat1, "menu_satradio");
    auto* radio = w.findChild<QDialog*>("frRadio");
    ASSERT_NE(radio, nullptr);
    EXPECT_TRUE(Find<QComboBox>(radio, "cb_sat")->currentText().contains("90001"));
    // An open window is raised on the satellite asked for, not opened twice.
    Choose(Ui().cb_sat1, "menu_satrotator");
    EXPECT_EQ(w.findChildren<TfrRotatorWnd*>().size(), 1);
    EXPECT_TRUE(Find<QComboBox>(rotator, "cb_sat")->currentText().contains("90001"));
}
