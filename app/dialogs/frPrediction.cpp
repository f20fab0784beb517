#include "frPrediction.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDateTimeEdit>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QGridLayout>
#include <QIcon>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <type_traits>

#include "frMainWidgets.h"
#include "frPrinting.h"
#include "frRadar.h"
#include "frReportView.h"
#include "frResultTable.h"
#include "frSatSelector.h"
#include "ui_frPrediction.h"
#include "uAnalysis.h"
#include "uFlares.h"
#include "uFileIO.h"
#include "uGoogle.h"
#include "uInitialize.h"
#include "uLoadSave.h"
#include "uPassSearch.h"
#include "uSearchOutput.h"
#include "uText.h"
#include "uTransit.h"
#include "uWorkers.h"

namespace {
constexpr int kMinWidth = 748, kMinHeight = 520;
constexpr int kMemoPixels = 12;
constexpr double kDefaultDays = 3.0;
constexpr double kKmFactor = 1.0;

// A sink that shows each satellite's passes in the table as they come and
// keeps them for the report made at the end. The rows are packed straight
// from the passes: cells of their own would cost more than the rest of the
// window's work on them.
template <typename Pass>
TSatelliteSink<Pass> Streamed(TRecordStream& stream, std::vector<Pass>& kept, const std::vector<TSatRec>& sats) {
    return [&stream, &kept, &sats](std::size_t, std::vector<Pass>& passes) {
        if (passes.empty()) return;
        stream.Add([&](TCellWriter& out) {
            if constexpr (std::is_same_v<Pass, TLinePass>)
                WriteLinePassRows(passes, sats, out);
            else
                WriteTablePassRows(passes, sats, out);
        });
        kept.insert(kept.end(), std::make_move_iterator(passes.begin()), std::make_move_iterator(passes.end()));
    };
}
}  // namespace

TfrPredictionWnd::TfrPredictionWnd(const TSessionStore& store, QWidget* parent)
    : QMainWindow(parent),
      Session(store.session()),
      Form(std::make_unique<Ui::TfrPredictionWnd>()),
      Targets(this, store.session().DataFolder) {
    setObjectName("frPrediction");
    setWindowFlag(Qt::Window);
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle("Satellite Pass Prediction");
    FormCreate();
    connect(&store, &TSessionStore::optionsChanged, this, &TfrPredictionWnd::FollowUnits);
    connect(&store, &TSessionStore::catalogueChanged, this, [this](TCatalogue which) {
        if (which == TCatalogue::main) FollowMainList();
    });
}

TfrPredictionWnd::~TfrPredictionWnd() = default;

void TfrPredictionWnd::FormCreate() {
    BuildControls();
    BuildCommands();
    Runner = std::make_unique<TSearchRunner>(Progress);
    Runner->SetFailureHandler([this](const TSearchStatus& status) { ShowResult({}, status); });
    setMinimumSize(kMinWidth, kMinHeight);
    resize(980, 700);
    CentreOnScreen(this);

    SatList = std::make_shared<std::vector<TSatRec>>(Session.MainSats);
    FillSatelliteList();
    const QDateTime start = PickerDateTime(Session.CurrentTime);
    dt_predict_hour1->setDateTime(start);
    dt_predict_hour2->setDateTime(PickerDateTime(PickerDayNumber(start) + kDefaultDays));
    UtcMode = true;
    if (!Session.Options.utcDisplay) menu_utcClick();
    FollowUnits();
    cb_objectChange();
}

void TfrPredictionWnd::FollowUnits() {
    const bool km = Session.DistanceFactor == kKmFactor;
    nm_track->setMaximum(km ? 160 : 100);
    lb_track->setText(km ? "Track(km)" : "Track(mi)");
}

