// The horizon mask in the windows: the editor saves what its table holds
// (and removes the file for an empty mask), imports and exports; the main
// window's next AOS/LOS readout takes the observer's mask, and a mask that
// cannot be read is told and not used.
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>

#include <cstdlib>
#include <filesystem>

#include "SearchWndTestUtil.h"
#include "WindowTestUtil.h"
#include "frRadar.h"
#include "uPassSearch.h"
#include "frHorizon.h"
#include "uInitialize.h"
#include "uTracking.h"

namespace {
void Click(QWidget* owner, const char* name) {
    QTest::mouseClick(owner->findChild<QPushButton*>(name), Qt::LeftButton);
}
void SetCell(TfrHorizonWnd& w, int row, int column, const char* text) {
    w.tbl_points->item(row, column)->setText(text);
}
}  // namespace

TEST(HorizonEditor, SavesImportsExportsAndRemovesAnEmptyMask) {
    TTestFolder folder;
    TfrHorizonWnd w(folder.path, "Roof Top");
    w.show();
    EXPECT_EQ(w.path(), ObserverHorizonPath(folder.path, "Roof Top"));
    EXPECT_EQ(w.tbl_points->rowCount(), 0);
    Click(&w, "bn_add");
    Click(&w, "bn_add");
    ASSERT_EQ(w.tbl_points->rowCount(), 2);
    SetCell(w, 0, 0, "90");
    SetCell(w, 0, 1, "30");
    SetCell(w, 1, 0, "abc");
    SetCell(w, 1, 1, "30");
    Click(&w, "bn_save");
    EXPECT_EQ(TakeBox(&w), "Row 2: the azimuth 'abc' is not a number from 0 to 360");
    EXPECT_FALSE(std::filesystem::exists(w.path())) << "nothing written from a bad table";
    SetCell(w, 1, 0, "180");
    w.nm_floor->setValue(5.0);
    Click(&w, "bn_save");
    const THorizonRead saved = ReadHorizonFile(w.path());
    ASSERT_TRUE(saved.ok) << saved.error;
    EXPECT_EQ(saved.mask, THorizonMask({{90, 30}, {180, 30}}, 5.0));

    // Import in zenith distances, as chosen; export what the table then holds.
    ASSERT_TRUE(WriteFileAtomic(folder / "zd.txt", "0 80\n# x\n270 85\nbad\n"));
    w.cb_format->setCurrentIndex(2);
    ASSERT_TRUE(w.ImportFile(folder / "zd.txt"));
    ASSERT_EQ(w.tbl_points->rowCount(), 2);
    EXPECT_EQ(w.tbl_points->item(1, 1)->text(), "5");
    EXPECT_NE(w.lb_status->text().indexOf("1 line skipped (4)"), -1) << w.lb_status->text().toStdString();
    ASSERT_TRUE(w.ExportFile(folder / "out.txt"));
    EXPECT_EQ(ReadHorizonFile(folder / "out.txt").mask, THorizonMask({{0, 10}, {270, 5}}, 0.0));
    EXPECT_FALSE(w.ImportFile(folder / "missing.txt"));
    EXPECT_NE(TakeBox(&w).indexOf("cannot be read"), -1);
    EXPECT_EQ(w.tbl_points->rowCount(), 2) << "a failed import keeps the table";

    // An empty mask is no file at all.
    w.tbl_points->setCurrentCell(0, 0);
    Click(&w, "bn_remove");
    w.tbl_points->setCurrentCell(0, 0);
    Click(&w, "bn_remove");
    EXPECT_EQ(w.tbl_points->rowCount(), 0);
    w.nm_floor->setValue(0.0);
    Click(&w, "bn_save");
    EXPECT_FALSE(std::filesystem::exists(w.path()));

    // An unreadable file is told and left alone until Save.
    ASSERT_TRUE(WriteFileAtomic(w.path(), std::string("\0\1garbage", 9)));
    TfrHorizonWnd again(folder.path, "Roof Top");
    again.show();
    EXPECT_NE(TakeBox(&again).indexOf("cannot be read"), -1);
    EXPECT_EQ(again.tbl_points->rowCount(), 0);
    EXPECT_EQ(folder.Bytes(w.path().substr(folder.path.size())).size(), 9u);
}

