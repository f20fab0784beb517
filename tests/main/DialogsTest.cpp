// The satellite selector, the location selector, the magnitude editor, the
// options and the download window, driven with clicks and keys.
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QHeaderView>
#include <QTreeView>
#include <QListView>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>

#include <sys/stat.h>

#include <atomic>
#include <cmath>

#include "../net/LoopbackServer.h"
#include "WindowTestUtil.h"
#include "../catalogue/OmmWriter.h"
#include "frLocSelector.h"
#include "frMag.h"
#include "frOptions.h"
#include "frPrediction.h"
#include "frPlanetData.h"
#include "frSatSelector.h"
#include "frWeb.h"
#include "uInitialize.h"
#include "uMagFile.h"
#include "uMagModel.h"
#include "uNetFiles.h"

namespace {

template <class T>
T* Child(QWidget* owner, const char* name) {
    T* w = owner->findChild<T*>(name);
    EXPECT_NE(w, nullptr) << name;
    return w;
}

void Click(QWidget* owner, const char* button) { QTest::mouseClick(Child<QPushButton>(owner, button), Qt::LeftButton); }

// Replaces the text of a field by typing, then Enter.
void Type(QWidget* owner, const char* field, const QString& text) {
    QLineEdit* e = Child<QLineEdit>(owner, field);
    e->setFocus();
    QTest::keyClick(e, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(e, Qt::Key_Delete);
    QTest::keyClicks(e, text);
    QTest::keyClick(e, Qt::Key_Return);
}

QString Text(QWidget* owner, const char* field) { return Child<QLineEdit>(owner, field)->text(); }

// The selector's tick list, a view over a checkable model.
QAbstractItemModel* Ticks(QWidget* selector) { return Child<QListView>(selector, "ckboxSelSat")->model(); }
void Highlight(QWidget* selector, int row) {
    auto* view = Child<QListView>(selector, "ckboxSelSat");
    view->setCurrentIndex(view->model()->index(row, 0));
}

// ---- satellite selector --------------------------------------------------------------

struct TSelectorTest : ::testing::Test {
    TTestFolder folder;

    std::string ElementFile(const std::string& name, const std::vector<TTestSat>& sats) {
        std::string text;
        for (const TTestSat& s : sats) text += s.ThreeLines();
        EXPECT_TRUE(WriteFileAtomic(folder / name, text));
        return folder / name;
    }
    static TTestSat Sat(const std::string& name, const std::string& catNo) {
        TTestSat s;
        s.name = name;
        s.catNo = catNo;
        return s;
    }
    static int Rows(QWidget* w) { return Child<QTreeView>(w, "ListBoxSatFile")->model()->rowCount(); }
    static QString Cell(QWidget* w, int row, int column) {
        return Child<QTreeView>(w, "ListBoxSatFile")->model()->index(row, column).data().toString();
    }
    static QStringList Numbers(QWidget* w) {
        QStringList out;
        for (int r = 0; r < Rows(w); ++r) out << Cell(w, r, 0);
        return out;
    }
    static void ClickHeading(QWidget* w, int column) {
        QHeaderView* h = Child<QTreeView>(w, "ListBoxSatFile")->header();
        const QPoint p(h->sectionViewportPosition(column) + h->sectionSize(column) / 2, h->height() / 2);
        QTest::mouseClick(h->viewport(), Qt::LeftButton, {}, p);
    }
    static bool Enabled(QWidget* w, const char* b) { return Child<QPushButton>(w, b)->isEnabled(); }
    static void Settle(TfrSatSelectorWnd& w) { ASSERT_TRUE(WaitFor([&] { return !w.busy(); })); }
    void Open(TfrSatSelectorWnd& w, const std::string& path) {
        Click(&w, "bn_file");
        ASSERT_TRUE(AnswerFileDialog(&w, path));
        ASSERT_TRUE(WaitFor([&] { return !w.busy() && Rows(&w) > 0; }));
    }
    // label: a name or a catalogue number of the list.
    static void DoubleClick(QWidget* w, const QString& label) {
        QTreeView* list = Child<QTreeView>(w, "ListBoxSatFile");
        QModelIndexList found;
        for (int column : {1, 0})
            if (found.isEmpty())
                found = list->model()->match(list->model()->index(0, column), Qt::DisplayRole, label, 1, Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1) << label.toStdString();
        list->scrollTo(found[0]);
        // A widget's double click comes after the press of its first click.
        const QPoint p = list->visualRect(found[0]).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, p);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, p);
    }
};

// Each tick belongs to its row: through a removal above it, a relabelling,
// a tick given in the view with the space bar, and All.
TEST_F(TSelectorTest, TicksStayWithTheirRows) {
    TfrSatSelectorWnd w({Sat("FIRST", "90001").Record(true), Sat("SECOND", "90002").Record(false),
                         Sat("THIRD", "90003").Record(true)},
                        folder.path, folder.path);
    w.show();
    QAbstractItemModel* ticks = Ticks(&w);
    const auto state = [&](int row) { return ticks->index(row, 0).data(Qt::CheckStateRole).toInt(); };
    ASSERT_EQ(ticks->rowCount(), 3);
    EXPECT_EQ(state(1), Qt::Unchecked);
    Highlight(&w, 0);
    Click(&w, "bn_delete");
    ASSERT_EQ(ticks->rowCount(), 2);
    EXPECT_EQ((std::vector<int>{state(0), state(1)}), (std::vector<int>{Qt::Unchecked, Qt::Checked}));
    Click(&w, "bn_number");
    EXPECT_EQ(ticks->index(0, 0).data().toString(), "90002");
    EXPECT_EQ(state(0), Qt::Unchecked);

    auto* view = Child<QListView>(&w, "ckboxSelSat");
    view->setFocus();
    Highlight(&w, 0);
    QTest::keyClick(view, Qt::Key_Space);
    ASSERT_EQ(w.list().size(), 2u);
    EXPECT_EQ(w.list()[0].selected, 1) << "ticked in the view";
    Click(&w, "bn_none");
    Highlight(&w, 1);
    QTest::keyClick(view, Qt::Key_Space);
    EXPECT_EQ(w.list()[0].selected, 0);
    EXPECT_EQ(w.list()[1].selected, 1);
    Click(&w, "bn_all");
    for (const TSatRec& s : w.list()) EXPECT_EQ(s.selected, 1);
}

