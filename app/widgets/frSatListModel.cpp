#include "frSatListModel.h"

#include "frCommon.h"
#include "uText.h"

void TSatListModel::Reset(std::vector<TRow> rows, std::vector<bool> ticks) {
    beginResetModel();
    Rows = std::move(rows);
    Ticks = std::move(ticks);
    Ticks.resize(Rows.size(), false);
    endResetModel();
}

void TSatListModel::SetNumbers(bool numbers) {
    if (numbers == Numbers) return;
    Numbers = numbers;
    if (!Rows.empty()) emit dataChanged(index(0), index(static_cast<int>(Rows.size()) - 1), {Qt::DisplayRole});
}

void TSatListModel::SetCheckable(bool checkable) {
    if (checkable == Checkable) return;
    beginResetModel();
    Checkable = checkable;
    endResetModel();
}

void TSatListModel::Append(TRow row, bool ticked) {
    const int at = static_cast<int>(Rows.size());
    beginInsertRows({}, at, at);
    Rows.push_back(std::move(row));
    Ticks.push_back(ticked);
    endInsertRows();
}

void TSatListModel::Remove(int row) {
    if (row < 0 || static_cast<std::size_t>(row) >= Rows.size()) return;
    beginRemoveRows({}, row, row);
    Rows.erase(Rows.begin() + row);
    Ticks.erase(Ticks.begin() + row);
    endRemoveRows();
}

void TSatListModel::TickAll(bool on) {
    Ticks.assign(Rows.size(), on);
    if (!Rows.empty()) emit dataChanged(index(0), index(static_cast<int>(Rows.size()) - 1), {Qt::CheckStateRole});
}

bool TSatListModel::Ticked(int row) const {
    return row >= 0 && static_cast<std::size_t>(row) < Ticks.size() && Ticks[static_cast<std::size_t>(row)];
}

int TSatListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(Rows.size());
}

bool TSatListModel::Valid(const QModelIndex& index) const {
    return index.isValid() && index.row() >= 0 && static_cast<std::size_t>(index.row()) < Rows.size();
}

QVariant TSatListModel::data(const QModelIndex& index, int role) const {
    if (!Valid(index)) return {};
    const TRow& row = Rows[static_cast<std::size_t>(index.row())];
    if (role == Qt::DisplayRole) return WidgetText(Numbers ? row.number : row.name);
    if (role == Qt::ToolTipRole)
        return WidgetText(std::string(TrimText(row.number)) + "  " + std::string(TrimText(row.name)));
    if (role == Qt::CheckStateRole && Checkable) return Ticked(index.row()) ? Qt::Checked : Qt::Unchecked;
    return {};
}

Qt::ItemFlags TSatListModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags f = QAbstractListModel::flags(index);
    if (Checkable && Valid(index)) f |= Qt::ItemIsUserCheckable;
    return f;
}

bool TSatListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!Checkable || role != Qt::CheckStateRole || !Valid(index)) return false;
    Ticks[static_cast<std::size_t>(index.row())] = value.toInt() == Qt::Checked;
    emit dataChanged(index, index, {Qt::CheckStateRole});
    return true;
}
