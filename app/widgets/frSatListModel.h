// The rows of the satellite boxes: one per active satellite, shown by name
// or by catalogue number. The boxes share one model, so a list change is one
// reset that both follow, and a change of label keeps every box's choice.
// Made checkable, it is a tick list: each row carries its own tick, which
// the user sets through any view and the owner reads back by row.
#pragma once
#include <QAbstractListModel>

#include <string>
#include <vector>

class TSatListModel : public QAbstractListModel {
public:
    struct TRow {
        std::string name, number;  // as the record holds them
    };

    using QAbstractListModel::QAbstractListModel;

    // New rows: views lose their current row (their owner picks one).
    // Rows come unticked unless ticks gives one per row.
    void Reset(std::vector<TRow> rows, std::vector<bool> ticks = {});
    // Names or numbers: the rows stay, and so does each view's current row.
    void SetNumbers(bool numbers);
    bool numbers() const { return Numbers; }
    const std::vector<TRow>& rows() const { return Rows; }

    // ---- as a tick list
    void SetCheckable(bool checkable);
    void Append(TRow row, bool ticked);
    void Remove(int row);
    void TickAll(bool on);
    bool Ticked(int row) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    // The label, and as tool tip both (sets of one name are told apart).
    QVariant data(const QModelIndex& index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // The tick (Qt::CheckStateRole) of a checkable model; nothing else is edited.
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

private:
    bool Valid(const QModelIndex& index) const;

    std::vector<TRow> Rows;
    std::vector<bool> Ticks;  // one per row
    bool Numbers = false;
    bool Checkable = false;
};
