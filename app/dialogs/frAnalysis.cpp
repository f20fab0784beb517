#include "frAnalysis.h"

#include "frResultTable.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDateTimeEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QStatusBar>
#include <QToolBar>
#include <QVBoxLayout>

#include <cmath>

#include "frMainWidgets.h"
#include "frPickFile.h"
#include "frPrinting.h"
#include "uElementGroups.h"
#include "uLoadSave.h"
#include "uSearchOutput.h"
#include "uTracking.h"

namespace {
constexpr int kMinWidth = 700, kMinHeight = 488;
constexpr int kMemoPixels = 12;

// A spin edit with its label to the left, in a grid row.
void AddSpin(QGridLayout* grid, int row, int column, const char* label, QSpinBox* spin) {
    grid->addWidget(new QLabel(label, spin->parentWidget()), row, column);
    grid->addWidget(spin, row, column + 1);
}
}  // namespace

TfrAnalysisWnd::TfrAnalysisWnd(const TSessionStore& store, QWidget* parent)
    : QMainWindow(parent), Session(store.session()), Targets(this, store.session().DataFolder) {
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
    central->setObjectName("AnalysisClient");

    auto* moment = new QGroupBox("Start Date and Time", central);
    dt_an_date = new QDateEdit(moment);
    dt_an_hour = new QDateTimeEdit(moment);
    SetupDatePicker(dt_an_date, "dt_an_date");
    SetupTimePicker(dt_an_hour, "dt_an_hour");
    FollowDate(dt_an_date, dt_an_hour);
    stxt_time = NewTimeLabel(moment, "stxt_time");
    connect(stxt_time, &TClickLabel::clicked, this, &TfrAnalysisWnd::menu_utcClick);
    auto* momentRow = new QHBoxLayout(moment);
    momentRow->addWidget(dt_an_date);
    momentRow->addWidget(dt_an_hour);
    momentRow->addWidget(stxt_time);

    auto* limits = new QGroupBox("Limits", central);
    nm_minrevs = NewSpin(limits, "nm_minrevs", 1, 18, 1, 14);
    nm_maxrevs = NewSpin(limits, "nm_maxrevs", 1, 18, 1, 18);
    nm_minaz = NewSpin(limits, "nm_minaz", 0, 360, 5, 0);
    nm_maxaz = NewSpin(limits, "nm_maxaz", 0, 360, 5, 360);
    nm_minalt = NewSpin(limits, "nm_minalt", 0, 90, 5, 10);
    nm_maxAlt = NewSpin(limits, "nm_maxAlt", 0, 90, 5, 90);
    connect(nm_minrevs, &QSpinBox::valueChanged, this, &TfrAnalysisWnd::nm_minrevsChange);
    connect(nm_maxrevs, &QSpinBox::valueChanged, this, &TfrAnalysisWnd::nm_maxrevsChange);
    auto* limitGrid = new QGridLayout(limits);
    AddSpin(limitGrid, 0, 0, "Rev  >", nm_minrevs);
    AddSpin(limitGrid, 0, 2, "Rev  <", nm_maxrevs);
    AddSpin(limitGrid, 1, 0, "Az  >", nm_minaz);
    AddSpin(limitGrid, 1, 2, "Az  <", nm_maxaz);
    AddSpin(limitGrid, 2, 0, "Alt  >", nm_minalt);
    AddSpin(limitGrid, 2, 2, "Alt  <", nm_maxAlt);

    auto* transit = new QGroupBox("Transit Search", central);
    cb_object = new QComboBox(transit);
    cb_object->setObjectName("cb_object");
    for (const std::string& entry : TargetEntries()) cb_object->addItem(QString::fromStdString(entry));
    connect(cb_object, &QComboBox::activated, this, &TfrAnalysisWnd::cb_objectChange);
    nm_Obj = NewSpin(transit, "nm_Obj", 5, 90, 1, 10);
    nm_st_hr = NewSpin(transit, "nm_st_hr", 0, 24, 1, 1);
    nm_st_min = NewSpin(transit, "nm_st_min", 5, 55, 5, 30);
    nm_sep = NewSpin(transit, "nm_sep", 15, 300, 15, 15);
    ckb_daynight = NewCheck(transit, "ckb_daynight", "Day / Night", false);
    auto* transitGrid = new QGridLayout(transit);
    transitGrid->addWidget(new QLabel("Track/Transit Object", transit), 0, 0);
    transitGrid->addWidget(cb_object, 0, 1);
    AddSpin(transitGrid, 0, 2, "Alt  >", nm_Obj);
    transitGrid->addWidget(new QLabel("Timespan (Hr/Min)", transit), 1, 0);
    auto* span = new QHBoxLayout;
    span->addWidget(nm_st_hr);
    span->addWidget(nm_st_min);
    transitGrid->addLayout(span, 1, 1);
    AddSpin(transitGrid, 1, 2, "Arc Min", nm_sep);
    transitGrid->addWidget(ckb_daynight, 2, 0, 1, 2);

    auto* left = new QVBoxLayout;
    left->addWidget(moment);
    left->addWidget(transit);
    auto* top = new QHBoxLayout;
    top->addLayout(left, 1);
    top->addWidget(limits);

    AnalysisMemo = NewReportMemo(central, "AnalysisMemo", kMemoPixels);
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(8, 4, 8, 4);
    column->addLayout(top);
    Results = new TResultPanel(central, AnalysisMemo);
    column->addWidget(Results, 1);
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
        std::string error, warning;
        ReadElementsForSearch(*entries, path, error, &warning);
        return [this, entries, path, error, warning] {
            Entries = entries;
            FileName = path;
            if (entries->empty()) {
                // A file that cannot be read says why; one without sets, the usual.
                ShowMessageBox(this, error.rfind("File: ", 0) == 0 ? error : kNoElementsFound, "File");
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
