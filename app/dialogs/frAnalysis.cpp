#include "frAnalysis.h"

#include "frResultTable.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDateTimeEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QStatusBar>
#include <QToolBar>

#include <cmath>

#include "frMainWidgets.h"
#include "frPickFile.h"
#include "frPrinting.h"
#include "uElementGroups.h"
#include "uLoadSave.h"
#include "uSearchOutput.h"
#include "uTracking.h"
#include "ui_frAnalysis.h"

namespace {
constexpr int kMinWidth = 700, kMinHeight = 488;
constexpr int kMemoPixels = 12;

}  // namespace

TfrAnalysisWnd::TfrAnalysisWnd(const TSessionStore& store, QWidget* parent)
    : QMainWindow(parent), Session(store.session()), Targets(this, store.session().DataFolder),
      Form(std::make_unique<Ui::TfrAnalysisClient>()) {
    setObjectName("frAnalysis");
    setWindowFlag(Qt::Window);
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle("Satellite Analysis");
    FormCreate();
}

TfrAnalysisWnd::~TfrAnalysisWnd() = default;

void TfrAnalysisWnd::FormCreate() {
    BuildControls();
    BuildCommands();
    Runner = std::make_unique<TSearchRunner>(Progress);
    Runner->SetFailureHandler([this](const TSearchStatus& status) { ShowResult({}, status); });
    setMinimumSize(kMinWidth, kMinHeight);
    resize(900, 640);
    CentreOnScreen(this);

    dt_an_hour->setDateTime(PickerDateTime(Session.CurrentTime));
    UtcMode = true;
    if (!Session.Options.utcDisplay) menu_utcClick();
    nm_maxrevs->setMinimum(nm_minrevs->value());
    nm_maxAlt->setMinimum(nm_minalt->value());
    nm_maxaz->setMinimum(nm_minaz->value());
    TMagFile mag;
    LoadMagFile(Session.DataFolder + "Mag.dat", mag);
    Mags = std::make_shared<const TMagList>(std::move(mag.lines));
    cb_objectChange();
}

void TfrAnalysisWnd::BuildControls() {
    auto* central = new QWidget(this);
    Form->setupUi(central);
    dt_an_date = Form->dt_an_date;
    dt_an_hour = Form->dt_an_hour;
    stxt_time = Form->stxt_time;
    nm_minrevs = Form->nm_minrevs;
    nm_maxrevs = Form->nm_maxrevs;
    nm_minaz = Form->nm_minaz;
    nm_maxaz = Form->nm_maxaz;
    nm_minalt = Form->nm_minalt;
    nm_maxAlt = Form->nm_maxAlt;
    nm_Obj = Form->nm_Obj;
    nm_st_hr = Form->nm_st_hr;
    nm_st_min = Form->nm_st_min;
    nm_sep = Form->nm_sep;
    cb_object = Form->cb_object;
    ckb_daynight = Form->ckb_daynight;
    SetupDatePicker(dt_an_date, "dt_an_date");
    SetupTimePicker(dt_an_hour, "dt_an_hour");
    FollowDate(dt_an_date, dt_an_hour);
    SetupTimeLabel(stxt_time);
    for (const std::string& entry : TargetEntries()) cb_object->addItem(QString::fromStdString(entry));
    connect(stxt_time, &TClickLabel::clicked, this, &TfrAnalysisWnd::menu_utcClick);
    connect(nm_minrevs, &QSpinBox::valueChanged, this, &TfrAnalysisWnd::nm_minrevsChange);
    connect(nm_maxrevs, &QSpinBox::valueChanged, this, &TfrAnalysisWnd::nm_maxrevsChange);
    connect(cb_object, &QComboBox::activated, this, &TfrAnalysisWnd::cb_objectChange);

    // The report box and the result tabs are made here: the panel takes the box.
    AnalysisMemo = NewReportMemo(central, "AnalysisMemo", kMemoPixels);
    Results = new TResultPanel(central, AnalysisMemo);
    Form->column->addWidget(Results, 1);
    setCentralWidget(central);

    Progress = new TSearchProgress(this);
    statusBar()->setObjectName("AnalysisStatus");
    statusBar()->addPermanentWidget(Progress, 1);
}

