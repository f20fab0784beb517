#include "frPlanetData.h"

#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QDateTimeEdit>
#include <QFont>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <memory>

#include "frCommon.h"
#include "frMainWidgets.h"
#include "frPickFile.h"
#include "uFileIO.h"
#include "uFormat.h"
#include "uPlanetData.h"

namespace {

constexpr const char* kSunTitle = "  Sun Rise/Set ";
constexpr const char* kMoonTitle = "  Moon Rise/Set ";
// The horizon of each line of cb_sun, in its order.
constexpr double kSunHorizons[] = {kHorizonNormal, kHorizonCivil, kHorizonNautical, kHorizonAstronomical};

// Pickers hold wall-clock numbers as UTC date-times, so no daylight-saving
// gap of the computer's zone can move them.
QDateTime PickerValue(double dayNumber) {
    TDateParts p;
    if (!DecodeDayNumber(dayNumber, &p)) return QDateTime(QDate(2000, 1, 1), QTime(0, 0), Qt::UTC);
    return QDateTime(QDate(p.year, p.month, p.day), QTime(p.hour, p.minute, p.second), Qt::UTC);
}

double DayNumberOf(const QDateTime& v) {
    const QDate d = v.date();
    const QTime t = v.time();
    return EncodeDayNumber(d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second());
}

// The lines on whichever printer the dialog chose, Courier New 9 pt, page after page.
void PrintText(QWidget* parent, const TReportLines& lines) {
    if (lines.empty()) return;
    auto printer = std::make_shared<QPrinter>(QPrinter::HighResolution);
    printer->setDocName("Print Skyvane");
    auto* dialog = new QPrintDialog(printer.get(), parent);
    dialog->setObjectName("PrintDialog");
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    QObject::connect(dialog, &QDialog::accepted, dialog, [printer, lines] {
        QPainter painter;
        if (!painter.begin(printer.get())) return;
        QFont font("Courier New", 9);
        font.setStyleHint(QFont::Monospace);
        painter.setFont(font);
        const QFontMetrics fm(font, printer.get());
        const int perPage = std::max(1, printer->pageLayout().paintRectPixels(printer->resolution()).height() /
                                            fm.lineSpacing());
        for (std::size_t i = 0; i < lines.size(); ++i) {
            if (i > 0 && i % static_cast<std::size_t>(perPage) == 0) printer->newPage();
            const int row = static_cast<int>(i % static_cast<std::size_t>(perPage));
            painter.drawText(0, fm.ascent() + row * fm.lineSpacing(), WidgetText(lines[i]));
        }
    });
    dialog->open();
}

}  // namespace

TfrDataWnd::TfrDataWnd(double clock, const TObserver& observer, const TOptions& options, const std::string& saveFolder,
                       QWidget* parent)
    : QDialog(parent), Observer(observer), Options(options), SaveFolder(saveFolder), Horizon(kHorizonOpening) {
    setObjectName("frPlanetData");
    setWindowTitle("Sun Rise/Set Data");
    setWindowIcon(QApplication::windowIcon());
    BuildUi();
    SetPickerTime(clock);
    if (!options.utcDisplay) stxt_timeClick();
    BuildRiseSetTable(kBodySun, kSunTitle, kHorizonOpening);
}

