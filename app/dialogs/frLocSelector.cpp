#include "frLocSelector.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include <algorithm>
#include <cmath>

#include "Zenora.h"
#include "frCommon.h"
#include "frHorizon.h"
#include "uFileIO.h"
#include "uFormat.h"
#include "uInitialize.h"
#include "uNetFiles.h"
#include "ui_frLocSelector.h"

namespace {

constexpr const char* kFullListFile = "Locations.dat";
constexpr const char* kFavouritesFile = "UserLocations.dat";
constexpr const char* kTimezoneFile = "Timezone.dat";
constexpr const char* kAngleFormat = "##0.0000";
constexpr const char* kHeightFormat = "####0";
constexpr const char* kGeoidFormat = "##0.00";
constexpr int kNameWidth = 32;
constexpr double kMaxUtcHours = 14.0;

QString Formatted(const char* pattern, double value) { return WidgetText(FormatFloat(pattern, value)); }

std::string Field(const QLineEdit* edit) { return std::string(TrimText(ProgramText(edit->text()))); }

// Zero stays zero whatever the unit, so a round trip never leaves a tiny height.
double FromDisplay(double value, double unit) { return value == 0.0 ? 0.0 : value / unit; }

}  // namespace

TfrLocWnd::TfrLocWnd(const TObserver& observer, bool metric, const std::string& dataFolder, QWidget* parent)
    : QDialog(parent), Observer(observer), DataFolder(dataFolder), Unit(metric ? 1.0 : kFeetPerMetre),
      Form(std::make_unique<Ui::TfrLocWnd>()) {
    setObjectName("frLocSelector");
    setWindowTitle("Location Selector");
    setWindowIcon(QApplication::windowIcon());
    BuildUi();
    Form->lb_msl->setText(metric ? "MSL(meter)" : "MSL(feet)");
    Form->lb_geoid->setText(metric ? "Geoid(meter)" : "Geoid(feet)");

    std::vector<std::string> lines;
    ReadListFile(this, DataFolder + kTimezoneFile, lines);
    for (const std::string& line : lines) {
        TTimeZone z;
        if (ParseTimezoneLine(line, z)) Zones.push_back(std::move(z));
    }
    {
        const QSignalBlocker block(Form->cb_timezone);
        for (const TTimeZone& z : Zones) Form->cb_timezone->addItem(WidgetText(z.listText));
    }
    LoadList(kFullListFile);
    ShowObserver();
    SetMode(kView);
}

TfrLocWnd::~TfrLocWnd() = default;

void TfrLocWnd::BuildUi() {
    Form->setupUi(this);
    Form->txt_loc->setMaxLength(kNameWidth);
    FitToScreen(this);

    connect(Form->listbox_loc, &QListWidget::currentRowChanged, this, &TfrLocWnd::listbox_locClick);
    connect(Form->cb_timezone, &QComboBox::currentIndexChanged, this, &TfrLocWnd::cb_timezoneChange);
    connect(Form->txt_lat1, &QLineEdit::editingFinished, this,
            [this] { CheckAngle(Form->txt_lat1, Form->txt_lat2, 90.0, LastLat, kLatitudeRangeText); });
    connect(Form->txt_lon1, &QLineEdit::editingFinished, this,
            [this] { CheckAngle(Form->txt_lon1, Form->txt_lon2, 180.0, LastLon, kLongitudeRangeText); });
    connect(Form->txt_msl, &QLineEdit::editingFinished, this, [this] { CheckHeight(Form->txt_msl, LastMsl); });
    connect(Form->txt_geoid, &QLineEdit::editingFinished, this, [this] { CheckHeight(Form->txt_geoid, LastGeoid); });
    connect(Form->bn_main, &QPushButton::clicked, this, [this] { bn_listClick(kFullListFile); });
    connect(Form->bn_user, &QPushButton::clicked, this, [this] { bn_listClick(kFavouritesFile); });
    connect(Form->bn_new, &QPushButton::clicked, this, [this] { SetMode(kNew); });
    connect(Form->bn_modify, &QPushButton::clicked, this, [this] {
        if (Form->listbox_loc->currentRow() >= 0) SetMode(kModify);
    });
    connect(Form->bn_cancel, &QPushButton::clicked, this, [this] { SetMode(kView); });
    connect(Form->bn_save, &QPushButton::clicked, this, &TfrLocWnd::bn_saveClick);
    connect(Form->bn_delete, &QPushButton::clicked, this, &TfrLocWnd::bn_deleteClick);
    connect(Form->bn_apply, &QPushButton::clicked, this, &TfrLocWnd::bn_applyClick);
    connect(Form->bn_done, &QPushButton::clicked, this, &QDialog::accept);
    connect(Form->bn_horizon, &QPushButton::clicked, this, &TfrLocWnd::bn_horizonClick);
}

void TfrLocWnd::bn_horizonClick() {
    // The shown place's mask: each place keeps its own.
    std::string name = Field(Form->txt_loc);
    if (name.empty()) name = Observer.name.str();
    auto* editor = new TfrHorizonWnd(DataFolder, name, this);
    editor->setAttribute(Qt::WA_DeleteOnClose);
    editor->open();
}

