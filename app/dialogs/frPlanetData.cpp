#include "frPlanetData.h"
#include "uInitialize.h"

#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QDateTimeEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>

#include "frCommon.h"
#include "frMainWidgets.h"
#include "frPrinting.h"
#include "frSearchTools.h"
#include "uPlanetData.h"
#include "ui_frPlanetData.h"

namespace {

constexpr const char* kSunTitle = "  Sun Rise/Set ";
constexpr const char* kMoonTitle = "  Moon Rise/Set ";
// The horizon of each line of cb_sun, in its order.
constexpr double kSunHorizons[] = {kHorizonNormal, kHorizonCivil, kHorizonNautical, kHorizonAstronomical};
constexpr int kMemoPixels = 13;

}  // namespace

TfrDataWnd::TfrDataWnd(double clock, const TObserver& observer, const TOptions& options, const std::string& saveFolder,
                       QWidget* parent)
    : QDialog(parent), Observer(observer), Options(options), SaveFolder(saveFolder), Horizon(kHorizonNormal),
      Form(std::make_unique<Ui::TfrDataWnd>()) {
    setWindowTitle("Sun Rise/Set Data");
    setWindowIcon(QApplication::windowIcon());
    BuildUi();
    SetPickerTime(clock);
    if (!options.utcDisplay) stxt_timeClick();
    BuildRiseSetTable(kBodySun, kSunTitle, kHorizonNormal);
}

TfrDataWnd::~TfrDataWnd() = default;

void TfrDataWnd::BuildUi() {
    Form->setupUi(this);
    SetupDatePicker(Form->dt_data_date, "dt_data_date");
    SetupTimePicker(Form->dt_data_hour, "dt_data_hour", "HH:mm:ss");
    FollowDate(Form->dt_data_date, Form->dt_data_hour);
    SetupTimeLabel(Form->stxt_time);
    SetupReportMemo(Form->PlanetMemo, kMemoPixels);
    const QFontMetrics fm(Form->PlanetMemo->font());
    resize(fm.horizontalAdvance(QString(66, 'M')) + 40, fm.lineSpacing() * 24 + 180);
    FitToScreen(this);

    connect(Form->stxt_time, &TClickLabel::clicked, this, &TfrDataWnd::stxt_timeClick);
    connect(Form->bn_sun, &QPushButton::clicked, this, &TfrDataWnd::bn_sunClick);
    connect(Form->cb_sun, &QComboBox::activated, this, &TfrDataWnd::bn_sunClick);
    connect(Form->bn_moon, &QPushButton::clicked, this,
            [this] { BuildRiseSetTable(kBodyMoon, kMoonTitle, kHorizonMoon); });
    connect(Form->bn_planets, &QPushButton::clicked, this, &TfrDataWnd::BuildPlanetTable);
    connect(Form->bn_save, &QPushButton::clicked, this, &TfrDataWnd::bn_saveClick);
    connect(Form->bn_print, &QPushButton::clicked, this, &TfrDataWnd::bn_printClick);
    connect(Form->bn_close, &QPushButton::clicked, this, &QDialog::accept);
}

double TfrDataWnd::PickerTime() const { return PickerDayNumber(Form->dt_data_hour->dateTime()); }

void TfrDataWnd::SetPickerTime(double shown) { Form->dt_data_hour->setDateTime(PickerDateTime(shown)); }

void TfrDataWnd::stxt_timeClick() {
    ToggleTimeMode(UtcMode, Observer, {Form->stxt_time}, {Form->dt_data_hour});
}

// ---- tables -------------------------------------------------------------------------

void TfrDataWnd::bn_sunClick() {
    const int line = Form->cb_sun->currentIndex();
    if (line >= 0 && line < static_cast<int>(std::size(kSunHorizons))) Horizon = kSunHorizons[line];
    BuildRiseSetTable(kBodySun, kSunTitle, Horizon);
}

void TfrDataWnd::BuildRiseSetTable(int32_t body, const std::string& title, double horizon) {
    setWindowTitle(WidgetText(title));
    TRiseSetInputs in;
    in.body = body;
    in.date = PickerTime();
    in.days = Form->nm_days->value();
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
    ShowReport(Form->PlanetMemo, Lines);
}

// ---- save and print --------------------------------------------------------------------

void TfrDataWnd::bn_saveClick() { SaveReportLines(this, Lines, SaveFolder); }

void TfrDataWnd::bn_printClick() { PrintLines(this, Lines); }
