#include "frSatSelector.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QListView>
#include <QPointer>
#include <QPushButton>
#include <QTreeView>

#include "frCommon.h"
#include "frPickFile.h"
#include "frSatListModel.h"
#include "uCatNumber.h"
#include "uElementGroups.h"
#include "uMagFile.h"
#include "ui_frSatSelector.h"

namespace {

constexpr int kWorkerSelectorFile = 20;
constexpr int kListWidth = 230;     // the list side alone
constexpr int kWideWidth = 760;     // with an element file open

// The row of a record: the number as the list shows numbers, the name trimmed.
TSatListModel::TRow TickRow(const TSatRec& sat) {
    return {std::string(TrimText(sat.name.view())), CatalogueNumberText(TrimText(sat.catNo.view()))};
}

}  // namespace

// The rows of the file list: entries of the file, their texts read from it
// when drawn, so a page of a thousand costs nothing to show.
class TSelectorRows : public QAbstractTableModel {
public:
    using QAbstractTableModel::QAbstractTableModel;

    void Reset(std::shared_ptr<const TSelectorFile> file, std::vector<uint32_t> rows) {
        beginResetModel();
        File = std::move(file);
        Rows = std::move(rows);
        endResetModel();
    }
    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() || !File ? 0 : static_cast<int>(Rows.size());
    }
    int columnCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : kSelectorColumns; }
    QVariant data(const QModelIndex& index, int role) const override {
        if (!File || !index.isValid() || static_cast<std::size_t>(index.row()) >= Rows.size()) return {};
        const auto column = static_cast<TSelectorColumn>(index.column());
        if (role == Qt::DisplayRole) return WidgetText(File->text(Rows[static_cast<std::size_t>(index.row())], column));
        if (role == Qt::TextAlignmentRole && (column == TSelectorColumn::Number || column == TSelectorColumn::Inclination))
            return QVariant(Qt::AlignRight | Qt::AlignVCenter);
        return {};
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
        static const char* const titles[kSelectorColumns] = {"Number", "Name", "Epoch (UTC)", "Incl. (deg)"};
        return section >= 0 && section < kSelectorColumns ? QString(titles[section]) : QVariant();
    }

private:
    std::shared_ptr<const TSelectorFile> File;
    std::vector<uint32_t> Rows;
};

TfrSatSelectorWnd::TfrSatSelectorWnd(std::vector<TSatRec> list, const std::string& dataFolder,
                                     const std::string& elementFolder, QWidget* parent)
    : QDialog(parent), ElementFolder(elementFolder), Form(std::make_unique<Ui::TfrSatSelectorWnd>()) {
    // A row an object: several sets of one (a supplemental file) share it.
    for (const std::vector<std::size_t>& group : GroupRecordsByObject(list)) {
        Working.push_back(list[group.front()]);
        WorkingOthers.emplace_back();
        for (std::size_t k = 1; k < group.size(); ++k) WorkingOthers.back().push_back(list[group[k]]);
    }
    setWindowIcon(QApplication::windowIcon());
    TMagFile mag;
    LoadMagFile(dataFolder + "Mag.dat", mag);
    MagLines = std::move(mag.lines);
    BuildUi();
    FillSelectedList();
}

TfrSatSelectorWnd::~TfrSatSelectorWnd() = default;

void ChooseSatellites(QWidget* parent, std::vector<TSatRec> list, const std::string& dataFolder,
                      const std::string& elementFolder, std::function<void(std::vector<TSatRec>)> done) {
    auto* selector = new TfrSatSelectorWnd(std::move(list), dataFolder, elementFolder, parent);
    selector->setAttribute(Qt::WA_DeleteOnClose);
    QObject::connect(selector, &QDialog::finished, parent,
                     [selector, done = std::move(done)] { done(selector->list()); });
    selector->open();
}

