// Search results as a table a user can sort by any column, beside the
// report text that stays for printing and saving; and the records saved as
// CSV, the same bytes orbisk-predict --format csv writes.
#pragma once
#include <QAbstractTableModel>
#include <QTabWidget>

#include <string>

#include "uRecordOutput.h"

class QPlainTextEdit;
class QSortFilterProxyModel;
class QStatusBar;
class QTableView;

// The value a column sorts by: numbers and times as numbers, texts as text,
// an empty cell below every value.
inline constexpr int kRecordSortRole = Qt::UserRole + 1;

class TRecordModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;
    // displayOffset: days added to every time shown (the window's local mode).
    void SetTable(TRecordTable table, double displayOffset);
    const TRecordTable& table() const { return Table; }
    // The column of a field name ("max_elevation_deg"), -1 when absent.
    int ColumnOf(const std::string& field) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    TRecordTable Table;
    double Offset = 0.0;
};

// "Max elevation (°)" for "max_elevation_deg".
QString ColumnTitle(const std::string& field);

// The results of a search window: a "Table" tab and a "Report" tab holding
// the window's report memo.
class TResultPanel : public QTabWidget {
    Q_OBJECT
public:
    TResultPanel(QWidget* parent, QPlainTextEdit* memo);
    void ShowRecords(TRecordTable table, double displayOffset);
    void Clear();
    const TRecordTable& records() const { return Model->table(); }
    bool hasRecords() const { return !Model->table().columns.empty(); }

    QTableView* view() const { return View; }
    TRecordModel* model() const { return Model; }
    QSortFilterProxyModel* proxy() const { return Proxy; }

private:
    QTableView* View = nullptr;
    TRecordModel* Model = nullptr;
    QSortFilterProxyModel* Proxy = nullptr;
};

// Writes the records as CSV, replacing path atomically. False with the
// reason in *why when it cannot be written (the old file then stays).
bool WriteRecordsCsv(const std::string& path, const TRecordTable& table, std::string* why);

// "Save CSV...": asks for a file (dialog "SaveCsvDialog") and writes the
// records there; the outcome is told in bar, a failure in a message box.
void SaveRecordsCsv(QWidget* parent, const TRecordTable& table, const std::string& folder, QStatusBar* bar);