// ---- the location files -----------------------------------------------------------

void TfrLocWnd::LoadList(const std::string& fileName) {
    ListPath = DataFolder + fileName;
    ListChanged = false;
    Lines.clear();
    std::vector<std::string> lines;
    // A file read only in part is never written back; one that is missing may be made.
    ListWritable = ReadListFile(this, ListPath, lines, fileName == std::string(kFullListFile)) ||
                   FileProblem(ListPath) == "not found";
    for (std::string& l : lines)
        if (!TrimText(l).empty()) Lines.push_back(std::move(l));
    std::sort(Lines.begin(), Lines.end());
    FillList();
}

bool TfrLocWnd::SaveList() {
    if (!ListChanged || !ListWritable) return true;
    if (!netfiles::WriteLinesAtomic(ListPath, Lines, "\n")) {
        ShowMessageBox(parentWidget() ? parentWidget() : this, "File: " + ListPath + " could not be written");
        return false;
    }
    ListChanged = false;
    return true;
}

void TfrLocWnd::FillList() {
    const QSignalBlocker block(Form->listbox_loc);
    Form->listbox_loc->clear();
    for (const std::string& line : Lines)
        Form->listbox_loc->addItem(WidgetText(TrimText(DataColumns(line, kLocNameFirst, kLocNameLast))));
}

void TfrLocWnd::bn_listClick(const char* fileName) {
    SaveList();
    LoadList(fileName);
}

// ---- showing a place ---------------------------------------------------------------

void TfrLocWnd::ShowObserver() {
    Form->txt_loc->setText(WidgetText(Observer.name.view()));
    SetAngle(Form->txt_lat1, Formatted(kAngleFormat, Degrees(Observer.pos.lat)));
    SetAngle(Form->txt_lon1, Formatted(kAngleFormat, Degrees(Observer.pos.lon)));
    Form->txt_geoid->setText(Formatted(kGeoidFormat, Observer.geoidHeight * Unit));
    Form->txt_msl->setText(Formatted(kHeightFormat, Observer.pos.height * 1000.0 * Unit));
    CheckHeight(Form->txt_geoid, LastGeoid);
    CheckHeight(Form->txt_msl, LastMsl);
    SelectZone(Observer.zoneName.str());
    Form->txt_utc->setText(Formatted("#0.0", Observer.utcOffset * 24.0));
}

void TfrLocWnd::SetAngle(QLineEdit* edit, const QString& text) {
    edit->setText(text);
    if (edit == Form->txt_lat1)
        CheckAngle(Form->txt_lat1, Form->txt_lat2, 90.0, LastLat, kLatitudeRangeText);
    else
        CheckAngle(Form->txt_lon1, Form->txt_lon2, 180.0, LastLon, kLongitudeRangeText);
}

void TfrLocWnd::SelectZone(const std::string& name) {
    const std::string trimmed(TrimText(name));
    int found = -1;
    for (std::size_t i = 0; i < Zones.size(); ++i)
        if (Zones[i].name == trimmed) found = static_cast<int>(i);
    const QSignalBlocker block(Form->cb_timezone);
    Form->cb_timezone->setCurrentIndex(found);
}

void TfrLocWnd::listbox_locClick(int row) {
    if (row < 0 || static_cast<std::size_t>(row) >= Lines.size()) return;
    const std::string& line = Lines[static_cast<std::size_t>(row)];
    auto column = [&](std::size_t first, std::size_t last) { return TrimText(DataColumns(line, first, last)); };
    Form->txt_loc->setText(WidgetText(column(kLocNameFirst, kLocNameLast)));
    SetAngle(Form->txt_lat1, WidgetText(column(kLocLatFirst, kLocLatLast)));
    SetAngle(Form->txt_lon1, WidgetText(column(kLocLonFirst, kLocLonLast)));
    double geoid = 0, height = 0;
    if (ParseNumber(column(kLocGeoidFirst, kLocGeoidLast), geoid)) Form->txt_geoid->setText(Formatted(kGeoidFormat, geoid * Unit));
    if (ParseNumber(column(kLocHeightFirst, kLocHeightLast), height)) Form->txt_msl->setText(Formatted(kHeightFormat, height * Unit));
    CheckHeight(Form->txt_geoid, LastGeoid);
    CheckHeight(Form->txt_msl, LastMsl);
    SelectZone(std::string(column(kLocZoneFirst, kLocZoneLast)));
    cb_timezoneChange(Form->cb_timezone->currentIndex());
}

void TfrLocWnd::cb_timezoneChange(int index) {
    if (index >= 0 && static_cast<std::size_t>(index) < Zones.size())
        Form->txt_utc->setText(WidgetText(Zones[static_cast<std::size_t>(index)].offsetText));
}

// ---- value checks ---------------------------------------------------------------------