void TfrPredictionWnd::BuildControls() {
    auto* central = new QWidget(this);
    Form->setupUi(central);
    cklb_linetab = Form->cklb_linetab;
    nm_sunalt = Form->nm_sunalt;
    nm_satalt = Form->nm_satalt;
    nm_revs = Form->nm_revs;
    nm_steps = Form->nm_steps;
    nm_mag = Form->nm_mag;
    nm_transit = Form->nm_transit;
    nm_track = Form->nm_track;
    nm_alarm = Form->nm_alarm;
    ckb_sunlite = Form->ckb_sunlite;
    ckb_day_night = Form->ckb_day_night;
    cb_irid_day = Form->cb_irid_day;
    dt_predict_date1 = Form->dt_predict_date1;
    dt_predict_date2 = Form->dt_predict_date2;
    dt_predict_hour1 = Form->dt_predict_hour1;
    dt_predict_hour2 = Form->dt_predict_hour2;
    lb_track = Form->lb_track;
    cb_object = Form->cb_object;
    bn_chartwnd = Form->bn_chartwnd;
    bn_google = Form->bn_google;
    bn_savekml = Form->bn_savekml;
    bn_saveics = Form->bn_saveics;

    connect(cklb_linetab, &QListWidget::itemChanged, this, &TfrPredictionWnd::cklb_linetabClickCheck);
    connect(cb_irid_day, &QCheckBox::clicked, this, &TfrPredictionWnd::cb_irid_dayClick);
    SetupDatePicker(dt_predict_date1, "dt_predict_date1");
    SetupTimePicker(dt_predict_hour1, "dt_predict_hour1");
    SetupDatePicker(dt_predict_date2, "dt_predict_date2");
    SetupTimePicker(dt_predict_hour2, "dt_predict_hour2");
    FollowDate(dt_predict_date1, dt_predict_hour1);
    FollowDate(dt_predict_date2, dt_predict_hour2);
    // Beside the pickers; the form leaves their column free.
    stxt_time1 = NewTimeLabel(Form->gb_period, "stxt_time1");
    stxt_time2 = NewTimeLabel(Form->gb_period, "stxt_time2");
    Form->times->addWidget(stxt_time1, 0, 3);
    Form->times->addWidget(stxt_time2, 1, 3);
    connect(stxt_time1, &TClickLabel::clicked, this, &TfrPredictionWnd::menu_utcClick);
    connect(stxt_time2, &TClickLabel::clicked, this, &TfrPredictionWnd::menu_utcClick);
    for (const std::string& entry : TargetEntries()) cb_object->addItem(QString::fromStdString(entry));
    connect(cb_object, &QComboBox::activated, this, &TfrPredictionWnd::cb_objectChange);
    connect(bn_chartwnd, &QPushButton::clicked, this, &TfrPredictionWnd::bn_chartwndClick);
    connect(bn_google, &QPushButton::clicked, this, &TfrPredictionWnd::bn_googleClick);
    connect(bn_savekml, &QPushButton::clicked, this, &TfrPredictionWnd::bn_savekmlClick);
    connect(bn_saveics, &QPushButton::clicked, this, &TfrPredictionWnd::bn_saveicsClick);

    // The table and the report under the controls.
    // Not a text box: a whole catalogue's report would stall the window while one laid it out.
    PredictMemo = new TReportView(central);
    PredictMemo->setObjectName("PredictMemo");
    PredictMemo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    PredictMemo->setFont(ReportFont(kMemoPixels));
    Results = new TResultPanel(central, PredictMemo);
    connect(Results, &QTabWidget::currentChanged, this, [this](int tab) {
        if (Results->widget(tab) == PredictMemo) WithReport([] {});
    });
    Form->column->addWidget(Results, 1);
    setCentralWidget(central);

    Progress = new TSearchProgress(this);
    statusBar()->setObjectName("PredictStatus");
    statusBar()->addPermanentWidget(Progress, 1);
}

