#include "frResultTable.h"

#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSortFilterProxyModel>
#include <QStatusBar>
#include <QTableView>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <utility>
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

void TRecordModel::Clear() {
    ArrayName.clear();
    Columns.clear();
    About.clear();
    std::deque<TPacked>().swap(Cells);
    std::vector<std::string>().swap(Texts);
    std::unordered_map<std::string, std::uint32_t>().swap(TextIndexOf);
    FirstKinds.clear();
}

TRecordModel::TPacked TRecordModel::Pack(TCell cell) {
    TPacked p{};
    p.kind = cell.kind;
    p.flag = cell.flag;
    p.decimals = static_cast<std::uint8_t>(std::clamp(cell.decimals, 0, 255));
    switch (cell.kind) {
        case TCell::Kind::kInteger: p.integer = cell.integer; break;
        case TCell::Kind::kText: {
            auto [it, added] = TextIndexOf.try_emplace(cell.text, static_cast<std::uint32_t>(Texts.size()));
            if (added) Texts.push_back(std::move(cell.text));
            p.text = it->second;
            break;
        }
        default: p.number = cell.number; break;
    }
    return p;
}

TCell TRecordModel::Unpack(const TPacked& p) const {
    TCell c;
    c.kind = p.kind;
    c.flag = p.flag;
    c.decimals = p.decimals;
    switch (p.kind) {
        case TCell::Kind::kInteger: c.integer = p.integer; break;
        case TCell::Kind::kText: c.text = Texts[p.text]; break;
        case TCell::Kind::kNone:
        case TCell::Kind::kBool: break;
        default: c.number = p.number; break;
    }
    return c;
}

void TRecordModel::SetTable(TRecordTable table, double displayOffset) {
    beginResetModel();
    Clear();
    Offset = displayOffset;
    ArrayName = std::move(table.arrayName);
    Columns = std::move(table.columns);
    About = std::move(table.about);
    for (std::vector<TCell>& row : table.rows) {
        row.resize(Columns.size());
        if (FirstKinds.empty())
            for (const TCell& c : row) FirstKinds.push_back(c.kind);
        for (TCell& c : row) Cells.push_back(Pack(std::move(c)));
    }
    endResetModel();
}

void TRecordModel::Begin(TRecordTable header, double displayOffset) { SetTable(std::move(header), displayOffset); }

void TRecordModel::Append(std::vector<std::vector<TCell>> rows) {
    if (rows.empty() || Columns.empty()) return;
    const int first = rowCount();
    const bool firstRows = first == 0;
    beginInsertRows({}, first, first + static_cast<int>(rows.size()) - 1);
    for (std::vector<TCell>& row : rows) {
        row.resize(Columns.size());
        if (FirstKinds.empty())
            for (const TCell& c : row) FirstKinds.push_back(c.kind);
        for (TCell& c : row) Cells.push_back(Pack(std::move(c)));
    }
    endInsertRows();
    // The time columns' titles say UTC or local once there is a row to tell.
    if (firstRows) emit headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
}

TRecordTable TRecordModel::table() const {
    TRecordTable t;
    t.arrayName = ArrayName;
    t.columns = Columns;
    t.about = About;
    const std::size_t n = records(), width = Columns.size();
    t.rows.reserve(n);
    for (std::size_t r = 0; r < n; ++r) {
        std::vector<TCell> row;
        row.reserve(width);
        for (std::size_t c = 0; c < width; ++c) row.push_back(Unpack(Cells[r * width + c]));
        t.rows.push_back(std::move(row));
    }
    return t;
}

int TRecordModel::ColumnOf(const std::string& field) const {
    for (std::size_t i = 0; i < Columns.size(); ++i)
        if (Columns[i] == field) return static_cast<int>(i);
    return -1;
}

int TRecordModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(records());
}

int TRecordModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(Columns.size());
}

const TRecordModel::TPacked* TRecordModel::At(int row, int column) const {
    if (row < 0 || column < 0 || static_cast<std::size_t>(row) >= records() ||
        static_cast<std::size_t>(column) >= Columns.size())
        return nullptr;
    return &Cells[static_cast<std::size_t>(row) * Columns.size() + static_cast<std::size_t>(column)];
}