TEST_F(TSelectorTest, PagesAThousandSetsAtATime) {
    std::vector<TTestSat> sats;
    for (int k = 0; k < 2500; ++k) sats.push_back(Sat("SAT " + std::to_string(10000 + k), std::to_string(10000 + k)));
    const std::string path = ElementFile("big.tle", sats);
    TfrSatSelectorWnd w({}, folder.path, folder.path);
    w.show();
    Open(w, path);
    EXPECT_EQ(w.windowTitle(), "Orbisk - big.tle -  (1 to 1000) - 2500 Satellites");
    EXPECT_EQ(Rows(&w), 1000);
    EXPECT_FALSE(Enabled(&w, "bn_previous"));
    EXPECT_TRUE(Enabled(&w, "bn_next"));
    Click(&w, "bn_next");
    Settle(w);
    EXPECT_EQ(w.windowTitle(), "Orbisk - big.tle -  (1001 to 2000) - 2500 Satellites");
    EXPECT_TRUE(Enabled(&w, "bn_previous"));
    Click(&w, "bn_next");
    Settle(w);
    EXPECT_EQ(w.windowTitle(), "Orbisk - big.tle -  (2001 to 2500) - 2500 Satellites");
    EXPECT_EQ(Rows(&w), 500);
    EXPECT_FALSE(Enabled(&w, "bn_next"));
    Click(&w, "bn_previous");
    Settle(w);
    EXPECT_EQ(w.windowTitle(), "Orbisk - big.tle -  (1001 to 2000) - 2500 Satellites");
    EXPECT_TRUE(Enabled(&w, "bn_next"));
    Click(&w, "bn_reset");
    Settle(w);
    EXPECT_EQ(w.windowTitle(), "Orbisk - big.tle -  (1 to 1000) - 2500 Satellites");
    EXPECT_FALSE(Enabled(&w, "bn_previous"));
}

TEST_F(TSelectorTest, TheFileDialogOffersOmmFilesAndOpensThem) {
    TfrSatSelectorWnd w({}, folder.path, folder.path);
    w.show();
    Click(&w, "bn_file");
    QFileDialog* dialog = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (dialog = w.findChild<QFileDialog*>("PickFileOpen")) != nullptr; }));
    const QStringList filters = dialog->nameFilters();
    for (const char* pattern : {"*.tle", "*.txt", "*.csv", "*.json", "*.xml"})
        EXPECT_TRUE(filters.front().contains(pattern)) << "all element files: " << pattern;
    for (const char* pattern : {"(*.csv)", "(*.json)", "(*.xml)"})
        EXPECT_EQ(filters.filter(pattern).size(), 1) << pattern;

    const auto [line1, line2] = Sat("OMM SAT", "90007").Lines();
    ASSERT_TRUE(WriteFileAtomic(folder / "sets.csv", ommw::Csv({{"OMM SAT", line1, line2}})));
    ASSERT_TRUE(AnswerFileDialog(&w, folder / "sets.csv"));
    ASSERT_TRUE(WaitFor([&] { return !w.busy() && Rows(&w) > 0; }));
    EXPECT_EQ(Rows(&w), 1);
}

TEST_F(TSelectorTest, TheShippedListHasRoomForASatellite) {
    std::vector<TSatRec> shipped;
    ASSERT_TRUE(LoadCatalogue(shipped, std::string(ORBISK_PROGRAM_DIR) + "/data/MainSat.bin"));
    TfrSatSelectorWnd w(shipped, folder.path, folder.path);
    w.show();
    Open(w, ElementFile("f.tle", {Sat("NEW ONE", "90001")}));
    DoubleClick(&w, "NEW ONE");
    ASSERT_EQ(w.list().size(), shipped.size() + 1);
    EXPECT_EQ(w.list().back().catNo.str(), "90001");
    EXPECT_TRUE(w.findChildren<QMessageBox*>("MessageBox").isEmpty());
}