void TfrPredictionWnd::BuildCommands() {
    const TWindowCommand commands[] = {
        {&menu_satselector, "menu_satselector", "Select Satellites", "F2", "Select satellites from a tle file",
         "tb_sat", ""},
        {&menu_locselector, "menu_locselector", "Set Observer's Location", "F3", "Select observer location", "tb_loc",
         ""},
        {&menu_mainlist, "menu_mainlist", "Load Main List", "", "Load satellites from the Main list", "", "go-home"},
        {&menu_close, "menu_close", "Close", "Alt+F4", "Close the window", "tb_exit", "window-close"},
        {&menu_utc, "menu_utc", "Set Time to LOC", "", "Set results in UTC or LOCAL times", "tb_time", ""},
        {&menu_none, "menu_none", "Select None", "", "Uncheck all satellites", "", "edit-clear"},
        {&menu_all, "menu_all", "Select all", "", "Check all satellites", "", "edit-select-all"},
        {&menu_line, "menu_line", "Line Predictions", "", "Search and display satellite pass predictions in Line mode",
         "tb_linetab", ""},
        {&menu_tabular, "menu_tabular", "Tabular Predictions ", "",
         "Search and display satellite pass predictions in Tabular mode", "", "x-office-spreadsheet"},
        {&menu_flare, "menu_flare", "Iridium Flares", "", "Searh for Iridium flare predictions", "", "weather-clear"},
        {&menu_trs, "menu_trs", "Object Transit", "", "Search for transit on the object selected", "", "zoom-in"},
        {&menu_trk, "menu_trk", "Ground Track", "", "Search for a ground track on the object selected", "tb_track",
         ""},
        {&menu_print, "menu_print", "Print", "", "Print the result", "", "document-print"},
        {&menu_save, "menu_save", "Save", "", "Save the result to a file", "", "document-save"},
        {&menu_savecsv, "menu_savecsv", "Save CSV...", "", "Save the result's records as CSV", "", "x-office-spreadsheet"},
    };
    MakeCommands(this, commands, Session.ProgramFolder + "icons/");

    QMenu* selector = menuBar()->addMenu("&Selector");
    selector->addActions({menu_satselector, menu_locselector, menu_mainlist});
    selector->addSeparator();
    selector->addAction(menu_close);
    menuBar()->addMenu("Time")->addAction(menu_utc);
    QMenu* tools = menuBar()->addMenu("Tools");
    tools->addActions({menu_none, menu_all});
    tools->addSeparator();
    tools->addActions({menu_line, menu_tabular, menu_trs, menu_trk, menu_flare});
    tools->addSeparator();
    tools->addActions({menu_print, menu_save, menu_savecsv});

    PredictToolbar = MakeToolbar(this, "PredictToolbar",
                                 {{menu_close},
                                  {menu_satselector, menu_locselector, menu_mainlist},
                                  {menu_utc},
                                  {menu_none, menu_all},
                                  {menu_line, menu_tabular, menu_flare, menu_trs, menu_trk},
                                  {menu_print, menu_save, menu_savecsv}});

    connect(menu_satselector, &QAction::triggered, this, &TfrPredictionWnd::menu_satselectorClick);
    menu_locselector->setEnabled(false);  // until the main window lends its command
    connect(menu_mainlist, &QAction::triggered, this, &TfrPredictionWnd::menu_mainlistClick);
    connect(menu_close, &QAction::triggered, this, &QWidget::close);
    connect(menu_utc, &QAction::triggered, this, &TfrPredictionWnd::menu_utcClick);
    connect(menu_none, &QAction::triggered, this, &TfrPredictionWnd::menu_noneClick);
    connect(menu_all, &QAction::triggered, this, &TfrPredictionWnd::menu_allClick);
    connect(menu_line, &QAction::triggered, this, [this] { StartSearch(TLineRequest{}); });
    connect(menu_tabular, &QAction::triggered, this, [this] { StartSearch(TTableRequest{}); });
    connect(menu_flare, &QAction::triggered, this, [this] { StartSearch(TFlareRequest{}); });
    connect(menu_trs, &QAction::triggered, this, [this] { StartSearch(TTransitRequest{}); });
    connect(menu_trk, &QAction::triggered, this, [this] { StartSearch(TPathRequest{}); });
    connect(menu_print, &QAction::triggered, this, &TfrPredictionWnd::menu_printClick);
    connect(menu_save, &QAction::triggered, this, &TfrPredictionWnd::menu_saveClick);
    menu_savecsv->setEnabled(false);
    connect(menu_savecsv, &QAction::triggered, this,
            [this] { SaveRecordsCsv(this, Results->records(), Session.DataFolder, statusBar()); });
}

void TfrPredictionWnd::SetLocationCommand(QAction* command) { FollowCommand(menu_locselector, command); }

