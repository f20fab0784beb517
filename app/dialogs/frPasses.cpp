#include "frPasses.h"

#include <QCheckBox>
#include <QHeaderView>
#include <QHelpEvent>
#include <QLabel>
#include <QLocale>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollArea>
#include <QSortFilterProxyModel>
#include <QSplitter>
#include <QTableView>
#include <QToolTip>

#include <algorithm>
#include <cmath>
#include <memory>

#include "frCommon.h"
#include "frPalette.h"
#include "frSearchTools.h"
#include "uInitialize.h"
#include "uUnits.h"
#include "uWorkers.h"
#include "ui_frPasses.h"

namespace {

// The list is searched again when the clock is this far past its start, so
// that it always reaches at least kUpcomingHours - this ahead.
constexpr double kResearchAfterDays = 6.0 / 24.0;
constexpr double kTimelineBeforeDays = 0.5 / 24.0;
constexpr double kMinute = 1.0 / 1440.0;

QString Duration(double days) {
    const long s = std::lround(std::max(0.0, days) * kSecondsPerDay);
    if (s >= 3600) return QString("%1 h %2 m").arg(s / 3600).arg((s % 3600) / 60, 2, 10, QChar('0'));
    return QString("%1 m %2 s").arg(s / 60).arg(s % 60, 2, 10, QChar('0'));
}

// Bars of passes a naked eye can see are gold, the others blue; both deepen
// with the highest elevation. In the night palette: bright and dim red.
QColor BarColour(const TUpcomingPass& p, bool night) {
    const double k = std::clamp(p.maxElevation / 90.0, 0.0, 1.0);
    if (night) return p.shadowed ? QColor::fromHsvF(0.0, 1.0, 0.35 + 0.2 * k) : QColor::fromHsvF(0.0, 0.85, 0.7 + 0.3 * k);
    if (!p.shadowed) return QColor::fromHsvF(0.12, 0.45 + 0.5 * k, 0.98);
    return QColor::fromHsvF(0.58, 0.30 + 0.5 * k, 0.85 - 0.25 * k);
}

}  // namespace

QString CountdownText(const TUpcomingPass& pass, double now) {
    if (now < pass.aos) return "in " + Duration(pass.aos - now);
    if (now < pass.los) return "up, LOS in " + Duration(pass.los - now);
    return "over";
}

// ---- the model -------------------------------------------------------------------------

void TUpcomingModel::SetPasses(std::vector<TShownPass> passes) {
    beginResetModel();
    Passes = std::move(passes);
    endResetModel();
}

void TUpcomingModel::SetNow(double now) {
    if (now == Now) return;
    Now = now;
    if (!Passes.empty()) emit dataChanged(index(0, kCountdown), index(rowCount() - 1, kCountdown));
}

void TUpcomingModel::SetUtcMode(bool utc) {
    if (utc == Utc) return;
    Utc = utc;
    if (!Passes.empty()) emit dataChanged(index(0, 0), index(rowCount() - 1, kColumnCount - 1));
    emit headerDataChanged(Qt::Horizontal, kAos, kLos);
}

int TUpcomingModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(Passes.size());
}

int TUpcomingModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kColumnCount; }

QString TUpcomingModel::TimeText(double utc, double offset, const char* pattern) const {
    return QLocale::c().toString(PickerDateTime(Utc ? utc : utc + offset), pattern);
}

QVariant TUpcomingModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) return {};
    const TShownPass& s = Passes[static_cast<std::size_t>(index.row())];
    const TUpcomingPass& p = s.pass;
    if (role == kSortRole) {
        switch (index.column()) {
            case kSatellite: return QString::fromStdString(p.name);
            case kMaxElevation: return p.maxElevation;
            case kMagnitude: return p.shadowed ? 99.0 : p.magnitude;
            case kLos: return p.los;
            default: return p.aos;  // AOS and countdown
        }
    }
    if (role == Qt::TextAlignmentRole)
        return index.column() == kSatellite ? int(Qt::AlignLeft | Qt::AlignVCenter)
                                            : int(Qt::AlignRight | Qt::AlignVCenter);
    if (role == Qt::ToolTipRole) {
        return QString("%1 (%2)\nAOS %3, azimuth %4°\nLOS %5, azimuth %6°\n%7")
            .arg(WidgetText(p.name), WidgetText(p.catNo), TimeText(p.aos, s.aosOffset, "yyyy-MM-dd HH:mm:ss"))
            .arg(p.aosAzimuth, 0, 'f', 0)
            .arg(TimeText(p.los, s.losOffset, "yyyy-MM-dd HH:mm:ss"))
            .arg(p.losAzimuth, 0, 'f', 0)
            .arg(p.shadowed ? "In the Earth's shadow at its highest" : "Sunlit at its highest");
    }
    if (role != Qt::DisplayRole) return {};
    switch (index.column()) {
        case kSatellite: return WidgetText(p.name);
        case kAos: return TimeText(p.aos, s.aosOffset, "ddd HH:mm");
        case kMaxElevation: return QString("%1°").arg(p.maxElevation, 0, 'f', 0);
        case kMagnitude: return p.shadowed ? QString("shadow") : QString::number(p.magnitude, 'f', 1);
        case kLos: return TimeText(p.los, s.losOffset, "HH:mm");
        case kCountdown: return CountdownText(p, Now);
        default: return {};
    }
}

