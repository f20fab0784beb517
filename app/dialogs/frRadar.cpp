#include "frRadar.h"

#include <QBuffer>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>

#include <algorithm>

#include "Zenora.h"
#include "frPrinting.h"
#include "frSearchTools.h"
#include "uFileIO.h"
#include "uFormat.h"
#include "uSkyData.h"
#include "ui_frRadar.h"

namespace {
// The encoder's own default quality (75).
constexpr int kJpegQuality = -1;
constexpr int kScreenMargin = 80;  // the window leaves this much of the screen's height
constexpr int kPanelInset = 4;  // the chart panel's margins in frRadar.ui

QString DegreeText(double radians) { return AngleText(radians); }
}  // namespace

TfrRadarWnd::TfrRadarWnd(const std::vector<TPassRecord>& passes, const TObserver& observer, double displayOffset,
                         const TOptions& options, const std::string& dataFolder, QWidget* parent)
    : QDialog(parent), AllPasses(passes), Observer(observer), DisplayOffset(displayOffset), DataFolder(dataFolder),
      Form(std::make_unique<Ui::TfrRadarWnd>()) {
    setWindowTitle(QString("%1    %2    %3")
                       .arg(WidgetText(observer.name.view()), DegreeText(observer.pos.lat), DegreeText(observer.pos.lon)));
    ChartFont = QFont(WidgetText(options.fontName.view()), std::clamp(int{options.fontSize}, 4, 72) + 2);

    Form->setupUi(this);
    cb_sat = Form->cb_sat;
    cb_times = Form->cb_times;
    stxt_sat = Form->stxt_sat;
    stxt_aos = Form->stxt_aos;
    stxt_spin = Form->stxt_spin;
    ImgRadar = Form->ImgRadar;
    bn_up = Form->bn_up;
    bn_dn = Form->bn_dn;
    bn_filesave = Form->bn_filesave;
    bn_print = Form->bn_print;
    bn_close = Form->bn_close;
    ck_print_view = Form->ck_print_view;
    for (QPushButton* b : {bn_up, bn_dn}) b->setMaximumWidth(b->fontMetrics().horizontalAdvance("<") + 24);
    const QLayout* bar = Form->bar;

    // The chart: as tall as the screen allows; wide enough for the disc, a
    // fifth more, and the pass data beside it ...
    const QScreen* screen = QGuiApplication::primaryScreen();
    const int screenHeight = screen ? screen->availableGeometry().height() : 768;
    const int barHeight = bar->sizeHint().height();
    const int height = std::max(200, screenHeight - kScreenMargin - barHeight - 4 * kPanelInset - 24);
    const QFontMetrics fm(ChartFont);
    int textWidth = fm.horizontalAdvance("AOS : 00/00   00:00:00");
    for (const TPassRecord& p : AllPasses)
        textWidth = std::max(textWidth, fm.horizontalAdvance(WidgetText("OBJ : " + p.title.str())));
    // ... and no narrower than the row of controls above it.
    const int width = std::max({static_cast<int>(height * 1.2), height + textWidth + 12,
                                bar->sizeHint().width() - 2 * kPanelInset});
    SetupRadarView(View, width, height);
    ImgRadar->setFixedSize(width, height);

    Stars.clear();
    Figures.clear();
    LoadSkyData(DataFolder, Stars, Figures);

    connect(cb_sat, &QComboBox::currentIndexChanged, this, &TfrRadarWnd::cb_satChange);
    connect(cb_times, &QComboBox::currentIndexChanged, this, &TfrRadarWnd::cb_timesChange);
    connect(bn_up, &QPushButton::clicked, this, &TfrRadarWnd::bn_upClick);
    connect(bn_dn, &QPushButton::clicked, this, &TfrRadarWnd::bn_dnClick);
    connect(ck_print_view, &QCheckBox::toggled, this, &TfrRadarWnd::Redraw);
    connect(bn_print, &QPushButton::clicked, this, &TfrRadarWnd::bn_printClick);
    connect(bn_filesave, &QPushButton::clicked, this, &TfrRadarWnd::bn_filesaveClick);
    connect(bn_close, &QPushButton::clicked, this, &QDialog::accept);

    ShowRotation();
    // One entry per satellite: the passes come grouped by satellite.
    QString last;
    for (const TPassRecord& p : AllPasses) {
        const QString title = WidgetText(p.title.view());
        if (cb_sat->count() == 0 || title != last) cb_sat->addItem(title);
        last = title;
    }
    stxt_sat->setText(QString::number(cb_sat->count()));
    if (cb_sat->count() > 0) cb_satChange();
}

