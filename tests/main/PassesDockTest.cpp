// The upcoming-passes dock and the first start, driven as a user drives
// them: the list fills from a worker, a double-click on a row or a bar sets
// the clock to that pass, the View menu hides and shows the dock; a data
// folder without an observer asks for the place, which is then saved.
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>
#include <QStackedWidget>
#include <QSortFilterProxyModel>
#include <QTableView>

#include "WindowTestUtil.h"
#include "frFirstStart.h"
#include "frPalette.h"
#include "frPasses.h"
#include "uInitialize.h"

namespace {

TPassesDock* Dock(TfrMainWnd& w) { return w.findChild<TPassesDock*>("dock_passes"); }

bool PassesListed(TfrMainWnd& w) {
    return WaitFor([&] { return !Dock(w)->searching() && Dock(w)->model().rowCount() > 0; });
}

TEST(UpcomingCountdown, BeforeDuringAndAfterThePass) {
    TUpcomingPass p;
    p.aos = 100.0;
    p.los = 100.0 + 7.0 / 1440.0;
    EXPECT_EQ(CountdownText(p, p.aos - (65.0 * 60 + 20) / 86400.0), "in 1 h 05 m");
    EXPECT_EQ(CountdownText(p, p.aos - 250.0 / 86400.0), "in 4 m 10 s");
    EXPECT_EQ(CountdownText(p, p.aos + 60.0 / 86400.0), "up, LOS in 6 m 00 s");
    EXPECT_EQ(CountdownText(p, p.los), "over");
}

TEST(SkyTimeline, ManySatellitesKeepReadableRowsAndScroll) {
    TUpcomingModel model;
    std::vector<TShownPass> passes;
    const double now = Day2018(22, 3);
    for (std::size_t k = 0; k < 20; ++k) {
        TShownPass s;
        s.pass.satellite = k;
        s.pass.name = "SAT " + std::to_string(k);
        s.pass.aos = now + (10.0 + 20.0 * k) / 1440.0;
        s.pass.los = s.pass.aos + 8.0 / 1440.0;
        s.pass.maxElevation = 5.0 + 4.0 * k;
        passes.push_back(s);
    }
    model.SetNow(now);
    model.SetPasses(passes);
    // In a dock as short as a 1024x600 screen leaves: the rows keep their
    // height and the scroll area scrolls, rather than squashing them.
    QWidget dock;
    auto* layout = new QVBoxLayout(&dock);
    auto* scroll = new QScrollArea;
    auto* timeline = new TSkyTimeline(model);
    scroll->setWidget(timeline);
    scroll->setWidgetResizable(true);
    layout->addWidget(scroll);
    dock.resize(320, 140);
    dock.show();
    QApplication::processEvents();
    const int line = timeline->fontMetrics().height();
    EXPECT_GE(timeline->height(), 20 * line) << "taller than the dock";
    EXPECT_TRUE(scroll->verticalScrollBar()->isVisible());
    int lastTop = -1000;
    for (int row = 0; row < 20; ++row) {
        const QRect bar = timeline->BarOf(row);
        ASSERT_FALSE(bar.isEmpty()) << row;
        EXPECT_GE(bar.top() - lastTop, line) << "rows " << row - 1 << " and " << row << " too close";
        lastTop = bar.top();
    }
    // Few satellites in a tall dock: no scroll bar.
    passes.resize(2);
    model.SetPasses(passes);
    dock.resize(320, 400);
    QApplication::processEvents();
    EXPECT_FALSE(scroll->verticalScrollBar()->isVisible());
    EXPECT_LE(timeline->height(), scroll->viewport()->height());

    // In the night palette the bars are red too, not gold and blue.
    ApplyNightPalette(true);
    QApplication::processEvents();
    const QImage night = timeline->grab().toImage();
    ApplyNightPalette(false);
    int reds = 0;
    for (int y = 0; y < night.height(); ++y)
        for (int x = 0; x < night.width(); ++x) {
            const QRgb p = night.pixel(x, y);
            ASSERT_LE(std::max(qGreen(p), qBlue(p)), qRed(p) / 2 + 2) << x << "," << y;
            reds += qRed(p) > 150;
        }
    EXPECT_GT(reds, 20) << "the bars and the clock drawn";
}

TEST_F(TWindowTest, PassesDockListsThePassesAndADoubleClickSetsTheClock) {
    TTestSat second;
    second.name = "SECOND SAT";
    second.catNo = "90002";
    second.meanAnomaly = 145.0;
    folder.Satellites({TTestSat{}.Record(), second.Record()});
    TObserver observer = DefaultObserver();
    ASSERT_TRUE(SaveObserver(folder.path, observer));
    const double start = Day2018(22, 3);
    TfrMainWnd& w = Start(start, true);
    TPassesDock* dock = Dock(w);
    ASSERT_NE(dock, nullptr);
    EXPECT_TRUE(dock->isVisible()) << "shown from the start";
    ASSERT_TRUE(PassesListed(w));

    const auto& passes = dock->model().passes();
    bool both[2] = {false, false};
    for (const TShownPass& s : passes) {
        EXPECT_GT(s.pass.los, start);
        EXPECT_LT(s.pass.aos, start + kUpcomingHours / 24.0);
        if (s.pass.satellite < 2) both[s.pass.satellite] = true;
    }
    EXPECT_TRUE(both[0] && both[1]) << "passes of both tracked satellites";

    // The first row by AOS: double-clicked, the clock goes to its AOS and
    // the satellite becomes the first one.
    QTableView* table = dock->table();
    const QModelIndex first = table->model()->index(0, TUpcomingModel::kCountdown);
    EXPECT_TRUE(table->model()->data(first).toString().startsWith("in ")) << table->model()->data(first).toString().toStdString();
    const QModelIndex source = static_cast<QSortFilterProxyModel*>(table->model())->mapToSource(first);
    const TUpcomingPass chosen = passes[static_cast<std::size_t>(source.row())].pass;
    const QRect cell = table->visualRect(first);
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, cell.center());
    EXPECT_NEAR(w.session().CurrentTime, chosen.aos, 1e-9);
    EXPECT_EQ(w.session().Sat1Main, chosen.satellite);
    EXPECT_EQ(Ui().cb_sat1->currentText().toStdString(), chosen.name);
    ASSERT_TRUE(Settle());
    EXPECT_TRUE(WaitFor([&] { return !dock->searching(); }));