void TfrLocWnd::CheckAngle(QLineEdit* edit, QLineEdit* text, double limit, double& last, const char* message) {
    double value = 0;
    if (!ParseNumber(ProgramText(edit->text()), value)) {
        edit->setText(Formatted(kAngleFormat, last));
        return;
    }
    if (!(std::fabs(value) < limit)) {
        edit->setText(Formatted(kAngleFormat, last));
        ShowMessageBox(this, message);
        return;
    }
    last = value;
    text->setText(WidgetText(Conv_to_str_deg(false, 1, value)));
}

void TfrLocWnd::CheckHeight(QLineEdit* edit, double& last) {
    double value = 0;
    if (ParseNumber(ProgramText(edit->text()), value))
        last = value;
    else
        edit->setText(Formatted(kHeightFormat, last));
}

void TfrLocWnd::CheckAll() {
    CheckAngle(Form->txt_lat1, Form->txt_lat2, 90.0, LastLat, kLatitudeRangeText);
    CheckAngle(Form->txt_lon1, Form->txt_lon2, 180.0, LastLon, kLongitudeRangeText);
    CheckHeight(Form->txt_msl, LastMsl);
    CheckHeight(Form->txt_geoid, LastGeoid);
}

// ---- editing the list ------------------------------------------------------------------

void TfrLocWnd::SetMode(TMode mode) {
    Mode = mode;
    const bool editing = mode != kView;
    for (QLineEdit* e : {Form->txt_loc, Form->txt_lat1, Form->txt_lon1, Form->txt_msl, Form->txt_geoid}) {
        e->setReadOnly(!editing || (e == Form->txt_loc && mode == kModify));
        e->setStyleSheet(editing && !e->isReadOnly() ? "color: red" : "");
    }
    Form->bn_save->setEnabled(editing);
    Form->bn_cancel->setEnabled(editing);
    for (QWidget* w : std::initializer_list<QWidget*>{Form->bn_new, Form->bn_modify, Form->bn_delete, Form->bn_apply, Form->bn_main, Form->bn_user,
                                                       Form->bn_done, Form->listbox_loc})
        w->setEnabled(!editing);
    if (editing) (mode == kNew ? Form->txt_loc : Form->txt_lat1)->setFocus();
}

void TfrLocWnd::bn_saveClick() {
    CheckAll();
    const std::string name = Field(Form->txt_loc);
    if (name.empty()) {
        ShowMessageBox(this, "Enter a location name, max 32 characters");
        return;
    }
    if (Mode == kModify) {
        const int row = Form->listbox_loc->currentRow();
        if (row >= 0 && static_cast<std::size_t>(row) < Lines.size()) Lines.erase(Lines.begin() + row);
    }
    const std::string line =
        FormatLocationLine(name, Field(Form->txt_lat1), Field(Form->txt_lon1), FormatFloat(kGeoidFormat, FromDisplay(LastGeoid, Unit)),
                           TrimText(ProgramText(Form->cb_timezone->currentText())),
                           FormatFloat(kHeightFormat, FromDisplay(LastMsl, Unit)));
    Lines.push_back(line);
    std::sort(Lines.begin(), Lines.end());
    ListChanged = true;
    FillList();
    SetMode(kView);
    const auto at = std::find(Lines.begin(), Lines.end(), line);
    const QSignalBlocker block(Form->listbox_loc);
    Form->listbox_loc->setCurrentRow(static_cast<int>(at - Lines.begin()));
}

void TfrLocWnd::bn_deleteClick() {
    const int row = Form->listbox_loc->currentRow();
    if (row < 0 || static_cast<std::size_t>(row) >= Lines.size()) {
        ShowMessageBox(this, kNothingToDeleteText);
        return;
    }
    Lines.erase(Lines.begin() + row);
    ListChanged = true;
    FillList();
}

// ---- applying -------------------------------------------------------------------------

void TfrLocWnd::bn_applyClick() {
    CheckAll();
    double utcHours = 0;
    if (!ParseNumber(ProgramText(Form->txt_utc->text()), utcHours) || std::fabs(utcHours) > kMaxUtcHours) {
        ShowMessageBox(this, "Not a valid UTC offset, value must be between -14 and 14 hours");
        return;
    }
    TObserver o = Observer;
    o.name = ProgramText(Form->txt_loc->text());
    if (const std::string zone(TrimText(ProgramText(Form->cb_timezone->currentText()))); !zone.empty()) o.zoneName = zone;
    o.utcOffset = utcHours / 24.0;
    o.pos.lat = Radians(LastLat);
    o.pos.lon = Radians(LastLon);
    o.geoidHeight = FromDisplay(LastGeoid, Unit);
    o.pos.height = FromDisplay(LastMsl, Unit) * 0.001;
    if (const TStatus saved = SaveObserver(DataFolder, o); !saved) {
        ShowMessageBox(this, NotWrittenText(DataFolder + kObserverFile, saved.message) + "; the location is used until the program ends");
        UpdateParallax(o);
    }
    Observer = o;
    Applied = true;
    std::string text = "\"";
    text.append(o.name.view()).append("\" is set as your new observer location");
    ShowMessageBox(this, text);
}

void TfrLocWnd::done(int result) {
    if (!Closed) {
        Closed = true;
        SaveList();
    }
    QDialog::done(result);
}