// ---- the satellite list ----------------------------------------------------------------

void TfrPredictionWnd::FillSatelliteList() {
    FillingList = true;
    cklb_linetab->clear();
    for (const TSatRec& sat : *SatList) {
        auto* item = new QListWidgetItem(WidgetText(sat.name.view()), cklb_linetab);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(sat.selected ? Qt::Checked : Qt::Unchecked);
    }
    FillingList = false;
}

std::vector<TSatRec>& TfrPredictionWnd::EditSats() {
    if (SatList.use_count() > 1) SatList = std::make_shared<std::vector<TSatRec>>(*SatList);
    return *SatList;
}

void TfrPredictionWnd::cklb_linetabClickCheck(QListWidgetItem* item) {
    const int row = cklb_linetab->row(item);
    if (FillingList || row < 0 || static_cast<std::size_t>(row) >= SatList->size()) return;
    EditSats()[static_cast<std::size_t>(row)].selected = item->checkState() == Qt::Checked ? 1 : 0;
}

void TfrPredictionWnd::menu_noneClick() {
    for (TSatRec& s : EditSats()) s.selected = 0;
    FillSatelliteList();
}

void TfrPredictionWnd::menu_allClick() {
    for (TSatRec& s : EditSats()) s.selected = 1;
    FillSatelliteList();
}

void TfrPredictionWnd::menu_satselectorClick() {
    ChooseSatellites(this, *SatList, Session.DataFolder, Session.Options.tleFolder.str(),
                     [this](std::vector<TSatRec> chosen) {
                         ListIsMain = false;
                         MainListStale = false;
                         SatList = std::make_shared<std::vector<TSatRec>>(std::move(chosen));
                         FillSatelliteList();
                     });
}

void TfrPredictionWnd::menu_mainlistClick() {
    if (busy()) return;
    ListIsMain = true;
    MainListStale = false;
    SatList = std::make_shared<std::vector<TSatRec>>(Session.MainSats);
    FillSatelliteList();
}

void TfrPredictionWnd::FollowMainList() {
    if (!ListIsMain) return;
    if (busy()) {
        // The running search has its own copy; its results name the list it had.
        MainListStale = true;
        statusBar()->showMessage("The main list changed: the next search takes it.");
        return;
    }
    MainListStale = false;
    const TSatSelection mine = TSatSelection::FromRecords(*SatList);
    auto list = std::make_shared<std::vector<TSatRec>>(Session.MainSats);
    // An object new to the window comes with the main list's tick.
    for (TSatRec& sat : *list)
        if (mine.KnowsObject(sat)) sat.selected = mine.Ticked(sat) ? 1 : 0;
    SatList = std::move(list);
    FillSatelliteList();
}

// ---- time ------------------------------------------------------------------------------------

void TfrPredictionWnd::menu_utcClick() {
    ToggleTimeMode(UtcMode, Session.Observer, {stxt_time1, stxt_time2},
                   {dt_predict_hour1, dt_predict_hour2}, menu_utc);
}

TPredictionControls TfrPredictionWnd::ReadControls() const {
    TPredictionControls c;
    c.shownStart = PickerDayNumber(dt_predict_hour1->dateTime());
    c.shownStop = PickerDayNumber(dt_predict_hour2->dateTime());
    c.satAlt = nm_satalt->value();
    c.sunAlt = nm_sunalt->value();
    c.revs = nm_revs->value();
    c.steps = nm_steps->value();
    c.sunlitOnly = ckb_sunlite->isChecked();
    c.dayNight = ckb_day_night->isChecked();
    c.utcMode = UtcMode;
    return c;
}


void TfrPredictionWnd::cb_irid_dayClick() { nm_mag->setValue(cb_irid_day->isChecked() ? -5 : 0); }

// ---- the transit target ---------------------------------------------------------------------

void TfrPredictionWnd::cb_objectChange() {
    // A star is precessed to the start of the period.
    const TPredictionControls c = ReadControls();
    const double start = ReadPredictionInputs(c, ShownOffset(Session.Observer, c.shownStart, UtcMode)).start;
    Targets.Choose(cb_object->currentText().toStdString(), start);
}

// ---- searches ----------------------------------------------------------------------------------

