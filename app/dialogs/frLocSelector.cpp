#include "frLocSelector.h"

#include <QApplication>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

#include "Zenora.h"
#include "frCommon.h"
#include "frHorizon.h"
#include "uFileIO.h"
#include "uFormat.h"
#include "uInitialize.h"
#include "uNetFiles.h"

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
    : QDialog(parent), Observer(observer), DataFolder(dataFolder), Unit(metric ? 1.0 : kFeetPerMetre) {
    setObjectName("frLocSelector");
    setWindowTitle("Location Selector");
    setWindowIcon(QApplication::windowIcon());
    BuildUi();
    lb_msl->setText(metric ? "MSL(meter)" : "MSL(feet)");
    lb_geoid->setText(metric ? "Geoid(meter)" : "Geoid(feet)");

    std::vector<std::string> lines;
    ReadListFile(this, DataFolder + kTimezoneFile, lines);
    for (const std::string& line : lines) {
        TTimeZone z;
        if (ParseTimezoneLine(line, z)) Zones.push_back(std::move(z));
    }
    {
        const QSignalBlocker block(cb_timezone);
        for (const TTimeZone& z : Zones) cb_timezone->addItem(WidgetText(z.listText));
    }
    LoadList(kFullListFile);
    ShowObserver();
    SetMode(kView);
}

void TfrLocWnd::BuildUi() {
    listbox_loc = new QListWidget(this);
    listbox_loc->setObjectName("listbox_loc");
    txt_loc = Named<QLineEdit>(this, "txt_loc");
    txt_loc->setMaxLength(kNameWidth);
    txt_lat1 = Named<QLineEdit>(this, "txt_lat1");
    txt_lat2 = Named<QLineEdit>(this, "txt_lat2");
    txt_lon1 = Named<QLineEdit>(this, "txt_lon1");
    txt_lon2 = Named<QLineEdit>(this, "txt_lon2");
    txt_msl = Named<QLineEdit>(this, "txt_msl");
    txt_geoid = Named<QLineEdit>(this, "txt_geoid");
    txt_utc = Named<QLineEdit>(this, "txt_utc");
    for (QLineEdit* e : {txt_lat2, txt_lon2}) {
        e->setReadOnly(true);
        e->setFocusPolicy(Qt::NoFocus);
    }
    cb_timezone = new QComboBox(this);
    cb_timezone->setObjectName("cb_timezone");
    cb_timezone->setMaxVisibleItems(20);
    bn_main = NewButton(this, "bn_main", "Full list");
    bn_user = NewButton(this, "bn_user", "Favorites");
    bn_new = NewButton(this, "bn_new", "New");
    bn_modify = NewButton(this, "bn_modify", "Modify");
    bn_delete = NewButton(this, "bn_delete", "Delete");
    bn_save = NewButton(this, "bn_save", "Save");
    bn_cancel = NewButton(this, "bn_cancel", "Cancel");
    bn_apply = NewButton(this, "bn_apply", "Apply");
    bn_done = NewButton(this, "bn_done", "Done");
    bn_horizon = NewButton(this, "bn_horizon", "Horizon Mask...", "The obstacles around the shown place");
    lb_msl = new QLabel(this);
    lb_msl->setObjectName("lb_msl");
    lb_geoid = new QLabel(this);
    lb_geoid->setObjectName("lb_geoid");

    auto* lists = new QHBoxLayout;
    lists->addWidget(bn_main);
    lists->addWidget(bn_user);
    auto* left = new QVBoxLayout;
    left->addLayout(lists);
    left->addWidget(listbox_loc, 1);

    auto* form = new QGridLayout;
    int row = 0;
    form->addWidget(new QLabel("Location", this), row, 0);
    form->addWidget(txt_loc, row++, 1, 1, 3);
    form->addWidget(new QLabel("Latitude", this), row, 0);
    form->addWidget(txt_lat1, row, 1);
    form->addWidget(txt_lat2, row++, 2, 1, 2);
    form->addWidget(new QLabel("Longitude", this), row, 0);
    form->addWidget(txt_lon1, row, 1);
    form->addWidget(txt_lon2, row++, 2, 1, 2);
    form->addWidget(lb_msl, row, 0);
    form->addWidget(txt_msl, row, 1);
    form->addWidget(lb_geoid, row, 2);
    form->addWidget(txt_geoid, row++, 3);
    form->addWidget(new QLabel("Time Zone", this), row, 0);
    form->addWidget(cb_timezone, row++, 1, 1, 3);
    form->addWidget(new QLabel("UTC Offset (h)", this), row, 0);
    form->addWidget(txt_utc, row++, 1);
    form->setColumnStretch(1, 1);
    form->setColumnStretch(3, 1);

    auto* edits = new QHBoxLayout;
    for (QPushButton* b : {bn_new, bn_modify, bn_delete, bn_save, bn_cancel}) edits->addWidget(b);
    auto* finish = new QHBoxLayout;
    finish->addWidget(bn_apply);
    finish->addWidget(bn_horizon);
    finish->addStretch(1);
    finish->addWidget(bn_done);
    auto* right = new QVBoxLayout;
    right->addLayout(form);
    right->addStretch(1);
    right->addLayout(edits);
    right->addLayout(finish);

    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left, 2);
    layout->addLayout(right, 3);
    resize(760, 420);
    FitToScreen(this);

    connect(listbox_loc, &QListWidget::currentRowChanged, this, &TfrLocWnd::listbox_locClick);
    connect(cb_timezone, &QComboBox::currentIndexChanged, this, &TfrLocWnd::cb_timezoneChange);
    connect(txt_lat1, &QLineEdit::editingFinished, this,
            [this] { CheckAngle(txt_lat1, txt_lat2, 90.0, LastLat, kLatitudeRangeText); });
    connect(txt_lon1, &QLineEdit::editingFinished, this,
            [this] { CheckAngle(txt_lon1, txt_lon2, 180.0, LastLon, kLongitudeRangeText); });
    connect(txt_msl, &QLineEdit::editingFinished, this, [this] { CheckHeight(txt_msl, LastMsl); });
    connect(txt_geoid, &QLineEdit::editingFinished, this, [this] { CheckHeight(txt_geoid, LastGeoid); });
    connect(bn_main, &QPushButton::clicked, this, [this] { bn_listClick(kFullListFile); });
    connect(bn_user, &QPushButton::clicked, this, [this] { bn_listClick(kFavouritesFile); });
    connect(bn_new, &QPushButton::clicked, this, [this] { SetMode(kNew); });
    connect(bn_modify, &QPushButton::clicked, this, [this] {
        if (listbox_loc->currentRow() >= 0) SetMode(kModify);
    });
    connect(bn_cancel, &QPushButton::clicked, this, [this] { SetMode(kView); });
    connect(bn_save, &QPushButton::clicked, this, &TfrLocWnd::bn_saveClick);
    connect(bn_delete, &QPushButton::clicked, this, &TfrLocWnd::bn_deleteClick);
    connect(bn_apply, &QPushButton::clicked, this, &TfrLocWnd::bn_applyClick);
    connect(bn_done, &QPushButton::clicked, this, &QDialog::accept);
    connect(bn_horizon, &QPushButton::clicked, this, &TfrLocWnd::bn_horizonClick);
}

