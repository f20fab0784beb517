// The radio control window on hamlib's in-process dummy radio.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

#include <cstdlib>
#include <filesystem>

#include "Satellite.h"
#include "Zenora.h"
#include "WindowTestUtil.h"
#include "frRadio.h"

namespace {
const char* kIss1 = "1 25544U 98067A   18020.89808844  .00002078  00000-0  38550-4 0  9992";
const char* kIss2 = "2 25544  51.6424  32.9776 0003646  28.7227  39.5332 15.54190080 95614";

TSatRec Iss() {
    TSatRec sat{};
    parse_elements(kIss1, kIss2, &sat);
    SGP4_init(&sat);
    sat.name = "ISS (ZARYA)";
    sat.catNo = "25544";
    sat.selected = 1;
    return sat;
}

TObserver Site() {
    TObserver o{};
    o.name = "Test";
    o.pos = TLatLon{52.0 * 0.017453292519943295, 4.0 * 0.017453292519943295, 0.05};
    RhoSinCos(&o.pos, &o.rhoSin, &o.rhoCos);
    return o;
}

template <class T>
T* Find(QWidget* w, const char* name) {
    T* c = w->findChild<T*>(name);
    EXPECT_NE(c, nullptr) << name;
    return c;
}
}  // namespace

TEST(RadioWnd, EngagesTheDummyRadioShowsTheLiveValuesRefusesASharedDeviceAndKeepsItsSettings) {
    const std::filesystem::path data =
        std::filesystem::temp_directory_path() / ("orbisk_radio_" + std::to_string(getpid()));
    std::filesystem::create_directories(data);
    const std::string dataFolder = data.string() + "/";
    const std::string programFolder = std::string(ORBISK_PROGRAM_DIR) + "/";
    // In the first pass of 2018-01-21 over the site.
    const double inPass = EncodeDayNumber(2018, 1, 21, 0, 44, 0);
    {
        TfrRadioWnd w({Iss()}, 0, Site(), programFolder, dataFolder);
        w.setClock([inPass] { return inPass; });
        w.show();
        ASSERT_GE(Find<QComboBox>(&w, "cb_transponder")->count(), 1);  // the bundled ISS entries
        Find<QSpinBox>(&w, "nm_model")->setValue(1);  // hamlib's dummy
        QTest::mouseClick(Find<QPushButton>(&w, "bn_engage"), Qt::LeftButton);
        ASSERT_TRUE(WaitFor([&] { return Find<QLabel>(&w, "lb_state")->text().startsWith("Engaged"); }, 10000))
            << Find<QLabel>(&w, "lb_state")->text().toStdString() << Find<QLabel>(&w, "lb_message")->text().toStdString();
        ASSERT_TRUE(WaitFor([&] { return w.control()->Status().frequencyCommands > 0; }, 5000));
        EXPECT_TRUE(Find<QLabel>(&w, "lb_downlink")->text().contains("at the radio"));
        EXPECT_TRUE(Find<QLabel>(&w, "lb_pass")->text().startsWith("LOS in"));
        EXPECT_EQ(Find<QPushButton>(&w, "bn_engage")->text(), "Disengage");
        if (const char* shots = std::getenv("ORBISK_SHOT_DIR")) w.grab().save(QString(shots) + "/orbisk-radio.png");

        // Two windows never drive one daemon.
        TfrRadioWnd a({Iss()}, 0, Site(), programFolder, dataFolder), b({Iss()}, 0, Site(), programFolder, dataFolder);
        const QString daemon = "127.0.0.1:" + QString::number(40000 + getpid() % 20000);
        for (TfrRadioWnd* x : {&a, &b}) {
            Find<QSpinBox>(x, "nm_model")->setValue(2);
            Find<QLineEdit>(x, "txt_address")->setText(daemon);
        }
        QTest::mouseClick(Find<QPushButton>(&a, "bn_engage"), Qt::LeftButton);
        QTest::mouseClick(Find<QPushButton>(&b, "bn_engage"), Qt::LeftButton);
        EXPECT_TRUE(a.engaged());
        EXPECT_FALSE(b.engaged());
        EXPECT_TRUE(Find<QLabel>(&b, "lb_message")->text().contains("already engaged"));
    }
    // The settings came back from their file.
    TfrRadioWnd again({Iss()}, 0, Site(), programFolder, dataFolder);
    EXPECT_TRUE(Find<QLineEdit>(&again, "txt_address")->text().startsWith("127.0.0.1:"));
    EXPECT_TRUE(std::filesystem::exists(data / kRadioSettingsFile));
    std::filesystem::remove_all(data);
}