void TfrAnalysisWnd::BuildCommands() {
    const TCommand commands[] = {
        {&menu_satselector, "menu_satselector", "Satellite &File", "F2", "Select a satellite file", "tb_sat", "",
         false, [this] { menu_satselectorClick(); }},
        // Its handler is the main window's, lent by SetLocationCommand.
        {&menu_loc, "menu_loc", "&Location", "F3", "Select observing location", "tb_loc", ""},
        {&menu_close, "menu_close", "&Close", "Alt+F4", "Close window", "tb_exit", "window-close", false,
         [this] { close(); }},
        {&menu_utc, "menu_utc", "Set Time to LOC", "", "Set result in UTC or LOCAL times", "tb_time", "", false,
         [this] { menu_utcClick(); }},
        {&menu_visible, "menu_visible", "Satellites Visible", "", "Show visible satellites", "tb_sky", "", false,
         [this] { StartSearch(VisibleRequest()); }},
        {&menu_transit, "menu_transit", "Transit", "", "Search for satellite transit predictions", "", "zoom-in",
         false, [this] { StartSearch(TransitRequest()); }},
        {&menu_decay, "menu_decay", "Decayed", "", "Search satellite file for decayed time ", "", "process-stop",
         false, [this] { StartSearch(DecayedRequest()); }},
        {&menu_print, "menu_print", "Print", "", "Print result to local printer", "", "document-print", false,
         [this] { PrintLines(this, Report); }},
        {&menu_save, "menu_save", "Save", "", "Save result to file", "", "document-save", false,
         [this] { SaveReportLines(this, Report, Session.DataFolder); }},
        {&menu_savecsv, "menu_savecsv", "Save CSV...", "", "Save the result's records as CSV", "",
         "x-office-spreadsheet", false,
         [this] { SaveRecordsCsv(this, Results->records(), Session.DataFolder, statusBar()); }},
    };
    MakeCommands(this, commands, Session.ProgramFolder + "icons/");
    QMenu* selector = menuBar()->addMenu("&Selector");
    selector->addActions({menu_satselector, menu_loc});
    selector->addSeparator();
    selector->addAction(menu_close);
    menuBar()->addMenu("&Time")->addAction(menu_utc);
    QMenu* predictions = menuBar()->addMenu("&Predictions");
    predictions->addActions({menu_visible, menu_transit, menu_decay});
    predictions->addSeparator();
    predictions->addActions({menu_print, menu_save, menu_savecsv});
    AnalysisToolbar = MakeToolbar(this, "AnalysisToolbar",
                                  {{menu_close},
                                   {menu_satselector, menu_loc},
                                   {menu_utc},
                                   {menu_visible, menu_transit, menu_decay},
                                   {menu_print, menu_save, menu_savecsv}});

    menu_loc->setEnabled(false);  // until the main window lends its command
    menu_savecsv->setEnabled(false);
}

void TfrAnalysisWnd::SetLocationCommand(QAction* command) { FollowCommand(menu_loc, command); }

// ---- the element file (worker 60) ----------------------------------------------------------

void TfrAnalysisWnd::menu_satselectorClick() {
    if (busy()) return;
    PickFile(this, kPickElementFile, Session.Options.tleFolder.str(),
             [this](const std::string& path) { LoadElementFile(path); });
}

void TfrAnalysisWnd::LoadElementFile(const std::string& path) {
    if (busy()) return;
    Runner->Start(kWorkerAnalysisFile, "Reading the element file", [this, path](TSearchControl&) -> TWorkers::TApply {
        auto entries = std::make_shared<std::vector<TElementEntry>>();
        std::string warning;
        const TStatus read = ReadElementsForSearch(*entries, path, &warning);
        return [this, entries, path, read, warning] {
            Entries = entries;
            FileName = path;
            if (!read) {
                // A file that cannot be read says why; one without sets, the usual.
                ShowMessageBox(this, read.kind == TStatusKind::invalid ? kNoElementsFound : read.message, "File");
                statusBar()->clearMessage();
                return;
            }
            statusBar()->showMessage(WidgetText(std::to_string(entries->size()) + " element sets of " + path +
                                                (warning.empty() ? "" : " (" + warning + ")")));
        };
    });
}

// ---- time and limits -----------------------------------------------------------------------------