void TfrLocWnd::bn_horizonClick() {
    // The shown place's mask: each place keeps its own.
    std::string name = Field(txt_loc);
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
    const QSignalBlocker block(listbox_loc);
    listbox_loc->clear();
    for (const std::string& line : Lines)
        listbox_loc->addItem(WidgetText(TrimText(DataColumns(line, kLocNameFirst, kLocNameLast))));
}

void TfrLocWnd::bn_listClick(const char* fileName) {
    SaveList();
    LoadList(fileName);
}

// ---- showing a place ---------------------------------------------------------------

void TfrLocWnd::ShowObserver() {
    txt_loc->setText(WidgetText(Observer.name.view()));
    SetAngle(txt_lat1, Formatted(kAngleFormat, Degrees(Observer.pos.lat)));
    SetAngle(txt_lon1, Formatted(kAngleFormat, Degrees(Observer.pos.lon)));
    txt_geoid->setText(Formatted(kGeoidFormat, Observer.geoidHeight * Unit));
    txt_msl->setText(Formatted(kHeightFormat, Observer.pos.height * 1000.0 * Unit));
    CheckHeight(txt_geoid, LastGeoid);
    CheckHeight(txt_msl, LastMsl);
    SelectZone(Observer.zoneName.str());
    txt_utc->setText(Formatted("#0.0", Observer.utcOffset * 24.0));
}

void TfrLocWnd::SetAngle(QLineEdit* edit, const QString& text) {
    edit->setText(text);
    if (edit == txt_lat1)
        CheckAngle(txt_lat1, txt_lat2, 90.0, LastLat, kLatitudeRangeText);
    else
        CheckAngle(txt_lon1, txt_lon2, 180.0, LastLon, kLongitudeRangeText);
}

void TfrLocWnd::SelectZone(const std::string& name) {
    const std::string trimmed(TrimText(name));
    int found = -1;
    for (std::size_t i = 0; i < Zones.size(); ++i)
        if (Zones[i].name == trimmed) found = static_cast<int>(i);
    const QSignalBlocker block(cb_timezone);
    cb_timezone->setCurrentIndex(found);
}

