#include "frResultTable.h"

#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QStatusBar>
#include <QTableView>
#include <QTimer>

#include <algorithm>
#include <atomic>
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
    Packer = 0;
    FromPacker.clear();
}

namespace {
// number(text) gives a text's number, making one for a text new to it.
template <typename Number>
TPackedCell PackCell(const TCell& cell, Number&& number) {
    TPackedCell p{};
    p.kind = cell.kind;
    p.flag = cell.flag;
    p.decimals = static_cast<std::uint8_t>(std::clamp(cell.decimals, 0, 255));
    switch (cell.kind) {
        case TCell::Kind::kInteger: p.integer = cell.integer; break;
        case TCell::Kind::kText: p.text = number(cell.text); break;
        default: p.number = cell.number; break;
    }
    return p;
}

std::atomic<std::uint64_t> packers{0};
}  // namespace

TRecordModel::TPacked TRecordModel::Pack(TCell cell) {
    return PackCell(cell, [this](const std::string& text) {
        auto [it, added] = TextIndexOf.try_emplace(text, static_cast<std::uint32_t>(Texts.size()));
        if (added) Texts.push_back(text);
        return it->second;
    });
}

TRecordPacker::TRecordPacker(std::size_t columns) : Columns(columns), Id(++packers) {}

void TRecordPacker::Start(TPackedRows& into) const {
    if (into.rows == 0 && into.cells.empty()) {
        into.packer = Id;
        into.firstText = static_cast<std::uint32_t>(Numbers.size());
    }
}

std::uint32_t TRecordPacker::Number(std::string_view text, TPackedRows& into) {
    if (auto it = Numbers.find(text); it != Numbers.end()) return it->second;
    const auto n = static_cast<std::uint32_t>(Numbers.size());
    Numbers.emplace(std::string(text), n);
    into.texts.emplace_back(text);
    return n;
}

void TRecordPacker::Pack(std::vector<std::vector<TCell>>& rows, TPackedRows& into) {
    Start(into);
    into.cells.reserve(into.cells.size() + rows.size() * Columns);
    const auto number = [&](const std::string& text) { return Number(text, into); };
    for (std::vector<TCell>& row : rows) {
        row.resize(Columns);
        for (TCell& c : row) into.cells.push_back(PackCell(c, number));
    }
    into.rows += rows.size();
}