double TRecordModel::SortNumber(const TPacked& p) const {
    constexpr double kBelow = -std::numeric_limits<double>::infinity();
    switch (p.kind) {
        case TCell::Kind::kNumber:
        case TCell::Kind::kTime: return std::isfinite(p.number) ? p.number : kBelow;
        case TCell::Kind::kInteger: return static_cast<double>(p.integer);
        case TCell::Kind::kBool: return p.flag ? 1.0 : 0.0;
        default: return kBelow;
    }
}

bool TRecordModel::Less(int column, int left, int right) const {
    const TPacked* a = At(left, column);
    const TPacked* b = At(right, column);
    if (!a || !b) return a == nullptr && b != nullptr;
    const bool textA = a->kind == TCell::Kind::kText, textB = b->kind == TCell::Kind::kText;
    if (textA && textB) {
        if (a->text == b->text) return false;
        // Latin-1 bytes compare as their characters do: the order QString gave.
        const std::string& x = Texts[a->text];
        const std::string& y = Texts[b->text];
        return std::lexicographical_compare(x.begin(), x.end(), y.begin(), y.end(), [](char l, char r) {
            return static_cast<unsigned char>(l) < static_cast<unsigned char>(r);
        });
    }
    // An empty cell sorts below every value, a text above every number.
    if (textA != textB) return textB ? a->kind != TCell::Kind::kText : false;
    return SortNumber(*a) < SortNumber(*b);
}

std::uint32_t TRecordModel::TextIndex(int row, int column) const {
    const TPacked* p = At(row, column);
    return p && p->kind == TCell::Kind::kText ? p->text : UINT32_MAX;
}

QVariant TRecordModel::data(const QModelIndex& index, int role) const {
    const TPacked* p = index.isValid() ? At(index.row(), index.column()) : nullptr;
    if (!p) return {};
    if (role == kRecordSortRole) {
        if (p->kind == TCell::Kind::kText) return WidgetText(Texts[p->text]);
        return SortNumber(*p);
    }
    if (role == Qt::TextAlignmentRole) {
        const bool number = p->kind == TCell::Kind::kNumber || p->kind == TCell::Kind::kInteger;
        return QVariant::fromValue(Qt::AlignVCenter | (number ? Qt::AlignRight : Qt::AlignLeft));
    }
    if (role != Qt::DisplayRole) return {};
    const bool finite = std::isfinite(p->number);
    switch (p->kind) {
        case TCell::Kind::kNone: return QString();
        case TCell::Kind::kNumber: return finite ? QString::number(p->number, 'f', p->decimals) : QString();
        case TCell::Kind::kInteger: return QString::number(p->integer);
        case TCell::Kind::kBool: return p->flag ? QStringLiteral("yes") : QStringLiteral("no");
        case TCell::Kind::kTime:
            return QString::fromStdString(FormatDateTime("yyyy-mm-dd HH:nn:ss", p->number + Offset));
        case TCell::Kind::kText: return WidgetText(Texts[p->text]);
    }
    return {};
}

QVariant TRecordModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Vertical) return role == Qt::DisplayRole ? QVariant(section + 1) : QVariant();
    if (section < 0 || static_cast<std::size_t>(section) >= Columns.size()) return {};
    const std::string& field = Columns[static_cast<std::size_t>(section)];
    if (role == Qt::ToolTipRole) return QString::fromStdString(field);
    if (role != Qt::DisplayRole) return {};
    QString title = ColumnTitle(field);
    const bool time = static_cast<std::size_t>(section) < FirstKinds.size() &&
                      FirstKinds[static_cast<std::size_t>(section)] == TCell::Kind::kTime;
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

TRecordProxy::TRecordProxy(TRecordModel* model, QObject* parent) : QSortFilterProxyModel(parent), Model(model) {
    setSourceModel(model);
    setSortRole(kRecordSortRole);
    setDynamicSortFilter(true);
    connect(model, &QAbstractItemModel::modelReset, this, [this] { Matches.clear(); });
}

void TRecordProxy::SetNameFilter(const QString& text) {
    const QString folded = text.trimmed().toCaseFolded();
    if (folded == Needle) return;
    Needle = folded;
    Matches.clear();
    invalidateRowsFilter();
}

bool TRecordProxy::lessThan(const QModelIndex& left, const QModelIndex& right) const {
    return Model->Less(left.column(), left.row(), right.row());
}

