// The prediction window: a satellite list, a period and the search options,
// and five searches (line, tabular, Iridium flares, object transits, ground
// tracks) that run on a worker with their progress shown and a Cancel. From
// the results: the radar chart, the KML export, printing and saving.
#pragma once
#include <QMainWindow>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "frSearchTools.h"
#include "uIcs.h"
#include "uPassSearch.h"
#include "uSearch.h"
#include "uSession.h"
#include "uSessionStore.h"
#include "uTargets.h"

class QAction;
class QCheckBox;
class QComboBox;
class QDateEdit;
class QDateTimeEdit;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QSpinBox;
class QToolBar;
class TClickLabel;
class TReportView;
class TResultPanel;
namespace Ui {
class TfrPredictionWnd;
}

class TfrPredictionWnd : public QMainWindow {
    Q_OBJECT
public:
    // store: the main window's, which outlives this window. The session is
    // read when a search starts; the list and the units follow its signals.
    explicit TfrPredictionWnd(const TSessionStore& store, QWidget* parent = nullptr);
    ~TfrPredictionWnd() override;

    // "Set Observer's Location" runs this command (the main window's), and is
    // enabled while it is.
    void SetLocationCommand(QAction* command);
    // The observer's horizon mask for the searches started from now on (null: none).
    void SetHorizon(THorizonHandle mask) { Horizon = std::move(mask); }
    // The ground-track limit's range and label follow the session's distance unit.
    void FollowUnits();
    // The window's list is the main list's, with the window's ticks kept by set.
    void FollowMainList();
    bool listStale() const { return MainListStale; }

    bool busy() const { return Runner->Busy(); }
    TSearchRunner& runner() const { return *Runner; }
    // The last search's report; one written only when asked for is written now.
    const TReportLines& report() const;
    // False while the report of a whole catalogue's passes waits to be
    // asked for (by the "Report" tab, printing or saving).
    bool reportWritten() const { return !WriteReport; }
    // Listing searches that find this many passes or more write their report
    // only when it is asked for.
    void SetLaterReportFrom(std::size_t passes) { LaterReportFrom = passes; }
    const std::vector<TPassRecord>& passes() const { return Passes; }
    const TTransitTarget& target() const { return Targets.target(); }
    QToolBar* toolbar() const { return PredictToolbar; }

private:
    void FormCreate();
    void BuildControls();
    void BuildCommands();
    void FillSatelliteList();
    TPredictionControls ReadControls() const;
    // kind: the mode of a button; its inputs are read from the controls.
    void StartSearch(TSearchKind kind);
    void ShowResult(TReportLines lines, const TSearchStatus& status);
    // A report to be written when asked for: the status bar says now how the search went.
    void ShowLaterReport(std::function<TReportLines()> write, const TSearchStatus& status);
    // Runs then once the report is written (on the search's thread when it is still to be).
    void WithReport(std::function<void()> then);
    void TakeReport(TReportLines lines) const;

    void menu_satselectorClick();
    void menu_mainlistClick();
    void menu_utcClick();
    void menu_noneClick();
    void menu_allClick();
    void cklb_linetabClickCheck(QListWidgetItem* item);
    void cb_irid_dayClick();
    void cb_objectChange();
    void bn_chartwndClick();
    void bn_googleClick();
    void bn_savekmlClick();
    // The last ground-path or flare result as KML at path: notFound when there
    // is no track, the write's failure when it cannot be written.
    TStatus WriteKml(const std::string& path);
    void ShowKmlFailure(const std::string& path, const TStatus& status);
    void bn_saveicsClick();
    // The last line, flare or transit result as a calendar at path.
    void WriteCalendar(const std::string& path);
    void menu_printClick();
    void menu_saveClick();
    void ShowMessage(const std::string& text);

    const TSession& Session;
    std::unique_ptr<Ui::TfrPredictionWnd> Form;  // the controls of frPrediction.ui
    THorizonHandle Horizon;
    // The window's own list (selected flags = check marks), shared with a
    // search that runs; EditSats copies it first when it is.
    std::shared_ptr<std::vector<TSatRec>> SatList;
    std::vector<TSatRec>& EditSats();
    std::vector<TPassRecord> Passes;  // of the last line, tabular or flare search
    mutable std::shared_ptr<const TReportLines> Report = std::make_shared<const TReportLines>();
    mutable std::function<TReportLines()> WriteReport;  // set while the report is still to be written
    std::size_t LaterReportFrom = 20000;
    bool UtcMode = true;
    bool FlareMode = false;
    TTargetChoice Targets;
    bool FillingList = false;
    // The list is the main list (not one chosen from a file), and the main
    // list changed while a search ran: it is taken before the next search.
    bool ListIsMain = true;
    bool MainListStale = false;
    // What the last search was made for: the radar and the KML export draw
    // its results for the same observer and times.
    TObserver SearchObserver{};
    THorizonHandle SearchHorizon;
    double SearchOffset = 0.0;
    double SearchDistanceFactor = 1.0;  // the report's unit per km, for the KML limits
    std::shared_ptr<const TGroundPathResult> PathResult;
    std::shared_ptr<const std::vector<TSatRec>> PathSats;
    std::string PathTitle;
    // The events of the last line, flare or transit search and its report's
    // header. A line search's are made when saved: a whole catalogue's
    // passes as events take several times the memory of the passes.
    std::function<std::vector<TIcsEvent>()> CalendarEvents;
    TReportSettings CalendarSettings;

public:
    // Controls, by the names the program knows them by.
    QListWidget* cklb_linetab = nullptr;
    QSpinBox *nm_sunalt = nullptr, *nm_satalt = nullptr, *nm_revs = nullptr, *nm_steps = nullptr,
             *nm_mag = nullptr, *nm_transit = nullptr, *nm_track = nullptr,
             *nm_alarm = nullptr;  // the calendar's reminder, minutes before each event; -1: none
    QCheckBox *ckb_sunlite = nullptr, *ckb_day_night = nullptr, *cb_irid_day = nullptr;
    QDateEdit *dt_predict_date1 = nullptr, *dt_predict_date2 = nullptr;
    QDateTimeEdit *dt_predict_hour1 = nullptr, *dt_predict_hour2 = nullptr;
    TClickLabel *stxt_time1 = nullptr, *stxt_time2 = nullptr;
    QLabel* lb_track = nullptr;
    QComboBox* cb_object = nullptr;
    QPushButton *bn_chartwnd = nullptr, *bn_google = nullptr, *bn_savekml = nullptr,
                 *bn_saveics = nullptr;
    TReportView* PredictMemo = nullptr;  // the report, shown from its lines
    TResultPanel* Results = nullptr;  // the records as a table, and the report
    QAction *menu_satselector = nullptr, *menu_locselector = nullptr, *menu_mainlist = nullptr,
            *menu_close = nullptr, *menu_utc = nullptr, *menu_none = nullptr, *menu_all = nullptr,
            *menu_line = nullptr, *menu_tabular = nullptr, *menu_trs = nullptr, *menu_trk = nullptr,
            *menu_flare = nullptr, *menu_print = nullptr, *menu_save = nullptr, *menu_savecsv = nullptr;
    QToolBar* PredictToolbar = nullptr;
    TSearchProgress* Progress = nullptr;

private:
    // Last, so it is destroyed first: a running search stops while the
    // window still exists.
    std::unique_ptr<TSearchRunner> Runner;
};