void TRecordPacker::Pack(const std::function<void(TCellWriter&)>& write, TPackedRows& into) {
    // Rows as wide as the table: a short one is padded, a long one cut.
    class TWriter final : public TCellWriter {
    public:
        TWriter(TRecordPacker& packer, TPackedRows& into) : Packer(packer), Into(into) {}
        void Text(std::string_view text) override {
            if (InRow++ >= Packer.Columns) return;
            TPackedCell p{};
            p.kind = TCell::Kind::kText;
            p.text = Packer.Number(text, Into);
            Into.cells.push_back(p);
        }
        void Value(const TCell& cell) override {
            if (InRow++ >= Packer.Columns) return;
            Into.cells.push_back(PackCell(cell, NoText));
        }
        void EndRow() override {
            for (; InRow < Packer.Columns; ++InRow) Into.cells.push_back(PackCell(TCell{}, NoText));
            InRow = 0;
            ++Into.rows;
        }

    private:
        static std::uint32_t NoText(const std::string&) { return 0; }  // texts come through Text
        TRecordPacker& Packer;
        TPackedRows& Into;
        std::size_t InRow = 0;
    };
    Start(into);
    TWriter writer(*this, into);
    write(writer);
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

void TRecordModel::Append(TPackedRows rows) {
    if (rows.rows == 0 || Columns.empty() || rows.cells.size() != rows.rows * Columns.size()) return;
    if (rows.packer != Packer) {
        Packer = rows.packer;
        FromPacker.clear();
    }
    if (rows.firstText != FromPacker.size()) return;
    for (std::string& text : rows.texts) {
        auto [it, added] = TextIndexOf.try_emplace(text, static_cast<std::uint32_t>(Texts.size()));
        if (added) Texts.push_back(std::move(text));
        FromPacker.push_back(it->second);
    }
    const int first = rowCount();
    beginInsertRows({}, first, first + static_cast<int>(rows.rows) - 1);
    if (FirstKinds.empty())
        for (std::size_t c = 0; c < Columns.size(); ++c) FirstKinds.push_back(rows.cells[c].kind);
    for (TPacked& p : rows.cells) {
        if (p.kind == TCell::Kind::kText) p.text = FromPacker[p.text];
        Cells.push_back(p);
    }
    endInsertRows();
    if (first == 0) emit headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
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

std::vector<TRecordModel::TSortKey> TRecordModel::SortKeys(int column, const std::vector<int>& rows) const {
    // Texts by rank: each distinct text is compared a few times, not each row.
    std::vector<std::uint32_t> rank;
    const auto byText = [&](std::uint32_t x, std::uint32_t y) {
        return std::lexicographical_compare(Texts[x].begin(), Texts[x].end(), Texts[y].begin(), Texts[y].end(),
                                            [](char l, char r) {
                                                return static_cast<unsigned char>(l) < static_cast<unsigned char>(r);
                                            });
    };
    std::vector<TSortKey> keys;
    keys.reserve(rows.size());
    for (int row : rows) {
        const TPacked* p = At(row, column);
        if (p && p->kind == TCell::Kind::kText) {
            if (rank.empty()) {
                std::vector<std::uint32_t> order(Texts.size());
                for (std::uint32_t i = 0; i < order.size(); ++i) order[i] = i;
                std::sort(order.begin(), order.end(), byText);
                rank.resize(Texts.size());
                for (std::uint32_t i = 0; i < order.size(); ++i) rank[order[i]] = i;
            }
            keys.push_back({1, static_cast<double>(rank[p->text]), row});
        } else {
            keys.push_back({0, p ? SortNumber(*p) : -std::numeric_limits<double>::infinity(), row});
        }
    }
    return keys;
}

TRecordProxy::TRecordProxy(TRecordModel* model, QObject* parent) : QAbstractProxyModel(parent), Model(model) {
    setSourceModel(model);
    connect(model, &QAbstractItemModel::modelAboutToBeReset, this, [this] { beginResetModel(); });
    connect(model, &QAbstractItemModel::modelReset, this, [this] {
        Matches.clear();
        Refill();
        endResetModel();
    });
    connect(model, &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex&, int first, int last) { Inserted(first, last); });
    connect(model, &QAbstractItemModel::headerDataChanged, this,
            [this](Qt::Orientation orientation, int first, int last) {
                if (orientation == Qt::Horizontal) emit headerDataChanged(orientation, first, last);
            });
    // The records only grow or start again; anything else is taken afresh.
    for (auto signal : {&QAbstractItemModel::rowsAboutToBeRemoved, &QAbstractItemModel::columnsAboutToBeInserted,
                        &QAbstractItemModel::columnsAboutToBeRemoved})
        connect(model, signal, this, [this] { beginResetModel(); });
    for (auto signal :
         {&QAbstractItemModel::rowsRemoved, &QAbstractItemModel::columnsInserted, &QAbstractItemModel::columnsRemoved})
        connect(model, signal, this, [this] {
            Refill();
            endResetModel();
        });
    connect(model, &QAbstractItemModel::layoutChanged, this, [this] { MoveRows([this] { Refill(); }); });
    connect(model, &QAbstractItemModel::dataChanged, this, [this] {
        if (rowCount() > 0) emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
    });
    Refill();
}

bool TRecordProxy::Accepts(int sourceRow) const {
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

bool TRecordProxy::Before(int left, int right) const {
    // Equal values keep the records' order, either way round.
    if (Column >= 0) {
        if (Model->Less(Column, left, right)) return Order == Qt::AscendingOrder;
        if (Model->Less(Column, right, left)) return Order == Qt::DescendingOrder;
    }
    return left < right;
}

void TRecordProxy::SortAll(std::vector<int>& rows) const {
    if (Column < 0 || Column >= Model->columnCount()) {
        std::sort(rows.begin(), rows.end());
        return;
    }
    std::vector<TRecordModel::TSortKey> keys = Model->SortKeys(Column, rows);
    const bool up = Order == Qt::AscendingOrder;
    std::sort(keys.begin(), keys.end(), [up](const TRecordModel::TSortKey& a, const TRecordModel::TSortKey& b) {
        if (a.group != b.group) return up == (a.group < b.group);
        if (a.value != b.value) return up == (a.value < b.value);
        return a.row < b.row;
    });
    for (std::size_t i = 0; i < keys.size(); ++i) rows[i] = keys[i].row;
}

void TRecordProxy::Refill() {
    Rows.clear();
    const int n = Model->rowCount();
    Rows.reserve(static_cast<std::size_t>(n));
    for (int r = 0; r < n; ++r)
        if (Accepts(r)) Rows.push_back(r);
    SortAll(Rows);
    ShownStale = true;
}

void TRecordProxy::MoveRows(const std::function<void()>& change) {
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    std::vector<std::pair<int, int>> held;  // record, column
    held.reserve(static_cast<std::size_t>(before.size()));
    for (const QModelIndex& i : before) {
        const bool inside = i.row() >= 0 && static_cast<std::size_t>(i.row()) < Rows.size();
        held.emplace_back(inside ? Rows[static_cast<std::size_t>(i.row())] : -1, i.column());
    }
    change();
    QModelIndexList after;
    after.reserve(before.size());
    for (const auto& [record, column] : held) {
        const QModelIndex source = record < 0 ? QModelIndex() : Model->index(record, column);
        after.push_back(mapFromSource(source));
    }
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void TRecordProxy::Inserted(int first, int last) {
    // Rows come at the end of the records; elsewhere the shown rows start again.
    if (last + 1 != Model->rowCount()) {
        MoveRows([this] { Refill(); });
        return;
    }
    std::vector<int> added;
    for (int r = first; r <= last; ++r)
        if (Accepts(r)) added.push_back(r);
    if (added.empty()) return;
    SortAll(added);
    const std::size_t old = Rows.size();
    const bool atEnd = old == 0 || Before(Rows.back(), added.front());
    // First as rows at the end, so the view hears of the new count...
    beginInsertRows({}, static_cast<int>(old), static_cast<int>(old + added.size()) - 1);
    Rows.insert(Rows.end(), added.begin(), added.end());
    if (!ShownStale) {
        ShownOf.resize(static_cast<std::size_t>(Model->rowCount()), -1);
        for (std::size_t i = old; i < Rows.size(); ++i) ShownOf[static_cast<std::size_t>(Rows[i])] = static_cast<int>(i);
    }
    endInsertRows();
    if (atEnd) return;
    // ...then each in its place, in one pass from the back: the old rows move
    // up by the number of new ones before them.
    MoveRows([this, old, &added] {
        auto end = Rows.begin() + static_cast<std::ptrdiff_t>(old);
        for (std::size_t k = added.size(); k-- > 0;) {
            const int row = added[k];
            const auto at = std::upper_bound(Rows.begin(), end, row, [this](int a, int b) { return Before(a, b); });
            std::move_backward(at, end, end + static_cast<std::ptrdiff_t>(k + 1));
            *(at + static_cast<std::ptrdiff_t>(k)) = row;
            end = at;
        }
        ShownStale = true;
    });
}

void TRecordProxy::SetNameFilter(const QString& text) {
    const QString folded = text.trimmed().toCaseFolded();
    if (folded == Needle) return;
    beginResetModel();
    Needle = folded;
    Matches.clear();
    Refill();
    endResetModel();
}

void TRecordProxy::sort(int column, Qt::SortOrder order) {
    if (column >= Model->columnCount()) column = -1;
    if (column == Column && (column < 0 || order == Order)) return;
    MoveRows([this, column, order] {
        Column = column;
        Order = order;
        SortAll(Rows);
        ShownStale = true;
    });
}

QModelIndex TRecordProxy::index(int row, int column, const QModelIndex& parent) const {
    if (parent.isValid() || row < 0 || column < 0 || row >= rowCount() || column >= columnCount()) return {};
    return createIndex(row, column);
}

QModelIndex TRecordProxy::sibling(int row, int column, const QModelIndex&) const { return index(row, column); }

bool TRecordProxy::hasChildren(const QModelIndex& parent) const { return !parent.isValid() && !Rows.empty(); }

int TRecordProxy::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(Rows.size());
}

int TRecordProxy::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : Model->columnCount();
}

QModelIndex TRecordProxy::mapToSource(const QModelIndex& proxyIndex) const {
    if (!proxyIndex.isValid() || proxyIndex.model() != this || static_cast<std::size_t>(proxyIndex.row()) >= Rows.size())
        return {};
    return Model->index(Rows[static_cast<std::size_t>(proxyIndex.row())], proxyIndex.column());
}

QModelIndex TRecordProxy::mapFromSource(const QModelIndex& sourceIndex) const {
    if (!sourceIndex.isValid() || sourceIndex.model() != Model) return {};
    if (ShownStale) {
        ShownOf.assign(static_cast<std::size_t>(Model->rowCount()), -1);
        for (std::size_t i = 0; i < Rows.size(); ++i) ShownOf[static_cast<std::size_t>(Rows[i])] = static_cast<int>(i);
        ShownStale = false;
    }
    const auto record = static_cast<std::size_t>(sourceIndex.row());
    if (record >= ShownOf.size() || ShownOf[record] < 0) return {};
    return createIndex(ShownOf[record], sourceIndex.column());
}

QVariant TRecordProxy::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal) return Model->headerData(section, orientation, role);
    // Rows are numbered as shown.
    return role == Qt::DisplayRole ? QVariant(section + 1) : QVariant();
}

