// The prediction window driven as a user drives it: its searches give the
// engine's reports, one search at a time, Cancel stops one at once, the
// period check, the UTC/local pickers, "Day Flares", and the KML hand-over.
#include <QCheckBox>
#include <QDateTimeEdit>
#include <QDesktopServices>
#include <QHeaderView>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QAbstractItemView>
#include <QComboBox>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QUrl>

#include <QItemSelectionModel>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <fstream>
#include <memory>
#include <mutex>
#include <random>
#include <thread>

#include "SearchWndTestUtil.h"
#include "frAnalysis.h"
#include "frPrediction.h"
#include "frRaDec.h"
#include "frReportView.h"
#include "frResultTable.h"
#include "frSatSelector.h"
#include "frstar.h"
#include "frSearchTools.h"
#include "uFlares.h"
#include "uGoogle.h"
#include "uRecordOutput.h"
#include "RunProgram.h"
#include "uSearchModes.h"

namespace {

struct TPredictionWndTest : TOneWindowTest<TfrPredictionWnd> {
    void Period(double start, double stop) {
        window->dt_predict_hour1->setDateTime(PickerDateTime(start));
        window->dt_predict_hour2->setDateTime(PickerDateTime(stop));
    }
    bool Finished(int ms = 30000) {
        return WaitFor([&] { return !window->busy(); }, ms);
    }
};

// Records the files handed to the desktop instead of opening a viewer.
class TUrlCatcher : public QObject {
    Q_OBJECT
public:
    std::vector<QUrl> urls;
public slots:
    void Open(const QUrl& url) { urls.push_back(url); }
};

TEST_F(TPredictionWndTest, LineSearchGivesTheEnginesReport) {
    session.MainSats = BundledSets({"visual.tle"});
    TfrPredictionWnd& w = Open();
    const double start = Day2018(22), stop = Day2018(24);
    Period(start, stop);
    Click(w, "tb_line");
    ASSERT_TRUE(Finished());

    TPredictionControls c;
    c.shownStart = start;
    c.shownStop = stop;
    const TPredictionInputs in = ReadPredictionInputs(c, 0.0);
    TReportSettings settings;
    settings.observerName = session.Observer.name.str();
    settings.latitude = session.Observer.pos.lat;
    settings.longitude = session.Observer.pos.lon;
    // The element-age line, as the command line writes it.
    settings.elementAges = ElementAges(session.MainSats, in.start, in.stop,
                                       [&](std::size_t i, const TSatRec& sat) { return IsSearched(in, i, sat); });
    const TPredictionResult r = RunLineSearch(in, session.MainSats, session.Observer, 1);
    ASSERT_FALSE(r.passes.empty());
    ExpectSameReport(w.report(), LineReport(r, session.MainSats, in, settings));
    EXPECT_EQ(w.PredictMemo->toPlainText().count('\n') + 1, static_cast<int>(w.report().size()));
    EXPECT_EQ(w.passes().size(), r.passes.size());
    EXPECT_TRUE(w.bn_chartwnd->isEnabled());
    EXPECT_FALSE(w.bn_google->isEnabled());
}

TEST_F(TPredictionWndTest, PassTableSortsByAClickedHeaderAndSavesTheCommandLinesCsv) {
    session.MainSats = BundledSets({"visual.tle"});
    TfrPredictionWnd& w = Open();
    Period(Day2018(22), Day2018(24));
    Click(w, "tb_line");
    ASSERT_TRUE(Finished());
    ASSERT_EQ(w.Results->currentWidget(), w.Results->view()) << "the table shows first";
    const int rows = w.Results->proxy()->rowCount();
    ASSERT_GT(rows, 3);
    EXPECT_EQ(static_cast<std::size_t>(rows), w.passes().size());

    // A click on the header sorts by that column; a second one turns it round.
    // Durations have one to three digits: they sort as numbers, not as text.
    QHeaderView* header = w.Results->view()->horizontalHeader();
    for (const char* field : {"max_elevation_deg", "duration_s"})
    for (int click = 0; click < 2; ++click) {
        SCOPED_TRACE(field);
        const int column = w.Results->model()->ColumnOf(field);
        ASSERT_GE(column, 0);
        w.Results->view()->scrollTo(w.Results->proxy()->index(0, column));
        const QPoint at(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                        header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
        ASSERT_EQ(header->sortIndicatorSection(), column);
        const bool up = header->sortIndicatorOrder() == Qt::AscendingOrder;
        std::vector<double> shown;
        for (int r = 0; r < rows; ++r)
            shown.push_back(w.Results->proxy()->index(r, column).data().toString().toDouble());
        EXPECT_TRUE(up ? std::is_sorted(shown.begin(), shown.end()) : std::is_sorted(shown.rbegin(), shown.rend()))
            << "click " << click;
        EXPECT_NE(shown.front(), shown.back());
    }

    // Sorting the view does not reorder the records saved.
    const std::string csv = SaveCsv(w, folder / "passes.csv");
    const std::string tle = std::string(ORBISK_SOURCE_DIR) + "/data/install/tle/visual.tle";
    EXPECT_EQ(csv, PredictOutput("--utc --start 2018-01-22 --days 2 --lat 45 --lon -75 --height 100 --data '" +
                                 folder.path + "' --tle '" + tle +
                                 "' --format csv"));
}

// Holds the window's next search halfway through its satellites until let
// go (or the gate goes), so a Cancel lands while the search surely runs,
// whatever the speed of the build; the passes of the first half show by then.
class TSearchGate {
public:
    explicit TSearchGate(TfrPredictionWnd& w) {
        w.runner().SetCountHook([state = State](std::size_t done, std::size_t total) {
            std::unique_lock<std::mutex> lock(state->mutex);
            if (state->used || done != total / 2) return;
            state->used = state->held = true;
            state->woken.wait(lock, [&] { return state->open; });
        });
    }
    ~TSearchGate() { LetGo(); }
    bool held() const {
        std::lock_guard<std::mutex> lock(State->mutex);
        return State->held;
    }
    void LetGo() {
        {
            std::lock_guard<std::mutex> lock(State->mutex);
            State->open = true;
        }
        State->woken.notify_all();
    }

private:
    struct TState {
        mutable std::mutex mutex;
        std::condition_variable woken;
        bool used = false, held = false, open = false;
    };
    std::shared_ptr<TState> State = std::make_shared<TState>();
};

TEST_F(TPredictionWndTest, PassesShowWhileTheSearchRunsSortedAndFilteredAndEndAsTheWholeSearchsRecords) {
    session.MainSats = BundledSets({"visual.tle", "stations.tle", "Iridium.tle"});
    TfrPredictionWnd& w = Open();
    w.nm_revs->setValue(11);
    QTest::mouseClick(w.ckb_day_night, Qt::LeftButton);
    TRecordModel* model = w.Results->model();
    std::vector<int> seen;  // rows in the table each time rows came while the search ran
    QObject::connect(model, &QAbstractItemModel::rowsInserted, &w, [&] {
        if (w.busy()) seen.push_back(model->rowCount());
    });
    // The tabular search is the slower: a shorter period.
    for (const auto& [mode, stop] : {std::pair{"tb_line", Day2018(24)}, std::pair{"tb_tabular", Day2018(22.5)}}) {
        SCOPED_TRACE(mode);
        Period(Day2018(22), stop);
        seen.clear();
        // Held halfway, so that rows surely come before the end however
        // fast the search and however late the UI thread runs.
        TSearchGate gate(w);
        Click(w, mode);
        ASSERT_TRUE(WaitFor([&] { return gate.held() && model->rowCount() > 0; }, 60000));
        gate.LetGo();
        ASSERT_TRUE(Finished());
        ASSERT_FALSE(seen.empty()) << "no rows before the end";
        EXPECT_LT(seen.front(), model->rowCount()) << "all rows came at once";

        // The same records, in the same order, as the search gives without the window.
        const TPredictionInputs in = ReadPredictionInputs(
            TPredictionControls{Day2018(22), stop, 10, -6, 11, 60, true, true, true}, 0.0);
        const bool table = std::string(mode) == "tb_tabular";
        const TPredictionResult r = table ? RunTabularSearch(in, session.MainSats, session.Observer, 1)
                                          : RunLineSearch(in, session.MainSats, session.Observer, 1);
        const TRecordTable expected =
            table ? TablePassRecords(r, session.MainSats, false) : LinePassRecords(r, session.MainSats, false);
        ASSERT_GT(expected.rows.size(), 50u);
        EXPECT_EQ(RecordsCsv(w.Results->records()), RecordsCsv(expected));
        EXPECT_EQ(RecordsJson(w.Results->records()), RecordsJson(expected));
        EXPECT_EQ(w.passes().size(), r.passes.size());
        EXPECT_TRUE(w.bn_chartwnd->isEnabled());
        if (!table) {
            // A long report shows whole in the "Report" tab.
            ASSERT_GT(w.report().size(), 1000u);
            w.Results->setCurrentIndex(1);
            ASSERT_TRUE(WaitFor([&] { return w.PredictMemo->lineCount() == static_cast<int>(w.report().size()); }));
            EXPECT_EQ(w.PredictMemo->line(w.PredictMemo->lineCount() - 1).toStdString(), w.report().back());
            EXPECT_EQ(w.PredictMemo->line(1000).toStdString(), w.report()[1000]);
            w.Results->setCurrentIndex(0);
        }
    }

    // Sorted by maximum elevation and filtered by a name (any case) while
    // the search runs: every row that comes takes its place.
    Period(Day2018(22), Day2018(24));
    Click(w, "tb_line");
    ASSERT_TRUE(w.busy());
    const int elevation = model->ColumnOf("max_elevation_deg"), name = model->ColumnOf("satellite");
    ASSERT_GE(elevation, 0);
    ASSERT_GE(name, 0);
    w.Results->view()->sortByColumn(elevation, Qt::DescendingOrder);
    QTest::keyClicks(w.Results->filter(), "iRiD");
    ASSERT_TRUE(Finished());
    TRecordProxy* proxy = w.Results->proxy();
    int iridium = 0;
    for (int r = 0; r < model->rowCount(); ++r)
        iridium += model->index(r, name).data().toString().contains("IRIDIUM");
    ASSERT_GT(iridium, 10);
    ASSERT_LT(iridium, model->rowCount());
    ASSERT_EQ(proxy->rowCount(), iridium);
    std::vector<double> shown;
    for (int r = 0; r < proxy->rowCount(); ++r) {
        EXPECT_TRUE(proxy->index(r, name).data().toString().contains("IRIDIUM"));
        shown.push_back(proxy->index(r, elevation).data(kRecordSortRole).toDouble());
    }
    EXPECT_TRUE(std::is_sorted(shown.rbegin(), shown.rend()));
    EXPECT_GT(shown.front(), shown.back());
    if (const char* shots = std::getenv("ORBISK_SHOT_DIR")) {
        w.resize(1000, 720);
        QTest::qWait(50);
        w.grab().save(QString(shots) + "/orbisk-prediction-table.png");
    }
    // Cleared, every row shows again.
    w.Results->filter()->clear();
    EXPECT_EQ(proxy->rowCount(), model->rowCount());
}

// Cancel while the gate holds the search, then let it go.
void CancelHeld(TfrPredictionWnd& w, TSearchGate& gate) {
    ASSERT_TRUE(WaitFor([&] { return gate.held() && w.Results->model()->rowCount() > 0; }, 60000));
    QTest::mouseClick(w.findChild<TSearchProgress*>()->cancelButton(), Qt::LeftButton);
    gate.LetGo();
}

TEST_F(TPredictionWndTest, CancelKeepsThePassesFoundAndSaysSo) {
    session.MainSats = BundledSets({"visual.tle", "stations.tle", "Iridium.tle"});
    TfrPredictionWnd& w = Open();
    w.nm_revs->setValue(2);
    QTest::mouseClick(w.ckb_day_night, Qt::LeftButton);
    Period(Day2018(22), Day2018(37));
    TSearchGate gate(w);
    Click(w, "tb_line");
    CancelHeld(w, gate);
    ASSERT_TRUE(Finished());
    const int rows = w.Results->model()->rowCount();
    EXPECT_GT(rows, 0);
    EXPECT_EQ(static_cast<std::size_t>(rows), w.passes().size()) << "the table and the charts keep the same passes";
    const QString message = w.statusBar()->currentMessage();
    EXPECT_TRUE(message.startsWith("Search cut short: ")) << message.toStdString();
    EXPECT_TRUE(message.endsWith(QString("the table keeps the %1 passes found").arg(rows))) << message.toStdString();
}

// A report written only when asked for (as a whole catalogue's is) is the
// report written at once, in the tab, saved, and with a cut-short line.
TEST_F(TPredictionWndTest, AReportWrittenWhenAskedForIsTheReportWrittenAtOnce) {
    session.MainSats = BundledSets({"visual.tle", "stations.tle", "Iridium.tle"});
    TfrPredictionWnd& w = Open();
    Period(Day2018(22), Day2018(24));
    const auto saved = [&](const char* name) {
        const std::string path = folder / name;
        w.menu_save->trigger();
        EXPECT_TRUE(AnswerFileDialog(&w, path, "PickFileSave"));
        EXPECT_TRUE(WaitFor([&] { return std::filesystem::exists(path) && !w.busy(); }));
        std::ifstream in(path, std::ios::binary);
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    };
    Click(w, "tb_line");
    ASSERT_TRUE(Finished());
    ASSERT_TRUE(w.reportWritten());
    const TReportLines atOnce = w.report();
    const std::vector<std::string> savedAtOnce = saved("at-once.txt");

    w.SetLaterReportFrom(1);
    Click(w, "tb_line");
    ASSERT_TRUE(Finished());
    EXPECT_FALSE(w.reportWritten());
    EXPECT_TRUE(w.PredictMemo->toPlainText().isEmpty());
    EXPECT_TRUE(w.bn_saveics->isEnabled());
    ExpectSameReport(saved("later.txt"), savedAtOnce);
    ASSERT_TRUE(w.reportWritten());

    Click(w, "tb_line");
    ASSERT_TRUE(Finished());
    w.Results->setCurrentIndex(1);
    ASSERT_TRUE(WaitFor([&] {
        return w.reportWritten() && !w.busy() && w.PredictMemo->lineCount() == static_cast<int>(atOnce.size());
    }));
    ExpectSameReport(w.report(), atOnce);
    EXPECT_EQ(w.PredictMemo->line(w.PredictMemo->lineCount() - 1).toStdString(), atOnce.back());

    // Written while the tab shows, cut short: the report says so at its end.
    w.nm_revs->setValue(2);
    QTest::mouseClick(w.ckb_day_night, Qt::LeftButton);
    Period(Day2018(22), Day2018(37));
    TSearchGate gate(w);
    Click(w, "tb_line");
    CancelHeld(w, gate);
    ASSERT_TRUE(WaitFor([&] { return w.reportWritten() && !w.busy(); }));
    ASSERT_FALSE(w.report().empty());
    EXPECT_EQ(w.report().back().rfind("  Search cut short: ", 0), 0u) << w.report().back();
    EXPECT_TRUE(w.statusBar()->currentMessage().startsWith("Search cut short: "));
}

// The table keeps each value packed: what it gives back is what it was given.
TEST(RecordModelTest, KeepsEveryKindOfValueAndTellsTheTimeColumns) {
    TRecordTable t;
    t.arrayName = "rows";
    t.columns = {"satellite", "time", "elevation_deg", "revolution", "sunlit", "note"};
    t.about = {{"mode", TCell::Text("line")}};
    const double day = Day2018(22, 3);
    t.rows.push_back({TCell::Text("Cafz"), TCell::Time(day), TCell::Number(45.26, 1), TCell::Integer(-7),
                      TCell::Bool(true), TCell::None()});
    t.rows.push_back({TCell::Text("Caf\xe9"), TCell::Time(day + 0.5), TCell::Number(std::nan(""), 1),
                      TCell::Integer(1LL << 40), TCell::Bool(false), TCell::Text("ISS (ZARYA)")});
    TRecordModel model;
    model.Begin({t.arrayName, t.columns, {}, t.about}, 0.0);
    EXPECT_EQ(model.headerData(1, Qt::Horizontal).toString(), "Time (UTC)");
    model.Append({t.rows[0]});
    model.Append({t.rows[1]});
    EXPECT_EQ(RecordsJson(model.table()), RecordsJson(t));
    EXPECT_EQ(model.index(1, 0).data().toString(), QString::fromUtf8("Caf\xc3\xa9"));
    EXPECT_EQ(model.index(0, 2).data().toString(), "45.3");
    EXPECT_EQ(model.index(1, 2).data().toString(), "") << "no value shows empty";
    EXPECT_TRUE(model.Less(2, 1, 0)) << "and sorts below the values";
    EXPECT_TRUE(model.Less(0, 0, 1)) << "names sort by their characters, an accent after the letters";
    EXPECT_FALSE(model.Less(0, 1, 0));
    EXPECT_FALSE(model.Less(0, 1, 1));
    model.SetTable(t, 1.0 / 24.0);
    EXPECT_EQ(model.index(0, 1).data().toString(), "2018-01-22 04:00:00");
    EXPECT_EQ(model.headerData(1, Qt::Horizontal).toString(), "Time (local)");
}

// Rows merged batch by batch into a sorted, filtered table end where one
// sort of all the records puts them, equal values in the records' order;
// a row held (the current one) stays on its record.
// Rows packed apart (as a search's thread packs them) are the rows given,
// after rows given as cells too; a packer's later rows do not reach a table
// cleared since, a new packer's do.
TEST(RecordModelTest, PackedRowsAreTheRowsGivenAndStayWithTheirTable) {
    TRecordTable t;
    t.arrayName = "passes";
    t.columns = {"satellite", "time", "max_elevation_deg", "revolution"};
    const auto row = [](const char* name, double day, double elevation, long long revolution) {
        return std::vector<TCell>{TCell::Text(name), TCell::Time(Day2018(day)), TCell::Number(elevation, 1),
                                  TCell::Integer(revolution)};
    };
    t.rows = {row("B", 22, 10.5, 1), row("A", 22.1, 45.25, 2), row("B", 22.2, 80, 3),
              row("C", 22.3, 5, 4),  row("A", 22.4, 0, 5)};
    const TRecordTable header{t.arrayName, t.columns, {}, {}};
    TRecordModel model;
    model.Begin(header, 0.0);
    model.Append(std::vector<std::vector<TCell>>{t.rows[0]});
    TRecordPacker packer(t.columns.size());
    std::vector<std::vector<TCell>> rows(t.rows.begin() + 1, t.rows.begin() + 3);
    TPackedRows packed;
    packer.Pack(rows, packed);
    model.Append(std::move(packed));
    // The rest cell by cell, as a search's passes are, numbering texts on
    // with the same packer; a short row is padded with empty cells.
    packed = {};
    packer.Pack(
        [&](TCellWriter& out) {
            for (int r = 3; r < 5; ++r) {
                for (const TCell& c : t.rows[r])
                    if (c.kind == TCell::Kind::kText)
                        out.Text(c.text);
                    else
                        out.Value(c);
                out.EndRow();
            }
            out.Text("E");
            out.EndRow();
        },
        packed);
    t.rows.push_back({TCell::Text("E"), {}, {}, {}});
    model.Append(std::move(packed));
    EXPECT_EQ(RecordsCsv(model.table()), RecordsCsv(t));
    EXPECT_EQ(model.texts(), 4u) << "each name once";
    EXPECT_TRUE(model.Less(0, 1, 0)) << "texts sort by their own characters";

    model.Begin(header, 0.0);
    std::vector<std::vector<TCell>> later{row("D", 23, 1, 6)};
    TPackedRows stale;
    packer.Pack(later, stale);
    model.Append(std::move(stale));
    EXPECT_EQ(model.rowCount(), 0);
    TRecordPacker fresh(t.columns.size());
    rows = {row("D", 23, 1, 6)};
    packed = {};
    fresh.Pack(rows, packed);
    model.Append(std::move(packed));
    ASSERT_EQ(model.rowCount(), 1);
    EXPECT_EQ(model.index(0, 0).data().toString(), "D");
}

// Rows streamed faster than the view should redraw come in few insertions,
// every one of them in order; Flush takes the waiting ones at once, and the
// rows of a stream whose panel started another table stay out of it.
TEST(RecordStreamTest, RowsComeInFewInsertionsAllOfThemAndOnlyToTheirTable) {
    QWidget parent;
    TResultPanel panel(&parent, new QPlainTextEdit(&parent));
    TRecordTable header{"passes", {"satellite", "revolution"}, {}, {}};
    const auto post = [](std::function<void()> step) {
        QMetaObject::invokeMethod(qApp, std::move(step), Qt::QueuedConnection);
    };
    const auto rows = [](int from, int count) {
        std::vector<std::vector<TCell>> r;
        for (int k = from; k < from + count; ++k)
            r.push_back({TCell::Text("SAT " + std::to_string(k % 7)), TCell::Integer(k)});
        return r;
    };
    int insertions = 0;
    QObject::connect(panel.model(), &QAbstractItemModel::rowsInserted, [&] { ++insertions; });
    panel.BeginRecords(header, 0.0);
    TRecordStream stream(&panel, post, 150);
    std::atomic<bool> done{false};
    std::thread worker([&] {
        for (int k = 0; k < 400; k += 4) {
            stream.Add(rows(k, 4));
            std::this_thread::sleep_for(std::chrono::milliseconds(3));
        }
        done = true;
    });
    const bool ended = WaitFor([&] { return done.load(); });
    worker.join();
    ASSERT_TRUE(ended);
    ASSERT_GT(insertions, 0) << "rows come while they are added";
    stream.Add(rows(400, 4));
    stream.Flush();
    ASSERT_EQ(panel.model()->rowCount(), 404) << "Flush takes the rows still on their way";
    EXPECT_LE(insertions, 8) << "one insertion per turn of the event loop";
    for (int k = 0; k < 404; k += 101)
        EXPECT_EQ(panel.model()->index(k, 1).data().toInt(), k);
    EXPECT_EQ(stream.added(), 404u);

    TRecordStream old(&panel, post, 0);
    old.Add(rows(0, 3));
    panel.BeginRecords(header, 0.0);
    QTest::qWait(20);
    old.Flush();
    EXPECT_EQ(panel.model()->rowCount(), 0);
}

TEST(RecordProxyTest, MergedBatchesEqualOneSortOfTheRecords) {
    TRecordModel model;
    model.Begin({"passes", {"satellite", "max_elevation_deg", "duration_s"}, {}, {}}, 0.0);
    TRecordProxy proxy(&model);
    std::mt19937 random(29);
    const char* names[] = {"IRIDIUM 7", "iridium 12", "ISS (ZARYA)", "NOAA 19", "Caf\xe9", "TRAIN-3"};
    const auto expected = [&] {
        std::vector<int> rows;
        for (int r = 0; r < model.rowCount(); ++r) {
            const QString name = model.index(r, 0).data().toString();
            if (name.contains(proxy.nameFilter(), Qt::CaseInsensitive)) rows.push_back(r);
        }
        const int column = proxy.sortColumn();
        if (column >= 0)
            std::stable_sort(rows.begin(), rows.end(), [&](int a, int b) {
                return proxy.sortOrder() == Qt::AscendingOrder ? model.Less(column, a, b) : model.Less(column, b, a);
            });
        return rows;
    };
    int held = -1;  // the record of the current row
    QItemSelectionModel selection(&proxy);
    const struct {
        int column;
        Qt::SortOrder order;
        const char* filter;
    } steps[] = {{1, Qt::DescendingOrder, ""}, {0, Qt::AscendingOrder, "irid"}, {2, Qt::AscendingOrder, ""},
                 {1, Qt::AscendingOrder, "a"},  {-1, Qt::AscendingOrder, "A"},   {0, Qt::DescendingOrder, ""}};
    for (const auto& step : steps) {
        SCOPED_TRACE(testing::Message() << "column " << step.column << " filter " << step.filter);
        proxy.sort(step.column, step.order);
        proxy.SetNameFilter(step.filter);
        EXPECT_EQ(proxy.sourceRows(), expected());
        for (int batch = 0; batch < 6; ++batch) {
            std::vector<std::vector<TCell>> rows;
            for (int k = static_cast<int>(random() % 40); k-- > 0;) {
                const unsigned pick = random() % 9;
                const double elevation = pick == 8 ? std::nan("") : static_cast<double>(random() % 12) * 7.5;
                rows.push_back({pick == 7 ? TCell::None() : TCell::Text(names[random() % 6]),
                                TCell::Number(elevation, 1), TCell::Integer(static_cast<long long>(random() % 5))});
            }
            if (held < 0 && proxy.rowCount() > 0) {
                const int row = proxy.rowCount() / 2;
                selection.setCurrentIndex(proxy.index(row, 1), QItemSelectionModel::NoUpdate);
                held = proxy.sourceRows()[static_cast<std::size_t>(row)];
            }
            model.Append(std::move(rows));
            ASSERT_EQ(proxy.sourceRows(), expected()) << "batch " << batch;
            if (held >= 0) {
                EXPECT_EQ(proxy.mapToSource(selection.currentIndex()).row(), held);
                EXPECT_EQ(proxy.mapFromSource(model.index(held, 1)), selection.currentIndex());
            }
        }
        held = -1;
        selection.clearCurrentIndex();
    }
    ASSERT_GT(model.rowCount(), 200);
    model.SetTable({}, 0.0);
    EXPECT_EQ(proxy.rowCount(), 0);
}

TEST_F(TPredictionWndTest, OneSearchAtATimeAndCancelStopsAtOnce) {
    session.MainSats = BundledSets({"visual.tle", "stations.tle", "Iridium.tle"});
    TfrPredictionWnd& w = Open();
    w.nm_revs->setValue(2);
    QTest::mouseClick(w.ckb_day_night, Qt::LeftButton);
    Period(Day2018(22), Day2018(37));
    auto gate = std::make_unique<TSearchGate>(w);
    Click(w, "tb_line");
    ASSERT_TRUE(w.busy());
    auto* progress = w.findChild<TSearchProgress*>();
    ASSERT_TRUE(WaitFor([&] { return gate->held() && progress->text().contains(" of "); }, 60000))
        << progress->text().toStdString();

    Click(w, "tb_tabular");  // refused: the line search goes on
    Click(w, "tb_flare");
    EXPECT_TRUE(w.busy());
    QElapsedTimer clock;
    clock.start();
    QTest::mouseClick(progress->cancelButton(), Qt::LeftButton);
    gate.reset();
    ASSERT_TRUE(Finished(2000));
    // Generous: the whole search takes many seconds, and a loaded machine delays the events.
    EXPECT_LT(clock.elapsed(), 1500) << "the search went on after Cancel";
    ASSERT_FALSE(w.report().empty());
    EXPECT_EQ(w.report().back().rfind("  Search cut short: ", 0), 0u) << w.report().back();
    EXPECT_NE(std::find(w.report().begin(), w.report().end(), LineColumnHeader(true)), w.report().end())
        << "a line report, not the tabular one asked for meanwhile";

    // The window goes on working.
    w.nm_revs->setValue(13);
    Period(Day2018(22), Day2018(23));
    Click(w, "tb_line");
    ASSERT_TRUE(Finished());
    EXPECT_NE(w.report().back().rfind("  Search cut short", 0), 0u);

    // Closed while a long search runs: the search stops and the window goes.
    w.nm_revs->setValue(2);
    Period(Day2018(22), Day2018(37));
    Click(w, "tb_line");
    ASSERT_TRUE(w.busy());
    clock.restart();
    window.reset();
    EXPECT_LT(clock.elapsed(), 3000);
}

TEST_F(TPredictionWndTest, PeriodOfFifteenDaysAtMost) {
    session.MainSats = BundledSets({"stations.tle"});
    TfrPredictionWnd& w = Open();
    Period(Day2018(22), Day2018(22) + 15.0 + 1.0 / 86400.0);
    Click(w, "tb_line");
    EXPECT_EQ(TakeBox(&w), kPeriodTooLong);
    EXPECT_FALSE(w.busy());
    Period(Day2018(22), Day2018(21));
    Click(w, "tb_trs");
    EXPECT_EQ(TakeBox(&w), kEndBeforeStart);

    Period(Day2018(22), Day2018(22) + 15.0);
    Click(w, "tb_line");
    ASSERT_TRUE(Finished());
    EXPECT_TRUE(w.findChildren<QMessageBox*>("MessageBox").isEmpty());
    ASSERT_GT(w.report().size(), 4u);
    EXPECT_EQ(w.report()[3], "  Start: Jan 22 2018 00:00:00(Z)  Stop: Feb 06 2018 00:00:00(Z)");
}

TEST_F(TPredictionWndTest, LocalTimeAndBackReturnsThePickers) {
    session.Observer = TestSite(45.0, -75.0, -5.5);
    TfrPredictionWnd& w = Open();
    Period(Day2018(22, 3), Day2018(25, 3));
    const QDateTime start = w.dt_predict_hour1->dateTime(), stop = w.dt_predict_hour2->dateTime();
    EXPECT_EQ(w.menu_utc->text(), "Set Time to LOC");

    QTest::mouseClick(w.stxt_time2, Qt::LeftButton);
    EXPECT_EQ(w.stxt_time1->text(), "LOC");
    EXPECT_EQ(w.stxt_time2->text(), "LOC");
    EXPECT_EQ(w.menu_utc->text(), "Set Time to UTC");
    EXPECT_EQ(w.dt_predict_hour1->dateTime(), start.addSecs(-5 * 3600 - 1800));
    EXPECT_EQ(w.dt_predict_date1->date(), QDate(2018, 1, 21)) << "the date picker follows";

    QTest::mouseClick(w.stxt_time1, Qt::LeftButton);
    EXPECT_EQ(w.stxt_time1->text(), "UTC");
    EXPECT_EQ(w.menu_utc->text(), "Set Time to LOC");
    EXPECT_EQ(w.dt_predict_hour1->dateTime(), start);
    EXPECT_EQ(w.dt_predict_hour2->dateTime(), stop);
    EXPECT_EQ(w.dt_predict_date1->date(), QDate(2018, 1, 22));
}

TEST_F(TPredictionWndTest, MonthShowsAsDigitsAndTakesTypedDigits) {
    TfrPredictionWnd& w = Open();
    Period(Day2018(22, 3), Day2018(25, 3));
    QDateEdit* date = w.dt_predict_date1;
    EXPECT_EQ(date->text().simplified(), "2018 01 22");
    date->setFocus();
    date->setSelectedSection(QDateTimeEdit::MonthSection);
    QTest::keyClicks(date, "11");
    EXPECT_EQ(date->date(), QDate(2018, 11, 22));
    EXPECT_EQ(w.dt_predict_hour1->dateTime(), QDateTime(QDate(2018, 11, 22), QTime(3, 0), Qt::UTC))
        << "the time picker follows the typed month";
    date->setSelectedSection(QDateTimeEdit::MonthSection);
    QTest::keyClicks(date, "7");
    EXPECT_EQ(date->date().month(), 7);
}

TEST_F(TPredictionWndTest, SelectorEditsACopyOfTheWindowsList) {
    session.MainSats = BundledSets({"visual.tle"});
    const std::size_t n = session.MainSats.size();
    ASSERT_GE(n, 3u);
    TfrPredictionWnd& w = Open();
    Click(w, "tb_satselector");
    TfrSatSelectorWnd* selector = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (selector = w.findChild<TfrSatSelectorWnd*>()) != nullptr; }));
    EXPECT_TRUE(selector->isModal());
    auto* ticks = selector->findChild<QListView*>("ckboxSelSat");
    ASSERT_EQ(ticks->model()->rowCount(), static_cast<int>(n));
    ticks->setCurrentIndex(ticks->model()->index(0, 0));
    QTest::mouseClick(selector->findChild<QPushButton*>("bn_delete"), Qt::LeftButton);
    ticks->model()->setData(ticks->model()->index(1, 0), Qt::Unchecked, Qt::CheckStateRole);
    QTest::mouseClick(selector->findChild<QPushButton*>("bn_close"), Qt::LeftButton);

    ASSERT_EQ(w.cklb_linetab->count(), static_cast<int>(n - 1));
    EXPECT_EQ(w.cklb_linetab->item(0)->text().toStdString(), TrimText(session.MainSats[1].name.view()));
    EXPECT_EQ(w.cklb_linetab->item(1)->checkState(), Qt::Unchecked);
    EXPECT_EQ(w.cklb_linetab->item(2)->checkState(), Qt::Checked);
    EXPECT_EQ(session.MainSats.size(), n) << "the main list is not the window's";
    ASSERT_TRUE(WaitFor([&] { return w.findChild<TfrSatSelectorWnd*>() == nullptr; }));

    // Emptied in the selector, the window's list is empty too.
    Click(w, "tb_satselector");
    ASSERT_TRUE(WaitFor([&] { return (selector = w.findChild<TfrSatSelectorWnd*>()) != nullptr; }));
    ticks = selector->findChild<QListView*>("ckboxSelSat");
    while (ticks->model()->rowCount() > 0) {
        ticks->setCurrentIndex(ticks->model()->index(0, 0));
        QTest::mouseClick(selector->findChild<QPushButton*>("bn_delete"), Qt::LeftButton);
    }
    selector->close();
    EXPECT_EQ(w.cklb_linetab->count(), 0);
}