TEST_F(TSelectorTest, AddsTheClickedSetWithItsMagnitudeUntilTheListIsFull) {
    ASSERT_TRUE(WriteFileAtomic(folder / "Mag.dat", "http://example.test/names.zip\n"
                                                    "90001   ISS (ZARYA)                3.5\n"));
    const std::string path = ElementFile(
        "f.tle", {Sat("ISS (ZARYA)", "90001"), Sat("ISS", "90002"), Sat("SIX DIGITS", "A0001"), Sat("LAST", "90004")});
    std::vector<TSatRec> list;
    for (int i = 0; i < 13; ++i) list.push_back(Sat("MINE " + std::to_string(i), std::to_string(80000 + i)).Record());
    TfrSatSelectorWnd w(list, folder.path, folder.path);
    w.show();
    Open(w, path);
    // "ISS" sorts first and is part of "ISS (ZARYA)": the clicked set is the one added.
    DoubleClick(&w, "ISS (ZARYA)");
    DoubleClick(&w, "ISS");
    ASSERT_EQ(w.list().size(), 15u);
    EXPECT_EQ(w.list()[13].catNo.str(), "90001");
    EXPECT_DOUBLE_EQ(w.list()[13].stdMag, 3.5);
    EXPECT_EQ(w.list()[14].catNo.str(), "90002");
    EXPECT_DOUBLE_EQ(w.list()[14].stdMag, 8.0) << "no Mag.dat line";
    DoubleClick(&w, "LAST");
    EXPECT_EQ(TakeBox(&w), kListFullText);
    EXPECT_EQ(w.list().size(), 15u);

    // Numbers are searched as numbers, six digits included; a part of a number matches nothing.
    Click(&w, "bn_number");
    EXPECT_EQ(Child<QPushButton>(&w, "bn_number")->text(), "Satellite Name");
    Type(&w, "txt_search", "100001 90004");
    EXPECT_EQ(w.windowTitle(), "Orbisk - f.tle  - 2 Satellites");
    EXPECT_EQ(Cell(&w, 0, 0), "90004");
    Type(&w, "txt_search", "9000");
    EXPECT_EQ(Rows(&w), 0);
    Settle(w);  // the page that emptying the box asked for
    Click(&w, "bn_number");
    Settle(w);
    Type(&w, "txt_search", "zarya");
    EXPECT_EQ(w.windowTitle(), "Orbisk - f.tle  - 1 Satellites");

    // Removing the highlighted third record; the ticks become the flags at closing.
    Highlight(&w, 2);
    Click(&w, "bn_delete");
    Click(&w, "bn_none");
    Click(&w, "bn_close");
    ASSERT_EQ(w.list().size(), 14u);
    EXPECT_EQ(w.list()[2].catNo.str(), "80003");
    for (const TSatRec& s : w.list()) EXPECT_EQ(s.selected, 0);
}

TEST_F(TSelectorTest, FileListShowsNumberNameAndEpochSortedByTheClickedHeading) {
    std::vector<TTestSat> sats;
    for (auto [number, day, incl] : {std::tuple{"90003", 30.0, 71.0}, {"90001", 10.0, 98.5}, {"90002", 20.0, 51.6}}) {
        TTestSat s = Sat("SL-16 R/B", number);
        s.epochDay = day;
        s.inclination = incl;
        sats.push_back(s);
    }
    TTestSat iss = Sat("ISS (ZARYA)", "90010");
    iss.epochDay = 5.25;
    sats.push_back(iss);
    TfrSatSelectorWnd w({}, folder.path, folder.path);
    w.show();
    Open(w, ElementFile("f.tle", sats));
    // By name first, sets of one name in file order; every row tells them apart.
    EXPECT_EQ(Numbers(&w), (QStringList{"90010", "90003", "90001", "90002"}));
    EXPECT_EQ((QStringList{Cell(&w, 2, 0), Cell(&w, 2, 1), Cell(&w, 2, 2), Cell(&w, 2, 3)}),
              (QStringList{"90001", "SL-16 R/B", "2018-01-10 00:00", "98.5000"}));
    EXPECT_EQ(Cell(&w, 0, 2), "2018-01-05 06:00");

    ClickHeading(&w, 2);
    Settle(w);
    EXPECT_EQ(Numbers(&w), (QStringList{"90010", "90001", "90002", "90003"})) << "oldest first";
    ClickHeading(&w, 2);
    Settle(w);
    EXPECT_EQ(Numbers(&w), (QStringList{"90003", "90002", "90001", "90010"})) << "again: newest first";
    ClickHeading(&w, 3);
    Settle(w);
    EXPECT_EQ(Numbers(&w), (QStringList{"90002", "90010", "90003", "90001"})) << "least inclined first";

    // A search keeps its matches through a change of mode or of order.
    Type(&w, "txt_search", "sl-16");
    Settle(w);  // the page that emptying the box asked for
    EXPECT_EQ(Numbers(&w), (QStringList{"90002", "90003", "90001"}));
    Click(&w, "bn_number");
    Settle(w);
    EXPECT_EQ(Numbers(&w), (QStringList{"90001", "90002", "90003"}));
    EXPECT_EQ(w.windowTitle(), "Orbisk - f.tle  - 3 Satellites");
    EXPECT_EQ(Child<QTreeView>(&w, "ListBoxSatFile")->header()->sortIndicatorSection(), 0);
    ClickHeading(&w, 3);
    EXPECT_EQ(Numbers(&w), (QStringList{"90002", "90003", "90001"}));
    Click(&w, "bn_number");
    Settle(w);
    EXPECT_EQ(Rows(&w), 3);

    DoubleClick(&w, "90002");
    ASSERT_EQ(w.list().size(), 1u);
    EXPECT_EQ(w.list()[0].catNo.str(), "90002");
    EXPECT_EQ(Ticks(&w)->index(0, 0).data(Qt::ToolTipRole).toString(), "90002  SL-16 R/B");
}

TEST_F(TWindowTest, SelectorTakesItsListBackIntoTheMainWindow) {
    TTestSat a, b;
    b.catNo = "90002";
    b.name = "OTHER";
    folder.Satellites({a.Record(), b.Record()});
    TfrMainWnd& w = Start();
    ASSERT_EQ(Ui().cb_sat1->count(), 2);
    w.activateWindow();
    QTest::keyClick(&w, Qt::Key_F2);
    TfrSatSelectorWnd* selector = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (selector = w.findChild<TfrSatSelectorWnd*>()) != nullptr; }));
    Highlight(selector, 0);
    Click(selector, "bn_delete");
    Click(selector, "bn_close");
    ASSERT_TRUE(Settle());
    ASSERT_EQ(w.session().MainSats.size(), 1u);
    EXPECT_EQ(Ui().cb_sat1->count(), 1);
    EXPECT_EQ(Ui().cb_sat1->currentText(), "OTHER");
}

