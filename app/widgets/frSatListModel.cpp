#include "frSatListModel.h"

#include "frCommon.h"
#include "uText.h"

void TSatListModel::Reset(std::vector<TRow> rows) {
    beginResetModel();
    Rows = std::move(rows);
    endResetModel();
}

void TSatListModel::SetNumbers(bool numbers) {
    if (numbers == Numbers) return;
    Numbers = numbers;
    if (!Rows.empty()) emit dataChanged(index(0), index(static_cast<int>(Rows.size()) - 1), {Qt::DisplayRole});
}

int TSatListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(Rows.size());
}

QVariant TSatListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() < 0 || static_cast<std::size_t>(index.row()) >= Rows.size()) return {};
    const TRow& row = Rows[static_cast<std::size_t>(index.row())];
    if (role == Qt::DisplayRole) return WidgetText(Numbers ? row.number : row.name);
    if (role == Qt::ToolTipRole)
        return WidgetText(std::string(TrimText(row.number)) + "  " + std::string(TrimText(row.name)));
    return {};
}
