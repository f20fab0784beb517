#include "frResultTable.h"

#include <QDir>
#include <QFileDialog>
#include <QHeaderView>
#include <QPlainTextEdit>
#include <QSortFilterProxyModel>
#include <QStatusBar>
#include <QTableView>

#include <cmath>
#include <limits>

#include "frCommon.h"
#include "uFileIO.h"
#include "uFormat.h"
#include "uText.h"

namespace {
bool EndsWith(const std::string& text, std::string_view suffix) {
    return text.size() >= suffix.size() && text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}
}  // namespace

void TRecordModel::SetTable(TRecordTable table, double displayOffset) {
    beginResetModel();
    Table = std::move(table);
    Offset = displayOffset;
    endResetModel();
}

int TRecordModel::ColumnOf(const std::string& field) const {
    for (std::size_t i = 0; i < Table.columns.size(); ++i)
        if (Table.columns[i] == field) return static_cast<int>(i);
    return -1;
}

int TRecordModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(Table.rows.size());
}

int TRecordModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(Table.columns.size());
}

QVariant TRecordModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || static_cast<std::size_t>(index.row()) >= Table.rows.size()) return {};
    const std::vector<TCell>& row = Table.rows[static_cast<std::size_t>(index.row())];
    if (static_cast<std::size_t>(index.column()) >= row.size()) return {};
    const TCell& c = row[static_cast<std::size_t>(index.column())];
    const bool finite = std::isfinite(c.number);
    if (role == kRecordSortRole) {
        // Empty cells sort below every value, whichever way the column is sorted.
        switch (c.kind) {
            case TCell::Kind::kNone: return -std::numeric_limits<double>::infinity();
            case TCell::Kind::kNumber:
            case TCell::Kind::kTime: return finite ? c.number : -std::numeric_limits<double>::infinity();
            case TCell::Kind::kInteger: return static_cast<double>(c.integer);
            case TCell::Kind::kBool: return c.flag ? 1.0 : 0.0;
            case TCell::Kind::kText: return WidgetText(c.text);
        }
        return {};
    }
    if (role == Qt::TextAlignmentRole) {
        const bool number = c.kind == TCell::Kind::kNumber || c.kind == TCell::Kind::kInteger;
        return QVariant::fromValue(Qt::AlignVCenter | (number ? Qt::AlignRight : Qt::AlignLeft));
    }
    if (role != Qt::DisplayRole) return {};
    switch (c.kind) {
        case TCell::Kind::kNone: return QString();
        case TCell::Kind::kNumber: return finite ? QString::number(c.number, 'f', c.decimals) : QString();
        case TCell::Kind::kInteger: return QString::number(c.integer);
        case TCell::Kind::kBool: return c.flag ? QStringLiteral("yes") : QStringLiteral("no");
        case TCell::Kind::kTime:
            return QString::fromStdString(FormatDateTime("yyyy-mm-dd HH:nn:ss", c.number + Offset));
        case TCell::Kind::kText: return WidgetText(c.text);
    }
    return {};
}

QVariant TRecordModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Vertical) return role == Qt::DisplayRole ? QVariant(section + 1) : QVariant();
    if (section < 0 || static_cast<std::size_t>(section) >= Table.columns.size()) return {};
    const std::string& field = Table.columns[static_cast<std::size_t>(section)];
    if (role == Qt::ToolTipRole) return QString::fromStdString(field);
    if (role != Qt::DisplayRole) return {};
    QString title = ColumnTitle(field);
    const bool time = !Table.rows.empty() && static_cast<std::size_t>(section) < Table.rows.front().size() &&
                      Table.rows.front()[static_cast<std::size_t>(section)].kind == TCell::Kind::kTime;
    if (time || field == "time" || EndsWith(field, "_time")) title += Offset == 0.0 ? " (UTC)" : " (local)";
    return title;
}

QString ColumnTitle(const std::string& field) {
    static const std::pair<const char*, const char*> units[] = {
        {"_deg", " (°)"}, {"_km", " (km)"}, {"_mi", " (mi)"}, {"_s", " (s)"},
        {"_arcmin", " (′)"}, {"_percent", " (%)"}, {"_min", " (min)"}};
    std::string name = field, unit;
    for (const auto& [suffix, shown] : units)
        if (EndsWith(name, suffix)) {
            name.resize(name.size() - std::string(suffix).size());
            unit = shown;
            break;
        }
    QString words = QString::fromStdString(name).replace('_', ' ');
    for (const char* upper : {"aos", "los", "id"})
        if (words == upper || words.startsWith(QString(upper) + ' '))
            words.replace(0, static_cast<int>(std::string(upper).size()), QString(upper).toUpper());
    if (!words.isEmpty()) words[0] = words[0].toUpper();
    return words + QString::fromUtf8(unit.c_str());
}

TResultPanel::TResultPanel(QWidget* parent, QPlainTextEdit* memo) : QTabWidget(parent) {
    setObjectName("ResultTabs");
    Model = new TRecordModel(this);
    Proxy = new QSortFilterProxyModel(this);
    Proxy->setSourceModel(Model);
    Proxy->setSortRole(kRecordSortRole);
    View = new QTableView(this);
    View->setObjectName("ResultTable");
    View->setModel(Proxy);
    View->setSortingEnabled(true);
    View->sortByColumn(-1, Qt::AscendingOrder);  // the search's order until a header is clicked
    View->setSelectionBehavior(QAbstractItemView::SelectRows);
    View->setEditTriggers(QAbstractItemView::NoEditTriggers);
    View->setAlternatingRowColors(true);
    View->verticalHeader()->setDefaultSectionSize(View->fontMetrics().height() + 6);
    View->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    addTab(View, "Table");
    addTab(memo, "Report");
}

void TResultPanel::ShowRecords(TRecordTable table, double displayOffset) {
    Model->SetTable(std::move(table), displayOffset);
    View->resizeColumnsToContents();
}

void TResultPanel::Clear() {
    Model->SetTable({}, 0.0);
    View->sortByColumn(-1, Qt::AscendingOrder);
}

bool WriteRecordsCsv(const std::string& path, const TRecordTable& table, std::string* why) {
    return WriteFileAtomic(path, RecordsCsv(table), 0644, why);
}

void SaveRecordsCsv(QWidget* parent, const TRecordTable& table, const std::string& folder, QStatusBar* bar) {
    auto* dialog = new QFileDialog(parent, "Save CSV", QString::fromStdString(folder));
    dialog->setObjectName("SaveCsvDialog");
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setNameFilter("CSV files (*.csv)");
    dialog->setDefaultSuffix("csv");
    dialog->selectFile("Orbisk.csv");
    QObject::connect(dialog, &QFileDialog::fileSelected, parent, [parent, table, bar](const QString& chosen) {
        if (chosen.isEmpty()) return;
        const std::string path = chosen.toStdString();
        std::string why;
        if (!WriteRecordsCsv(path, table, &why)) {
            ShowMessageBox(parent, "The records were not saved: " + NotWrittenText(path, why));
            return;
        }
        if (bar)
            bar->showMessage(QString("%1 records saved to %2").arg(table.rows.size()).arg(chosen));
    });
    dialog->open();
}