TEST_F(TPredictionWndTest, DayFlaresSetTheMagnitudeLimit) {
    TfrPredictionWnd& w = Open();
    w.nm_mag->setValue(1);
    QTest::mouseClick(w.cb_irid_day, Qt::LeftButton);
    EXPECT_EQ(w.nm_mag->value(), -5);
    w.nm_mag->setValue(-2);
    QTest::mouseClick(w.cb_irid_day, Qt::LeftButton);
    EXPECT_EQ(w.nm_mag->value(), 0);
}

TEST_F(TPredictionWndTest, FlaresGoToTheDesktopAsKml) {
    // Flares of the bundled Iridium sets over three nights at this site.
    session.Observer = TestSite(53.457, -67.609);
    session.IridiumSats = BundledSets({"Iridium.tle"});
    std::erase_if(session.IridiumSats, [](const TSatRec& s) { return !IsIridiumCatalogueName(s.name.str()); });
    TfrPredictionWnd& w = Open();
    Period(Day2018(22, 3), Day2018(25, 3));
    Click(w, "tb_flare");
    ASSERT_TRUE(Finished());
    ASSERT_FALSE(w.passes().empty());
    ASSERT_TRUE(w.bn_google->isEnabled());

    TUrlCatcher catcher;
    QDesktopServices::setUrlHandler("file", &catcher, "Open");
    QTest::mouseClick(w.bn_google, Qt::LeftButton);
    QDesktopServices::unsetUrlHandler("file");
    ASSERT_EQ(catcher.urls.size(), 1u);
    const std::string kml = catcher.urls[0].toLocalFile().toStdString();
    EXPECT_EQ(kml, folder / kKmlFileName);
    EXPECT_NE(folder.Bytes(kKmlFileName).find("<Placemark>"), std::string::npos);
    EXPECT_TRUE(w.findChildren<QMessageBox*>("MessageBox").isEmpty());
}

