// The rows of the satellite boxes: one per active satellite, shown by name
// or by catalogue number. The boxes share one model, so a list change is one
// reset that both follow, and a change of label keeps every box's choice.
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
    void Reset(std::vector<TRow> rows);
    // Names or numbers: the rows stay, and so does each view's current row.
    void SetNumbers(bool numbers);
    bool numbers() const { return Numbers; }
    const std::vector<TRow>& rows() const { return Rows; }

    int rowCount(const QModelIndex& parent = {}) const override;
    // The label, and as tool tip both (sets of one name are told apart).
    QVariant data(const QModelIndex& index, int role) const override;

private:
    std::vector<TRow> Rows;
    bool Numbers = false;
};
