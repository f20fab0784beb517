#include "frPlanetData.h"
#include "uInitialize.h"

#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QDateTimeEdit>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "frCommon.h"
#include "frMainWidgets.h"
#include "frPrinting.h"
#include "frSearchTools.h"
#include "uPlanetData.h"

namespace {

constexpr const char* kSunTitle = "  Sun Rise/Set ";
constexpr const char* kMoonTitle = "  Moon Rise/Set ";
// The horizon of each line of cb_sun, in its order.
constexpr double kSunHorizons[] = {kHorizonNormal, kHorizonCivil, kHorizonNautical, kHorizonAstronomical};
constexpr int kMemoPixels = 13;

}  // namespace

TfrDataWnd::TfrDataWnd(double clock, const TObserver& observer, const TOptions& options, const std::string& saveFolder,
                       QWidget* parent)
    : QDialog(parent), Observer(observer), Options(options), SaveFolder(saveFolder), Horizon(kHorizonNormal) {
    setObjectName("frPlanetData");
    setWindowTitle("Sun Rise/Set Data");
    setWindowIcon(QApplication::windowIcon());
    BuildUi();
    SetPickerTime(clock);
    if (!options.utcDisplay) stxt_timeClick();
    BuildRiseSetTable(kBodySun, kSunTitle, kHorizonNormal);
}

void TfrDataWnd::BuildUi() {
    dt_data_date = new QDateEdit(this);
    dt_data_hour = new QDateTimeEdit(this);
    SetupDatePicker(dt_data_date, "dt_data_date");
    SetupTimePicker(dt_data_hour, "dt_data_hour", "HH:mm:ss");
    FollowDate(dt_data_date, dt_data_hour);
    stxt_time = NewTimeLabel(this, "stxt_time");
    nm_days = new QSpinBox(this);
    nm_days->setObjectName("nm_days");
    nm_days->setRange(10, 60);
    nm_days->setValue(10);
    cb_sun = new QComboBox(this);
    cb_sun->setObjectName("cb_sun");
    cb_sun->addItems({"Normal", "Civil ", "Nautical", "Astronomical"});
    bn_sun = NewButton(this, "bn_sun", "Sun");
    bn_moon = NewButton(this, "bn_moon", "Moon");
    bn_planets = NewButton(this, "bn_planets", "Planets");
    bn_save = NewButton(this, "bn_save", "Save");
    bn_print = NewButton(this, "bn_print", "Print");
    bn_close = NewButton(this, "bn_close", "Close");
    PlanetMemo = NewReportMemo(this, "PlanetMemo", kMemoPixels);

    auto* controls = new QGridLayout;
    controls->addWidget(dt_data_date, 0, 0);
    controls->addWidget(dt_data_hour, 0, 1);
    controls->addWidget(stxt_time, 0, 2);
    controls->addWidget(new QLabel("# Days", this), 1, 0);
    controls->addWidget(nm_days, 1, 1);
    controls->addWidget(new QLabel("Sun Rise/Set Time", this), 2, 0);
    controls->addWidget(cb_sun, 2, 1);
    auto* tables = new QHBoxLayout;
    for (QPushButton* b : {bn_sun, bn_moon, bn_planets}) tables->addWidget(b);
    auto* files = new QHBoxLayout;
    for (QPushButton* b : {bn_save, bn_print}) files->addWidget(b);
    files->addStretch(1);
    files->addWidget(bn_close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(controls);
    layout->addLayout(tables);
    layout->addWidget(PlanetMemo, 1);
    layout->addLayout(files);
    const QFontMetrics fm(PlanetMemo->font());
    resize(fm.horizontalAdvance(QString(66, 'M')) + 40, fm.lineSpacing() * 24 + 180);
    FitToScreen(this);

    connect(stxt_time, &TClickLabel::clicked, this, &TfrDataWnd::stxt_timeClick);
    connect(bn_sun, &QPushButton::clicked, this, &TfrDataWnd::bn_sunClick);
    connect(cb_sun, &QComboBox::activated, this, &TfrDataWnd::bn_sunClick);
    connect(bn_moon, &QPushButton::clicked, this,
            [this] { BuildRiseSetTable(kBodyMoon, kMoonTitle, kHorizonMoon); });
    connect(bn_planets, &QPushButton::clicked, this, &TfrDataWnd::BuildPlanetTable);
    connect(bn_save, &QPushButton::clicked, this, &TfrDataWnd::bn_saveClick);
    connect(bn_print, &QPushButton::clicked, this, &TfrDataWnd::bn_printClick);
    connect(bn_close, &QPushButton::clicked, this, &QDialog::accept);
}

double TfrDataWnd::PickerTime() const { return PickerDayNumber(dt_data_hour->dateTime()); }

void TfrDataWnd::SetPickerTime(double shown) { dt_data_hour->setDateTime(PickerDateTime(shown)); }

void TfrDataWnd::stxt_timeClick() {
    ToggleTimeMode(UtcMode, Observer, {stxt_time}, {dt_data_hour});
}

// ---- tables -------------------------------------------------------------------------

void TfrDataWnd::bn_sunClick() {
    const int line = cb_sun->currentIndex();
    if (line >= 0 && line < static_cast<int>(std::size(kSunHorizons))) Horizon = kSunHorizons[line];
    BuildRiseSetTable(kBodySun, kSunTitle, Horizon);
}

void TfrDataWnd::BuildRiseSetTable(int32_t body, const std::string& title, double horizon) {
    setWindowTitle(WidgetText(title));
    TRiseSetInputs in;
    in.body = body;
    in.date = PickerTime();
    in.days = nm_days->value();
    in.horizon = horizon;
    in.title = title;
    in.utcMode = UtcMode;
    in.observer = ObserverAt(Observer, UtcMode ? PickerTime() : ObserverLocalToUtc(Observer, PickerTime()));
    ShowLines(RiseSetTable(in).lines);
}

void TfrDataWnd::BuildPlanetTable() {
    setWindowTitle("Planet/Moon data");
    TPlanetInputs in;
    in.time = PickerTime();
    in.utcMode = UtcMode;
    in.observer = ObserverAt(Observer, UtcMode ? PickerTime() : ObserverLocalToUtc(Observer, PickerTime()));
    ShowLines(PlanetTable(in).lines);
}

void TfrDataWnd::ShowLines(TReportLines lines) {
    Lines = std::move(lines);
    ShowReport(PlanetMemo, Lines);
}

// ---- save and print --------------------------------------------------------------------

void TfrDataWnd::bn_saveClick() { SaveReportLines(this, Lines, SaveFolder); }

void TfrDataWnd::bn_printClick() { PrintLines(this, Lines); }