// ---- location selector ----------------------------------------------------------------

TEST(LocationSelector, RefusesLatitudeNinetyAndKeepsFeetAcrossApply) {
    TTestFolder folder;
    folder.CopyInstalled("Timezone.dat");
    ASSERT_TRUE(WriteFileAtomic(folder / "Locations.dat",
                                FormatLocationLine("Zeta", "10.0000", "20.0000", "0.00", "UTC", "5") + "\n"));
    const TObserver home = DefaultObserver();
    TfrLocWnd w(home, false, folder.path);
    w.show();
    EXPECT_EQ(Text(&w, "txt_lat1"), "53.4570");
    Click(&w, "bn_new");
    Type(&w, "txt_lat1", "90");
    EXPECT_EQ(TakeBox(&w), kLatitudeRangeText);
    EXPECT_EQ(Text(&w, "txt_lat1"), "53.4570");
    Type(&w, "txt_loc", "Sydney Harbour");
    Type(&w, "txt_lat1", "-33.8688");
    Type(&w, "txt_lon1", "151.2093");
    Type(&w, "txt_msl", "100");
    Click(&w, "bn_save");
    EXPECT_EQ(Child<QListWidget>(&w, "listbox_loc")->count(), 2);
    Click(&w, "bn_apply");
    EXPECT_EQ(TakeBox(&w), "\"Sydney Harbour\" is set as your new observer location");
    ASSERT_TRUE(w.applied());
    EXPECT_NEAR(w.observer().pos.lat, -33.8688 * kDegToRad, 1e-12);
    EXPECT_NEAR(w.observer().pos.lon, 151.2093 * kDegToRad, 1e-12);
    EXPECT_NEAR(w.observer().pos.height, 0.03048, 1e-6);
    TObserver saved{};
    ASSERT_TRUE(ReadObserverFile(folder.path, saved));
    EXPECT_EQ(saved.name.str(), "Sydney Harbour");
    Click(&w, "bn_done");
    EXPECT_NE(folder.Bytes("Locations.dat").find("Sydney Harbour"), std::string::npos) << "written at closing";

    TfrLocWnd again(w.observer(), false, folder.path);
    again.show();
    EXPECT_EQ(Text(&again, "txt_lat1"), "-33.8688");
    EXPECT_EQ(Text(&again, "txt_lon1"), "151.2093");
    EXPECT_EQ(Text(&again, "txt_msl"), "100");
    EXPECT_EQ(Child<QLabel>(&again, "lb_msl")->text(), "MSL(feet)");
}

// ---- magnitude editor -------------------------------------------------------------------

TEST(MagnitudeEditor, SaveRulesAndTheFileWrittenAtClosing) {
    TTestFolder folder;
    ASSERT_TRUE(WriteFileAtomic(folder / "Mag.dat", "00005   VANGUARD 1                11.0\n"));
    TMagWndSetup setup;
    setup.dataFolder = folder.path;
    setup.elementFolder = folder.path;
    TfrMagWnd w(setup);
    w.show();
    Click(&w, "bn_new");
    EXPECT_EQ(Text(&w, "txt_number"), "99999");
    Type(&w, "txt_number", "25544");
    Type(&w, "txt_name", "iss zarya");
    Type(&w, "txt_mag", "1.0");
    Click(&w, "bn_save");
    EXPECT_EQ(TakeBox(&w), "Satellite entry saved.");
    EXPECT_EQ(Child<QListWidget>(&w, "MagListBox")->count(), 2);

    Click(&w, "bn_new");
    Type(&w, "txt_number", "25544");
    Type(&w, "txt_name", "X");
    Click(&w, "bn_save");
    EXPECT_EQ(TakeBox(&w), "Satellite Number already exists, Cancel or Enter new number.");
    Type(&w, "txt_number", "30000");
    Type(&w, "txt_name", QString(25, 'N'));
    Click(&w, "bn_save");
    EXPECT_EQ(TakeBox(&w), "Enter the Satellite Name, max 24 characters");
    Click(&w, "bn_close");
    EXPECT_EQ(TakeBox(&w), kMagCloseRefused);
    EXPECT_TRUE(w.isVisible());
    Click(&w, "bn_cancel");
    Click(&w, "bn_close");
    EXPECT_FALSE(w.isVisible());
    // The file had no URL line: the built-in one goes first.
    EXPECT_EQ(folder.Bytes("Mag.dat"), std::string(kDefaultNamesUrl) + "\r\n"
                                       "00005   VANGUARD 1                11.0\r\n"
                                       "25544   ISS ZARYA                  1.0 user\r\n");
}