QVariant TUpcomingModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return QAbstractTableModel::headerData(section, orientation, role);
    const char* zone = Utc ? " (UTC)" : " (LOC)";
    switch (section) {
        case kSatellite: return "Satellite";
        case kAos: return QString("AOS") + zone;
        case kMaxElevation: return "Max El";
        case kMagnitude: return "Mag";
        case kLos: return QString("LOS") + zone;
        case kCountdown: return "Countdown";
        default: return {};
    }
}

// ---- the timeline ----------------------------------------------------------------------

TSkyTimeline::TSkyTimeline(const TUpcomingModel& model, QWidget* parent) : QWidget(parent), Model(model) {
    setObjectName("timeline_passes");
    setMouseTracking(true);
    auto repaint = [this] { update(); };
    // New rows: a new height for the scroll area to give.
    connect(&Model, &QAbstractItemModel::modelReset, this, [this] {
        updateGeometry();
        update();
    });
    connect(&Model, &QAbstractItemModel::dataChanged, this, repaint);
}

QSize TSkyTimeline::sizeHint() const { return {320, std::max(150, minimumSizeHint().height())}; }

// Every row as tall as its name needs: a list longer than the dock has
// room for scrolls (the dock puts the timeline in a scroll area).
QSize TSkyTimeline::minimumSizeHint() const {
    const QFontMetrics fm = fontMetrics();
    const int rows = std::max<int>(1, static_cast<int>(SatelliteRows().size()));
    return {160, fm.height() + 4 + rows * MinRowHeight() + 2};
}

int TSkyTimeline::MinRowHeight() const { return fontMetrics().height() + 4; }

std::vector<std::size_t> TSkyTimeline::SatelliteRows() const {
    std::vector<std::size_t> satellites;
    for (const TShownPass& s : Model.passes())
        if (std::find(satellites.begin(), satellites.end(), s.pass.satellite) == satellites.end())
            satellites.push_back(s.pass.satellite);
    std::sort(satellites.begin(), satellites.end());
    return satellites;
}

TSkyTimeline::TLayout TSkyTimeline::Layout() const {
    TLayout l;
    l.satellites = SatelliteRows();
    const QFontMetrics fm = fontMetrics();
    int widest = fm.horizontalAdvance("00000");
    for (const TShownPass& s : Model.passes()) widest = std::max(widest, fm.horizontalAdvance(WidgetText(s.pass.name)));
    l.labelWidth = std::min(widest + 8, width() / 3);
    l.top = fm.height() + 4;  // the hour labels
    const int rows = std::max<int>(1, static_cast<int>(l.satellites.size()));
    l.rowHeight = std::clamp((height() - l.top - 2) / rows, MinRowHeight(), fm.height() + 8);
    l.start = Model.now() - kTimelineBeforeDays;
    l.span = kTimelineHours / 24.0 + kTimelineBeforeDays;
    return l;
}

int TSkyTimeline::RowOf(const TLayout& l, std::size_t satellite) const {
    const auto at = std::find(l.satellites.begin(), l.satellites.end(), satellite);
    return at == l.satellites.end() ? -1 : static_cast<int>(at - l.satellites.begin());
}

QRect TSkyTimeline::BarOf(int row) const {
    if (row < 0 || row >= static_cast<int>(Model.passes().size())) return {};
    const TLayout l = Layout();
    const TUpcomingPass& p = Model.passes()[static_cast<std::size_t>(row)].pass;
    const double end = l.start + l.span;
    if (p.los < l.start || p.aos > end) return {};
    const int plot = std::max(1, width() - l.labelWidth - 4);
    auto x = [&](double t) { return l.labelWidth + static_cast<int>(std::lround((t - l.start) / l.span * plot)); };
    const int x0 = x(std::max(p.aos, l.start)), x1 = std::max(x(std::min(p.los, end)), x0 + 3);
    // Taller for a higher pass: the eye finds the good ones first.
    const int full = std::max(4, l.rowHeight - 3);
    const int h = std::max(3, static_cast<int>(std::lround(full * (0.35 + 0.65 * std::clamp(p.maxElevation / 90.0, 0.0, 1.0)))));
    const int y = l.top + RowOf(l, p.satellite) * l.rowHeight + (l.rowHeight - h) / 2;
    return QRect(x0, y, x1 - x0, h);
}