void TfrSatSelectorWnd::BuildUi() {
    Form->setupUi(this);
    for (auto [b, theme] : {std::pair{Form->bn_delete, "list-remove"}, std::pair{Form->bn_file, "document-open"}})
        if (QIcon::hasThemeIcon(theme)) b->setIcon(QIcon::fromTheme(theme));
    Form->leftWidget->setFixedWidth(kListWidth);
    Ticks = new TSatListModel(this);
    Ticks->SetCheckable(true);
    Form->ckboxSelSat->setModel(Ticks);

    FileRows = new TSelectorRows(this);
    Form->ListBoxSatFile->setModel(FileRows);
    {
        // Sorting is the file's, over all pages: the header only picks the column.
        QHeaderView* header = Form->ListBoxSatFile->header();
        header->setSectionsClickable(true);
        header->setSortIndicatorShown(true);
        header->setStretchLastSection(false);
        const QFontMetrics fm = Form->ListBoxSatFile->fontMetrics();
        const int pad = 2 * fm.horizontalAdvance(' ') + 12;
        header->resizeSection(0, fm.horizontalAdvance("Number") + pad + 8);
        header->resizeSection(1, fm.horizontalAdvance("MMMMMMMMMMMMMMMMM") + pad);
        header->resizeSection(2, fm.horizontalAdvance("0000-00-00 00:00") + pad);
        header->setSectionResizeMode(1, QHeaderView::Stretch);
        header->resizeSection(3, fm.horizontalAdvance("Incl. (deg)") + pad);
    }
    for (QPushButton* b : {Form->bn_previous, Form->bn_next})
        b->setFixedWidth(b->fontMetrics().horizontalAdvance("<<<<") + 16);
    Form->FilePanel->hide();
    resize(kListWidth + 24, 420);

    connect(Form->bn_file, &QPushButton::clicked, this, &TfrSatSelectorWnd::bn_fileClick);
    connect(Form->bn_next, &QPushButton::clicked, this, &TfrSatSelectorWnd::bn_nextClick);
    connect(Form->bn_previous, &QPushButton::clicked, this, &TfrSatSelectorWnd::bn_previousClick);
    connect(Form->bn_reset, &QPushButton::clicked, this, &TfrSatSelectorWnd::bn_resetClick);
    connect(Form->bn_number, &QPushButton::clicked, this, &TfrSatSelectorWnd::bn_numberClick);
    connect(Form->bn_search, &QPushButton::clicked, this, &TfrSatSelectorWnd::bn_searchClick);
    connect(Form->txt_search, &QLineEdit::returnPressed, this, &TfrSatSelectorWnd::bn_searchClick);
    connect(Form->txt_search, &QLineEdit::textEdited, this, &TfrSatSelectorWnd::txt_searchEdited);
    connect(Form->bn_all, &QPushButton::clicked, this, &TfrSatSelectorWnd::bn_allClick);
    connect(Form->bn_none, &QPushButton::clicked, this, &TfrSatSelectorWnd::bn_noneClick);
    connect(Form->bn_delete, &QPushButton::clicked, this, &TfrSatSelectorWnd::bn_deleteClick);
    connect(Form->bn_close, &QPushButton::clicked, this, &QDialog::accept);
    connect(Form->ListBoxSatFile, &QTreeView::doubleClicked, this,
            [this](const QModelIndex& index) { ListBoxSatFileDblClick(index.row()); });
    ShowSortColumn();
    connect(Form->ListBoxSatFile->header(), &QHeaderView::sortIndicatorChanged, this, &TfrSatSelectorWnd::SortChanged);
}

void TfrSatSelectorWnd::ShowSortColumn() {
    QHeaderView* header = Form->ListBoxSatFile->header();
    const QSignalBlocker quiet(header);
    header->setSortIndicator(static_cast<int>(SortColumn), Descending ? Qt::DescendingOrder : Qt::AscendingOrder);
}

// ---- the list side ------------------------------------------------------------

void TfrSatSelectorWnd::FillSelectedList() {
    std::vector<TSatListModel::TRow> rows;
    std::vector<bool> ticks;
    for (const TSatRec& sat : Working) {
        rows.push_back(TickRow(sat));
        ticks.push_back(sat.selected != 0);
    }
    Ticks->Reset(std::move(rows), std::move(ticks));
}