// The source shows with each entry and is saved as chosen; a nine-digit
// number shows as itself, not as the "*****" of the five columns.
TEST(MagnitudeEditor, ShowsAndSetsTheSource) {
    TTestFolder folder;
    ASSERT_TRUE(WriteFileAtomic(folder / "Mag.dat", "http://example.test/q.zip\n"
                                                    "00005   VANGUARD 1                11.0\n"
                                                    "25544   ISS (ZARYA)               -1.3 rcs\n" +
                                                        FormatMagLine(270000123, "FAR ONE", " 6.5", TMagSource::kNameRule) +
                                                        "\n"));
    TMagWndSetup setup;
    setup.dataFolder = folder.path;
    setup.elementFolder = folder.path;
    TfrMagWnd w(setup);
    w.show();
    auto* list = Child<QListWidget>(&w, "MagListBox");
    auto* source = Child<QComboBox>(&w, "cb_source");
    list->setCurrentRow(0);
    EXPECT_EQ(source->currentText(), "Observed") << "an older line's value counts as observed";
    EXPECT_FALSE(source->isEnabled());
    list->setCurrentRow(2);
    EXPECT_EQ(Text(&w, "txt_number"), "270000123");
    EXPECT_EQ(source->currentText(), "Name rule");
    list->setCurrentRow(1);
    EXPECT_EQ(source->currentText(), "RCS estimate");
    Click(&w, "bn_edit");
    ASSERT_TRUE(source->isEnabled());
    source->setCurrentText("Unknown");
    Click(&w, "bn_save");
    EXPECT_EQ(TakeBox(&w), "Satellite entry saved.");
    Click(&w, "bn_close");
    const std::string bytes = folder.Bytes("Mag.dat");
    EXPECT_NE(bytes.find("25544   ISS (ZARYA)                8.0 unknown"), std::string::npos) << bytes;
    EXPECT_NE(bytes.find("FAR ONE                    6.5 rule 270000123"), std::string::npos) << bytes;
}

// ---- options --------------------------------------------------------------------------------

TEST(OptionsWindow, MagnitudeModelIsShownAndSaved) {
    TOptions o = DefaultOptions(ORBISK_PROGRAM_DIR "/");
    TfrOptionWnd w(o, ORBISK_PROGRAM_DIR "/");
    w.show();
    auto* extinction = Child<QCheckBox>(&w, "ckb_extinction");
    auto* perAirmass = Child<QDoubleSpinBox>(&w, "sp_extinction");
    EXPECT_EQ(Child<QComboBox>(&w, "cb_phase")->currentIndex(), 0);
    EXPECT_FALSE(extinction->isChecked());
    EXPECT_FALSE(perAirmass->isEnabled());
    EXPECT_DOUBLE_EQ(perAirmass->value(), 0.2);
    Child<QComboBox>(&w, "cb_phase")->setCurrentIndex(1);
    extinction->setChecked(true);
    EXPECT_TRUE(perAirmass->isEnabled());
    perAirmass->setValue(0.35);
    Click(&w, "bn_saveoptions");
    ASSERT_TRUE(w.saved());
    const TMagModel m = MagModelOf(w.options());
    EXPECT_EQ(m.phase, TPhaseModel::kLambert);
    EXPECT_TRUE(m.extinction);
    EXPECT_DOUBLE_EQ(m.extinctionPerAirmass, 0.35);
}

TEST_F(TWindowTest, OptionsShowShadowAndUnitsAndApplyWhenSaved) {
    folder.Satellites({TTestSat{}.Record()});
    TOptions o = DefaultOptions(ORBISK_PROGRAM_DIR "/");
    o.shadowAlpha = 114;
    o.pressure = 1010.0;
    o.temperature = 15.0;
    ASSERT_TRUE(SaveOptions(folder.path, o, DefaultMenuSettings()));
    TfrMainWnd& w = Start();
    w.activateWindow();
    QTest::keyClick(&w, Qt::Key_F5);  // an open prediction window follows the unit
    auto* prediction = w.findChild<TfrPredictionWnd*>();
    ASSERT_NE(prediction, nullptr);
    EXPECT_EQ(prediction->lb_track->text(), "Track(km)");
    w.activateWindow();
    QTest::keyClick(&w, Qt::Key_O, Qt::ControlModifier);
    TfrOptionWnd* dialog = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (dialog = w.findChild<TfrOptionWnd*>()) != nullptr; }));
    EXPECT_EQ(Child<QSpinBox>(dialog, "nm_shadow")->value(), 44);
    QCheckBox* metric = Child<QCheckBox>(dialog, "ckb_metric");
    QTest::mouseClick(metric, Qt::LeftButton, {}, QPoint(8, metric->height() / 2));
    EXPECT_EQ(Text(dialog, "txt_pressure"), "29.9");
    EXPECT_EQ(Text(dialog, "txt_temperature"), "59.0");
    Click(dialog, "bn_saveoptions");
    ASSERT_TRUE(Settle());
    EXPECT_EQ(w.session().Options.shadowAlpha, 111);
    EXPECT_EQ(w.session().Options.metric, 0);
    EXPECT_EQ(w.session().Options.pressure, 1010.0) << "the rounded inches shown are not read back";
    EXPECT_DOUBLE_EQ(w.session().DistanceFactor, 0.621371);
    EXPECT_TRUE(Ui().stxt_hgt->text().endsWith(" mi"));
    EXPECT_EQ(prediction->lb_track->text(), "Track(mi)");
    EXPECT_EQ(prediction->nm_track->maximum(), 100);
    TOptions stored{};
    TMenuSettings menu{};
    ASSERT_TRUE(LoadOptions(folder.path, ORBISK_PROGRAM_DIR "/", stored, menu));
    EXPECT_EQ(stored.shadowAlpha, 111);
}

TEST(OptionsWindow, LettersInTheTemperatureGiveTwentyAndCancelKeepsTheRest) {
    TOptions o = DefaultOptions(ORBISK_PROGRAM_DIR "/");
    TfrOptionWnd w(o, ORBISK_PROGRAM_DIR "/");
    w.show();
    Type(&w, "txt_temperature", "warm");
    Click(&w, "bn_saveoptions");
    ASSERT_TRUE(w.saved());
    EXPECT_EQ(w.options().temperature, kDefaultTemperature);

    TfrOptionWnd cancelled(o, ORBISK_PROGRAM_DIR "/");
    cancelled.show();
    QTest::keyClick(Child<QSpinBox>(&cancelled, "nm_track"), Qt::Key_Up);
    Click(&cancelled, "bn_cancel");
    EXPECT_FALSE(cancelled.saved());
    EXPECT_EQ(cancelled.options().trackHours, o.trackHours);
}

