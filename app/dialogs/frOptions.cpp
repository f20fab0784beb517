#include "frOptions.h"

#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QDir>
#include <QFontDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "frCommon.h"
#include "uFormat.h"
#include "uMagModel.h"
#include "uText.h"

// A colour name whose text shows the colour, on a ground light or dark
// enough to read it; a click opens the colour dialog.
class TColourLabel : public QLabel {
public:
    TColourLabel(const QString& text, uint32_t argb, QWidget* parent) : QLabel(text, parent) {
        setAlignment(Qt::AlignCenter);
        setMinimumWidth(fontMetrics().horizontalAdvance("Satellite") + 24);
        setCursor(Qt::PointingHandCursor);
        setToolTip("Click to choose the colour");
        setColour(QColor::fromRgba(argb));
    }
    QColor colour() const { return Colour; }
    uint32_t argb() const { return Colour.rgba() | 0xFF000000u; }  // the views draw it opaque
    void setColour(const QColor& c) {
        Colour = c;
        const char* ground = c.lightness() > 110 ? "#202020" : "#d8d8d8";
        setStyleSheet(QString("QLabel { color: %1; background: %2; padding: 4px; }").arg(c.name(), ground));
    }

protected:
    void mouseReleaseEvent(QMouseEvent* event) override {
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

private:
    QColor Colour;
};

namespace {

constexpr int kPreviewWidth = 240, kPreviewHeight = 120;

QString Formatted(const char* pattern, double value) { return WidgetText(FormatFloat(pattern, value)); }

}  // namespace

TfrOptionWnd::TfrOptionWnd(const TOptions& options, const std::string& programFolder, QWidget* parent)
    : QDialog(parent), Original(options), Edited(options), MapFolder(programFolder + "map/"),
      Pressure(options.pressure), Temperature(options.temperature) {
    setObjectName("frOptions");
    setWindowTitle("Options");
    setWindowIcon(QApplication::windowIcon());
    BuildUi();
    ShowUnits();
}

void TfrOptionWnd::BuildUi() {
    const TOptions& o = Original;
    lb_satellite = new TColourLabel("Satellite", o.satColour, this);
    lb_home = new TColourLabel("Home", o.homeColour, this);
    lb_grids = new TColourLabel("Grids", o.gridColour, this);
    lb_track = new TColourLabel("Tracks", o.trackColour, this);
    lb_city = new TColourLabel("City", o.cityColour, this);
    auto* colours = new QGroupBox("Program Colors", this);
    auto* colourRow = new QHBoxLayout(colours);
    for (auto [label, name] : {std::pair{lb_satellite, "lb_satellite"}, std::pair{lb_home, "lb_home"},
                               std::pair{lb_grids, "lb_grids"}, std::pair{lb_track, "lb_track"},
                               std::pair{lb_city, "lb_city"}}) {
        label->setObjectName(name);
        colourRow->addWidget(label);
    }

    auto spin = [this](QSpinBox*& s, const char* name, int low, int high, int value) {
        s = new QSpinBox(this);
        s->setObjectName(name);
        s->setRange(low, high);
        s->setValue(value);
    };
    // Shown as a share of 254, truncated both ways (114 shows 44, 44 stores 111).
    spin(nm_shadow, "nm_shadow", 5, 100, static_cast<int>(o.shadowAlpha / kShadowScale));
    spin(nm_track, "nm_track", 1, 9, o.trackHours);
    spin(sp_extraSatAge, "sp_extraSatAge", 1, 30, o.skySatAgeDays);
    ckb_metric = new QCheckBox("Metric System", this);
    ckb_metric->setObjectName("ckb_metric");
    ckb_metric->setChecked(o.metric != 0);
    auto* display = new QFormLayout;
    display->addRow("Shadow (100=Dark)", nm_shadow);
    display->addRow("Track Time (Hours)", nm_track);
    display->addRow("Extra Satellites (Days)", sp_extraSatAge);
    display->addRow(ckb_metric);

    txt_pressure = new QLineEdit(this);
    txt_pressure->setObjectName("txt_pressure");
    txt_temperature = new QLineEdit(this);
    txt_temperature->setObjectName("txt_temperature");
    lb_pressure = new QLabel(this);
    lb_temperature = new QLabel(this);
    auto* start = new QGroupBox("Start Options", this);
    auto* startForm = new QFormLayout(start);
    startForm->addRow(lb_pressure, txt_pressure);
    startForm->addRow(lb_temperature, txt_temperature);

    // How the reports turn standard magnitudes into the ones seen.
    const TMagModel model = MagModelOf(o);
    cb_phase = new QComboBox(this);
    cb_phase->setObjectName("cb_phase");
    cb_phase->addItems({"Illuminated fraction", "Diffuse sphere (Lambert)"});
    cb_phase->setCurrentIndex(model.phase == TPhaseModel::kLambert ? 1 : 0);
    ckb_extinction = new QCheckBox("Extinction by airmass", this);
    ckb_extinction->setObjectName("ckb_extinction");
    ckb_extinction->setChecked(model.extinction);
    sp_extinction = new QDoubleSpinBox(this);
    sp_extinction->setObjectName("sp_extinction");
    sp_extinction->setRange(0.01, kMaxExtinction);
    sp_extinction->setSingleStep(0.05);
    sp_extinction->setDecimals(2);
    sp_extinction->setSuffix(" mag/airmass");
    sp_extinction->setValue(model.extinctionPerAirmass);
    sp_extinction->setEnabled(model.extinction);
    auto* magBox = new QGroupBox("Satellite Magnitudes", this);
    auto* magForm = new QFormLayout(magBox);
    magForm->addRow("Phase", cb_phase);
    magForm->addRow(ckb_extinction, sp_extinction);
    connect(ckb_extinction, &QCheckBox::toggled, sp_extinction, &QWidget::setEnabled);

    cb_map = new QComboBox(this);
    cb_map->setObjectName("cb_map");
    ImagePanel = new QLabel(this);
    ImagePanel->setObjectName("ImagePanel");
    ImagePanel->setFixedSize(kPreviewWidth, kPreviewHeight);
    ImagePanel->setAlignment(Qt::AlignCenter);
    ImagePanel->setFrameShape(QFrame::StyledPanel);
    QStringList maps = QDir(QString::fromStdString(MapFolder)).entryList({"*.jpg"}, QDir::Files, QDir::Name);
    cb_map->addItems(maps);
    cb_map->setCurrentIndex(static_cast<int>(maps.indexOf(WidgetText(o.mapFile.view()))));
    ShowMap(cb_map->currentText());
    auto* mapBox = new QGroupBox("Ground Map Images", this);
    auto* mapLayout = new QVBoxLayout(mapBox);
    mapLayout->addWidget(cb_map);
    mapLayout->addWidget(ImagePanel, 0, Qt::AlignHCenter);

    bn_font = new QPushButton("Select Font", this);
    bn_font->setObjectName("bn_font");
    lb_font = new QLabel(this);
    lb_font->setText(WidgetText(o.fontName.view()) + QString(", %1 pt").arg(o.fontSize));
    bn_saveoptions = new QPushButton("Save Options", this);
    bn_saveoptions->setObjectName("bn_saveoptions");
    bn_cancel = new QPushButton("Cancel", this);
    bn_cancel->setObjectName("bn_cancel");
    for (QPushButton* b : {bn_font, bn_saveoptions, bn_cancel}) b->setAutoDefault(false);

    auto* fontRow = new QHBoxLayout;
    fontRow->addWidget(bn_font);
    fontRow->addWidget(lb_font, 1);
    auto* left = new QVBoxLayout;
    left->addLayout(display);
    left->addWidget(start);
    left->addWidget(magBox);
    left->addStretch(1);
    auto* middle = new QHBoxLayout;
    middle->addLayout(left);
    middle->addWidget(mapBox);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(bn_saveoptions);
    buttons->addWidget(bn_cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(colours);
    layout->addLayout(middle);
    layout->addLayout(fontRow);
    layout->addLayout(buttons);

    connect(ckb_metric, &QCheckBox::toggled, this, &TfrOptionWnd::ShowUnits);
    connect(txt_pressure, &QLineEdit::editingFinished, this, &TfrOptionWnd::ReadPressure);
    connect(txt_temperature, &QLineEdit::editingFinished, this, &TfrOptionWnd::ReadTemperature);
    connect(cb_map, &QComboBox::currentTextChanged, this, &TfrOptionWnd::ShowMap);
    connect(bn_font, &QPushButton::clicked, this, &TfrOptionWnd::bn_fontClick);
    connect(bn_saveoptions, &QPushButton::clicked, this, &TfrOptionWnd::bn_saveoptionsClick);
    connect(bn_cancel, &QPushButton::clicked, this, &QDialog::reject);
}

// ---- units ----------------------------------------------------------------------------

void TfrOptionWnd::ShowUnits() {
    const bool metric = ckb_metric->isChecked();
    lb_pressure->setText(metric ? "Press (Mil)" : "Pressure (Inch)");
    lb_temperature->setText(metric ? "Temp (C)" : "Temp (F)");
    txt_pressure->setText(Formatted("##00.0", metric ? Pressure : Pressure * kInchesPerMbar));
    txt_temperature->setText(Formatted("##0.0", metric ? Temperature : Temperature * 9.0 / 5.0 + 32.0));
}

// Only typed text is read back: the shown value is rounded.
void TfrOptionWnd::ReadPressure() {
    if (!txt_pressure->isModified()) return;
    txt_pressure->setModified(false);
    double v = 0;
    if (!ParseNumber(ProgramText(txt_pressure->text()), v))
        Pressure = kDefaultPressure;
    else
        Pressure = ckb_metric->isChecked() ? v : v / kInchesPerMbar;
}

void TfrOptionWnd::ReadTemperature() {
    if (!txt_temperature->isModified()) return;
    txt_temperature->setModified(false);
    double v = 0;
    if (!ParseNumber(ProgramText(txt_temperature->text()), v))
        Temperature = kDefaultTemperature;
    else
        Temperature = ckb_metric->isChecked() ? v : (v - 32.0) * 5.0 / 9.0;
}

// ---- map and font --------------------------------------------------------------------

void TfrOptionWnd::ShowMap(const QString& name) {
    ImagePanel->clear();
    if (name.isEmpty()) return;
    // The decoder scales while it reads: a large map costs little here.
    QImageReader reader(QString::fromStdString(MapFolder) + name);
    const QSize full = reader.size();
    if (full.isValid()) reader.setScaledSize(full.scaled(ImagePanel->size() - QSize(4, 4), Qt::KeepAspectRatio));
    const QImage image = reader.read();
    if (!image.isNull()) ImagePanel->setPixmap(QPixmap::fromImage(image));
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
        lb_font->setText(WidgetText(Original.fontName.view()) + QString(", %1 pt").arg(Original.fontSize));
    });
    dialog->open();
}

// ---- saving --------------------------------------------------------------------------

void TfrOptionWnd::bn_saveoptionsClick() {
    // A field still being typed in counts as left.
    ReadPressure();
    ReadTemperature();
    TOptions& o = Edited;
    o.satColour = lb_satellite->argb();
    o.homeColour = lb_home->argb();
    o.gridColour = lb_grids->argb();
    o.trackColour = lb_track->argb();
    o.cityColour = lb_city->argb();
    o.shadowAlpha = static_cast<int32_t>(nm_shadow->value() * kShadowScale);
    o.trackHours = nm_track->value();
    o.skySatAgeDays = sp_extraSatAge->value();
    o.metric = ckb_metric->isChecked() ? 1 : 0;
    // With no map chosen the one in use stays.
    if (cb_map->currentIndex() >= 0) o.mapFile = ProgramText(cb_map->currentText());
    o.pressure = Pressure;
    o.temperature = Temperature;
    TMagModel model;
    model.phase = cb_phase->currentIndex() == 1 ? TPhaseModel::kLambert : TPhaseModel::kFraction;
    model.extinction = ckb_extinction->isChecked();
    model.extinctionPerAirmass = sp_extinction->value();
    StoreMagModel(o, model);
    Saved = true;
    accept();
}
