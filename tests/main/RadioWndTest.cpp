// The radio control window on hamlib's in-process dummy radio.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

#include <cstdlib>
#include <filesystem>

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