// ---- Tools commands ----------------------------------------------------------------------

TEST_F(TWindowTest, ToolsUpdateTheListAndRefuseToConvertAFileWithoutSets) {
    TTestSat tracked;
    folder.Satellites({tracked.Record()});
    TOptions o = DefaultOptions(ORBISK_PROGRAM_DIR "/");
    o.tleFolder = folder.path;
    ASSERT_TRUE(SaveOptions(folder.path, o, DefaultMenuSettings()));
    TTestSat newer = tracked;
    newer.epochDay = 30.0;
    ASSERT_TRUE(WriteFileAtomic(folder / "fresh.tle", newer.ThreeLines()));
    TfrMainWnd& w = Start();
    const double epoch = w.session().MainSats[0].epoch;

    Ui().mn_UpdateMainList->trigger();
    EXPECT_EQ(TakeMessage(), "Satellites updated successfully");
    EXPECT_NEAR(w.session().MainSats[0].epoch - epoch, 8.0, 1e-6);
    Ui().mn_UpdateMainList->trigger();
    EXPECT_EQ(TakeMessage().toStdString(), "No newer element sets in " + folder.path +
                                               "; the newest set of the list is of 2018-01-30: download fresh "
                                               "elements for current positions");

    folder.CopyInstalled("Mag.dat");
    ASSERT_TRUE(WriteFileAtomic(folder / "page.txt", "<html>Too many requests</html>\n"));
    Ui().menu_conversion->trigger();
    ASSERT_TRUE(AnswerFileDialog(&w, folder / "page.txt"));
    const QString message = TakeMessage();
    EXPECT_TRUE(message.startsWith("File \"page.txt\" FAILED to Convert\nno element sets in ")) << message.toStdString();
    EXPECT_EQ(folder.Bytes("page.txt"), "<html>Too many requests</html>\n");

    // A conversion writes beside its source, says where, and keeps the source.
    Ui().menu_conversion->trigger();
    ASSERT_TRUE(AnswerFileDialog(&w, folder / "fresh.tle"));
    EXPECT_EQ(TakeMessage().toStdString(), "File converted to \"Common_Name_fresh.tle\"\nWritten to " + folder /
                                               "Common_Name_fresh.tle" + "; \"fresh.tle\" is kept as it was.");
    EXPECT_EQ(folder.Bytes("fresh.tle"), newer.ThreeLines());
    EXPECT_FALSE(folder.Bytes("Common_Name_fresh.tle").empty());
}

// Tools > Import Magnitudes: the file merged into Mag.dat, the counts in a
// message box, the main list's satellite rated from the merged file.
TEST_F(TWindowTest, ToolsImportMagnitudesMergesAndTellsTheCounts) {
    TTestSat tracked;
    folder.Satellites({tracked.Record()});
    ASSERT_TRUE(WriteFileAtomic(folder / "Mag.dat", "http://example.test/q.zip\n90001   TEST SAT                   8.0\n"));
    ASSERT_TRUE(WriteFileAtomic(folder / "satcat.csv",
                                "OBJECT_NAME,OBJECT_ID,NORAD_CAT_ID,OBJECT_TYPE,DECAY_DATE,RCS\n"
                                "TEST SAT,1998-067A,90001,PAY,,10.0\n"));
    TfrMainWnd& w = Start();
    Ui().menu_importmag->trigger();
    ASSERT_TRUE(AnswerFileDialog(&w, folder / "satcat.csv", "PickMagnitudes"));
    const std::string message = TakeMessage().toStdString();
    EXPECT_NE(message.find("SATCAT: 1 read, 0 added, 1 updated, 0 skipped"), std::string::npos) << message;
    EXPECT_NE(folder.Bytes("Mag.dat").find("90001   TEST SAT                   5.4 rcs"), std::string::npos);
    EXPECT_DOUBLE_EQ(w.session().MainSats[0].stdMag, 5.4);
    EXPECT_EQ(SatMagSource(w.session().MainSats[0]), TMagSource::kRcs);

    ASSERT_TRUE(WriteFileAtomic(folder / "page.txt", "<html>Too many requests</html>\n"));
    Ui().menu_importmag->trigger();
    ASSERT_TRUE(AnswerFileDialog(&w, folder / "page.txt", "PickMagnitudes"));
    EXPECT_TRUE(TakeMessage().contains("is neither a qs.mag list"));
}

// ---- Sun, Moon and planet data -----------------------------------------------------------