void TfrLocWnd::listbox_locClick(int row) {
    if (row < 0 || static_cast<std::size_t>(row) >= Lines.size()) return;
    const std::string& line = Lines[static_cast<std::size_t>(row)];
    auto column = [&](std::size_t first, std::size_t last) { return TrimText(DataColumns(line, first, last)); };
    txt_loc->setText(WidgetText(column(kLocNameFirst, kLocNameLast)));
    SetAngle(txt_lat1, WidgetText(column(kLocLatFirst, kLocLatLast)));
    SetAngle(txt_lon1, WidgetText(column(kLocLonFirst, kLocLonLast)));
    double geoid = 0, height = 0;
    if (ParseNumber(column(kLocGeoidFirst, kLocGeoidLast), geoid)) txt_geoid->setText(Formatted(kGeoidFormat, geoid * Unit));
    if (ParseNumber(column(kLocHeightFirst, kLocHeightLast), height)) txt_msl->setText(Formatted(kHeightFormat, height * Unit));
    CheckHeight(txt_geoid, LastGeoid);
    CheckHeight(txt_msl, LastMsl);
    SelectZone(std::string(column(kLocZoneFirst, kLocZoneLast)));
    cb_timezoneChange(cb_timezone->currentIndex());
}

void TfrLocWnd::cb_timezoneChange(int index) {
    if (index >= 0 && static_cast<std::size_t>(index) < Zones.size())
        txt_utc->setText(WidgetText(Zones[static_cast<std::size_t>(index)].offsetText));
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
    CheckAngle(txt_lat1, txt_lat2, 90.0, LastLat, kLatitudeRangeText);
    CheckAngle(txt_lon1, txt_lon2, 180.0, LastLon, kLongitudeRangeText);
    CheckHeight(txt_msl, LastMsl);
    CheckHeight(txt_geoid, LastGeoid);
}

// ---- editing the list ------------------------------------------------------------------

void TfrLocWnd::SetMode(TMode mode) {
    Mode = mode;
    const bool editing = mode != kView;
    for (QLineEdit* e : {txt_loc, txt_lat1, txt_lon1, txt_msl, txt_geoid}) {
        e->setReadOnly(!editing || (e == txt_loc && mode == kModify));
        e->setStyleSheet(editing && !e->isReadOnly() ? "color: red" : "");
    }
    bn_save->setEnabled(editing);
    bn_cancel->setEnabled(editing);
    for (QWidget* w : std::initializer_list<QWidget*>{bn_new, bn_modify, bn_delete, bn_apply, bn_main, bn_user,
                                                       bn_done, listbox_loc})
        w->setEnabled(!editing);
    if (editing) (mode == kNew ? txt_loc : txt_lat1)->setFocus();
}

void TfrLocWnd::bn_saveClick() {
    CheckAll();
    const std::string name = Field(txt_loc);
    if (name.empty()) {
        ShowMessageBox(this, "Enter a location name, max 32 characters");
        return;
    }
    if (Mode == kModify) {
        const int row = listbox_loc->currentRow();
        if (row >= 0 && static_cast<std::size_t>(row) < Lines.size()) Lines.erase(Lines.begin() + row);
    }
    const std::string line =
        FormatLocationLine(name, Field(txt_lat1), Field(txt_lon1), FormatFloat(kGeoidFormat, FromDisplay(LastGeoid, Unit)),
                           TrimText(ProgramText(cb_timezone->currentText())),
                           FormatFloat(kHeightFormat, FromDisplay(LastMsl, Unit)));
    Lines.push_back(line);
    std::sort(Lines.begin(), Lines.end());
    ListChanged = true;
    FillList();
    SetMode(kView);
    const auto at = std::find(Lines.begin(), Lines.end(), line);
    const QSignalBlocker block(listbox_loc);
    listbox_loc->setCurrentRow(static_cast<int>(at - Lines.begin()));
}

void TfrLocWnd::bn_deleteClick() {
    const int row = listbox_loc->currentRow();
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
    if (!ParseNumber(ProgramText(txt_utc->text()), utcHours) || std::fabs(utcHours) > kMaxUtcHours) {
        ShowMessageBox(this, "Not a valid UTC offset, value must be between -14 and 14 hours");
        return;
    }
    TObserver o = Observer;
    o.name = ProgramText(txt_loc->text());
    if (const std::string zone(TrimText(ProgramText(cb_timezone->currentText()))); !zone.empty()) o.zoneName = zone;
    o.utcOffset = utcHours / 24.0;
    o.pos.lat = Radians(LastLat);
    o.pos.lon = Radians(LastLon);
    o.geoidHeight = FromDisplay(LastGeoid, Unit);
    o.pos.height = FromDisplay(LastMsl, Unit) * 0.001;
    if (std::string why; !SaveObserver(DataFolder, o, &why)) {
        ShowMessageBox(this, NotWrittenText(DataFolder + kObserverFile, why) + "; the location is used until the program ends");
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