int TSkyTimeline::PassAt(const QPoint& p) const {
    for (int row = 0; row < static_cast<int>(Model.passes().size()); ++row)
        if (BarOf(row).adjusted(-2, -2, 2, 2).contains(p)) return row;
    return -1;
}

void TSkyTimeline::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPalette pal = palette();
    painter.fillRect(rect(), pal.color(QPalette::Base));
    const TLayout l = Layout();
    const int plot = std::max(1, width() - l.labelWidth - 4);
    auto x = [&](double t) { return l.labelWidth + static_cast<int>(std::lround((t - l.start) / l.span * plot)); };

    // Row bands and names.
    painter.setPen(pal.color(QPalette::Text));
    for (std::size_t r = 0; r < l.satellites.size(); ++r) {
        const int y = l.top + static_cast<int>(r) * l.rowHeight;
        if (r % 2) painter.fillRect(QRect(0, y, width(), l.rowHeight), pal.color(QPalette::AlternateBase));
        QString name;
        for (const TShownPass& s : Model.passes())
            if (s.pass.satellite == l.satellites[r]) name = WidgetText(s.pass.name);
        painter.drawText(QRect(2, y, l.labelWidth - 4, l.rowHeight), Qt::AlignVCenter | Qt::AlignLeft,
                         fontMetrics().elidedText(name, Qt::ElideRight, l.labelWidth - 4));
    }

    // Whole hours of the time shown (UTC or the observer's).
    const double offset = Model.utcMode() || Model.passes().empty() ? 0.0 : Model.passes().front().aosOffset;
    const double firstHour = std::ceil((l.start + offset) * 24.0) / 24.0 - offset;
    const int bottom = l.top + std::max<int>(1, static_cast<int>(l.satellites.size())) * l.rowHeight;
    QColor grid = pal.color(QPalette::Mid);
    const int labelEvery = plot / std::max(1, fontMetrics().horizontalAdvance("00 ") + 4) < 13 ? 3 : 1;
    int n = 0;
    for (double t = firstHour; t < l.start + l.span; t += 1.0 / 24.0, ++n) {
        const int xx = x(t);
        painter.setPen(grid);
        painter.drawLine(xx, l.top - 2, xx, bottom);
        if (n % labelEvery || xx - 10 < l.labelWidth || xx + 10 > width()) continue;
        const int hour = static_cast<int>(std::lround(std::fmod((t + offset) * 24.0, 24.0))) % 24;
        painter.setPen(pal.color(QPalette::Text));
        painter.drawText(QRect(xx - 20, 0, 40, l.top), Qt::AlignCenter, QString("%1").arg(hour, 2, 10, QChar('0')));
    }

    for (int row = 0; row < static_cast<int>(Model.passes().size()); ++row) {
        const QRect bar = BarOf(row);
        if (bar.isEmpty()) continue;
        const QColor c = BarColour(Model.passes()[static_cast<std::size_t>(row)].pass, NightPaletteOn());
        painter.setPen(c.darker(140));
        painter.setBrush(c);
        painter.drawRoundedRect(bar, 2, 2);
    }

    // The clock.
    painter.setPen(QPen(QColor(220, 30, 30), 2));
    painter.drawLine(x(Model.now()), l.top - 2, x(Model.now()), bottom);
    if (Model.passes().empty()) {
        painter.setPen(pal.color(QPalette::PlaceholderText));
        painter.drawText(rect().adjusted(l.labelWidth, l.top, 0, 0), Qt::AlignCenter, "No passes in the hours shown");
    }
}

void TSkyTimeline::mouseDoubleClickEvent(QMouseEvent* event) {
    const int row = PassAt(event->position().toPoint());
    if (row >= 0) emit passChosen(row);
}

bool TSkyTimeline::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const int row = PassAt(help->pos());
        if (row < 0) {
            QToolTip::hideText();
            event->ignore();
        } else {
            QToolTip::showText(help->globalPos(), Model.data(Model.index(row, 0), Qt::ToolTipRole).toString(), this);
        }
        return true;
    }
    return QWidget::event(event);
}

// ---- the dock --------------------------------------------------------------------------