TEST_F(TWindowTest, DataWindowHasARowADayAndListsTheMoonLast) {
    folder.Satellites({TTestSat{}.Record()});
    TfrMainWnd& w = Start(Day2018(22, 3));
    w.activateWindow();
    QTest::keyClick(&w, Qt::Key_F7);
    TfrDataWnd* data = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (data = w.findChild<TfrDataWnd*>()) != nullptr; }));
    constexpr std::size_t kHeaderLines = 6;
    ASSERT_EQ(data->lines().size(), kHeaderLines + 10) << "\"# Days\" 10: ten days";
    EXPECT_EQ(data->lines()[1], "  Sun Rise/Set 10 days ");
    EXPECT_EQ(data->lines()[kHeaderLines].substr(0, 12), "  01/22/2018");
    EXPECT_EQ(data->windowTitle(), "  Sun Rise/Set ");

    Click(data, "bn_moon");
    ASSERT_EQ(data->lines().size(), kHeaderLines + 10);
    EXPECT_EQ(data->lines()[5], "  MM/DD/Year  Rise    Mid     Set     SL%");
    for (std::size_t i = kHeaderLines; i < data->lines().size(); ++i) {
        double lit = -1;
        ASSERT_TRUE(ParseNumber(data->lines()[i].substr(data->lines()[i].rfind(' ')), lit)) << data->lines()[i];
        EXPECT_TRUE(lit >= 0.0 && lit <= 100.0) << data->lines()[i];
        EXPECT_EQ(data->lines()[i].find("  :  "), std::string::npos) << "a missing time reads --:--";
    }

    Click(data, "bn_planets");
    EXPECT_EQ(data->windowTitle(), "Planet/Moon data");
    ASSERT_EQ(data->lines().size(), kHeaderLines + 10);
    EXPECT_EQ(data->lines().back().substr(0, 6), "  Moon");
    EXPECT_EQ(data->lines()[kHeaderLines + 8].substr(0, 7), "  Pluto");
    EXPECT_EQ(Child<QPlainTextEdit>(data, "PlanetMemo")->toPlainText().split('\n').size(), 16);
    Click(data, "bn_print");
    QPrintDialog* print = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (print = data->findChild<QPrintDialog*>("PrintDialog")) != nullptr; }));
    EXPECT_EQ(print->maxPage(), 1) << "the report's 55-line pages";
    print->reject();
    Click(data, "bn_close");
}

// ---- download window ----------------------------------------------------------------------

struct TWebTest : ::testing::Test {
    TTestFolder folder;
    std::atomic<int> connectionChecks{0};

    // Twelve login entries (disabled) and then the given lines.
    void WriteList(const std::vector<std::string>& lines) {
        std::vector<std::string> all;
        for (int i = 1; i <= 12; ++i)
            all.push_back("0 0 st_spare_" + std::to_string(10 + i) + std::string(22, ' ') +
                          "https://127.0.0.1:9/basicspacedata/query/" + std::to_string(i));
        all.insert(all.end(), lines.begin(), lines.end());
        ASSERT_TRUE(netfiles::WriteLinesAtomic(folder / "dwnlist.dat", all, "\n"));
    }
    static std::string Entry(bool on, const std::string& name, const std::string& url) {
        std::string line = std::string(on ? "1" : "0") + " 0 " + name;
        line.resize(39, ' ');
        return line + url;
    }
    TWebSetup MakeSetup() {
        TWebSetup s;
        s.dataFolder = folder.path;
        s.elementFolder = folder.path;
        s.net.connectionState = [this] {
            ++connectionChecks;
            return std::string("LAN");
        };
        return s;
    }
    static void Finish(TfrWebWnd& w) { ASSERT_TRUE(WaitFor([&] { return !w.running(); }, 30000)); }
};

TEST_F(TWebTest, LoginEntryWithoutPasswordIsRefusedBeforeAnyConnection) {
    WriteList({});
    TfrWebWnd w(MakeSetup());
    w.show();
    EXPECT_EQ(Text(&w, "txt_lasttime"), "never") << "no download yet: the first start's time is none";
    QListWidget* list = Child<QListWidget>(&w, "clb_tle");
    list->setFocus();
    list->setCurrentRow(0);
    QTest::keyClick(list, Qt::Key_Space);
    ASSERT_EQ(list->item(0)->checkState(), Qt::Checked);
    Type(&w, "txt_username", "someone");
    Click(&w, "bn_download");
    EXPECT_EQ(TakeBox(&w), kLoginMissing);
    EXPECT_FALSE(w.running());
    EXPECT_EQ(connectionChecks.load(), 0);
    EXPECT_TRUE(Child<QPushButton>(&w, "bn_close")->isEnabled());
    Click(&w, "bn_close");
    // The tick reached the list; the login was not saved.
    EXPECT_EQ(folder.Bytes("dwnlist.dat").substr(0, 2), "1 ");
    TDownloadSettings s;
    LoadDownloadSettings(folder.path, s, 0.0);
    EXPECT_EQ(s.user, "");
    EXPECT_EQ(s.password, "");
}

TEST_F(TWebTest, BatchShowsProgressAndKeepsTheFileOfAFailedEntry) {
    LoopbackServer server;
    TTestSat fresh;
    fresh.epochDay = 40.0;
    server.Route("/good", [&](const HttpRequest&) {
        HttpResponse r;
        r.body = fresh.ThreeLines();
        return r;
    });
    WriteList({Entry(true, "good", server.Base() + "/good"), Entry(true, "missing", server.Base() + "/missing"),
               Entry(true, "also", server.Base() + "/good")});
    ASSERT_TRUE(WriteFileAtomic(folder / "missing.tle", "old sets\n"));
    TfrWebWnd w(MakeSetup());
    w.show();
    QProgressBar* bar = Child<QProgressBar>(&w, "pb_download");
    std::vector<int> steps;
    QObject::connect(bar, &QProgressBar::valueChanged, [&](int v) { steps.push_back(v); });
    Click(&w, "bn_download");
    EXPECT_FALSE(Child<QPushButton>(&w, "bn_close")->isEnabled());
    Finish(w);
    const QString message = TakeBox(&w);
    EXPECT_TRUE(message.startsWith("File Download / Update / Conversion Completed")) << message.toStdString();
    EXPECT_TRUE(message.contains("missing: gone, the provider no longer has it (HTTP 404: Not Found); remove the entry from the list, previous file kept"))
        << message.toStdString();
    EXPECT_EQ(folder.Bytes("missing.tle"), "old sets\n");
    EXPECT_EQ(folder.Bytes("good.tle"), fresh.ThreeLines());
    EXPECT_EQ(bar->maximum(), 3);
    EXPECT_EQ(bar->value(), 3);
    EXPECT_TRUE(std::is_sorted(steps.begin(), steps.end()));
    EXPECT_GE(steps.size(), 3u);
    EXPECT_TRUE(Child<QPushButton>(&w, "bn_close")->isEnabled());
    EXPECT_NE(Text(&w, "txt_lasttime"), "");
}