namespace {
TObserver MaskSite() {
    TObserver o = DefaultObserver();
    o.name = "Test Site";
    o.pos = TLatLon{53.5 * kDegToRad, 10.0 * kDegToRad, 0.05};
    o.utcOffset = 0.0;
    UpdateParallax(o);
    return o;
}

double ElevationAt(const TSatRec& original, TObserver observer, double t) {
    TSatRec sat = original;
    TSatState state{};
    const TFrame at = ObserverFrame(observer, t);
    EXPECT_TRUE(PropagateSatellite(sat, state, at, kFillLookAngles));
    return state.altaz.alt;
}
}  // namespace

struct THorizonMainTest : TWindowTest {};

// A 40-degree floor all round: the readout's AOS is the second the
// satellite reaches it, its LOS the second it comes down to it.
TEST_F(THorizonMainTest, NextPassReadoutClearsTheObserversMask) {
    TObserver site = MaskSite();
    ASSERT_TRUE(SaveObserver(folder.path, site));
    folder.Satellites({TTestSat{}.Record()});
    ASSERT_TRUE(WriteHorizonFile(ObserverHorizonPath(folder.path, "Test Site"), THorizonMask({}, 40.0)));
    TfrMainWnd& w = Start(Day2018(22, 3));
    ASSERT_TRUE(WaitFor([&] { return w.idle() && Panel(1) != "..."; }));
    const TSession& s = w.session();
    const TSatRec& sat = s.MainSats[s.Sat1Main];
    const double second = 1.0 / 86400.0, floor = 40.0 * kDegToRad;
    ASSERT_GT(s.NextSet, s.NextRise);
    EXPECT_GE(ElevationAt(sat, site, s.NextRise), floor);
    EXPECT_LT(ElevationAt(sat, site, s.NextRise - second), floor);
    EXPECT_LE(ElevationAt(sat, site, s.NextSet), floor);
    EXPECT_GT(ElevationAt(sat, site, s.NextSet - second), floor);
}

TEST_F(THorizonMainTest, AnUnreadableMaskIsToldAndNotUsed) {
    TObserver site = MaskSite();
    ASSERT_TRUE(SaveObserver(folder.path, site));
    folder.Satellites({TTestSat{}.Record()});
    ASSERT_TRUE(WriteFileAtomic(ObserverHorizonPath(folder.path, "Test Site"), "no numbers here\n"));
    TfrMainWnd& w = Start(Day2018(22, 3));
    const QString told = TakeMessage();
    EXPECT_NE(told.indexOf("cannot be read"), -1) << told.toStdString();
    EXPECT_NE(told.indexOf("It is not used."), -1);
    ASSERT_TRUE(WaitFor([&] { return w.idle() && Panel(1) != "..."; }));
    // As without a mask: the rise at the plain horizon.
    const TSession& s = w.session();
    EXPECT_LT(std::fabs(ElevationAt(s.MainSats[s.Sat1Main], MaskSite(), s.NextRise)), 0.01);
}

namespace {
// A roof to the south-east and trees to the west, over a 3-degree floor.
THorizonMask Garden() {
    return THorizonMask({{0, 4}, {60, 8}, {90, 8}, {90, 30}, {170, 30}, {170, 12}, {230, 15}, {300, 6}}, 3.0);
}
}  // namespace

struct THorizonShots : TSearchWndTest {};

// The editor and the radar chart with a mask, pictured for the screenshots
// script (only with ORBISK_SHOT_DIR).
TEST_F(THorizonShots, EditorAndRadarChart) {
    const char* shots = std::getenv("ORBISK_SHOT_DIR");
    if (!shots) GTEST_SKIP() << "pictures are taken only with ORBISK_SHOT_DIR";
    TfrHorizonWnd editor(folder.path, session.Observer.name.str());
    editor.ShowMask(Garden());
    editor.show();
    QTest::qWait(50);
    EXPECT_TRUE(editor.grab().save(QString(shots) + "/orbisk-horizon-editor.png"));

    TPredictionControls c;
    c.shownStart = Day2018(22);
    c.shownStop = Day2018(23);
    c.dayNight = true;
    c.sunlitOnly = false;
    TPredictionInputs in = ReadPredictionInputs(c, 0.0);
    in.horizon = std::make_shared<const THorizonMask>(Garden());
    const TPredictionResult r = RunLineSearch(in, BundledSets({"visual.tle"}), session.Observer, 1);
    ASSERT_FALSE(r.passes.empty());
    folder.CopyInstalled("SaoStar.bin");
    folder.CopyInstalled("Constellation.bin");
    TfrRadarWnd radar(r.passes, session.Observer, 0.0, session.Options, folder.path);
    radar.SetHorizon(in.horizon);
    radar.show();
    QTest::qWait(50);
    EXPECT_TRUE(radar.grab().save(QString(shots) + "/orbisk-radar-mask.png"));
}