void TfrPredictionWnd::StartSearch(TSearchKind kind) {
    if (busy()) return;
    if (MainListStale) FollowMainList();
    const bool flares = std::holds_alternative<TFlareRequest>(kind);
    const bool listing = std::holds_alternative<TLineRequest>(kind) || std::holds_alternative<TTableRequest>(kind);
    if (flares ? Session.IridiumSats.empty() : SatList->empty()) {
        statusBar()->showMessage(flares ? "No Iridium satellites to search: IridSat.bin holds none"
                                        : "No satellites to search: load the main list or select satellites");
        return;
    }
    const TPredictionControls controls = ReadControls();
    if (const TStatus dates = CheckDates(controls.shownStop, controls.shownStart); !dates) {
        ShowMessage(dates.message);
        return;
    }
    PredictMemo->clear();
    Report = std::make_shared<const TReportLines>();
    WriteReport = nullptr;
    Results->Clear();
    menu_savecsv->setEnabled(false);
    if (listing || flares) Passes.clear();
    bn_google->setEnabled(false);
    bn_savekml->setEnabled(false);
    bn_chartwnd->setEnabled(false);
    bn_saveics->setEnabled(false);
    CalendarEvents = nullptr;
    FlareMode = flares;

    // Local times take the offset in force at the start (daylight saving included).
    TObserver observer = Session.Observer;
    observer.utcOffset = ObserverOffsetAt(observer, ObserverLocalToUtc(observer, controls.shownStart));
    TPredictionInputs in = ReadPredictionInputs(controls, observer.utcOffset);
    in.magModel = MagModelOf(Session.Options);
    in.horizon = EffectiveHorizon(Horizon, in.minElevation);
    TReportSettings settings = ReportSettingsOf(Session, in.displayOffset);
    if (in.horizon) settings.horizonLine = HorizonHeaderLine(*in.horizon);
    // The window's list is shared with the search, not copied: an edit meanwhile copies it.
    std::shared_ptr<const std::vector<TSatRec>> sats =
        flares ? std::make_shared<const std::vector<TSatRec>>(Session.IridiumSats) : SatList;
    // The ticked satellites are searched; flares search the whole Iridium list.
    if (!flares) in.chosen = TChoice::Where(*sats, [](const TSatRec& s) { return s.selected != 0; });

    // The request: the mode the button chose, with the inputs of the controls.
    TSearchRequest request{std::move(kind)};
    THorizonHandle horizon = in.horizon;
    std::string targetName;
    if (auto* r = std::get_if<TLineRequest>(&request.kind)) r->period = in;
    if (auto* r = std::get_if<TTableRequest>(&request.kind)) r->period = in;
    if (auto* r = std::get_if<TFlareRequest>(&request.kind)) {
        TFlareInputs& f = r->flares;
        f.start = in.start;
        f.stop = in.stop;
        f.utcMode = in.utcMode;
        f.displayOffset = in.displayOffset;
        f.dayFlares = cb_irid_day->isChecked();
        f.magLimit = nm_mag->value();
        f.horizon = horizon = EffectiveHorizon(Horizon, kFlareMinElevation);
    }
    if (auto* r = std::get_if<TTransitRequest>(&request.kind)) {
        r->period = in;
        r->target = Targets.target();
        r->maxSeparation = nm_transit->value() / 60.0;
        targetName = r->target.name;
    }
    if (auto* r = std::get_if<TPathRequest>(&request.kind)) {
        r->period = in;
        r->target = Targets.target();
        r->track = nm_track->value();
        r->trackUnit = settings.distanceFactor;  // the spin box counts in the display unit
        targetName = r->target.name;
    }
    // The listing searches' passes show in the table while they run.
    std::shared_ptr<TRecordStream> stream;
    if (listing) {
        const TPredictionResult none;
        const bool table = std::holds_alternative<TTableRequest>(request.kind);
        Results->BeginRecords(table ? TablePassRecords(none, *sats, false) : LinePassRecords(none, *sats, false),
                              in.displayOffset);
        stream = std::make_shared<TRecordStream>(
            Results, [runner = Runner.get()](TWorkers::TApply step) { runner->Post(std::move(step)); });
    }

    const std::size_t lazyFrom = LaterReportFrom;
    // The search hands back its report, its status and what the window
    // keeps of it; the last step applies them on the UI thread.
    Runner->Start(kWorkerPredictionSearch, "Searching", [=, this](TSearchControl& control) mutable -> TWorkers::TApply {
        // The report says how old the sets are, and warns when they are too
        // old to trust. Here, not on the UI thread: a whole catalogue's sets
        // take a while to sort into objects.
        settings.elementAges = ElementAges(*sats, in.start, in.stop, [&](std::size_t i, const TSatRec& sat) {
            return flares || IsSearched(in, i, sat);
        });
        const std::string stale = StaleElementsWarning(settings.elementAges);
        if (auto* r = std::get_if<TFlareRequest>(&request.kind))
            r->flares.elementDate = NewestEpochText(settings.elementAges);
        std::vector<TLinePass> linePasses;
        std::vector<TTablePass> tablePasses;
        if (auto* r = std::get_if<TLineRequest>(&request.kind)) r->sink = Streamed(*stream, linePasses, *sats);
        if (auto* r = std::get_if<TTableRequest>(&request.kind)) r->sink = Streamed(*stream, tablePasses, *sats);
        const TSearchSatellites satellites{sats.get(), nullptr, nullptr};
        TSearchOutcome outcome = RunSearch(request, satellites, observer, &control);
        // The sinks referred to this function's locals.
        if (auto* r = std::get_if<TLineRequest>(&request.kind)) r->sink = nullptr;
        if (auto* r = std::get_if<TTableRequest>(&request.kind)) r->sink = nullptr;
        auto passes = std::make_shared<std::vector<TPassRecord>>();
        std::shared_ptr<std::vector<TIcsEvent>> events;
        std::shared_ptr<const TGroundPathResult> path;
        bool charts = false, google = false, calendarPasses = false;
        std::size_t found = 0;
        if (auto* r = std::get_if<TPredictionResult>(&outcome.records)) {
            // The sinks kept the passes for the report.
            r->linePasses = std::move(linePasses);
            r->tablePasses = std::move(tablePasses);
            MakePassRecords(*r, *sats);
            calendarPasses = std::holds_alternative<TLineRequest>(request.kind) && !r->linePasses.empty();
            charts = r->skyCharts;
            found = r->linePasses.size() + r->tablePasses.size();
        } else if (auto* f = std::get_if<TFlareResult>(&outcome.records)) {
            events = std::make_shared<std::vector<TIcsEvent>>(FlareEvents(*f, *sats));
            charts = google = f->skyCharts;
        } else if (const auto* t = std::get_if<TTransitResult>(&outcome.records)) {
            events = std::make_shared<std::vector<TIcsEvent>>(TransitEvents(*t, *sats, targetName));
        } else if (const auto* p = std::get_if<TGroundPathResult>(&outcome.records)) {
            google = p->google;
        }
        TOutputSettings output;
        output.report = settings;
        auto makeReport = [request, output, stale, sats](const TSearchOutcome& done) {
            TReportLines lines = OutcomeReport(request, done, TSearchSatellites{sats.get(), nullptr, nullptr}, output);
            if (!stale.empty()) {
                // Under the element-age line of the header.
                auto at = std::find_if(lines.begin(), lines.end(),
                                       [](const std::string& l) { return l.rfind("  Element age:", 0) == 0; });
                lines.insert(at == lines.end() ? lines.begin() : at + 1, "  Warning: " + stale);
            }
            return lines;
        };
        // A whole catalogue's report takes longer to write than the table
        // takes to fill, and more memory: it is written when it is asked for.
        const bool later = listing && found >= lazyFrom;
        std::shared_ptr<TReportLines> lines;
        if (!later) lines = std::make_shared<TReportLines>(makeReport(outcome));
        auto records = std::make_shared<TRecordTable>();
        if (!stream) *records = OutcomeRecords(request, outcome, satellites, output);
        if (auto* r = std::get_if<TPredictionResult>(&outcome.records)) *passes = std::move(r->passes);
        if (auto* f = std::get_if<TFlareResult>(&outcome.records)) *passes = std::move(f->passes);
        if (auto* p = std::get_if<TGroundPathResult>(&outcome.records))
            path = std::make_shared<const TGroundPathResult>(std::move(*p));
        const TSearchStatus status = outcome.status;
        const bool keepsPasses = listing || flares;
        // A line search's passes stay for its calendar and a report written later.
        std::shared_ptr<const TSearchOutcome> held;
        if (calendarPasses || later) held = std::make_shared<const TSearchOutcome>(std::move(outcome));
        std::function<TReportLines()> writeReport;
        if (later) writeReport = [held, makeReport] { return makeReport(*held); };
        const bool table = std::holds_alternative<TTableRequest>(request.kind);
        return [=, this] {
            // Rows that wait for the stream's next insertion go in first.
            if (stream) stream->Flush();
            if (lines)
                ShowResult(std::move(*lines), status);
            else
                ShowLaterReport(writeReport, status);
            if (stream) {
                // A cut-short search keeps what it found.
                if (status.cutShort)
                    statusBar()->showMessage(statusBar()->currentMessage() +
                                             QString("; the table keeps the %1 %2 found")
                                                 .arg(stream->added())
                                                 .arg(table ? "rows" : "passes"));
            } else {
                Results->ShowRecords(std::move(*records), in.displayOffset);
            }
            menu_savecsv->setEnabled(Results->hasRecords());
            if (!stale.empty() && !status.cutShort) statusBar()->showMessage(WidgetText("Warning: " + stale));
            SearchObserver = observer;
            SearchHorizon = horizon;
            SearchOffset = in.displayOffset;
            SearchDistanceFactor = settings.distanceFactor;
            if (keepsPasses) Passes = std::move(*passes);
            if (path) {
                PathResult = path;
                PathSats = sats;
                PathTitle = GroundPathTitle(targetName);
            }
            bn_chartwnd->setEnabled(charts);
            bn_google->setEnabled(google);
            bn_savekml->setEnabled(google);
            if (calendarPasses) {
                CalendarEvents = [held, sats] {
                    return LinePassEvents(std::get<TPredictionResult>(held->records), *sats);
                };
                CalendarSettings = settings;
                bn_saveics->setEnabled(true);
            } else if (events && !events->empty()) {
                CalendarEvents = [events] { return *events; };
                CalendarSettings = settings;
                bn_saveics->setEnabled(true);
            }
        };
    });
}