bool TRecordProxy::filterAcceptsRow(int sourceRow, const QModelIndex&) const {
    if (Needle.isEmpty()) return true;
    static const std::string kSatellite = "satellite";
    const int column = Model->ColumnOf(kSatellite);
    if (column < 0) return true;
    const std::uint32_t text = Model->TextIndex(sourceRow, column);
    if (text == UINT32_MAX) return false;
    // A name is folded once per filter text, not once per row.
    if (Matches.size() < Model->texts()) Matches.resize(Model->texts(), -1);
    std::int8_t& known = Matches[text];
    if (known < 0) known = WidgetText(Model->TextAt(text)).toCaseFolded().contains(Needle) ? 1 : 0;
    return known == 1;
}

TResultPanel::TResultPanel(QWidget* parent, QPlainTextEdit* memo) : QTabWidget(parent) {
    setObjectName("ResultTabs");
    Model = new TRecordModel(this);
    Proxy = new TRecordProxy(Model, this);
    View = new QTableView(this);
    View->setObjectName("ResultTable");
    View->setModel(Proxy);
    View->setSortingEnabled(true);
    View->sortByColumn(-1, Qt::AscendingOrder);  // the search's order until a header is clicked
    View->setSelectionBehavior(QAbstractItemView::SelectRows);
    View->setEditTriggers(QAbstractItemView::NoEditTriggers);
    View->setAlternatingRowColors(true);
    View->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    View->verticalHeader()->setDefaultSectionSize(View->fontMetrics().height() + 6);
    View->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    addTab(View, "Table");
    addTab(memo, "Report");

    // On the tab bar, so the table stays the tab's page.
    auto* corner = new QWidget(this);
    auto* row = new QHBoxLayout(corner);
    row->setContentsMargins(4, 0, 2, 0);
    row->addWidget(new QLabel("Filter:", corner));
    Filter = new QLineEdit(corner);
    Filter->setObjectName("ResultFilter");
    Filter->setPlaceholderText("satellite name");
    Filter->setClearButtonEnabled(true);
    Filter->setMinimumWidth(180);
    row->addWidget(Filter);
    setCornerWidget(corner, Qt::TopRightCorner);
    connect(Filter, &QLineEdit::textChanged, Proxy, &TRecordProxy::SetNameFilter);
}

void TResultPanel::ShowRecords(TRecordTable table, double displayOffset) {
    Model->SetTable(std::move(table), displayOffset);
    View->resizeColumnsToContents();
    Sized = true;
}

void TResultPanel::BeginRecords(TRecordTable header, double displayOffset) {
    Sized = !header.rows.empty();
    Model->Begin(std::move(header), displayOffset);
    if (Sized) View->resizeColumnsToContents();
}

void TResultPanel::AppendRecords(std::vector<std::vector<TCell>> rows) {
    Model->Append(std::move(rows));
    if (!Sized && Proxy->rowCount() > 0) {  // rows the filter shows, to size by
        View->resizeColumnsToContents();
        Sized = true;
    }
}

void TResultPanel::Clear() {
    Model->SetTable({}, 0.0);
    Sized = false;
    View->sortByColumn(-1, Qt::AscendingOrder);
}

TRecordStream::TRecordStream(TResultPanel* panel, TPost post) : Panel(panel), Post(std::move(post)) {}

void TRecordStream::Add(std::vector<std::vector<TCell>> rows) {
    if (rows.empty()) return;
    bool post = false;
    {
        std::lock_guard<std::mutex> lock(Shared->mutex);
        Shared->added += rows.size();
        if (Shared->pending.empty()) Shared->pending = std::move(rows);
        else Shared->pending.insert(Shared->pending.end(), std::make_move_iterator(rows.begin()),
                                    std::make_move_iterator(rows.end()));
        post = !std::exchange(Shared->posted, true);
    }
    if (!post) return;
    Post([shared = Shared, panel = Panel] {
        std::vector<std::vector<TCell>> batch;
        {
            std::lock_guard<std::mutex> lock(shared->mutex);
            batch.swap(shared->pending);
            shared->posted = false;
        }
        panel->AppendRecords(std::move(batch));
    });
}

std::size_t TRecordStream::added() const {
    std::lock_guard<std::mutex> lock(Shared->mutex);
    return Shared->added;
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
