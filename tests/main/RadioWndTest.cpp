// The radio control window on hamlib's in-process dummy radio.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "ControlWndTestUtil.h"
#include "frRadio.h"

using RadioWnd = TControlWndTest;

TEST_F(RadioWnd, EngagesTheDummyRadioShowsTheLiveValuesRefusesASharedDeviceAndKeepsItsSettings) {
    const std::string& dataFolder = folder;
    const std::string programFolder = std::string(ORBISK_PROGRAM_DIR) + "/";
    const double inPass = ControlTestInPass();
    {
        TfrRadioWnd w({ControlTestIss()}, 0, ControlTestSite(), programFolder, dataFolder);
        w.setClock([inPass] { return inPass; });
        w.show();
        ASSERT_GE(Find<QComboBox>(&w, "cb_transponder")->count(), 1);  // the bundled ISS entries
        Find<QSpinBox>(&w, "nm_model")->setValue(1);  // hamlib's dummy
        QTest::mouseClick(Find<QPushButton>(&w, "bn_engage"), Qt::LeftButton);
        ASSERT_TRUE(WaitFor([&] { return Find<QLabel>(&w, "lb_state")->text().startsWith("Engaged"); }, 10000))
            << Find<QLabel>(&w, "lb_state")->text().toStdString() << Find<QLabel>(&w, "lb_message")->text().toStdString();
        ASSERT_TRUE(WaitFor([&] { return w.control()->Status().frequencyCommands > 0; }, 5000));
        EXPECT_TRUE(Find<QLabel>(&w, "lb_downlink")->text().contains("at the radio"));
        // Engaged mid-pass: the time to LOS, not to the opening.
        EXPECT_TRUE(Find<QLabel>(&w, "lb_pass")->text().startsWith("In pass, LOS in 00:0")) << Find<QLabel>(&w, "lb_pass")->text().toStdString();
        EXPECT_EQ(Find<QPushButton>(&w, "bn_engage")->text(), "Disengage");
        if (const char* shots = std::getenv("ORBISK_SHOT_DIR")) w.grab().save(QString(shots) + "/orbisk-radio.png");

        // Two windows never drive one daemon.
        TfrRadioWnd a({ControlTestIss()}, 0, ControlTestSite(), programFolder, dataFolder), b({ControlTestIss()}, 0, ControlTestSite(), programFolder, dataFolder);
        ExpectOneWindowPerDevice(a, b);
    }
    // The settings came back from their file.
    TfrRadioWnd again({ControlTestIss()}, 0, ControlTestSite(), programFolder, dataFolder);
    EXPECT_TRUE(Find<QLineEdit>(&again, "txt_address")->text().startsWith("127.0.0.1:"));
    EXPECT_TRUE(std::filesystem::exists(data / kRadioSettingsFile));
    // Before the pass it counts down to AOS; the clock is taken afresh.
    again.setClock([inPass] { return inPass - 1800.0 / 86400.0; });
    ASSERT_TRUE(WaitFor([&] { return Find<QLabel>(&again, "lb_pass")->text().startsWith("AOS in 00:"); }, 3000))
        << Find<QLabel>(&again, "lb_pass")->text().toStdString();
}

// Every stored value at the far end of what the file may hold is shown as
// stored, so an Engage writes it back unchanged rather than cut to a field.
TEST_F(RadioWnd, ShowsStoredSettingsAtTheirLimits) {
    std::ofstream(data / kRadioSettingsFile) <<
        "rigtype=two\nmodel=999999\naddress=radio:4532\nmodel2=2\naddress2=up:4532\n"
        "downvfo=Sub\nupvfo=Main\nperiod=2000\nsettle=5000\nignoredial=1\n"
        "deadband.fm=10000\noffset.FM=-1000000,1000000\n";
    TfrRadioWnd w({ControlTestIss()}, 0, ControlTestSite(), std::string(ORBISK_PROGRAM_DIR) + "/", folder);
    EXPECT_EQ(Find<QComboBox>(&w, "cb_rigtype")->currentText(), "Two radios");
    EXPECT_EQ(Find<QSpinBox>(&w, "nm_model")->value(), 999999);
    EXPECT_EQ(Find<QLineEdit>(&w, "txt_address")->text(), "radio:4532");
    EXPECT_TRUE(Find<QSpinBox>(&w, "nm_model2")->isEnabled()) << "the uplink radio of two";
    EXPECT_EQ(Find<QLineEdit>(&w, "txt_address2")->text(), "up:4532");
    EXPECT_EQ(Find<QLineEdit>(&w, "txt_downvfo")->text(), "Sub");
    EXPECT_EQ(Find<QLineEdit>(&w, "txt_upvfo")->text(), "Main");
    EXPECT_EQ(Find<QSpinBox>(&w, "nm_period")->value(), 2000);
    EXPECT_EQ(Find<QSpinBox>(&w, "nm_settle")->value(), 5000);
    EXPECT_TRUE(Find<QCheckBox>(&w, "ckb_ignoredial")->isChecked());
    // The first bundled ISS transponder is an FM one.
    auto* transponder = Find<QComboBox>(&w, "cb_transponder");
    ASSERT_GE(transponder->count(), 1);
    ASSERT_TRUE(transponder->currentText().contains("FM")) << transponder->currentText().toStdString();
    EXPECT_EQ(Find<QSpinBox>(&w, "nm_deadband")->value(), 10000);
    EXPECT_EQ(Find<QSpinBox>(&w, "nm_offsetdown")->value(), -1000000);
    EXPECT_EQ(Find<QSpinBox>(&w, "nm_offsetup")->value(), 1000000);
}