void TfrSatSelectorWnd::bn_allClick() { Ticks->TickAll(true); }
void TfrSatSelectorWnd::bn_noneClick() { Ticks->TickAll(false); }

void TfrSatSelectorWnd::bn_deleteClick() {
    const int row = Form->ckboxSelSat->currentIndex().row();
    if (row < 0 || static_cast<std::size_t>(row) >= Working.size()) return;
    Working.erase(Working.begin() + row);
    WorkingOthers.erase(WorkingOthers.begin() + row);
    Ticks->Remove(row);
}

// The records with the ticks the list shows, each row's for all its sets.
std::vector<TSatRec> TfrSatSelectorWnd::list() const {
    std::vector<TSatRec> all;
    for (std::size_t row = 0; row < Working.size(); ++row) {
        const uint8_t ticked = Ticks->Ticked(static_cast<int>(row)) ? 1 : 0;
        all.push_back(Working[row]);
        all.back().selected = ticked;
        for (TSatRec sat : WorkingOthers[row]) {
            sat.selected = ticked;
            all.push_back(sat);
        }
    }
    return all;
}

// ---- the file side ------------------------------------------------------------

void TfrSatSelectorWnd::bn_fileClick() {
    if (Busy) return;
    QPointer<TfrSatSelectorWnd> self(this);
    PickFile(this, kPickElementFile, ElementFolder, [self](const std::string& path) {
        if (self) self->OpenFile(path);
    });
}

void TfrSatSelectorWnd::OpenFile(const std::string& path) {
    if (Busy) return;
    if (!Form->FilePanel->isVisible()) {
        Form->FilePanel->show();
        resize(kWideWidth, std::max(height(), 460));
        CentreOnScreen(this);
    }
    PageStart = 0;
    Searched = false;
    Form->bn_previous->setEnabled(false);
    Form->bn_next->setEnabled(false);
    Workers.Start(
        kWorkerSelectorFile,
        [this, path]() -> TWorkers::TApply {
            auto file = LoadSelectorFile(path);
            return [this, file] {
                File = file;
                if (!file->problem.empty()) ShowMessageBox(this, file->problem);
                else if (!file->warning.empty()) ShowMessageBox(this, file->warning);
                FillFilePage();
            };
        },
        &Busy);
}

// FillFilePage: the page's labels are made on the worker, the list takes them
// here. Each change of the rows counts; a page that comes back after a later
// change (a search typed meanwhile) is dropped, and a refill asked for while
// a page is being made follows it.
void TfrSatSelectorWnd::FillFilePage() {
    if (!File) return;
    const unsigned generation = ++RowsGeneration;
    if (Busy) {
        RefillPending = true;
        return;
    }
    Searched = false;
    auto file = File;
    const TSelectorColumn column = SortColumn;
    const bool descending = Descending;
    const std::size_t start = PageStart;
    Workers.Start(
        kWorkerSelectorFile,
        [this, file, column, descending, start, generation]() -> TWorkers::TApply {
            auto page = std::make_shared<TSelectorPage>(SelectorPage(*file, column, descending, start));
            return [this, file, page, generation] {
                if (RefillPending) {
                    RefillPending = false;
                    FillFilePage();
                    return;
                }
                if (file != File || generation != RowsGeneration) return;
                ShowRows(page->entries);
                Form->bn_next->setEnabled(page->more);
                if (PageStart == 0) Form->bn_previous->setEnabled(false);
                setWindowTitle(WidgetText(SelectorPageCaption(file->path, *page, file->size())));
            };
        },
        &Busy);
}

void TfrSatSelectorWnd::ShowRows(const std::vector<uint32_t>& entries) {
    RowEntries = entries;
    FileRows->Reset(File, entries);
    Form->ListBoxSatFile->scrollToTop();
}