TEST_F(TPredictionWndTest, KmlSavedWhereAskedAndFailuresNameThePath) {
    session.Observer = TestSite(53.457, -67.609);
    session.IridiumSats = BundledSets({"Iridium.tle"});
    std::erase_if(session.IridiumSats, [](const TSatRec& s) { return !IsIridiumCatalogueName(s.name.str()); });
    TfrPredictionWnd& w = Open();
    EXPECT_FALSE(w.bn_savekml->isEnabled());
    Period(Day2018(22, 3), Day2018(25, 3));
    Click(w, "tb_flare");
    ASSERT_TRUE(Finished());
    ASSERT_TRUE(w.bn_savekml->isEnabled());
    double newest = 0.0;
    for (const TSatRec& sat : session.IridiumSats) newest = std::max(newest, sat.epoch);
    const std::string elementDate = FormatDateTime("yyyy-mm-dd HH:nn:ss", JulianToDayNumber(newest)) + " (Z)";
    EXPECT_EQ(w.report().at(0), "  Iridium Flare Passes - Element Date : " + elementDate) << "the sets' epoch";

    const std::string chosen = folder / "mine.kml";
    QTest::mouseClick(w.bn_savekml, Qt::LeftButton);
    ASSERT_TRUE(AnswerFileDialog(&w, chosen, "SaveKmlDialog"));
    ASSERT_TRUE(WaitFor([&] { return std::filesystem::exists(chosen); }));
    EXPECT_NE(folder.Bytes("mine.kml").find("<Placemark>"), std::string::npos);

    // No viewer on this platform: the message says where the file is.
    QTest::mouseClick(w.bn_google, Qt::LeftButton);
    const QString launch = TakeBox(&w);
    EXPECT_TRUE(launch.startsWith(kKmlLaunchFailed)) << launch.toStdString();
    EXPECT_TRUE(launch.contains(QString::fromStdString(folder / kKmlFileName))) << launch.toStdString();

    // A file that cannot be written is not blamed on the viewer.
    const std::string blocked = folder / "no such folder/x.kml";
    QTest::mouseClick(w.bn_savekml, Qt::LeftButton);
    ASSERT_TRUE(AnswerFileDialog(&w, blocked, "SaveKmlDialog"));
    const QString write = TakeBox(&w);
    EXPECT_FALSE(write.contains(kKmlLaunchFailed)) << write.toStdString();
    EXPECT_EQ(write.count(QString::fromStdString(blocked)), 1) << "named once: " << write.toStdString();
}

