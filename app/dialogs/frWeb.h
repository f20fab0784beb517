// The download window: the entries of the download list with their ticks,
// the provider login, the element-file folder, the automatic-download
// settings, and a batch started by hand, with its progress, notes and a
// cancel button.
//
// Use: construct, open() or exec(). While it is open, each finished batch
// hands its updated satellite lists to onBatch (on the UI thread). After it
// closed, take elementFolder(), autoDownload() and settings() back; the
// settings file and the download list have been written by then.
#pragma once
#include <QDialog>

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "uFileIO.h"
#include "uInternet.h"
#include "uVarDef.h"
#include "uWorkers.h"

namespace Ui {
class TfrWebWnd;
}

inline constexpr const char* kDownloadWait = "Download in Progress, Please Wait.";
inline constexpr const char* kLoginMissing = "Login Name or Password Missing to download selected file(s)";
inline constexpr const char* kAutoDownloadNeedsLogin =
    "Username and Password must be entered with \"save login\" selected prior to selection of \"auto-download\".";

// What a batch changed in the satellite lists (copies given to the window).
// iridChanged: iridiumSats holds new elements; IridSat.bin is not written yet.
struct TWebBatchOutcome {
    bool mainChanged = false, iridChanged = false;
    std::vector<TSatRec> mainSats, iridiumSats;
};

struct TWebSetup {
    std::string dataFolder;     // dwnlist.dat, InternetInfo.ini, Mag.dat, IridSat.bin
    std::string elementFolder;  // ends with '/'
    bool autoDownload = false;
    TNetConfig net;
    std::vector<TSatRec> mainSats, iridiumSats;
    std::function<void(const TWebBatchOutcome&)> onBatch;
};

class TfrWebWnd : public QDialog {
    Q_OBJECT
public:
    explicit TfrWebWnd(TWebSetup setup, QWidget* parent = nullptr);
    ~TfrWebWnd() override;

    const std::string& elementFolder() const { return Setup.elementFolder; }
    bool autoDownload() const { return Setup.autoDownload; }
    const TDownloadSettings& settings() const { return Settings; }
    bool running() const { return DownloadRunning; }
    void done(int result) override;

private:
    void BuildUi();
    void FillFromSettings();
    std::vector<std::string> RebuildLines() const;
    int CheckLogin();
    // The settings as closing keeps them: the login only when it is to be saved.
    TDownloadSettings SettingsToKeep() const;
    void bn_downloadClick();
    void bn_setFolderClick();
    void ckb_autodownloadClick(bool on);
    void cb_saveloginClick(bool on);
    void WindowDownload(std::vector<std::string> lines);
    void EndBatch();
    void ShowLastTime();

    TWebSetup Setup;
    TDownloadSettings Settings;
    TReadGuard SettingsGuard;        // an unreadable InternetInfo.ini is kept until something is changed
    std::vector<std::string> Lines;  // dwnlist.dat
    bool ListLoaded = false;         // the file was read (an unreadable one is never overwritten)
    bool DownloadRunning = false;
    bool Closed = false;
    std::shared_ptr<std::atomic<bool>> Stop = std::make_shared<std::atomic<bool>>(false);

    std::unique_ptr<Ui::TfrWebWnd> Form;  // the widgets of frWeb.ui
    TWorkers Workers;  // last: its jobs end before the rest goes
};