// A heading was clicked: a search's matches are put in the new order where
// they stand; a page starts again at the top of the newly sorted file.
void TfrSatSelectorWnd::SortChanged(int column, Qt::SortOrder order) {
    if (Busy || column < 0 || column >= kSelectorColumns) {
        ShowSortColumn();
        return;
    }
    SortColumn = static_cast<TSelectorColumn>(column);
    Descending = order == Qt::DescendingOrder;
    if (!File) return;
    if (Searched) {
        std::vector<uint32_t> rows = RowEntries;
        SortSelectorEntries(*File, rows, SortColumn, Descending);
        ShowRows(rows);
        return;
    }
    PageStart = 0;
    Form->bn_previous->setEnabled(false);
    Form->bn_next->setEnabled(false);
    FillFilePage();
}

void TfrSatSelectorWnd::bn_nextClick() {
    if (Busy || !File) return;
    Form->bn_previous->setEnabled(true);
    PageStart += kSelectorPageSize;
    FillFilePage();
}

void TfrSatSelectorWnd::bn_previousClick() {
    if (Busy || !File || PageStart == 0) return;
    Form->bn_next->setEnabled(true);
    PageStart -= kSelectorPageSize;
    FillFilePage();
}

void TfrSatSelectorWnd::bn_resetClick() {
    if (Busy || !File) return;
    PageStart = 0;
    Form->bn_previous->setEnabled(false);
    Form->bn_next->setEnabled(false);
    FillFilePage();
}

// The search's matches stay when the mode changes: only their order does.
void TfrSatSelectorWnd::bn_numberClick() {
    if (Busy) return;
    NumberMode = !NumberMode;
    Form->bn_number->setText(NumberMode ? "Satellite Name" : "Satellite Number");
    SortColumn = NumberMode ? TSelectorColumn::Number : TSelectorColumn::Name;
    Descending = false;
    ShowSortColumn();
    Ticks->SetNumbers(NumberMode);
    if (Searched && File) {
        std::vector<uint32_t> rows = RowEntries;
        SortSelectorEntries(*File, rows, SortColumn, Descending);
        ShowRows(rows);
        return;
    }
    FillFilePage();
}

// The search needs no worker: the file's texts are made once, and a
// keystroke's search is a pass over them.
void TfrSatSelectorWnd::bn_searchClick() {
    if (!File) return;
    ++RowsGeneration;
    RefillPending = false;
    PageStart = 0;
    Form->bn_previous->setEnabled(false);
    Form->bn_next->setEnabled(false);
    const std::string text = UpperText(ProgramText(Form->txt_search->text()));
    Searched = false;
    if (TrimText(text).empty()) {
        ShowRows({});
        return;
    }
    std::vector<uint32_t> found = SearchSelectorFile(*File, NumberMode, text);
    SortSelectorEntries(*File, found, SortColumn, Descending);
    ShowRows(found);
    Searched = true;
    setWindowTitle(WidgetText(SelectorSearchCaption(File->path, found.size())));
}

// The list follows the typing; emptying the box brings the file back.
void TfrSatSelectorWnd::txt_searchEdited(const QString& text) {
    if (!File) return;
    if (!text.trimmed().isEmpty()) {
        bn_searchClick();
        return;
    }
    PageStart = 0;
    Form->bn_previous->setEnabled(false);
    Form->bn_next->setEnabled(false);
    FillFilePage();
}

void TfrSatSelectorWnd::ListBoxSatFileDblClick(int row) {
    if (!File || row < 0 || static_cast<std::size_t>(row) >= RowEntries.size()) return;
    if (Working.size() >= kSelectorMaxList) {
        ShowMessageBox(this, kListFullText);
        return;
    }
    // The row's own entry: a name that is part of a longer one never stands in for it.
    TSatRec sat{};
    if (!SelectorRecord(sat, File->entries[RowEntries[static_cast<std::size_t>(row)]], MagLines)) {
        ShowMessageBox(this, "Unable to Load Satellite - its element set cannot be used");
        return;
    }
    // All the sets of the object: the one nearest the clock lists it.
    std::vector<TSatRec> others;
    for (const TElementEntry& e : File->others(RowEntries[static_cast<std::size_t>(row)])) {
        TSatRec other{};
        if (SelectorRecord(other, e, MagLines)) others.push_back(other);
    }
    Working.push_back(sat);
    WorkingOthers.push_back(std::move(others));
    Ticks->Append(TickRow(sat), true);
}