void TfrAnalysisWnd::menu_utcClick() {
    ToggleTimeMode(UtcMode, Session.Observer, {stxt_time}, {dt_an_hour}, menu_utc);
}

void TfrAnalysisWnd::nm_minrevsChange() {
    const int low = nm_minrevs->value();
    nm_maxrevs->setMinimum(low + 1);
    if (nm_maxrevs->value() <= low) nm_maxrevs->setValue(low + 1);
}

void TfrAnalysisWnd::nm_maxrevsChange() {
    if (nm_maxrevs->value() <= nm_minrevs->value()) nm_maxrevs->setValue(nm_minrevs->value() + 1);
}

void TfrAnalysisWnd::cb_objectChange() {
    Targets.Choose(cb_object->currentText().toStdString(), ReadInputs().time);
}

TAnalysisInputs TfrAnalysisWnd::ReadInputs() const {
    TAnalysisInputs in;
    in.utcMode = UtcMode;
    in.displayOffset = ShownOffset(Session.Observer, PickerDayNumber(dt_an_hour->dateTime()), UtcMode);
    in.time = PickerDayNumber(dt_an_hour->dateTime()) - in.displayOffset;
    in.minRevs = nm_minrevs->value();
    in.maxRevs = nm_maxrevs->value();
    in.minAz = nm_minaz->value();
    in.maxAz = nm_maxaz->value();
    in.minAlt = nm_minalt->value();
    in.maxAlt = nm_maxAlt->value();
    in.magModel = MagModelOf(Session.Options);
    in.horizon = Horizon;
    return in;
}


// ---- searches ---------------------------------------------------------------------------------------

TSearchRequest TfrAnalysisWnd::VisibleRequest() const { return {TVisibleRequest{ReadInputs()}}; }

TSearchRequest TfrAnalysisWnd::DecayedRequest() const { return {TDecayedRequest{ReadInputs()}}; }

TSearchRequest TfrAnalysisWnd::TransitRequest() const {
    TAnalysisTransitInputs transit;
    transit.spanMinutes = nm_st_hr->value() * 60.0 + nm_st_min->value();
    transit.separation = nm_sep->value();
    transit.minElevation = nm_Obj->value();
    transit.dayAndNight = ckb_daynight->isChecked();
    return {TAnalysisTransitRequest{ReadInputs(), transit, Targets.target()}};
}

void TfrAnalysisWnd::StartSearch(const TSearchRequest& request) {
    if (busy()) return;
    AnalysisMemo->clear();
    Report.clear();
    Results->Clear();
    menu_savecsv->setEnabled(false);
    // Every analysis request is of one moment.
    const TAnalysisInputs in = std::visit(
        [](const auto& r) {
            if constexpr (requires { r.moment; }) return r.moment;
            else return TAnalysisInputs{};
        },
        request.kind);
    const TReportSettings settings = ReportSettingsOf(Session, in.displayOffset);
    const TObserver observer = Session.Observer;
    auto entries = Entries ? Entries : std::make_shared<const std::vector<TElementEntry>>();
    auto mags = Mags;

    Runner->Start(kWorkerAnalysisSearch, "Searching", [=, this](TSearchControl& control) -> TWorkers::TApply {
        // A file with several sets of one object: the set nearest the moment searched.
        const std::vector<TElementEntry> chosen = SetsNearestEpoch(*entries, in.time);
        const TSearchSatellites satellites{nullptr, &chosen, mags.get()};
        const TSearchOutcome outcome = RunSearch(request, satellites, observer, &control);
        TOutputSettings output;
        output.report = settings;
        auto lines = std::make_shared<TReportLines>(OutcomeReport(request, outcome, satellites, output));
        auto records = std::make_shared<TRecordTable>(OutcomeRecords(request, outcome, satellites, output));
        return [this, lines, records, status = outcome.status, offset = in.displayOffset] {
            ShowResult(*lines, status);
            Results->ShowRecords(std::move(*records), offset);
            menu_savecsv->setEnabled(Results->hasRecords());
        };
    });
}

void TfrAnalysisWnd::ShowResult(const TReportLines& lines, const TSearchStatus& status) {
    ShowSearchReport(Report, lines, status, AnalysisMemo, statusBar());
}
