#include "frWeb.h"

#include <QApplication>
#include <QCheckBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>

#include <algorithm>

#include "frCommon.h"
#include "uDataFiles.h"
#include "uFileIO.h"
#include "uFormat.h"
#include "uInitialize.h"
#include "uLoadSave.h"
#include "uUpdate.h"
#include "ui_frWeb.h"

namespace {

constexpr int kWorkerWindowDownload = 3;
constexpr const char* kCaption = "Space Track Download";
constexpr const char* kListFile = "dwnlist.dat";
constexpr std::size_t kMaxFolderLength = 255;

// What the batch worker takes: copies only.
struct TBatchJob {
    std::vector<std::string> lines;
    std::string dataFolder, elementFolder;
    TDownloadSettings settings;
    TNetConfig net;
    double now = 0;
    std::vector<TSatRec> mainSats, iridiumSats;
};

struct TBatchEnd {
    TBatchResult batch;
    bool cancelled = false;
    TWebBatchOutcome outcome;
    std::vector<TNetMessage> messages;
    std::vector<std::string> failures;
    std::vector<std::string> gone;
};

}  // namespace

TfrWebWnd::TfrWebWnd(TWebSetup setup, QWidget* parent)
    : QDialog(parent), Setup(std::move(setup)), Form(std::make_unique<Ui::TfrWebWnd>()) {
    setObjectName("frWeb");
    setWindowTitle(kCaption);
    setWindowIcon(QApplication::windowIcon());
    BuildUi();
    std::vector<std::string> settingsProblems;
    LoadDownloadSettings(Setup.dataFolder, Settings, NowDayNumber(), &settingsProblems);
    ListLoaded = ReadListFile(this, Setup.dataFolder + kListFile, Lines);
    const auto parsed = ParseDownloadList(Lines);
    for (std::size_t i = 0; i < parsed.size(); ++i) {
        const std::string name(TrimText(DataColumns(Lines[i], 5, 38)));
        auto* item = new QListWidgetItem(Form->clb_tle);
        if (name.empty()) {
            item->setText(QString("(line %1: not an entry)").arg(i + 1));
            item->setFlags(Qt::NoItemFlags);
            continue;
        }
        item->setText(WidgetText(name));
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
        item->setCheckState(parsed[i].enabled ? Qt::Checked : Qt::Unchecked);
        if (!parsed[i].usable) item->setToolTip("This line of the list cannot be downloaded as it stands");
    }
    // Filled even from an empty list, so closing never blanks the stored settings.
    FillFromSettings();
    SettingsGuard.Loaded(!IsUnreadableFile(Setup.dataFolder + kDownloadSettingsFile),
                         DownloadSettingsText(SettingsToKeep()));
    for (const std::string& problem : settingsProblems) ShowMessageBox(this, problem);
}

TfrWebWnd::~TfrWebWnd() { Stop->store(true); }

void TfrWebWnd::BuildUi() {
    Form->setupUi(this);
    FlowInColumns(Form->clb_tle, 2);
    Form->txt_lasttime->setMinimumWidth(
        Form->txt_lasttime->fontMetrics().horizontalAdvance("0000-00-00 00:00:00 UTC  ") + 12);
    Form->txt_notes->setMaximumHeight(Form->txt_notes->fontMetrics().lineSpacing() * 6);
    FitToScreen(this);

    connect(Form->bn_download, &QPushButton::clicked, this, &TfrWebWnd::bn_downloadClick);
    connect(Form->bn_cancel, &QPushButton::clicked, this, [this] {
        Stop->store(true);
        Form->bn_cancel->setEnabled(false);
    });
    connect(Form->bn_close, &QPushButton::clicked, this, &QDialog::accept);
    connect(Form->bn_setFolder, &QPushButton::clicked, this, &TfrWebWnd::bn_setFolderClick);
    connect(Form->cb_savelogin, &QCheckBox::toggled, this, &TfrWebWnd::cb_saveloginClick);
    connect(Form->ckb_autodownload, &QCheckBox::clicked, this, &TfrWebWnd::ckb_autodownloadClick);
    connect(Form->ckb_autoupdatemain, &QCheckBox::toggled, this, [this](bool on) { Settings.updateMain = on; });
    connect(Form->ckb_autoupdateirid, &QCheckBox::toggled, this, [this](bool on) { Settings.updateIrid = on; });
    connect(Form->ckb_convert, &QCheckBox::toggled, this, [this](bool on) { Settings.convert = on; });
    connect(Form->nm_dwperiod, &QSpinBox::valueChanged, this, [this](int hours) { Settings.period = hours; });
}

void TfrWebWnd::FillFromSettings() {
    Form->txt_username->setText(WidgetText(Settings.user));
    Form->txt_password->setText(WidgetText(Settings.password));
    ShowLastTime();
    Form->cb_savelogin->setChecked(!Settings.user.empty() || !Settings.password.empty());
    cb_saveloginClick(Form->cb_savelogin->isChecked());
    Form->ckb_autodownload->setChecked(Setup.autoDownload);
    Form->ckb_autoupdatemain->setChecked(Settings.updateMain);
    Form->ckb_autoupdateirid->setChecked(Settings.updateIrid);
    Form->ckb_convert->setChecked(Settings.convert);
    Form->nm_dwperiod->setValue(std::clamp<int>(Settings.period, 0, 48));
    Form->txt_folder->setText(WidgetText(Setup.elementFolder));
}