TPassesDock::TPassesDock(TWorkers& workers, QWidget* parent)
    : QDockWidget(parent), Workers(workers), Form(std::make_unique<Ui::TPassesDock>()) {
    Form->setupUi(this);
    VisibleOnly = Form->ckb_passes_visible;
    Status = Form->lb_passes_status;
    Table = Form->tv_passes;
    Sorted = new QSortFilterProxyModel(this);
    Sorted->setSourceModel(&Model);
    Sorted->setSortRole(TUpcomingModel::kSortRole);
    Table->setModel(Sorted);
    Table->sortByColumn(TUpcomingModel::kAos, Qt::AscendingOrder);
    Table->verticalHeader()->setDefaultSectionSize(Table->fontMetrics().height() + 4);
    Table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    // The name takes what the times leave (cut, the tool tip has it whole), so
    // the times and the countdown stay in view without scrolling sideways.
    Table->horizontalHeader()->setSectionResizeMode(TUpcomingModel::kSatellite, QHeaderView::Stretch);
    Timeline = new TSkyTimeline(Model, Form->sa_timeline);
    Timeline->setToolTip({});
    Form->sa_timeline->setWidget(Timeline);
    // Side by side under the view, one above the other beside it.
    QSplitter* split = Form->split_passes;
    connect(this, &QDockWidget::dockLocationChanged, split, [split](Qt::DockWidgetArea area) {
        split->setOrientation(area == Qt::LeftDockWidgetArea || area == Qt::RightDockWidgetArea ? Qt::Vertical
                                                                                                 : Qt::Horizontal);
    });

    connect(Table, &QAbstractItemView::doubleClicked, this,
            [this](const QModelIndex& index) { ChooseRow(Sorted->mapToSource(index).row()); });
    connect(Timeline, &TSkyTimeline::passChosen, this, &TPassesDock::ChooseRow);
    // A new filter needs a new search; the next Follow starts it.
    connect(VisibleOnly, &QCheckBox::toggled, this, [this] { Key = 0; });
    ShowStatus();
}

TPassesDock::~TPassesDock() = default;

void TPassesDock::ChooseRow(int modelRow) {
    if (modelRow < 0 || modelRow >= Model.rowCount()) return;
    const TUpcomingPass& p = Model.passes()[static_cast<std::size_t>(modelRow)].pass;
    emit passChosen(p.satellite, p.aos);
}

void TPassesDock::Follow(const std::vector<TSatRec>& list, const TChoice& tracked, const TObserver& observer,
                         double now, bool utcMode) {
    Model.SetUtcMode(utcMode);
    Model.SetNow(now);
    // Hidden, it costs nothing; shown again, the next call catches up.
    if (!isVisible()) return;
    const uint64_t key = UpcomingKey(list, tracked, observer) ^ (VisibleOnly->isChecked() ? 1u : 0u);
    const bool moved = now < From || now > From + kResearchAfterDays;
    if (key == Key && !moved && (Searched || Searching)) return;
    Key = key;
    if (Searching) {
        // The answer on its way is out of date: search again when it comes.
        Pending = std::make_shared<TPending>(TPending{list, tracked, observer, now});
        ++Generation;
        return;
    }
    StartSearch(list, tracked, observer, now);
}

void TPassesDock::StartSearch(const std::vector<TSatRec>& list, const TChoice& tracked, const TObserver& observer,
                              double now) {
    TUpcomingInputs in;
    in.from = now;
    in.hours = kUpcomingHours;
    in.minElevationDeg = kUpcomingMinElevation;
    in.visibleOnly = VisibleOnly->isChecked();
    in.tracked = tracked;
    From = now;
    Observer = observer;
    Satellites = tracked.Count(list.size());
    const unsigned generation = ++Generation;
    // Copies: the body never reads the session.
    auto sats = std::make_shared<std::vector<TSatRec>>(list);
    Workers.Start(
        kWorkerUpcoming,
        [this, in, sats, observer, generation]() -> TWorkers::TApply {
            auto passes = std::make_shared<std::vector<TUpcomingPass>>(FindUpcomingPasses(in, *sats, observer));
            return [this, passes, sats, generation] {
                if (generation != Generation) {
                    if (auto next = std::move(Pending)) StartSearch(next->list, next->tracked, next->observer, next->now);
                    return;
                }
                std::vector<TShownPass> shown;
                shown.reserve(passes->size());
                for (TUpcomingPass& p : *passes) {
                    TShownPass s;
                    s.aosOffset = ObserverOffsetAt(Observer, p.aos);
                    s.losOffset = ObserverOffsetAt(Observer, p.los);
                    s.pass = std::move(p);
                    shown.push_back(std::move(s));
                }
                Model.SetPasses(std::move(shown));
                Searched = true;
                ShowStatus();
            };
        },
        &Searching);
    ShowStatus();
}

void TPassesDock::ShowStatus() {
    QString text;
    if (Searching && !Searched)
        text = "Searching...";
    else if (Satellites == 0)
        text = "No satellite is tracked: choose some with File › Satellite Selector";
    else if (Model.rowCount() == 0)
        text = QString("No passes above %1° in the next %2 hours").arg(kUpcomingMinElevation).arg(kUpcomingHours);
    else
        text = QString("%1 passes above %2° in the next %3 hours")
                   .arg(Model.rowCount()).arg(kUpcomingMinElevation).arg(kUpcomingHours);
    Status->setText(text);
}
