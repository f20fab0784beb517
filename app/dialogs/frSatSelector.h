// The satellite selector: the working copy of the user's satellite list
// with a tick per satellite (tracked or not) on the left; on the right, an
// element file page by page in columns (number, name, epoch, inclination),
// each a sort order of the whole file, with a search. A double-click on the
// right adds that satellite to the list.
//
// Use: construct on a copy of the list, open() or exec(), and take list()
// back (the ticks in the records' selected flags). The tick list is a view
// over a checkable list model. Reading, sorting and paging the file run on
// a worker.
#pragma once
#include <QDialog>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "uSelectorList.h"
#include "uVarDef.h"
#include "uWorkers.h"

class TSatListModel;
class TSelectorRows;
namespace Ui {
class TfrSatSelectorWnd;
}

inline constexpr const char* kListFullText = "Unable to Load Satellite - List is Full: at most 15; remove one first";

class TfrSatSelectorWnd : public QDialog {
    Q_OBJECT
public:
    // Mag.dat is read from dataFolder; the file dialog starts in elementFolder.
    TfrSatSelectorWnd(std::vector<TSatRec> list, const std::string& dataFolder, const std::string& elementFolder,
                      QWidget* parent = nullptr);
    ~TfrSatSelectorWnd() override;

    // The list: each row's set followed by the other sets of its object, all
    // with the row's tick.
    std::vector<TSatRec> list() const;
    // The page worker runs.
    bool busy() const { return Busy; }
    // Opens an element file as the file button does once its dialog is answered.
    void OpenFile(const std::string& path);

private:
    void BuildUi();
    void FillSelectedList();
    void FillFilePage();
    void ShowRows(const std::vector<uint32_t>& entries);
    void SortChanged(int column, Qt::SortOrder order);
    void ShowSortColumn();
    void bn_fileClick();
    void bn_nextClick();
    void bn_previousClick();
    void bn_resetClick();
    void bn_numberClick();
    void bn_searchClick();
    void txt_searchEdited(const QString& text);
    void bn_allClick();
    void bn_noneClick();
    void bn_deleteClick();
    void ListBoxSatFileDblClick(int row);

    TSelectorRows* FileRows = nullptr;
    TSatListModel* Ticks = nullptr;  // a row and a tick per entry of Working

    std::vector<TSatRec> Working;                   // one set a row
    std::vector<std::vector<TSatRec>> WorkingOthers;  // the other sets of each row's object
    std::string ElementFolder;
    std::vector<std::string> MagLines;
    std::shared_ptr<const TSelectorFile> File;
    std::vector<uint32_t> RowEntries;  // the file entry of each row of ListBoxSatFile
    std::size_t PageStart = 0;
    bool NumberMode = false;
    TSelectorColumn SortColumn = TSelectorColumn::Name;
    bool Descending = false;
    bool Searched = false;  // the rows are a search's matches, not a page
    bool Busy = false;
    unsigned RowsGeneration = 0;  // counts changes of the file list's rows
    bool RefillPending = false;   // a page was asked for while another was being made

    std::unique_ptr<Ui::TfrSatSelectorWnd> Form;  // the widgets of frSatSelector.ui
    TWorkers Workers;  // last: its jobs end before the rest goes
};

// Opens the selector window-modal on list; when it closes, by any means,
// done gets the edited list (the ticks in its selected flags). Returns at once.
void ChooseSatellites(QWidget* parent, std::vector<TSatRec> list, const std::string& dataFolder,
                      const std::string& elementFolder, std::function<void(std::vector<TSatRec>)> done);
