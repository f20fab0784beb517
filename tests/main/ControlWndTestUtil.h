// What the radio and rotator window tests share: the ISS of January 2018,
// the site it passes over, a data folder of the test's own (gone after the
// test, whatever it asserted) and a window's controls by their names.
#pragma once
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QString>
#include <QWidget>

#include <filesystem>
#include <string>
#include <unistd.h>

#include "Satellite.h"
#include "WindowTestUtil.h"
#include "Zenora.h"

inline TSatRec ControlTestIss() {
    TSatRec sat{};
    parse_elements("1 25544U 98067A   18020.89808844  .00002078  00000-0  38550-4 0  9992",
                   "2 25544  51.6424  32.9776 0003646  28.7227  39.5332 15.54190080 95614", &sat);
    SGP4_init(&sat);
    sat.name = "ISS (ZARYA)";
    sat.catNo = "25544";
    sat.selected = 1;
    return sat;
}

inline TObserver ControlTestSite() {
    TObserver o{};
    o.name = "Test";
    o.pos = TLatLon{52.0 * 0.017453292519943295, 4.0 * 0.017453292519943295, 0.05};
    RhoSinCos(&o.pos, &o.rhoSin, &o.rhoCos);
    return o;
}

// In the first pass of 2018-01-21 over the site.
inline double ControlTestInPass() { return EncodeDayNumber(2018, 1, 21, 0, 44, 0); }

template <class T>
T* Find(QWidget* w, const char* name) {
    T* c = w->findChild<T*>(name);
    EXPECT_NE(c, nullptr) << name;
    return c;
}

struct TControlWndTest : ::testing::Test {
    std::filesystem::path data;
    std::string folder;  // data, ending in "/"

    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        data = std::filesystem::temp_directory_path() /
               ("orbisk_" + std::string(info->test_suite_name()) + "_" + std::to_string(getpid()));
        std::filesystem::remove_all(data);
        std::filesystem::create_directories(data);
        folder = data.string() + "/";
    }
    void TearDown() override {
        std::error_code ec;
        std::filesystem::remove_all(data, ec);
    }
    // A daemon's address where none listens: engaging it still takes the device.
    static QString NoDaemon() { return "127.0.0.1:" + QString::number(40000 + getpid() % 20000); }
};

// Two windows set to one daemon: the first engages, the second is refused
// with a message (whether or not the daemon answers).
template <class W>
void ExpectOneWindowPerDevice(W& a, W& b) {
    for (W* x : {&a, &b}) {
        Find<QSpinBox>(x, "nm_model")->setValue(2);
        Find<QLineEdit>(x, "txt_address")->setText(TControlWndTest::NoDaemon());
    }
    QTest::mouseClick(Find<QPushButton>(&a, "bn_engage"), Qt::LeftButton);
    QTest::mouseClick(Find<QPushButton>(&b, "bn_engage"), Qt::LeftButton);
    EXPECT_TRUE(a.engaged());
    EXPECT_FALSE(b.engaged());
    EXPECT_TRUE(Find<QLabel>(&b, "lb_message")->text().contains("already engaged"));
}
