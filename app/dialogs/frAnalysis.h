// The analysis window: a whole element file searched at one moment for
// what is in a part of the sky, what will have decayed, and what transits a
// target within a short span.
#pragma once
#include <QMainWindow>

#include <memory>
#include <string>
#include <vector>

#include "frSearchTools.h"
#include "uAnalysis.h"
#include "uSearch.h"
#include "uSession.h"
#include "uSessionStore.h"

class QAction;
class QCheckBox;
class QComboBox;
class QDateEdit;
class QDateTimeEdit;
class QPlainTextEdit;
class QSpinBox;
class QToolBar;
class TClickLabel;
class TResultPanel;
namespace Ui {
class TfrAnalysisClient;
}

inline constexpr const char* kNoElementsFound = "Failed to find Satellite elements in selected file";

class TfrAnalysisWnd : public QMainWindow {
    Q_OBJECT
public:
    // store: the main window's, which outlives this window; read when a search starts.
    explicit TfrAnalysisWnd(const TSessionStore& store, QWidget* parent = nullptr);
    ~TfrAnalysisWnd() override;

    void SetLocationCommand(QAction* command);
    // The observer's horizon mask for the searches started from now on (null: none).
    void SetHorizon(THorizonHandle mask) { Horizon = std::move(mask); }
    // Loads an element file as the window's list (worker 60), as choosing it
    // in the file dialog does.
    void LoadElementFile(const std::string& path);

    bool busy() const { return Runner->Busy(); }
    const TReportLines& report() const { return Report; }
    std::size_t elementCount() const { return Entries ? Entries->size() : 0; }

private:
    void FormCreate();
    void BuildControls();
    void BuildCommands();
    TAnalysisInputs ReadInputs() const;
    // The requests of the three searches, from the controls as they stand.
    TSearchRequest VisibleRequest() const;
    TSearchRequest DecayedRequest() const;
    TSearchRequest TransitRequest() const;
    void StartSearch(const TSearchRequest& request);
    void ShowResult(const TReportLines& lines, const TSearchStatus& status);
    void menu_satselectorClick();
    void menu_utcClick();
    void nm_minrevsChange();
    void nm_maxrevsChange();
    void cb_objectChange();

    const TSession& Session;
    THorizonHandle Horizon;
    std::shared_ptr<const std::vector<TElementEntry>> Entries;
    std::string FileName;
    std::shared_ptr<const TMagList> Mags;
    TReportLines Report;
    bool UtcMode = true;
    TTargetChoice Targets;
    std::unique_ptr<Ui::TfrAnalysisClient> Form;  // the controls of frAnalysis.ui

public:
    QDateEdit* dt_an_date = nullptr;
    QDateTimeEdit* dt_an_hour = nullptr;
    TClickLabel* stxt_time = nullptr;
    QSpinBox *nm_minrevs = nullptr, *nm_maxrevs = nullptr, *nm_minaz = nullptr, *nm_maxaz = nullptr,
             *nm_minalt = nullptr, *nm_maxAlt = nullptr, *nm_Obj = nullptr, *nm_st_hr = nullptr,
             *nm_st_min = nullptr, *nm_sep = nullptr;
    QComboBox* cb_object = nullptr;
    QCheckBox* ckb_daynight = nullptr;
    QPlainTextEdit* AnalysisMemo = nullptr;
    TResultPanel* Results = nullptr;
    QAction *menu_satselector = nullptr, *menu_loc = nullptr, *menu_close = nullptr, *menu_utc = nullptr,
            *menu_visible = nullptr, *menu_transit = nullptr, *menu_decay = nullptr, *menu_print = nullptr,
            *menu_save = nullptr, *menu_savecsv = nullptr;
    QToolBar* AnalysisToolbar = nullptr;
    TSearchProgress* Progress = nullptr;

private:
    std::unique_ptr<TSearchRunner> Runner;  // last: destroyed first
};
