// Search results as a table a user can sort by any column, beside the
// report text that stays for printing and saving; and the records saved as
// CSV, the same bytes orbisk-predict --format csv writes.
#pragma once
#include <QAbstractTableModel>
#include <QAbstractProxyModel>
#include <QTabWidget>

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "uRecordOutput.h"
#include "uStatus.h"

class QLineEdit;
class QStatusBar;
class QTableView;

// The value a column sorts by: numbers and times as numbers, texts as text,
// an empty cell below every value.
inline constexpr int kRecordSortRole = Qt::UserRole + 1;

// One value as the table keeps it: 16 bytes, a text by its number.
struct TPackedCell {
    union {
        double number;  // kNumber, kTime
        long long integer;  // kInteger
        std::uint32_t text;  // kText: a text's number
    };
    TCell::Kind kind;
    std::uint8_t decimals;
    bool flag;
};
static_assert(sizeof(TPackedCell) <= 16);

// Rows packed where they are found, so the window only appends them. The
// texts are numbered by the packer that made them; these are the ones it
// met first here, numbered on from firstText.
struct TPackedRows {
    std::vector<TPackedCell> cells;  // row after row
    std::vector<std::string> texts;
    std::uint32_t firstText = 0;
    std::uint64_t packer = 0;
    std::size_t rows = 0;
};

// Packs rows of a table of columns fields for one model, on any thread, one
// call at a time.
class TRecordPacker {
public:
    explicit TRecordPacker(std::size_t columns);
    // Appends rows (each then as wide as the table) to into.
    void Pack(std::vector<std::vector<TCell>>& rows, TPackedRows& into);
    // The same with the rows write gives a writer, cell by cell.
    void Pack(const std::function<void(TCellWriter&)>& write, TPackedRows& into);

private:
    // Texts are looked up by a view of the writer's.
    struct TTextHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
    };
    void Start(TPackedRows& into) const;
    std::uint32_t Number(std::string_view text, TPackedRows& into);
    std::size_t Columns;
    std::uint64_t Id;
    std::unordered_map<std::string, std::uint32_t, TTextHash, std::equal_to<>> Numbers;
};

// The records of a search as a table model. Rows may be appended while a
// search runs. Each value is kept packed in 16 bytes and every text once,
// so a whole catalogue's passes stay small; the texts shown are made when
// the view asks for them.
class TRecordModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;
    // displayOffset: days added to every time shown (the window's local mode).
    void SetTable(TRecordTable table, double displayOffset);
    // An empty table with the columns (and JSON names) of header, for rows
    // to be appended; header's rows are taken too.
    void Begin(TRecordTable header, double displayOffset);
    // Appends rows (one value per column) at the end in one insertion.
    void Append(std::vector<std::vector<TCell>> rows);
    // The same with rows a packer made. The rows of a packer whose earlier
    // rows went to a table since cleared are left out.
    void Append(TPackedRows rows);
    // The records as they were given, in their order.
    TRecordTable table() const;
    bool hasColumns() const { return !Columns.empty(); }
    std::size_t records() const { return Columns.empty() ? 0 : Cells.size() / Columns.size(); }
    // The column of a field name ("max_elevation_deg"), -1 when absent.
    int ColumnOf(const std::string& field) const;
    // For the proxy: the sort order of two rows by a column (empty cells
    // first), and the text of a cell (empty for other kinds).
    bool Less(int column, int left, int right) const;
    std::uint32_t TextIndex(int row, int column) const;
    const std::string& TextAt(std::uint32_t index) const { return Texts[index]; }
    // A key per row of rows that orders them as Less does by column (ties
    // apart), for sorting many rows without comparing texts again and again.
    struct TSortKey {
        int group;  // 0 number or empty, 1 text
        double value;  // the number, or the text's rank
        int row;
    };
    std::vector<TSortKey> SortKeys(int column, const std::vector<int>& rows) const;
    std::size_t texts() const { return Texts.size(); }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    using TPacked = TPackedCell;
    TPacked Pack(TCell cell);
    TCell Unpack(const TPacked& p) const;
    const TPacked* At(int row, int column) const;
    double SortNumber(const TPacked& p) const;
    void Clear();

    std::string ArrayName;
    std::vector<std::string> Columns;
    std::vector<std::pair<std::string, TCell>> About;
    std::deque<TPacked> Cells;  // row after row; in blocks, so growing never copies what is there
    std::vector<std::string> Texts;
    std::unordered_map<std::string, std::uint32_t> TextIndexOf;
    std::vector<TCell::Kind> FirstKinds;  // of the first row: a column of times says so
    double Offset = 0.0;
    std::uint64_t Packer = 0;  // whose packed rows came last
    std::vector<std::uint32_t> FromPacker;  // that packer's text numbers -> Texts
};

