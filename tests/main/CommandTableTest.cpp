// The main window's commands come from one table: every key is one command's,
// every command can be reached from a menu, and the satellite boxes follow
// one list model.
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QSet>

#include <algorithm>

#include "WindowTestUtil.h"
#include "frLocSelector.h"
#include "frSatListModel.h"
#include "uDataFiles.h"
#include "uInitialize.h"

namespace {

void MenuActions(const QMenu* menu, QSet<const QAction*>& found) {
    for (const QAction* a : menu->actions()) {
        found.insert(a);
        if (a->menu()) MenuActions(a->menu(), found);
    }
}

struct TCommandTableTest : TWindowTest {};

TEST_F(TCommandTableTest, EveryKeyIsOneCommandsAndEveryCommandIsInAMenu) {
    folder.Satellites({TTestSat{}.Record()});
    TfrMainWnd& w = Start();
    QSet<const QAction*> inMenus;
    for (const QAction* a : w.menuBar()->actions())
        if (a->menu()) MenuActions(a->menu(), inMenus);

    QHash<QString, QString> owner;  // key -> command
    int commands = 0;
    for (const QAction* a : w.actions()) {
        if (a->objectName().isEmpty()) continue;
        ++commands;
        EXPECT_TRUE(inMenus.contains(a)) << a->objectName().toStdString() << " is in no menu";
        for (const QKeySequence& key : a->shortcuts()) {
            const QString text = key.toString();
            EXPECT_FALSE(owner.contains(text))
                << text.toStdString() << ": " << owner.value(text).toStdString() << " and " << a->objectName().toStdString();
            owner.insert(text, a->objectName());
        }
    }
    EXPECT_GT(commands, 70);
    EXPECT_EQ(owner.value("F2"), "menu_satellite");
    EXPECT_EQ(owner.value("Ctrl+Q"), "menu_exit");
}

TEST_F(TCommandTableTest, TriggeringATableCommandRunsItsHandler) {
    folder.Satellites({TTestSat{}.Record()});
    TfrMainWnd& w = Start();
    Ui().menu_sky->trigger();
    EXPECT_EQ(w.session().Options.viewMode, kViewSky);
    // A view switch loads on a worker; the next waits for it.
    ASSERT_TRUE(WaitFor([&] { return !w.busy() && w.idle(); }));
    Ui().menu_globe->trigger();
    EXPECT_EQ(w.session().Options.viewMode, kViewGlobe);
    const double base = w.session().Options.starMagBase;
    Ui().tb_minus->trigger();
    EXPECT_EQ(w.session().Options.starMagBase, std::max(base - 0.5, 0.0));
}

TEST(TSatListModel, RelabellingKeepsEveryViewsRowAndResetReachesAllViews) {
    TSatListModel model;
    QComboBox first, second;
    first.setModel(&model);
    second.setModel(&model);
    model.Reset({{"ISS (ZARYA)", "25544"}, {"HST", "20580"}, {"NOAA 19", "33591"}});
    ASSERT_EQ(first.count(), 3);
    ASSERT_EQ(second.count(), 3);
    first.setCurrentIndex(2);
    second.setCurrentIndex(1);
    model.SetNumbers(true);
    EXPECT_EQ(first.currentIndex(), 2);
    EXPECT_EQ(second.currentIndex(), 1);
    EXPECT_EQ(first.currentText(), "33591");
    EXPECT_EQ(second.itemText(0), "25544");
    EXPECT_EQ(model.data(model.index(1), Qt::ToolTipRole).toString(), "20580  HST");

    model.Reset({{"AQUA", "27424"}});
    EXPECT_EQ(first.count(), 1);
    EXPECT_EQ(second.count(), 1);
    EXPECT_EQ(second.itemText(0), "27424");
    EXPECT_FALSE(model.data(model.index(5), Qt::DisplayRole).isValid());
    model.Reset({});
    EXPECT_EQ(first.count(), 0);
    EXPECT_EQ(first.currentIndex(), -1);
}

TEST_F(TCommandTableTest, NumbersInTheBoxesKeepTheChosenSatellite) {
    TTestSat a, b;
    b.name = "OTHER SAT";
    b.catNo = "90002";
    folder.Satellites({a.Record(), b.Record()});
    TfrMainWnd& w = Start();
    ASSERT_EQ(Ui().cb_sat1->count(), 2);
    Ui().cb_sat1->setCurrentIndex(1);
    emit Ui().cb_sat1->activated(1);
    ASSERT_EQ(w.session().Sat1State, 1);
    Ui().menu_displaynumber->trigger();
    EXPECT_EQ(Ui().cb_sat1->currentText(), "90002");
    EXPECT_EQ(Ui().cb_sat2->itemText(1), "90002");
    EXPECT_EQ(w.session().Sat1State, 1);
    EXPECT_EQ(w.frame().sats[1].label, "90002");
}

// Focus reaching the place list on opening made its first row current, and
// the fields (and Apply) then held that place instead of the observer.
TEST(LocationWindow, OpensOnTheObserverEvenWhenThePlaceListHasFocus) {
    TTestFolder folder;
    folder.CopyInstalled("Timezone.dat");
    ASSERT_TRUE(WriteFileAtomic(folder / "Locations.dat",
                                FormatLocationLine("Aaa", "10.0000", "20.0000", "0.00", "UTC", "5") + "\n"));
    TfrLocWnd w(DefaultObserver(), true, folder.path);
    w.show();
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    QTest::qWait(20);
    EXPECT_EQ(w.findChild<QLineEdit*>("txt_lat1")->text(), "53.4570");
    EXPECT_EQ(w.findChild<QListWidget*>("listbox_loc")->count(), 1);
}

}  // namespace