TEST_F(TPredictionWndTest, CalendarOfTheLineSearchParsesAndFailuresNameThePath) {
    session.MainSats = BundledSets({"visual.tle"});
    TfrPredictionWnd& w = Open();
    EXPECT_FALSE(w.bn_saveics->isEnabled());
    const double start = Day2018(22), stop = Day2018(24);
    Period(start, stop);
    Click(w, "tb_line");
    ASSERT_TRUE(Finished());
    ASSERT_TRUE(w.bn_saveics->isEnabled());

    const std::string chosen = folder / "passes.ics";
    EXPECT_EQ(w.nm_alarm->value(), -1);
    w.nm_alarm->setValue(15);
    QTest::mouseClick(w.bn_saveics, Qt::LeftButton);
    ASSERT_TRUE(AnswerFileDialog(&w, chosen, "SaveIcsDialog"));
    ASSERT_TRUE(WaitFor([&] { return std::filesystem::exists(chosen); }));
    EXPECT_TRUE(w.statusBar()->currentMessage().contains(QString::fromStdString(chosen)))
        << w.statusBar()->currentMessage().toStdString();

    // The same search's records: the checker compares every event with them.
    TPredictionControls c;
    c.shownStart = start;
    c.shownStop = stop;
    const TPredictionResult r =
        RunLineSearch(ReadPredictionInputs(c, 0.0), session.MainSats, session.Observer, 1);
    {
        std::ofstream csv(folder / "passes.csv", std::ios::binary);
        csv << RecordsCsv(LinePassRecords(r, session.MainSats, false));
    }
    const TProgramRun check =
        RunProgram("/usr/bin/python3", "'" + std::string(ORBISK_SOURCE_DIR) + "/tests/plan/check_ics.py' line '" +
                                           chosen + "' '" + (folder / "passes.csv") + "'");
    EXPECT_EQ(check.status, 0) << check.out;
    const std::string ics = folder.Bytes("passes.ics");
    EXPECT_NE(ics.find("TRIGGER:-PT15M\r\n"), std::string::npos);

    const std::string blocked = folder / "no such folder/x.ics";
    QTest::mouseClick(w.bn_saveics, Qt::LeftButton);
    ASSERT_TRUE(AnswerFileDialog(&w, blocked, "SaveIcsDialog"));
    const QString message = TakeBox(&w);
    EXPECT_EQ(message.count(QString::fromStdString(blocked)), 1) << "named once: " << message.toStdString();

    // A tabular search has no calendar.
    Click(w, "tb_tabular");
    ASSERT_TRUE(Finished());
    EXPECT_FALSE(w.bn_saveics->isEnabled());
}