    // A bar of the timeline: the same for another satellite's pass.
    const auto& now = dock->model().passes();
    int other = -1;
    for (int row = 0; row < static_cast<int>(now.size()) && other < 0; ++row)
        if (now[static_cast<std::size_t>(row)].pass.satellite != chosen.satellite && !dock->timeline()->BarOf(row).isEmpty())
            other = row;
    ASSERT_GE(other, 0) << "a pass of the other satellite on the timeline";
    const TUpcomingPass bar = now[static_cast<std::size_t>(other)].pass;
    QTest::mouseDClick(dock->timeline(), Qt::LeftButton, {}, dock->timeline()->BarOf(other).center());
    EXPECT_NEAR(w.session().CurrentTime, bar.aos, 1e-9);
    EXPECT_EQ(w.session().Sat1Main, bar.satellite);

    // The View menu's entry hides and shows the dock.
    QAction* toggle = w.findChild<QAction*>("menu_passes");
    ASSERT_NE(toggle, nullptr);
    EXPECT_TRUE(w.menuBar()->findChild<QMenu*>("mn_view")->actions().contains(toggle));
    toggle->trigger();
    EXPECT_FALSE(dock->isVisible());
    toggle->trigger();
    EXPECT_TRUE(dock->isVisible());

    // The rows come by AOS, a header click sorts by its column, and a
    // double-click chooses rather than edits.
    auto inOrder = [table](int column) {
        const QAbstractItemModel* m = table->model();
        double up = 0, down = 0;
        for (int r = 1; r < m->rowCount(); ++r) {
            const double a = m->index(r - 1, column).data(TUpcomingModel::kSortRole).toDouble();
            const double b = m->index(r, column).data(TUpcomingModel::kSortRole).toDouble();
            up += a <= b, down += a >= b;
        }
        return up == m->rowCount() - 1 || down == m->rowCount() - 1;
    };
    EXPECT_TRUE(inOrder(TUpcomingModel::kAos));
    QHeaderView* header = table->horizontalHeader();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(TUpcomingModel::kMaxElevation) + 4, header->height() / 2));
    EXPECT_EQ(header->sortIndicatorSection(), TUpcomingModel::kMaxElevation);
    EXPECT_TRUE(inOrder(TUpcomingModel::kMaxElevation));
    EXPECT_EQ(table->editTriggers(), QAbstractItemView::NoEditTriggers);
    EXPECT_EQ(table->selectionBehavior(), QAbstractItemView::SelectRows);
}