TfrRadarWnd::~TfrRadarWnd() = default;

void TfrRadarWnd::cb_satChange() {
    const QString title = cb_sat->currentText();
    Passes.clear();
    const QSignalBlocker block(cb_times);
    cb_times->clear();
    for (const TPassRecord& p : AllPasses) {
        if (WidgetText(p.title.view()) != title) continue;
        Passes.push_back(p);
        cb_times->addItem(WidgetText(FormatDateTime("mm/dd   HH:nn:ss", p.start + DisplayOffset)));
    }
    cb_times->setCurrentIndex(Passes.empty() ? -1 : 0);
    stxt_aos->setText(QString::number(cb_times->count()));
    Redraw();
}

void TfrRadarWnd::cb_timesChange() { Redraw(); }

bool TfrRadarWnd::Scene(TRadarScene& scene) const {
    const int k = cb_times->currentIndex();
    if (k < 0 || static_cast<std::size_t>(k) >= Passes.size()) return false;
    scene.pass = Passes[static_cast<std::size_t>(k)];
    scene.observer = Observer;
    scene.horizon = Horizon;
    scene.displayOffset = DisplayOffset;
    scene.stars = &Stars;
    scene.figures = &Figures;
    scene.font = ChartFont;
    return true;
}

void TfrRadarWnd::Redraw() {
    TRadarScene scene;
    if (!Scene(scene)) return;
    Drawn = DrawRadarChart(Chart, View, scene, Rotation, ck_print_view->isChecked());
    ImgRadar->setPixmap(QPixmap::fromImage(Chart));
}

void TfrRadarWnd::ShowRotation() { stxt_spin->setText(QString::number(Rotation) + QChar(0xB0)); }

void TfrRadarWnd::bn_upClick() {
    Rotation = RadarRotationStep(Rotation, false);
    ShowRotation();
    Redraw();
}

void TfrRadarWnd::bn_dnClick() {
    Rotation = RadarRotationStep(Rotation, true);
    ShowRotation();
    Redraw();
}

void TfrRadarWnd::bn_printClick() {
    TRadarScene scene;
    if (Chart.isNull() || !Scene(scene)) return;
    QImage page = Chart;
    if (!ck_print_view->isChecked()) {
        // The print view on a copy: the screen keeps its own.
        TViewState view = View;
        DrawRadarChart(page, view, scene, Rotation, true);
    }
    PrintImage(this, page);
}

void TfrRadarWnd::bn_filesaveClick() {
    if (Chart.isNull()) return;
    auto* dialog = new QFileDialog(this, "Save Image", QString::fromStdString(DataFolder));
    dialog->setObjectName("SaveImageDialog");
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setNameFilter("Jpeg (*.jpg)");
    dialog->setDefaultSuffix("jpg");
    const QImage image = Chart;
    connect(dialog, &QFileDialog::fileSelected, this, [this, image](const QString& path) {
        if (path.isEmpty()) return;
        QDir::setCurrent(QString::fromStdString(DataFolder));
        // Encoded and written on a worker: a slow disk or a FIFO chosen as the
        // file must not stop the window, and the atomic writer refuses what is
        // not a regular file.
        const std::string target = path.toStdString();
        Workers.Start(kWorkerRadarSave, [this, image, target]() -> TWorkers::TApply {
            QByteArray jpeg;
            QBuffer buffer(&jpeg);
            buffer.open(QIODevice::WriteOnly);
            std::string why;
            if (!image.convertToFormat(QImage::Format_RGB32).save(&buffer, "JPG", kJpegQuality))
                why = "the image could not be encoded";
            else if (const TStatus saved =
                         WriteFileAtomic(target, std::string_view(jpeg.constData(), static_cast<std::size_t>(jpeg.size())));
                     !saved)
                why = saved.message;
            if (why.empty()) return {};
            return [this, target, why] { ShowMessageBox(this, "The chart could not be saved as " + target + ": " + why); };
        });
    });
    dialog->open();
}