TEST_F(TPredictionWndTest, LocalReportsTakeTheZonesSummerOffset) {
    session.Observer = TestSite(52.52, 13.40, 1.0);
    session.Observer.zoneName = "Europe/Berlin";
    TTestSat sat;
    sat.epochDay = 203.0;
    session.MainSats = {sat.Record()};
    TfrPredictionWnd& w = Open();
    Period(EncodeDayNumber(2018, 7, 22), EncodeDayNumber(2018, 7, 23));
    QTest::mouseClick(w.stxt_time1, Qt::LeftButton);
    EXPECT_EQ(w.dt_predict_hour1->time(), QTime(2, 0, 0));
    Click(w, "tb_line");
    ASSERT_TRUE(Finished());
    const std::string text = w.PredictMemo->toPlainText().toStdString();
    EXPECT_NE(text.find("All Times are \"Local, UTC+02:00\""), std::string::npos) << text;
}

TEST_F(TPredictionWndTest, ReportsGiveTheElementAgeAndWarnWhenStale) {
    TTestSat sat;  // epoch 22 January 2018
    session.MainSats = {sat.Record()};
    TfrPredictionWnd& w = Open();
    Period(EncodeDayNumber(2018, 7, 22), EncodeDayNumber(2018, 7, 23));
    Click(w, "tb_line");
    ASSERT_TRUE(Finished());
    const std::string text = w.PredictMemo->toPlainText().toStdString();
    EXPECT_NE(text.find("  Element age: 181.0 days at the start"), std::string::npos) << text;
    EXPECT_NE(text.find("  Warning: the elements of 1 of the 1 satellites searched are 182 days from their epoch"),
              std::string::npos) << text;
    EXPECT_TRUE(w.statusBar()->currentMessage().startsWith("Warning: ")) << w.statusBar()->currentMessage().toStdString();

    // Fresh sets: the age, no warning.
    Period(Day2018(22), Day2018(23));
    Click(w, "tb_line");
    ASSERT_TRUE(Finished());
    EXPECT_EQ(w.PredictMemo->toPlainText().toStdString().find("Warning"), std::string::npos);
}