TEST_F(TWebTest, CancelStopsTheBatchAndKeepsTheFiles) {
    LoopbackServer server;
    server.Route("/slow", [](const HttpRequest&) {
        HttpResponse r;
        r.body = std::string(400, 'x');
        r.dripBytes = 1;
        r.dripIntervalMs = 50;  // 20 s in all
        return r;
    });
    WriteList({Entry(true, "slow", server.Base() + "/slow"), Entry(true, "later", server.Base() + "/later")});
    ASSERT_TRUE(WriteFileAtomic(folder / "slow.tle", "old sets\n"));
    TfrWebWnd w(MakeSetup());
    w.show();
    Click(&w, "bn_download");
    ASSERT_TRUE(WaitFor([&] { return server.Hits("/slow") == 1; }));
    QTest::keyClick(&w, Qt::Key_Escape);
    EXPECT_EQ(TakeBox(&w), kDownloadWait);
    EXPECT_TRUE(w.isVisible());
    Click(&w, "bn_cancel");
    QElapsedTimer timer;
    timer.start();
    Finish(w);
    EXPECT_LT(timer.elapsed(), 10000);
    EXPECT_TRUE(TakeBox(&w).startsWith("Download cancelled"));
    EXPECT_EQ(server.Hits("/later"), 0);
    EXPECT_EQ(folder.Bytes("slow.tle"), "old sets\n");
}

TEST_F(TWebTest, AnUnreadableSettingsFileIsToldAndKeptAndAPasswordKeepsItsBlanks) {
    WriteList({});
    const std::string ini = folder / kDownloadSettingsFile;
    ASSERT_EQ(::mkfifo(ini.c_str(), 0600), 0);
    {
        TfrWebWnd w(MakeSetup());
        w.show();
        EXPECT_EQ(TakeBox(&w), QString::fromStdString("File: " + ini + " is not a regular file (a FIFO); using the "
                                                      "default download settings"));
        Click(&w, "bn_close");
        QTest::qWait(100);
        // Nothing was written over it, so no failure to tell either.
        for (QMessageBox* box : w.findChildren<QMessageBox*>("MessageBox"))
            EXPECT_FALSE(box->isVisible()) << box->text().toStdString();
    }
    struct stat st {};
    ASSERT_EQ(::lstat(ini.c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));

    ::unlink(ini.c_str());
    TDownloadSettings saved;
    saved.user = "me";
    saved.password = " pass phrase ";
    ASSERT_TRUE(SaveDownloadSettings(folder.path, saved));
    {
        TfrWebWnd w(MakeSetup());
        w.show();
        EXPECT_EQ(Text(&w, "txt_password"), " pass phrase ");
        Click(&w, "bn_close");
    }
    TDownloadSettings back;
    ASSERT_TRUE(LoadDownloadSettings(folder.path, back, 0.0));
    EXPECT_EQ(back.user, "me");
    EXPECT_EQ(back.password, " pass phrase ");
}

}  // namespace

// An object of several sets (a supplemental file) is one row of the file and
// of the list, and choosing it takes every set, so the main window can use
// each at its time; removing the row removes them all.
TEST_F(TSelectorTest, ChoosingAnObjectOfSeveralSetsTakesThemAll) {
    TTestSat early = Sat("SUPPLEMENTED", "90001"), later = early, other = Sat("OTHER", "90002");
    early.epochDay = 18.0;
    later.epochDay = 25.0;
    later.meanAnomaly = 100.0;
    TfrSatSelectorWnd w({}, folder.path, folder.path);
    w.show();
    Open(w, ElementFile("sup.tle", {early, other, later}));
    EXPECT_EQ(Rows(&w), 2) << "one row per object";
    DoubleClick(&w, "SUPPLEMENTED");
    const std::vector<TSatRec> chosen = w.list();
    ASSERT_EQ(chosen.size(), 2u);
    EXPECT_EQ(chosen[0].catNo.str(), "90001");
    EXPECT_EQ(chosen[1].catNo.str(), "90001");
    EXPECT_NE(chosen[0].epoch, chosen[1].epoch);
    EXPECT_EQ(Ticks(&w)->rowCount(), 1);

    TfrSatSelectorWnd again(chosen, folder.path, folder.path);
    again.show();
    QAbstractItemModel* ticks = Ticks(&again);
    ASSERT_EQ(ticks->rowCount(), 1) << "a list of two sets of one object shows one row";
    ticks->setData(ticks->index(0, 0), Qt::Unchecked, Qt::CheckStateRole);
    Click(&again, "bn_close");
    ASSERT_EQ(again.list().size(), 2u);
    for (const TSatRec& s : again.list()) EXPECT_EQ(s.selected, 0) << "the row's tick is every set's";
    TfrSatSelectorWnd third(chosen, folder.path, folder.path);
    third.show();
    Highlight(&third, 0);
    Click(&third, "bn_delete");
    EXPECT_TRUE(third.list().empty());
}