TResultPanel::TResultPanel(QWidget* parent, QWidget* report) : QTabWidget(parent) {
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
    addTab(report, "Report");

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
    ++TableNumber;
    Model->SetTable(std::move(table), displayOffset);
    View->resizeColumnsToContents();
    Sized = true;
}

void TResultPanel::BeginRecords(TRecordTable header, double displayOffset) {
    ++TableNumber;
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

void TResultPanel::AppendRecords(TPackedRows rows) {
    Model->Append(std::move(rows));
    if (!Sized && Proxy->rowCount() > 0) {
        View->resizeColumnsToContents();
        Sized = true;
    }
}

void TResultPanel::Clear() {
    ++TableNumber;
    Model->SetTable({}, 0.0);
    Sized = false;
    View->sortByColumn(-1, Qt::AscendingOrder);
}

TRecordStream::TRecordStream(TResultPanel* panel, TPost post, int intervalMs)
    : Panel(panel),
      Post(std::move(post)),
      Interval(intervalMs),
      Table(panel->tableNumber()),
      Packer(static_cast<std::size_t>(panel->model()->columnCount())) {}

void TRecordStream::Add(std::vector<std::vector<TCell>> rows) {
    if (rows.empty()) return;
    TPackedRows packed;
    Packer.Pack(rows, packed);
    Queue(std::move(packed));
}

void TRecordStream::Add(const std::function<void(TCellWriter&)>& write) {
    TPackedRows packed;
    Packer.Pack(write, packed);
    if (packed.rows > 0) Queue(std::move(packed));
}

void TRecordStream::Queue(TPackedRows packed) {
    bool post = false;
    {
        std::lock_guard<std::mutex> lock(Shared->mutex);
        Shared->added += packed.rows;
        Shared->pending.push_back(std::move(packed));
        post = !std::exchange(Shared->posted, true);
    }
    if (!post) return;
    Post([shared = Shared, panel = Panel, table = Table, interval = Interval] {
        if (shared->waiting) return;
        const auto wait =
            std::chrono::ceil<std::chrono::milliseconds>(shared->last + interval - std::chrono::steady_clock::now());
        if (wait.count() <= 0) {
            Take(shared, panel, table);
            return;
        }
        // The panel's: gone with it.
        shared->waiting = true;
        QTimer::singleShot(wait, panel, [shared, panel, table] { Take(shared, panel, table); });
    });
}

void TRecordStream::Flush() { Take(Shared, Panel, Table); }

void TRecordStream::Take(const std::shared_ptr<TShared>& shared, TResultPanel* panel, std::uint64_t table) {
    std::vector<TPackedRows> batches;
    {
        std::lock_guard<std::mutex> lock(shared->mutex);
        batches.swap(shared->pending);
        shared->posted = false;
    }
    shared->waiting = false;
    if (batches.empty() || panel->tableNumber() != table) return;
    shared->last = std::chrono::steady_clock::now();
    // One insertion for all: they follow on from each other, texts too.
    TPackedRows all = std::move(batches.front());
    std::size_t cells = 0;
    for (const TPackedRows& b : batches) cells += b.cells.size();
    all.cells.reserve(cells);
    for (std::size_t k = 1; k < batches.size(); ++k) {
        TPackedRows& next = batches[k];
        all.cells.insert(all.cells.end(), next.cells.begin(), next.cells.end());
        all.texts.insert(all.texts.end(), std::make_move_iterator(next.texts.begin()),
                         std::make_move_iterator(next.texts.end()));
        all.rows += next.rows;
        std::vector<TPackedCell>().swap(next.cells);
    }
    panel->AppendRecords(std::move(all));
}

std::size_t TRecordStream::added() const {
    std::lock_guard<std::mutex> lock(Shared->mutex);
    return Shared->added;
}

TStatus WriteRecordsCsv(const std::string& path, const TRecordTable& table) {
    return WriteFileAtomic(path, RecordsCsv(table));
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
        if (const TStatus saved = WriteRecordsCsv(path, table); !saved) {
            ShowMessageBox(parent, "The records were not saved: " + NotWrittenText(path, saved.message));
            return;
        }
        if (bar)
            bar->showMessage(QString("%1 records saved to %2").arg(table.rows.size()).arg(chosen));
    });
    dialog->open();
}