TEST_F(TPredictionWndTest, TargetsFromTheStarAndRaDecDialogs) {
    folder.CopyInstalled("star.dat");
    TfrPredictionWnd& w = Open();
    // The drop-down opened and the entry clicked.
    auto choose = [&](const char* entry) {
        QTest::mouseClick(w.cb_object, Qt::LeftButton);
        QAbstractItemView* view = w.cb_object->view();
        ASSERT_TRUE(WaitFor([&] { return view->isVisible(); }));
        const int target = w.cb_object->findText(entry);
        for (int row = w.cb_object->currentIndex(); row != target; row += row < target ? 1 : -1)
            QTest::keyClick(view, row < target ? Qt::Key_Down : Qt::Key_Up);
        QTest::keyClick(view, Qt::Key_Return);
        ASSERT_EQ(w.cb_object->currentText(), entry);
    };
    choose("STAR");
    TfrStarWnd* star = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (star = w.findChild<TfrStarWnd*>()) != nullptr; }));
    auto* list = star->findChild<QListWidget*>("StarListBox");
    ASSERT_GT(list->count(), 10);
    EXPECT_LT(list->item(0)->text(), list->item(1)->text()) << "sorted";
    list->setCurrentRow(list->count() - 1);
    const std::string name = star->commonName();
    const double ra = star->ra();
    QTest::mouseClick(star->findChild<QPushButton*>("bn_set"), Qt::LeftButton);
    EXPECT_EQ(w.target().name, name);
    EXPECT_EQ(w.target().state.body, kBodyStar);
    EXPECT_NE(ra, 0.0);

    // The Ra/Dec entry keeps what was typed for the next time; 24 hours is refused.
    choose("Ra/Dec");
    TfrRaDecWnd* radec = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (radec = w.findChild<TfrRaDecWnd*>()) != nullptr; }));
    auto* raField = radec->findChild<QLineEdit*>("mstxt_ra");
    auto* decField = radec->findChild<QLineEdit*>("mstxt_dec");
    raField->selectAll();
    QTest::keyClicks(raField, "123000");
    decField->selectAll();
    QTest::keyClicks(decField, "-453000");
    QTest::mouseClick(radec->findChild<QPushButton*>("bn_set"), Qt::LeftButton);
    EXPECT_EQ(w.target().name, kRaDecName);
    EXPECT_EQ(RaEntryText(w.target().state.radec.ra), "123000");
    EXPECT_EQ(DecEntryText(w.target().state.radec.dec), "-453000");

    choose("Sun");
    choose("Ra/Dec");
    ASSERT_TRUE(WaitFor([&] { return (radec = w.findChild<TfrRaDecWnd*>()) != nullptr; }));
    raField = radec->findChild<QLineEdit*>("mstxt_ra");
    EXPECT_EQ(raField->text(), "12h 30m 00s");
    raField->selectAll();
    QTest::keyClicks(raField, "240000");
    QTest::mouseClick(radec->findChild<QPushButton*>("bn_set"), Qt::LeftButton);
    EXPECT_EQ(TakeBox(&w), kBadRightAscension);
    EXPECT_EQ(w.target().state.radec.ra, 0.0);
}