void TfrPredictionWnd::ShowResult(TReportLines lines, const TSearchStatus& status) {
    ShowSearchReport(Report, std::move(lines), status, PredictMemo, statusBar());
}

void TfrPredictionWnd::ShowLaterReport(std::function<TReportLines()> write, const TSearchStatus& status) {
    const std::string cut = CutShortLine(status);
    WriteReport = [write = std::move(write), cut] {
        TReportLines lines = write();
        if (!cut.empty()) lines.push_back(cut);
        return lines;
    };
    statusBar()->showMessage(cut.empty() ? QString() : WidgetText(TrimText(cut)));
    if (PredictMemo->isVisible()) WithReport([] {});
}

void TfrPredictionWnd::WithReport(std::function<void()> then) {
    if (!WriteReport) {
        then();
        return;
    }
    if (busy()) return;
    Runner->Start(kWorkerPredictionSearch, "Writing the report",
                  [this, write = WriteReport, then = std::move(then)](TSearchControl&) -> TWorkers::TApply {
                      auto lines = std::make_shared<TReportLines>(write());
                      return [this, lines, then] {
                          if (WriteReport) TakeReport(std::move(*lines));
                          then();
                      };
                  });
}

void TfrPredictionWnd::TakeReport(TReportLines lines) const {
    WriteReport = nullptr;
    Report = std::make_shared<const TReportLines>(std::move(lines));
    PredictMemo->SetLines(Report);
}

