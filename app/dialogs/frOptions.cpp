#include "frOptions.h"

#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDir>
#include <QFontDialog>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>

#include "frColourLabel.h"
#include "frCommon.h"
#include "uFormat.h"
#include "uMagModel.h"
#include "uText.h"
#include "ui_frOptions.h"

TColourLabel::TColourLabel(QWidget* parent) : QLabel(parent) {
    setAlignment(Qt::AlignCenter);
    setMinimumWidth(fontMetrics().horizontalAdvance("Satellite") + 24);
    setCursor(Qt::PointingHandCursor);
    setToolTip("Click to choose the colour");
}

void TColourLabel::setColour(const QColor& c) {
    Colour = c;
    const char* ground = c.lightness() > 110 ? "#202020" : "#d8d8d8";
    setStyleSheet(QString("QLabel { color: %1; background: %2; padding: 4px; }").arg(c.name(), ground));
}

void TColourLabel::mouseReleaseEvent(QMouseEvent* event) {
    QLabel::mouseReleaseEvent(event);
    if (event->button() != Qt::LeftButton || !rect().contains(event->position().toPoint())) return;
    auto* dialog = new QColorDialog(Colour, this);
    dialog->setObjectName("ColourDialog");
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    QPointer<TColourLabel> self(this);
    connect(dialog, &QColorDialog::colorSelected, this, [self](const QColor& c) {
        if (self) self->setColour(c);
    });
    dialog->open();
}

namespace {

QString Formatted(const char* pattern, double value) { return WidgetText(FormatFloat(pattern, value)); }

}  // namespace

TfrOptionWnd::TfrOptionWnd(const TOptions& options, const std::string& programFolder, QWidget* parent)
    : QDialog(parent), Original(options), Edited(options), MapFolder(programFolder + "map/"),
      Pressure(options.pressure), Temperature(options.temperature), Form(std::make_unique<Ui::TfrOptionWnd>()) {
    setWindowIcon(QApplication::windowIcon());
    BuildUi();
    ShowUnits();
}

TfrOptionWnd::~TfrOptionWnd() = default;

void TfrOptionWnd::BuildUi() {
    Form->setupUi(this);
    const TOptions& o = Original;
    for (auto [label, argb] : {std::pair{Form->lb_satellite, o.satColour}, std::pair{Form->lb_home, o.homeColour},
                               std::pair{Form->lb_grids, o.gridColour}, std::pair{Form->lb_track, o.trackColour},
                               std::pair{Form->lb_city, o.cityColour}})
        label->setColour(QColor::fromRgba(argb));
    // Shown as a share of 254, truncated both ways (114 shows 44, 44 stores 111).
    Form->nm_shadow->setValue(static_cast<int>(o.shadowAlpha / kShadowScale));
    Form->nm_track->setValue(o.trackHours);
    Form->sp_extraSatAge->setValue(o.skySatAgeDays);
    Form->ckb_metric->setChecked(o.metric != 0);

    // How the reports turn standard magnitudes into the ones seen.
    const TMagModel model = MagModelOf(o);
    Form->cb_phase->setCurrentIndex(model.phase == TPhaseModel::kLambert ? 1 : 0);
    Form->ckb_extinction->setChecked(model.extinction);
    Form->sp_extinction->setMaximum(kMaxExtinction);
    Form->sp_extinction->setValue(model.extinctionPerAirmass);
    Form->sp_extinction->setEnabled(model.extinction);
    connect(Form->ckb_extinction, &QCheckBox::toggled, Form->sp_extinction, &QWidget::setEnabled);

    QStringList maps = QDir(QString::fromStdString(MapFolder)).entryList({"*.jpg"}, QDir::Files, QDir::Name);
    Form->cb_map->addItems(maps);
    Form->cb_map->setCurrentIndex(static_cast<int>(maps.indexOf(WidgetText(o.mapFile.view()))));
    ShowMap(Form->cb_map->currentText());
    Form->lb_font->setText(WidgetText(o.fontName.view()) + QString(", %1 pt").arg(o.fontSize));

    connect(Form->ckb_metric, &QCheckBox::toggled, this, &TfrOptionWnd::ShowUnits);
    connect(Form->txt_pressure, &QLineEdit::editingFinished, this, &TfrOptionWnd::ReadPressure);
    connect(Form->txt_temperature, &QLineEdit::editingFinished, this, &TfrOptionWnd::ReadTemperature);
    connect(Form->cb_map, &QComboBox::currentTextChanged, this, &TfrOptionWnd::ShowMap);
    connect(Form->bn_font, &QPushButton::clicked, this, &TfrOptionWnd::bn_fontClick);
    connect(Form->bn_saveoptions, &QPushButton::clicked, this, &TfrOptionWnd::bn_saveoptionsClick);
    connect(Form->bn_cancel, &QPushButton::clicked, this, &QDialog::reject);
}