TEST_F(TWindowTest, PredictionAndAnalysisWindowsOpenFromTheMainWindow) {
    folder.Satellites({TTestSat{}.Record()});
    TfrMainWnd& w = Start();
    w.activateWindow();
    QTest::keyClick(&w, Qt::Key_F5);
    auto* prediction = w.findChild<TfrPredictionWnd*>();
    ASSERT_NE(prediction, nullptr);
    EXPECT_EQ(prediction->cklb_linetab->count(), 1);
    EXPECT_EQ(prediction->menu_locselector->isEnabled(), Ui().menu_location->isEnabled());
    Ui().menu_linetabular->trigger();
    EXPECT_EQ(w.findChildren<TfrPredictionWnd*>().size(), 1) << "one prediction window";
    Ui().menu_analysis->trigger();
    ASSERT_NE(w.findChild<TfrAnalysisWnd*>(), nullptr);

    // Alt+F4 closes the search window it is pressed in, and only that one.
    for (QPointer<QWidget> search : {QPointer<QWidget>(w.findChild<TfrAnalysisWnd*>()), QPointer<QWidget>(prediction)}) {
        search->activateWindow();
        ASSERT_TRUE(WaitFor([&] { return QApplication::activeWindow() == search; }, 3000));
        QTest::keyClick(search, Qt::Key_F4, Qt::AltModifier);
        EXPECT_TRUE(WaitFor([&] { return !search || !search->isVisible(); }, 3000));
        EXPECT_TRUE(w.isVisible());
    }
}

}  // namespace

#include "PredictionWndTest.moc"