const TReportLines& TfrPredictionWnd::report() const {
    if (WriteReport) TakeReport(WriteReport());
    return *Report;
}

// ---- results -------------------------------------------------------------------------------------

void TfrPredictionWnd::bn_chartwndClick() {
    if (busy()) return;
    if (Passes.empty()) {
        ShowMessage(kNoPasses);
        return;
    }
    const double offset = UtcMode ? 0.0 : SearchObserver.utcOffset;
    auto* radar = new TfrRadarWnd(Passes, SearchObserver, offset, Session.Options, Session.DataFolder, this);
    radar->SetHorizon(SearchHorizon);
    radar->setAttribute(Qt::WA_DeleteOnClose);
    radar->open();
}

TStatus TfrPredictionWnd::WriteKml(const std::string& path) {
    if (FlareMode) return ExportFlareKml(Passes, path, SearchObserver, SearchOffset);
    if (!PathResult || !PathResult->google) return KmlNothingToExport();
    return ExportGroundPathKml(*PathResult, *PathSats, PathTitle, path, SearchObserver, SearchOffset,
                               SearchDistanceFactor);
}

void TfrPredictionWnd::ShowKmlFailure(const std::string& path, const TStatus& status) {
    // Nothing to export and a file that cannot be written are different faults.
    if (status.kind == TStatusKind::notFound)
        ShowMessage(kKmlExportFailed);
    else
        ShowMessage("The tracks could not be written to " + path + ": " + NotWrittenReason(path, status.message));
}