TEST_F(TWindowTest, FirstStartAsksForThePlaceAndStartsAtTheElementsEpoch) {
    for (const char* file : {"Locations.dat", "Timezone.dat", "dwnlist.dat"}) folder.CopyInstalled(file);
    const TTestSat sat;
    folder.Satellites({sat.Record()});
    ASSERT_FALSE(IsRegularFile(folder / kObserverFile));
    // Years after the elements' epoch, as a first start with bundled elements is.
    double clock = EncodeDayNumber(2026, 12, 8, 20);
    const TFolders f = ChooseFolders(std::string(ORBISK_PROGRAM_DIR) + "/", folder.path, true, "");
    window = std::make_unique<TfrMainWnd>(f, &clock);
    window->AskPlaceOnFirstStart(true);
    window->resize(1000, 700);
    window->show();
    TfrFirstStart* dialog = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (dialog = window->findChild<TfrFirstStart*>()) && dialog->isVisible(); }));

    auto* search = dialog->findChild<QLineEdit*>("ed_place_search");
    QTest::keyClicks(search, "berlin");
    EXPECT_GE(dialog->matches(), 3);
    EXPECT_EQ(dialog->findChild<QListWidget*>("lst_places")->item(0)->text(), "Berlin  (Europe/Berlin)")
        << "names that start with the text come first";
    EXPECT_EQ(dialog->findChild<QComboBox*>("cb_place_zone")->currentText(), "Europe/Berlin");
    EXPECT_EQ(dialog->findChild<QLineEdit*>("ed_place_lat")->text(), "52.5000");

    // A zone the system does not know is refused with the reason.
    auto* zone = dialog->findChild<QComboBox*>("cb_place_zone");
    zone->setCurrentText("Mars/Olympus_Mons");
    auto* pages = dialog->findChild<QStackedWidget*>();
    QTest::mouseClick(dialog->findChild<QPushButton*>("bn_next"), Qt::LeftButton);
    EXPECT_EQ(pages->currentIndex(), 0);
    EXPECT_TRUE(dialog->findChild<QLabel*>("lb_place_error")->text().contains("not a time zone"));
    zone->setCurrentText("Europe/Berlin");
    QTest::mouseClick(dialog->findChild<QPushButton*>("bn_next"), Qt::LeftButton);
    ASSERT_EQ(pages->currentIndex(), 1);
    EXPECT_TRUE(dialog->findChild<QLabel*>("lb_download_lists")->text().contains("stations"))
        << "the download list's enabled entries are named";
    QTest::mouseClick(dialog->findChild<QPushButton*>("bn_skip"), Qt::LeftButton);
    ASSERT_TRUE(WaitFor([&] { return window->findChild<TfrFirstStart*>() == nullptr; }));

    const TObserver& o = window->session().Observer;
    EXPECT_EQ(o.name.str(), "Berlin");
    EXPECT_EQ(o.zoneName.str(), "Europe/Berlin");
    EXPECT_NEAR(o.pos.lat * kRadToDeg, 52.5, 1e-9);
    EXPECT_NEAR(o.pos.lon * kRadToDeg, 13.3667, 1e-9);
    TObserver saved{};
    ASSERT_TRUE(ReadObserverFile(folder.path, saved));
    EXPECT_EQ(saved.zoneName.str(), "Europe/Berlin");
    EXPECT_NEAR(window->session().CurrentTime, JulianToDayNumber(window->session().MainSats[0].epoch), 1e-9)
        << "declined: the clock goes to the elements' epoch";
    EXPECT_TRUE(window->windowTitle().contains("Berlin"));
    ASSERT_TRUE(Settle());

    // Started again on the same folder, it does not ask.
    window->close();
    window = std::make_unique<TfrMainWnd>(f, &clock);
    window->AskPlaceOnFirstStart(true);
    window->show();
    ASSERT_TRUE(Settle());
    QTest::qWait(50);
    EXPECT_EQ(window->findChild<TfrFirstStart*>(), nullptr);
    EXPECT_EQ(window->session().Observer.name.str(), "Berlin");
}

}  // namespace
