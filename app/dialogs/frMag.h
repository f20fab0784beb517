// The magnitude data editor: the entries of Mag.dat (catalogue number,
// common name, standard magnitude and where it came from), a search, New / Edit / Save / Cancel /
// Delete, and Update, which merges the downloaded names archive.
//
// Use: construct, open() or exec(); the file is written when the window
// closes (when anything changed), and lines() then holds the entries for
// copying the magnitudes into the satellite list.
#pragma once
#include <QDialog>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "uInternet.h"
#include "uWorkers.h"

namespace Ui {
class TfrMagWnd;
}

inline constexpr const char* kMagCloseRefused = "You must \"Save or Cancel\" prior to Close";

struct TMagWndSetup {
    std::string dataFolder;     // Mag.dat
    std::string elementFolder;  // where the names archive is unpacked
    bool metric = true;
    double distanceFactor = 1.0;
    std::string firstSatNumber;  // the main window's first satellite, shown first
    TNetConfig net;
};

class TfrMagWnd : public QDialog {
    Q_OBJECT
public:
    explicit TfrMagWnd(TMagWndSetup setup, QWidget* parent = nullptr);
    ~TfrMagWnd() override;

    const std::vector<std::string>& lines() const { return Lines; }
    bool updating() const { return Updating; }
    void done(int result) override;

private:
    enum TMode { kRest, kNew, kEdit };
    void BuildUi();
    void ShowList(int select);
    void ShowEntry(int index);
    void SetMode(TMode mode);
    void ResetRange();
    void bn_saveClick();
    void bn_deleteClick();
    void bn_searchClick();
    void bn_updateClick();
    void RunUpdate();

    TMagWndSetup Setup;
    std::string Path;
    std::string Url;
    std::vector<std::string> Lines;
    bool Changed = false;   // the file must be written at closing
    bool Readable = true;   // false: the file exists but could not be read; never overwritten
    TMode Mode = kRest;
    bool Updating = false;
    bool Closed = false;
    std::shared_ptr<std::atomic<bool>> Stop = std::make_shared<std::atomic<bool>>(false);

    std::unique_ptr<Ui::TfrMagWnd> Form;  // the widgets of frMag.ui
    TWorkers Workers;  // last: its jobs end before the rest goes
};