void TfrPredictionWnd::bn_googleClick() {
    const std::string path = Session.DataFolder + kKmlFileName;
    if (const TStatus written = WriteKml(path); !written) {
        ShowKmlFailure(path, written);
        return;
    }
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(path))))
        ShowMessage(std::string(kKmlLaunchFailed) + "\nThe tracks are in " + path +
                    " until the program closes; \"Save KML as...\" keeps them where you choose.");
}

void TfrPredictionWnd::bn_savekmlClick() {
    auto* dialog = new QFileDialog(this, "Save KML as", QDir::homePath());
    dialog->setObjectName("SaveKmlDialog");
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setNameFilter("KML files (*.kml)");
    dialog->setDefaultSuffix("kml");
    dialog->selectFile("Orbisk_Tracks.kml");
    connect(dialog, &QFileDialog::fileSelected, this, [this](const QString& chosen) {
        if (chosen.isEmpty()) return;
        const std::string path = chosen.toStdString();
        if (const TStatus written = WriteKml(path); !written) {
            ShowKmlFailure(path, written);
            return;
        }
        statusBar()->showMessage(WidgetText("Tracks saved to " + path));
    });
    dialog->open();
}

void TfrPredictionWnd::bn_saveicsClick() {
    if (busy() || !CalendarEvents) return;
    auto* dialog = new QFileDialog(this, "Save as calendar", QDir::homePath());
    dialog->setObjectName("SaveIcsDialog");
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setNameFilter("Calendar files (*.ics)");
    dialog->setDefaultSuffix("ics");
    dialog->selectFile(FlareMode ? "Orbisk_Flares.ics" : "Orbisk_Passes.ics");
    connect(dialog, &QFileDialog::fileSelected, this, [this](const QString& chosen) {
        if (!chosen.isEmpty()) WriteCalendar(chosen.toStdString());
    });
    dialog->open();
}

void TfrPredictionWnd::WriteCalendar(const std::string& path) {
    if (!CalendarEvents) return;
    const std::vector<TIcsEvent> events = CalendarEvents();
    const std::size_t count = events.size();
    const std::string text = ObserverCalendarText(events, CalendarSettings, NowDayNumber(), nm_alarm->value());
    if (const TStatus saved = WriteFileAtomic(path, text); !saved) {
        ShowMessage("The calendar could not be written to " + path + ": " + NotWrittenReason(path, saved.message));
        return;
    }
    statusBar()->showMessage(QString("%1 %2 saved as a calendar to %3")
                                 .arg(count)
                                 .arg(count == 1 ? "event" : "events", QString::fromStdString(path)));
}

void TfrPredictionWnd::menu_printClick() {
    WithReport([this] { PrintLines(this, *Report); });
}

void TfrPredictionWnd::menu_saveClick() {
    WithReport([this] { SaveReportLines(this, *Report, Session.DataFolder); });
}

void TfrPredictionWnd::ShowMessage(const std::string& text) { ShowMessageBox(this, text); }