void TfrWebWnd::ShowLastTime() {
    // The first start stores its own time there; that is no download.
    const std::string text = Settings.downloaded ? FormatDateTime("yyyy-mm-dd HH:nn:ss", Settings.lastDownload) : "";
    Form->txt_lasttime->setText(!Settings.downloaded ? QString("never") : text.empty() ? QString() : WidgetText(text) + " UTC");
}

// ---- settings edited in place ----------------------------------------------------

void TfrWebWnd::cb_saveloginClick(bool on) {
    // A saved login is locked against accidental edits.
    Form->txt_username->setEnabled(!on);
    Form->txt_password->setEnabled(!on);
}

void TfrWebWnd::ckb_autodownloadClick(bool on) {
    if (on && !Form->cb_savelogin->isChecked()) {
        ShowMessageBox(this, kAutoDownloadNeedsLogin);
        Form->ckb_autodownload->setChecked(false);
        on = false;
    }
    Setup.autoDownload = on;
}

void TfrWebWnd::bn_setFolderClick() {
    auto* dialog = new QFileDialog(this, "Set Download Folder", WidgetText(Setup.elementFolder));
    dialog->setObjectName("FolderDialog");
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setFileMode(QFileDialog::Directory);
    dialog->setOption(QFileDialog::ShowDirsOnly, true);
    connect(dialog, &QFileDialog::fileSelected, this, [this](const QString& chosen) {
        if (chosen.isEmpty() || DownloadRunning) return;
        std::string folder = ProgramText(chosen);
        if (folder.back() != '/') folder += '/';
        if (folder.size() > kMaxFolderLength) {
            ShowMessageBox(this, "The folder name is longer than 255 characters: " + folder);
            return;
        }
        Setup.elementFolder = folder;
        Form->txt_folder->setText(WidgetText(folder));
    });
    dialog->open();
}

// ---- the batch -------------------------------------------------------------------------

std::vector<std::string> TfrWebWnd::RebuildLines() const {
    std::vector<std::string> out = Lines;
    for (int i = 0; i < Form->clb_tle->count() && static_cast<std::size_t>(i) < out.size(); ++i) {
        const QListWidgetItem* item = Form->clb_tle->item(i);
        if (item->flags() & Qt::ItemIsUserCheckable)
            out[static_cast<std::size_t>(i)] = RebuildDownloadLine(out[static_cast<std::size_t>(i)], item->checkState() == Qt::Checked);
    }
    return out;
}

// 1: a login is needed and given; 2: needed and missing (told); 0: not needed.
int TfrWebWnd::CheckLogin() {
    Settings.user = std::string(TrimText(ProgramText(Form->txt_username->text())));
    // A password is used as typed: blanks around it are part of it.
    Settings.password = ProgramText(Form->txt_password->text());
    for (const TListedDownload& d : ParseDownloadList(Lines)) {
        if (!d.enabled || !d.usable || !d.loginProtected) continue;
        if (!Settings.user.empty() && !Settings.password.empty()) return 1;
        ShowMessageBox(this, kLoginMissing);
        return 2;
    }
    return 0;
}

TDownloadSettings TfrWebWnd::SettingsToKeep() const {
    // Otherwise the login served this window's batches only.
    TDownloadSettings s = Settings;
    s.user.clear();
    s.password.clear();
    if (Form->cb_savelogin->isChecked()) {
        s.user = std::string(TrimText(ProgramText(Form->txt_username->text())));
        s.password = ProgramText(Form->txt_password->text());
    }
    return s;
}

void TfrWebWnd::bn_downloadClick() {
    if (DownloadRunning) {
        ShowMessageBox(this, kDownloadWait);
        return;
    }
    Lines = RebuildLines();
    // Checked here, before any connection is made.
    if (CheckLogin() == 2) return;
    WindowDownload(Lines);
}

