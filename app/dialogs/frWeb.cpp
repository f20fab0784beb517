#include "frWeb.h"

#include <QApplication>
#include <QCheckBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>

#include "frCommon.h"
#include "uDataFiles.h"
#include "uFileIO.h"
#include "uFormat.h"
#include "uInitialize.h"
#include "uLoadSave.h"
#include "uUpdate.h"

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

TfrWebWnd::TfrWebWnd(TWebSetup setup, QWidget* parent) : QDialog(parent), Setup(std::move(setup)) {
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
        auto* item = new QListWidgetItem(clb_tle);
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
    clb_tle = new QListWidget(this);
    clb_tle->setObjectName("clb_tle");
    FlowInColumns(clb_tle, 2);

    txt_username = new QLineEdit(this);
    txt_username->setObjectName("txt_username");
    txt_password = new QLineEdit(this);
    txt_password->setObjectName("txt_password");
    txt_password->setEchoMode(QLineEdit::Password);
    cb_savelogin = Named<QCheckBox>(this, "cb_savelogin", "Save Login");
    auto* login = new QGroupBox("Space Track Login", this);
    auto* loginForm = new QFormLayout(login);
    loginForm->addRow("Username", txt_username);
    loginForm->addRow("Password", txt_password);
    loginForm->addRow(cb_savelogin);

    txt_folder = new QLineEdit(this);
    txt_folder->setObjectName("txt_folder");
    txt_folder->setReadOnly(true);
    bn_setFolder = NewButton(this, "bn_setFolder", "Set Download Folder");
    auto* folder = new QGroupBox("Download Folder", this);
    auto* folderLayout = new QVBoxLayout(folder);
    folderLayout->addWidget(txt_folder);
    folderLayout->addWidget(bn_setFolder, 0, Qt::AlignLeft);

    ckb_autodownload = Named<QCheckBox>(this, "ckb_autodownload", "Auto-Download");
    ckb_autoupdatemain = Named<QCheckBox>(this, "ckb_autoupdatemain", "Auto-Update Main List");
    ckb_autoupdateirid = Named<QCheckBox>(this, "ckb_autoupdateirid", "Auto-Update Iridiums");
    ckb_convert = Named<QCheckBox>(this, "ckb_convert", "TLE to Common Names");
    nm_dwperiod = new QSpinBox(this);
    nm_dwperiod->setObjectName("nm_dwperiod");
    nm_dwperiod->setRange(0, 48);
    nm_dwperiod->setSuffix(" Hours");
    txt_lasttime = new QLineEdit(this);
    txt_lasttime->setObjectName("txt_lasttime");
    txt_lasttime->setReadOnly(true);
    txt_lasttime->setMinimumWidth(txt_lasttime->fontMetrics().horizontalAdvance("0000-00-00 00:00:00 UTC  ") + 12);
    auto* automatic = new QGroupBox("Automatic Download", this);
    auto* autoForm = new QFormLayout(automatic);
    autoForm->addRow(ckb_autodownload);
    autoForm->addRow(ckb_autoupdatemain);
    autoForm->addRow(ckb_autoupdateirid);
    autoForm->addRow(ckb_convert);
    autoForm->addRow("Interval", nm_dwperiod);
    autoForm->addRow("Last Download Time", txt_lasttime);

    pb_download = new QProgressBar(this);
    pb_download->setObjectName("pb_download");
    pb_download->setRange(0, 1);
    pb_download->setValue(0);
    pb_download->setTextVisible(false);
    txt_notes = new QPlainTextEdit(this);
    txt_notes->setObjectName("txt_notes");
    txt_notes->setReadOnly(true);
    txt_notes->setPlaceholderText("What each download did appears here.");
    txt_notes->setMaximumHeight(txt_notes->fontMetrics().lineSpacing() * 6);
    bn_download = NewButton(this, "bn_download", "Download File(s)");
    bn_cancel = NewButton(this, "bn_cancel", "Cancel");
    bn_close = NewButton(this, "bn_close", "Close");
    bn_cancel->setEnabled(false);
    bn_cancel->setToolTip("Stop the download; files not fetched yet keep their previous version");

    auto* right = new QVBoxLayout;
    right->addWidget(login);
    right->addWidget(folder);
    right->addWidget(automatic);
    right->addStretch(1);
    auto* top = new QHBoxLayout;
    top->addWidget(clb_tle, 1);
    top->addLayout(right);
    auto* progress = new QHBoxLayout;
    progress->addWidget(pb_download, 1);
    progress->addWidget(bn_cancel);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(bn_download);
    buttons->addStretch(1);
    buttons->addWidget(bn_close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addLayout(progress);
    layout->addWidget(txt_notes);
    layout->addLayout(buttons);
    resize(820, 560);
    FitToScreen(this);

    connect(bn_download, &QPushButton::clicked, this, &TfrWebWnd::bn_downloadClick);
    connect(bn_cancel, &QPushButton::clicked, this, [this] {
        Stop->store(true);
        bn_cancel->setEnabled(false);
    });
    connect(bn_close, &QPushButton::clicked, this, &QDialog::accept);
    connect(bn_setFolder, &QPushButton::clicked, this, &TfrWebWnd::bn_setFolderClick);
    connect(cb_savelogin, &QCheckBox::toggled, this, &TfrWebWnd::cb_saveloginClick);
    connect(ckb_autodownload, &QCheckBox::clicked, this, &TfrWebWnd::ckb_autodownloadClick);
    connect(ckb_autoupdatemain, &QCheckBox::toggled, this, [this](bool on) { Settings.updateMain = on; });
    connect(ckb_autoupdateirid, &QCheckBox::toggled, this, [this](bool on) { Settings.updateIrid = on; });
    connect(ckb_convert, &QCheckBox::toggled, this, [this](bool on) { Settings.convert = on; });
    connect(nm_dwperiod, &QSpinBox::valueChanged, this, [this](int hours) { Settings.period = hours; });
}

void TfrWebWnd::FillFromSettings() {
    txt_username->setText(WidgetText(Settings.user));
    txt_password->setText(WidgetText(Settings.password));
    ShowLastTime();
    cb_savelogin->setChecked(!Settings.user.empty() || !Settings.password.empty());
    cb_saveloginClick(cb_savelogin->isChecked());
    ckb_autodownload->setChecked(Setup.autoDownload);
    ckb_autoupdatemain->setChecked(Settings.updateMain);
    ckb_autoupdateirid->setChecked(Settings.updateIrid);
    ckb_convert->setChecked(Settings.convert);
    nm_dwperiod->setValue(std::clamp<int>(Settings.period, 0, 48));
    txt_folder->setText(WidgetText(Setup.elementFolder));
}

void TfrWebWnd::ShowLastTime() {
    // The first start stores its own time there; that is no download.
    const std::string text = Settings.downloaded ? FormatDateTime("yyyy-mm-dd HH:nn:ss", Settings.lastDownload) : "";
    txt_lasttime->setText(!Settings.downloaded ? QString("never") : text.empty() ? QString() : WidgetText(text) + " UTC");
}

// ---- settings edited in place ----------------------------------------------------

void TfrWebWnd::cb_saveloginClick(bool on) {
    // A saved login is locked against accidental edits.
    txt_username->setEnabled(!on);
    txt_password->setEnabled(!on);
}

void TfrWebWnd::ckb_autodownloadClick(bool on) {
    if (on && !cb_savelogin->isChecked()) {
        ShowMessageBox(this, kAutoDownloadNeedsLogin);
        ckb_autodownload->setChecked(false);
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
        txt_folder->setText(WidgetText(folder));
    });
    dialog->open();
}

