// The upcoming-passes dock of the main window: a table of the tracked
// satellites' next passes (AOS, highest elevation, magnitude, LOS and a
// countdown to the clock's time) over an item model, and the "sky at a
// glance" timeline below it, one row per satellite with its passes as bars.
// The passes are searched on a worker whenever the list, the elements or the
// observer change or the clock leaves the hours searched. A double-click on
// a row or a bar asks for the clock to be set to that pass.
#pragma once
#include <QAbstractTableModel>
#include <QDockWidget>
#include <QWidget>

#include <cstdint>
#include <memory>
#include <vector>

#include "uUpcoming.h"
#include "uVarDef.h"

class QCheckBox;
class QLabel;
class QSortFilterProxyModel;
class QTableView;
class TWorkers;

namespace Ui {
class TPassesDock;
}

inline constexpr double kUpcomingHours = 24.0;   // the list looks this far ahead
inline constexpr double kTimelineHours = 12.0;   // the timeline shows this much
inline constexpr double kUpcomingMinElevation = 10.0;

// A pass with the observer's UTC offsets (days) at its AOS and LOS, taken
// on the UI thread (the zone rules are read there only).
struct TShownPass {
    TUpcomingPass pass;
    double aosOffset = 0.0, losOffset = 0.0;
};

// "in 1 h 05 m", "in 4 m 10 s", "up, LOS in 3 m 20 s", "over": the pass
// against the clock's time now (UTC day numbers both).
QString CountdownText(const TUpcomingPass& pass, double now);

class TUpcomingModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum TColumn { kSatellite, kAos, kMaxElevation, kMagnitude, kLos, kCountdown, kColumnCount };
    // Sort key of every column (numbers, not texts).
    static constexpr int kSortRole = Qt::UserRole;

    using QAbstractTableModel::QAbstractTableModel;
    void SetPasses(std::vector<TShownPass> passes);
    // The countdown column follows the clock; times show in UTC or local.
    void SetNow(double now);
    void SetUtcMode(bool utc);
    double now() const { return Now; }
    bool utcMode() const { return Utc; }
    const std::vector<TShownPass>& passes() const { return Passes; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    QString TimeText(double utc, double offset, const char* pattern) const;
    std::vector<TShownPass> Passes;
    double Now = 0.0;
    bool Utc = false;
};

// The timeline: from half an hour before the clock to kTimelineHours after.
class TSkyTimeline : public QWidget {
    Q_OBJECT
public:
    explicit TSkyTimeline(const TUpcomingModel& model, QWidget* parent = nullptr);
    // The model row of the bar at p, -1 when none.
    int PassAt(const QPoint& p) const;
    // The bar of a model row (empty when it is off the timeline).
    QRect BarOf(int row) const;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void passChosen(int row);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    bool event(QEvent* event) override;

private:
    struct TLayout {
        std::vector<std::size_t> satellites;  // row order: list order
        int labelWidth = 0, rowHeight = 0, top = 0;
        double start = 0.0, span = 0.0;       // UTC day numbers
    };
    TLayout Layout() const;
    int MinRowHeight() const;
    // The satellites with passes, in row order.
    std::vector<std::size_t> SatelliteRows() const;
    int RowOf(const TLayout& l, std::size_t satellite) const;
    const TUpcomingModel& Model;
};

class TPassesDock : public QDockWidget {
    Q_OBJECT
public:
    TPassesDock(TWorkers& workers, QWidget* parent = nullptr);
    ~TPassesDock() override;

    // What the main window calls after every change and every tick: a search
    // starts when what it reads changed or now left the hours searched; the
    // countdown and the timeline follow now either way.
    void Follow(const std::vector<TSatRec>& list, const TChoice& tracked, const TObserver& observer, double now,
                bool utcMode);
    bool searching() const { return Searching; }
    const TUpcomingModel& model() const { return Model; }
    QTableView* table() const { return Table; }
    TSkyTimeline* timeline() const { return Timeline; }

signals:
    // The pass of list entry satellite, rising at aos (UTC day number).
    void passChosen(std::size_t satellite, double aos);

private:
    void StartSearch(const std::vector<TSatRec>& list, const TChoice& tracked, const TObserver& observer,
                     double now);
    void ChooseRow(int modelRow);
    void ShowStatus();

    TWorkers& Workers;
    std::unique_ptr<Ui::TPassesDock> Form;  // the widgets of frPasses.ui
    TUpcomingModel Model;
    QSortFilterProxyModel* Sorted = nullptr;
    QTableView* Table = nullptr;
    TSkyTimeline* Timeline = nullptr;
    QCheckBox* VisibleOnly = nullptr;
    QLabel* Status = nullptr;

    bool Searching = false;
    bool Searched = false;      // a result was shown at least once
    // What a search asked for while another ran will search.
    struct TPending {
        std::vector<TSatRec> list;
        TChoice tracked;
        TObserver observer;
        double now;
    };
    std::shared_ptr<TPending> Pending;
    uint64_t Key = 0;           // of the search shown or running
    unsigned Generation = 0;    // of the search running
    double From = 0.0;          // its start, UTC day number
    TObserver Observer{};       // its observer (for the offsets)
    std::size_t Satellites = 0; // satellites it searched
};