void TfrDataWnd::BuildUi() {
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    dt_data_date = new QDateEdit(this);
    dt_data_date->setObjectName("dt_data_date");
    dt_data_date->setLocale(english);
    dt_data_date->setDisplayFormat(" yyyy  MMM  dd");
    dt_data_date->setDateRange(QDate(1957, 1, 1), QDate(2049, 12, 31));
    dt_data_date->setTimeSpec(Qt::UTC);
    dt_data_hour = new QDateTimeEdit(this);
    dt_data_hour->setObjectName("dt_data_hour");
    dt_data_hour->setLocale(english);
    dt_data_hour->setDisplayFormat("HH:mm:ss");
    dt_data_hour->setTimeSpec(Qt::UTC);
    stxt_time = new TClickLabel("UTC", this);
    stxt_time->setObjectName("stxt_time");
    stxt_time->setToolTip("Click to change time from Local to UTC");
    stxt_time->setStyleSheet("QLabel { color: red; font-weight: bold; }");
    stxt_time->setCursor(Qt::PointingHandCursor);
    nm_days = new QSpinBox(this);
    nm_days->setObjectName("nm_days");
    nm_days->setRange(10, 60);
    nm_days->setValue(10);
    cb_sun = new QComboBox(this);
    cb_sun->setObjectName("cb_sun");
    cb_sun->addItems({"Normal", "Civil ", "Nautical", "Astronomical"});
    auto button = [this](QPushButton*& b, const char* name, const char* text) {
        b = new QPushButton(text, this);
        b->setObjectName(name);
        b->setAutoDefault(false);
    };
    button(bn_sun, "bn_sun", "Sun");
    button(bn_moon, "bn_moon", "Moon");
    button(bn_planets, "bn_planets", "Planets");
    button(bn_save, "bn_save", "Save");
    button(bn_print, "bn_print", "Print");
    button(bn_close, "bn_close", "Close");
    PlanetMemo = new QPlainTextEdit(this);
    PlanetMemo->setObjectName("PlanetMemo");
    PlanetMemo->setReadOnly(true);
    PlanetMemo->setLineWrapMode(QPlainTextEdit::NoWrap);
    PlanetMemo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QFont fixed("Courier New", 10);
    fixed.setStyleHint(QFont::Monospace);
    PlanetMemo->setFont(fixed);

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
    const QFontMetrics fm(fixed);
    resize(fm.horizontalAdvance(QString(66, 'M')) + 40, fm.lineSpacing() * 24 + 180);

    connect(stxt_time, &TClickLabel::clicked, this, &TfrDataWnd::stxt_timeClick);
    connect(dt_data_date, &QDateEdit::dateChanged, this, [this](const QDate& d) {
        QDateTime t = dt_data_hour->dateTime();
        t.setDate(d);
        dt_data_hour->setDateTime(t);
    });
    connect(bn_sun, &QPushButton::clicked, this, &TfrDataWnd::bn_sunClick);
    connect(cb_sun, &QComboBox::activated, this, &TfrDataWnd::bn_sunClick);
    connect(bn_moon, &QPushButton::clicked, this,
            [this] { BuildRiseSetTable(kBodyMoon, kMoonTitle, kHorizonNormal); });
    connect(bn_planets, &QPushButton::clicked, this, &TfrDataWnd::BuildPlanetTable);
    connect(bn_save, &QPushButton::clicked, this, &TfrDataWnd::bn_saveClick);
    connect(bn_print, &QPushButton::clicked, this, &TfrDataWnd::bn_printClick);
    connect(bn_close, &QPushButton::clicked, this, &QDialog::accept);
}

double TfrDataWnd::PickerTime() const { return DayNumberOf(dt_data_hour->dateTime()); }

void TfrDataWnd::SetPickerTime(double shown) {
    const QDateTime v = PickerValue(shown);
    dt_data_hour->setDateTime(v);
    dt_data_date->setDate(v.date());
}

void TfrDataWnd::stxt_timeClick() {
    UtcMode = !UtcMode;
    const double offset = Observer.utcOffset;
    SetPickerTime(PickerTime() + (UtcMode ? -offset : offset));
    stxt_time->setText(UtcMode ? "UTC" : "LOC");
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
    in.observer = Observer;
    in.pressure = Options.pressure;
    in.temperature = Options.temperature;
    ShowLines(RiseSetTable(in).lines);
}

void TfrDataWnd::BuildPlanetTable() {
    setWindowTitle("Planet/Moon data");
    TPlanetInputs in;
    in.time = PickerTime();
    in.utcMode = UtcMode;
    in.observer = Observer;
    ShowLines(PlanetTable(in).lines);
}

void TfrDataWnd::ShowLines(TReportLines lines) {
    Lines = std::move(lines);
    QString text;
    for (const std::string& line : Lines) text += WidgetText(line) + '\n';
    PlanetMemo->setPlainText(text);
}

// ---- save and print --------------------------------------------------------------------

void TfrDataWnd::bn_saveClick() {
    const TReportLines lines = Lines;
    QPointer<TfrDataWnd> self(this);
    PickFile(this, kPickReportFile, SaveFolder, [self, lines](const std::string& path) {
        std::string text;
        for (const std::string& line : lines) text += line + "\r\n";
        std::string why;
        if (!WriteFileAtomic(path, text, 0644, &why) && self) ShowMessageBox(self, why);
    });
}

void TfrDataWnd::bn_printClick() { PrintText(this, Lines); }