// ---- the batch -------------------------------------------------------------------------

std::vector<std::string> TfrWebWnd::RebuildLines() const {
    std::vector<std::string> out = Lines;
    for (int i = 0; i < clb_tle->count() && static_cast<std::size_t>(i) < out.size(); ++i) {
        const QListWidgetItem* item = clb_tle->item(i);
        if (item->flags() & Qt::ItemIsUserCheckable)
            out[static_cast<std::size_t>(i)] = RebuildDownloadLine(out[static_cast<std::size_t>(i)], item->checkState() == Qt::Checked);
    }
    return out;
}

// 1: a login is needed and given; 2: needed and missing (told); 0: not needed.
int TfrWebWnd::CheckLogin() {
    Settings.user = std::string(TrimText(ProgramText(txt_username->text())));
    // A password is used as typed: blanks around it are part of it.
    Settings.password = ProgramText(txt_password->text());
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
    if (cb_savelogin->isChecked()) {
        s.user = std::string(TrimText(ProgramText(txt_username->text())));
        s.password = ProgramText(txt_password->text());
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
    bn_close->setEnabled(false);
    bn_setFolder->setEnabled(false);
    bn_download->setEnabled(false);
    bn_cancel->setEnabled(true);
    txt_notes->clear();
    pb_download->setRange(0, 1);
    pb_download->setValue(0);
    pb_download->setFormat("%v of %m");
    pb_download->setTextVisible(true);
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
                Workers.Post([this, note] { txt_notes->appendPlainText(WidgetText(note)); });
            };
            report.onProgress = [this](int done, int total) {
                Workers.Post([this, done, total] {
                    pb_download->setRange(0, std::max(1, total));
                    pb_download->setValue(done);
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
                    out.iridChanged = UpdateFromElementFiles(job.iridiumSats, job.elementFolder);
                    const std::string iridPath = job.dataFolder + "IridSat.bin";
                    if (std::string why; out.iridChanged && !SaveCatalogue(job.iridiumSats, iridPath, nullptr, &why))
                        report.Fail(NotWrittenText(iridPath, why) + "; the updated Iridium list is used until the program ends");
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
                for (int i = 0; i < clb_tle->count(); ++i) {
                    QListWidgetItem* item = clb_tle->item(i);
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
    bn_close->setEnabled(true);
    bn_setFolder->setEnabled(true);
    bn_download->setEnabled(true);
    bn_cancel->setEnabled(false);
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
        if (std::string why; !SaveDownloadSettings(Setup.dataFolder, Settings, &SettingsGuard, &why))
            failed.push_back(NotWrittenText(Setup.dataFolder + kDownloadSettingsFile, why));
        Lines = RebuildLines();
        if (ListLoaded && !netfiles::WriteLinesAtomic(Setup.dataFolder + kListFile, Lines, "\n"))
            failed.push_back("File: " + Setup.dataFolder + kListFile + " could not be written");
        for (const std::string& f : failed) ShowMessageBox(parentWidget() ? parentWidget() : this, f);
    }
    QDialog::done(result);
}