// ---- units ----------------------------------------------------------------------------

void TfrOptionWnd::ShowUnits() {
    const bool metric = Form->ckb_metric->isChecked();
    Form->lb_pressure->setText(metric ? "Press (Mil)" : "Pressure (Inch)");
    Form->lb_temperature->setText(metric ? "Temp (C)" : "Temp (F)");
    Form->txt_pressure->setText(Formatted("##00.0", metric ? Pressure : Pressure * kInchesPerMbar));
    Form->txt_temperature->setText(Formatted("##0.0", metric ? Temperature : Temperature * 9.0 / 5.0 + 32.0));
}

// Only typed text is read back: the shown value is rounded.
void TfrOptionWnd::ReadPressure() {
    if (!Form->txt_pressure->isModified()) return;
    Form->txt_pressure->setModified(false);
    double v = 0;
    if (!ParseNumber(ProgramText(Form->txt_pressure->text()), v))
        Pressure = kDefaultPressure;
    else
        Pressure = Form->ckb_metric->isChecked() ? v : v / kInchesPerMbar;
}

void TfrOptionWnd::ReadTemperature() {
    if (!Form->txt_temperature->isModified()) return;
    Form->txt_temperature->setModified(false);
    double v = 0;
    if (!ParseNumber(ProgramText(Form->txt_temperature->text()), v))
        Temperature = kDefaultTemperature;
    else
        Temperature = Form->ckb_metric->isChecked() ? v : (v - 32.0) * 5.0 / 9.0;
}

// ---- map and font --------------------------------------------------------------------

void TfrOptionWnd::ShowMap(const QString& name) {
    Form->ImagePanel->clear();
    if (name.isEmpty()) return;
    // The decoder scales while it reads: a large map costs little here.
    QImageReader reader(QString::fromStdString(MapFolder) + name);
    const QSize full = reader.size();
    if (full.isValid()) reader.setScaledSize(full.scaled(Form->ImagePanel->size() - QSize(4, 4), Qt::KeepAspectRatio));
    const QImage image = reader.read();
    if (!image.isNull()) Form->ImagePanel->setPixmap(QPixmap::fromImage(image));
}

void TfrOptionWnd::bn_fontClick() {
    QFont current(WidgetText(Original.fontName.view()));
    if (Original.fontSize > 0) current.setPointSize(Original.fontSize);
    auto* dialog = new QFontDialog(current, this);
    dialog->setObjectName("FontDialog");
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QFontDialog::fontSelected, this, [this](const QFont& font) {
        for (TOptions* o : {&Original, &Edited}) {
            o->fontName = ProgramText(font.family());
            if (font.pointSize() > 0) o->fontSize = font.pointSize();
        }
        Form->lb_font->setText(WidgetText(Original.fontName.view()) + QString(", %1 pt").arg(Original.fontSize));
    });
    dialog->open();
}

// ---- saving --------------------------------------------------------------------------

void TfrOptionWnd::bn_saveoptionsClick() {
    // A field still being typed in counts as left.
    ReadPressure();
    ReadTemperature();
    TOptions& o = Edited;
    o.satColour = Form->lb_satellite->argb();
    o.homeColour = Form->lb_home->argb();
    o.gridColour = Form->lb_grids->argb();
    o.trackColour = Form->lb_track->argb();
    o.cityColour = Form->lb_city->argb();
    o.shadowAlpha = static_cast<int32_t>(Form->nm_shadow->value() * kShadowScale);
    o.trackHours = Form->nm_track->value();
    o.skySatAgeDays = Form->sp_extraSatAge->value();
    o.metric = Form->ckb_metric->isChecked() ? 1 : 0;
    // With no map chosen the one in use stays.
    if (Form->cb_map->currentIndex() >= 0) o.mapFile = ProgramText(Form->cb_map->currentText());
    o.pressure = Pressure;
    o.temperature = Temperature;
    TMagModel model;
    model.phase = Form->cb_phase->currentIndex() == 1 ? TPhaseModel::kLambert : TPhaseModel::kFraction;
    model.extinction = Form->ckb_extinction->isChecked();
    model.extinctionPerAirmass = Form->sp_extinction->value();
    StoreMagModel(o, model);
    Saved = true;
    accept();
}