// Sorts the records by a column on their values and keeps the rows whose
// satellite name holds the filter text (any case). Rows that come while the
// table is sorted are sorted among themselves and merged in one pass: one
// insertion and one layout change per batch, however many places they take.
class TRecordProxy : public QAbstractProxyModel {
    Q_OBJECT
public:
    explicit TRecordProxy(TRecordModel* model, QObject* parent = nullptr);
    void SetNameFilter(const QString& text);
    const QString& nameFilter() const { return Needle; }
    // -1: the records' own order.
    int sortColumn() const { return Column; }
    Qt::SortOrder sortOrder() const { return Order; }
    // The record behind each row shown, top to bottom.
    const std::vector<int>& sourceRows() const { return Rows; }

    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;
    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex&) const override { return {}; }
    QModelIndex sibling(int row, int column, const QModelIndex& index) const override;
    bool hasChildren(const QModelIndex& parent = {}) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QModelIndex mapToSource(const QModelIndex& proxyIndex) const override;
    QModelIndex mapFromSource(const QModelIndex& sourceIndex) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    bool Accepts(int sourceRow) const;
    bool Before(int left, int right) const;  // in the shown order
    void SortAll(std::vector<int>& rows) const;
    void Refill();  // every record again, filtered and sorted
    void Inserted(int first, int last);
    void MoveRows(const std::function<void()>& change);

    TRecordModel* Model;
    QString Needle;  // folded
    int Column = -1;
    Qt::SortOrder Order = Qt::AscendingOrder;
    std::vector<int> Rows;  // shown row -> record
    mutable std::vector<int> ShownOf;  // record -> shown row or -1, made when asked
    mutable bool ShownStale = true;
    mutable std::vector<std::int8_t> Matches;  // per text of the model: -1 not asked yet
};

// "Max elevation (°)" for "max_elevation_deg".
QString ColumnTitle(const std::string& field);

// The results of a search window: a "Table" tab (a "Filter:" line over the
// records) and a "Report" tab holding the window's report memo.
class TResultPanel : public QTabWidget {
    Q_OBJECT
public:
    TResultPanel(QWidget* parent, QWidget* report);
    void ShowRecords(TRecordTable table, double displayOffset);
    // Rows that come while a search runs: Begin with the columns, then Append.
    void BeginRecords(TRecordTable header, double displayOffset);
    void AppendRecords(std::vector<std::vector<TCell>> rows);
    void AppendRecords(TPackedRows rows);
    void Clear();
    TRecordTable records() const { return Model->table(); }
    bool hasRecords() const { return Model->hasColumns(); }

    QTableView* view() const { return View; }
    TRecordModel* model() const { return Model; }
    TRecordProxy* proxy() const { return Proxy; }
    QLineEdit* filter() const { return Filter; }
    // Changes each time the panel starts another table.
    std::uint64_t tableNumber() const { return TableNumber; }

private:
    QTableView* View = nullptr;
    TRecordModel* Model = nullptr;
    TRecordProxy* Proxy = nullptr;
    QLineEdit* Filter = nullptr;
    bool Sized = false;  // the columns were fitted to the first rows
    std::uint64_t TableNumber = 0;
};

// Rows found on worker threads on their way to a result panel: Add may be
// called from any thread (one call at a time); the rows reach the panel in
// the order given, on the UI thread through post. They are packed in Add,
// so the hand-over's lock guards only a swap. At most one hand-over waits
// at a time and it takes every row added meanwhile; after one, the next
// waits out interval: each insertion makes the view lay out and paint
// again, which per turn of the event loop would cost the window more than
// the rows themselves. Flush (UI thread) takes what is left at once, as
// the search's last step does. Made on the UI thread once the panel has
// its columns; rows still on their way when the panel starts another
// table are dropped.
class TRecordStream {
public:
    using TPost = std::function<void(std::function<void()> step)>;
    static constexpr int kIntervalMs = 100;
    TRecordStream(TResultPanel* panel, TPost post, int intervalMs = kIntervalMs);
    void Add(std::vector<std::vector<TCell>> rows);
    // Rows made straight from a search's records by write.
    void Add(const std::function<void(TCellWriter&)>& write);
    void Flush();
    std::size_t added() const;

private:
    struct TShared {
        mutable std::mutex mutex;
        std::vector<TPackedRows> pending;  // under mutex, in the order added
        bool posted = false;
        std::size_t added = 0;
        // UI thread only.
        std::chrono::steady_clock::time_point last{};  // of the last insertion
        bool waiting = false;                           // a timer will take the rows
    };
    static void Take(const std::shared_ptr<TShared>& shared, TResultPanel* panel, std::uint64_t table);
    void Queue(TPackedRows packed);
    std::shared_ptr<TShared> Shared = std::make_shared<TShared>();
    TResultPanel* Panel;
    TPost Post;
    std::chrono::milliseconds Interval;
    std::uint64_t Table;  // the panel's table the rows are for
    TRecordPacker Packer;  // Add's only
};

// Writes the records as CSV, replacing path atomically (WriteFileAtomic's
// status; on failure the old file stays).
TStatus WriteRecordsCsv(const std::string& path, const TRecordTable& table);

// "Save CSV...": asks for a file (dialog "SaveCsvDialog") and writes the
// records there; the outcome is told in bar, a failure in a message box.
void SaveRecordsCsv(QWidget* parent, const TRecordTable& table, const std::string& folder, QStatusBar* bar);
