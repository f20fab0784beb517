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

#include "Satellite.h"
#include "WindowTestUtil.h"
#include "Zenora.h"
#include "frMain.h"
#include "frRotator.h"

namespace {
TSatRec Iss() {
    TSatRec sat{};
    parse_elements("1 25544U 98067A   18020.89808844  .00002078  00000-0  38550-4 0  9992",
                   "2 25544  51.6424  32.9776 0003646  28.7227  39.5332 15.54190080 95614", &sat);
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

TEST(RotatorWnd, FollowsThePlanOnTheDummyRotatorRefusesASharedDeviceAndKeepsItsSettings) {
    const std::filesystem::path data =
        std::filesystem::temp_directory_path() / ("orbisk_rotator_" + std::to_string(getpid()));
    std::filesystem::create_directories(data);
    const std::string folder = data.string() + "/";
    const double inPass = EncodeDayNumber(2018, 1, 21, 0, 44, 0);
    {
        TfrRotatorWnd w({Iss()}, 0, Site(), folder);
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
        if (const char* shots = std::getenv("ORBISK_SHOT_DIR")) w.grab().save(QString(shots) + "/orbisk-rotator.png");

        // Two windows never drive one daemon.
        TfrRotatorWnd a({Iss()}, 0, Site(), folder), b({Iss()}, 0, Site(), folder);
        const QString daemon = "127.0.0.1:" + QString::number(40000 + getpid() % 20000);
        for (TfrRotatorWnd* x : {&a, &b}) {
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
    TfrRotatorWnd again({Iss()}, 0, Site(), folder);
    EXPECT_EQ(Find<QComboBox>(&again, "cb_azrange")->currentText(), "0-450");
    EXPECT_EQ(Find<QComboBox>(&again, "cb_elrange")->currentIndex(), 1);
    EXPECT_EQ(Find<QDoubleSpinBox>(&again, "nm_flip")->value(), 60.0);
    std::filesystem::remove_all(data);
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