void TfrWebWnd::WindowDownload(std::vector<std::string> lines) {
    Form->bn_close->setEnabled(false);
    Form->bn_setFolder->setEnabled(false);
    Form->bn_download->setEnabled(false);
    Form->bn_cancel->setEnabled(true);
    Form->txt_notes->clear();
    Form->pb_download->setRange(0, 1);
    Form->pb_download->setValue(0);
    Form->pb_download->setFormat("%v of %m");
    Form->pb_download->setTextVisible(true);
    setWindowTitle("Internet file Download...In Progress");
    Stop->store(false);

    TBatchJob job;
    job.lines = std::move(lines);
    job.dataFolder = Setup.dataFolder;
    job.elementFolder = Setup.elementFolder;
    job.settings = Settings;
    job.net = Setup.net;
    job.net.stop = Stop.get();
    job.net.confirmLoss = [this, stop = Stop](const TLossQuestion& q) {
        return AskFromWorker([this](std::function<void()> step) { Workers.Post(std::move(step)); }, this, q.Text(),
                             kLossTitle, stop.get());
    };
    job.now = NowDayNumber();
    job.mainSats = Setup.mainSats;
    job.iridiumSats = Setup.iridiumSats;
    auto stop = Stop;  // outlives the job
    Workers.Start(
        kWorkerWindowDownload,
        [this, job = std::move(job), stop]() mutable -> TWorkers::TApply {
            auto end = std::make_shared<TBatchEnd>();
            auto caption = [this](const char* text) { Workers.Post([this, text] { setWindowTitle(text); }); };
            TNetReport report;
            report.onNote = [this](const std::string& note) {
                Workers.Post([this, note] { Form->txt_notes->appendPlainText(WidgetText(note)); });
            };
            report.onProgress = [this](int done, int total) {
                Workers.Post([this, done, total] {
                    Form->pb_download->setRange(0, std::max(1, total));
                    Form->pb_download->setValue(done);
                });
            };
            end->batch = DownloadList(job.lines, job.elementFolder, job.settings, job.net, report);
            end->cancelled = stop->load();
            TWebBatchOutcome& out = end->outcome;
            if (end->batch.ok && !end->cancelled) {
                if (job.settings.updateMain) {
                    caption("Updating Selected Satellite...");
                    out.mainChanged = UpdateFromElementFiles(job.mainSats, job.elementFolder);
                }
                if (job.settings.updateIrid) {
                    caption("Updating Iridium satellite...");
                    // IridSat.bin is the owner's to write, on its thread (onBatch).
                    out.iridChanged = UpdateFromElementFiles(job.iridiumSats, job.elementFolder);
                }
                if (job.settings.convert) {
                    caption("File Conversion...");
                    ConvertDownloadedFiles(job.lines, job.elementFolder, job.dataFolder + "Mag.dat", report);
                }
            }
            out.mainSats = std::move(job.mainSats);
            out.iridiumSats = std::move(job.iridiumSats);
            end->messages = std::move(report.messages);
            end->failures = std::move(report.failures);
            end->gone = std::move(report.gone);
            const double now = job.now;
            return [this, end, now] {
                std::vector<TNetMessage> messages = end->messages;
                if (end->cancelled) {
                    setWindowTitle("Download Cancelled");
                    messages.push_back({"Download", "Download cancelled: " + std::to_string(end->batch.fetched) +
                                                        " file(s) fetched; the others keep their previous version."});
                } else if (end->batch.ok) {
                    Settings.lastDownload = now;
                    Settings.downloaded = true;
                    ShowLastTime();
                    setWindowTitle("Process Completed");
                    std::string text = "File Download / Update / Conversion Completed";
                    for (const std::string& f : end->failures) text += "\n" + f;
                    messages.push_back({"Download", text});
                } else {
                    std::string text = "Selected File(s) failed to Download";
                    for (const std::string& f : end->failures) text += "\n" + f;
                    messages.push_back({"Download", text});
                }
                // Entries the provider no longer has say so in the list until the user removes them.
                for (int i = 0; i < Form->clb_tle->count(); ++i) {
                    QListWidgetItem* item = Form->clb_tle->item(i);
                    for (const std::string& g : end->gone)
                        if (item->text() == WidgetText(g)) {
                            item->setText(WidgetText(g + " (gone)"));
                            item->setToolTip("The provider no longer has this list: untick it");
                        }
                }
                TWebBatchOutcome& out = end->outcome;
                if (out.mainChanged) Setup.mainSats = out.mainSats;
                if (out.iridChanged) Setup.iridiumSats = out.iridiumSats;
                if ((out.mainChanged || out.iridChanged) && Setup.onBatch) Setup.onBatch(out);
                EndBatch();
                ShowMessagesInOrder(this, std::move(messages));
            };
        },
        &DownloadRunning);
}

void TfrWebWnd::EndBatch() {
    Form->bn_close->setEnabled(true);
    Form->bn_setFolder->setEnabled(true);
    Form->bn_download->setEnabled(true);
    Form->bn_cancel->setEnabled(false);
}

// ---- closing ------------------------------------------------------------------------

void TfrWebWnd::done(int result) {
    if (DownloadRunning) {
        ShowMessageBox(this, kDownloadWait);
        return;
    }
    if (!Closed) {
        Closed = true;
        Settings = SettingsToKeep();
        std::vector<std::string> failed;
        if (const TStatus saved = SaveDownloadSettings(Setup.dataFolder, Settings, &SettingsGuard); !saved)
            failed.push_back(NotWrittenText(Setup.dataFolder + kDownloadSettingsFile, saved.message));
        Lines = RebuildLines();
        if (ListLoaded && !netfiles::WriteLinesAtomic(Setup.dataFolder + kListFile, Lines, "\n"))
            failed.push_back("File: " + Setup.dataFolder + kListFile + " could not be written");
        for (const std::string& f : failed) ShowMessageBox(parentWidget() ? parentWidget() : this, f);
    }
    QDialog::done(result);
}
