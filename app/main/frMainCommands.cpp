// The commands of the main window's menus and toolbar. Most change a display
// flag and redraw; the dialogs open on copies of the session's state, which
// takes their result back when they close; the two search windows are made
// when first asked for and work beside it.
#include <QComboBox>
#include <QDBusConnection>
#include <QFile>
#include <QStatusBar>
#include <QDesktopServices>
#include <QDir>
#include <QInputDialog>
#include <QLabel>
#include <QMenu>
#include <QUrl>

#include <algorithm>
#include <cmath>

#include "Zenora.h"
#include "frAbout.h"
#include "frAlerts.h"
#include "frAnalysis.h"
#include "frInfo.h"
#include "frLocSelector.h"
#include "frMag.h"
#include "frOptions.h"
#include "frPlanetData.h"
#include "frRadio.h"
#include "frRotator.h"
#include "frSatSelector.h"
#include "frWeb.h"
#include "frMain.h"
#include "frMainWidgets.h"
#include "frPickFile.h"
#include "frPrediction.h"
#include "uAlertCentre.h"
#include "uCatNumber.h"
#include "uConversion.h"
#include "uNotifier.h"
#include "uDataFiles.h"
#include "uFormat.h"
#include "uGraphicTools.h"
#include "uInitialize.h"
#include "uLoadSave.h"
#include "uMagFile.h"
#include "uMagImport.h"
#include "uMap.h"
#include "uSky.h"
#include "uTracking.h"
#include "uUpdate.h"

namespace {
// One window of its kind, made when first asked for; its location command
// is the main window's.
template <class TWindow>
void ShowSearchWindow(QPointer<QWidget>& window, const TSessionStore& store, QWidget* parent, QAction* location,
                      const THorizonHandle& horizon) {
    if (!window) {
        auto* made = new TWindow(store, parent);
        made->SetLocationCommand(location);
        made->SetHorizon(horizon);
        window = made;
    }
    window->show();
    window->raise();
    window->activateWindow();
}

constexpr double kMaxMagnitude = 30.0, kMinMagnitude = -10.0;
constexpr double kMaxStarBase = 8.0, kMinStarBase = 0.0;
}  // namespace

// ---- display flags --------------------------------------------------------------

void TfrMainWnd::ToggleLayer() {
    if (Ui.menu_displaycities->isChecked() && !Frame.cities) {
        std::vector<TMapCity> cities;
        std::string message;
        LoadMapCities(Session.DataFolder + kMapLocationsFile, cities, message);
        if (!message.empty()) ShowMessage(message);
        Frame.cities = std::make_shared<const std::vector<TMapCity>>(std::move(cities));
    }
    RefreshAll();
}

void TfrMainWnd::ToggleHomeLocation(QAction* source) {
    const bool on = source->isChecked();
    Ui.menu_displayhomelocation->setChecked(on);
    Ui.menu_globelocation->setChecked(on);
    RefreshAll();
}

void TfrMainWnd::menu_displaynumberClick() {
    BuildActiveList();
    RefreshAll();
}

void TfrMainWnd::ToggleSkyFlag() {
    View.ShowConstellations = Ui.menu_constellations->isChecked();
    View.ShowConstellationNames = Ui.menu_constellationNames->isChecked();
    View.ShowStarNames = Ui.menu_starames->isChecked();
    View.ClipHorizon = Ui.menu_startohorizon->isChecked();
    RefreshAll();
}

void TfrMainWnd::menu_showskysatClick() {
    const std::string path = Session.DataFolder + "SkySat.bin";
    if (Ui.menu_showskysat->isChecked() && Session.SkySats.empty() && !SkyListBusy && CheckFile(path)) {
        // Thousands of records are checked as they load: not on the UI thread.
        Workers.Start(
            kWorkerSkyFile,
            [this, path]() -> TWorkers::TApply {
                auto list = std::make_shared<std::vector<TSatRec>>();
                LoadCatalogue(*list, path);
                return [this, list] {
                    SetSkySats(std::move(*list));
                    RefreshAll();
                };
            },
            &SkyListBusy);
    }
    RefreshAll();
}

// ---- magnitude limit and star magnitudes ---------------------------------------

void TfrMainWnd::menu_magClick() {
    auto* dialog = new QInputDialog(this);
    dialog->setObjectName("MagnitudeDialog");
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowTitle("Satellite Magnitude Limit");
    dialog->setLabelText("Faintest satellite magnitude drawn on the sky chart:");
    dialog->setTextValue(QString::fromStdString(FormatGeneral(Session.Options.magLimit)));
    connect(dialog, &QInputDialog::textValueSelected, this, &TfrMainWnd::ApplyMagnitude);
    dialog->open();
}

void TfrMainWnd::ApplyMagnitude(const QString& answer) {
    const std::string text = answer.trimmed().toStdString();
    double value = 0.0;
    if (!ParseNumber(text, value)) {
        ShowMessage(kMagnitudeNotNumber);
        return;
    }
    if (value > kMaxMagnitude || value < kMinMagnitude) {
        ShowMessage(kMagnitudeOutOfRange);
        return;
    }
    Store.EditOptions([value](TOptions& o) { o.magLimit = value; });
    RefreshAll();
    Ui.menu_mag->setText(QString::fromStdString("Satellite Mag Limit = " + text));
}

void TfrMainWnd::StarMagnitudeStep(double delta) {
    const double base = Session.Options.starMagBase + delta;
    Store.EditOptions([base](TOptions& o) { o.starMagBase = std::clamp(base, kMinStarBase, kMaxStarBase); });
    RefreshAll();
}

// ---- the sky chart's orientation and centre --------------------------------------

// The four orientations are one exclusive group; the checked one gives the signs.
void TfrMainWnd::SetOrientation(QAction*) {
    if (!SkyMode()) return;
    SkySignsFromMenu(MenuSettingsFromMenus(), View.SignX, View.SignY);
    RefreshAll();
}

void TfrMainWnd::GoToBody(int index) {
    if (!SkyMode() || index < 0 || static_cast<std::size_t>(index) >= Session.BodyStates.size()) return;
    if (View.SkyScale < View.SkyScaleMin) {
        View.SkyScale = View.SkyScaleMin;
        SetFieldLabel(UpdateFieldLabel(View, Session.Options));
    }
    View.SkyCentre = Session.BodyStates[static_cast<std::size_t>(index)].radec;
    Ra_dec_to_alt_az(&Session.Observer.pos, &View.SkyCentre, &View.SkyCentreHoriz, Session.CurrentGHA);
    RefreshAll();
}

void TfrMainWnd::GoToCompass(double azimuth) {
    if (!SkyMode()) return;
    View.SkyCentreHoriz.az = azimuth;
    View.SkyFacing = azimuth;
    Alt_az_to_ra_dec(&Session.Observer.pos, &View.SkyCentreHoriz, &View.SkyCentre, Session.CurrentGHA);
    RefreshAll();
}

void TfrMainWnd::menu_gotozenithClick() {
    if (!SkyMode()) return;
    SetFieldLabel(GoToZenith(View, Session.Options));
    RefreshAll();
}

void TfrMainWnd::menu_skyviewClick(QAction*) {
    if (SkyMode()) RefreshAll();
}

// ---- time ---------------------------------------------------------------------------

void TfrMainWnd::menu_utctimeClick() {
    // The pickers keep the instant they show, in the other mode.
    const bool edited = PickersEdited;
    const double picked = edited ? PickerUtc() : PickersUtc;
    Store.EditOptions([](TOptions& o) { o.utcDisplay = o.utcDisplay ? 0 : 1; });
    ShowPickers(picked);
    PickersEdited = edited;
    const bool utc = Session.Options.utcDisplay != 0;
    Ui.stxt_utc->setText(utc ? "UTC" : "LOC");
    Ui.menu_utctime->setText(utc ? "Set Time to LOC" : "Set Time to UTC");
    if (!Loaded) return;
    ShowClock();
    ShowNextPass();
    FollowPasses();
}

void TfrMainWnd::menu_epochtimeClick() {
    if (Ui.cb_sat1->count() == 0) return;
    SetClock(JulianToDayNumber(Session.MainSats[Session.Sat1Main].epoch));
}

// ---- observer -------------------------------------------------------------------------

void TfrMainWnd::menu_resetClick() {
    if (!Loaded) return;
    LoadObserver(Session.DataFolder, Session.Observer);
    View.GlobeCentre = Session.Observer.pos;
    ShowCaption();
    Session.NextRise = Session.NextSet = Session.CurrentTime;
    ShowPickers(Session.CurrentTime);
    RefreshAll();
}

// ---- small windows ----------------------------------------------------------------------

void TfrMainWnd::menu_infoClick() {
    if (Ui.cb_sat1->count() == 0) return;
    auto* info = new TfrInfoWnd(Session.MainSats[Session.Sat1Main], Session.Options.metric != 0,
                                Session.DistanceFactor, this);
    info->setAttribute(Qt::WA_DeleteOnClose);
    info->open();
}

void TfrMainWnd::menu_aboutClick() {
    auto* about = new TfrAboutBox(Session.ProgramFolder, this);
    about->setAttribute(Qt::WA_DeleteOnClose);
    connect(about, &QDialog::finished, this,
            [this] { QDir::setCurrent(QString::fromStdString(Session.DataFolder)); });
    about->open();
    if (!about->licenseLoaded()) ShowMessage(kLicenseMissing);
}

void TfrMainWnd::menu_contentsClick() {
    const std::string path = Session.ProgramFolder + kHelpFile;
    if (!CheckFile(path)) {
        ShowMessage(FileProblemText(path));
        return;
    }
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(path))))
        ShowMessage("No web browser could be started to show " + path);
}

// ---- the search windows: one of each, created on demand, gone when closed ------------------

void TfrMainWnd::menu_linetabularClick() {
    if (Loaded) ShowSearchWindow<TfrPredictionWnd>(PredictionWnd, Store, this, Ui.menu_location, Horizon);
}

void TfrMainWnd::menu_analysisClick() {
    if (Loaded) ShowSearchWindow<TfrAnalysisWnd>(AnalysisWnd, Store, this, Ui.menu_location, Horizon);
}

// ---- the observer's horizon mask -------------------------------------------------------------

void TfrMainWnd::LoadHorizon() {
    std::string error, note;
    THorizonHandle mask = LoadObserverHorizon(Session.DataFolder, Session.Observer.name.str(), &error, &note);
    if (!error.empty()) ShowMessage(error + "\nIt is not used.");
    else if (!note.empty()) ShowMessage(note);
    SetHorizon(std::move(mask));
}

void TfrMainWnd::SetHorizon(THorizonHandle mask) {
    const bool same = Horizon == mask || (Horizon && mask && *Horizon == *mask);
    Horizon = std::move(mask);
    Frame.horizon = Horizon;
    if (auto* prediction = qobject_cast<TfrPredictionWnd*>(PredictionWnd.data())) prediction->SetHorizon(Horizon);
    if (auto* analysis = qobject_cast<TfrAnalysisWnd*>(AnalysisWnd.data())) analysis->SetHorizon(Horizon);
    if (same) return;
    // The next rise shown was for the old limit.
    Session.NextRise = Session.NextSet = Session.CurrentTime;
    if (Loaded) UpdateNextPass();
}

// ---- windows on the session's copies -------------------------------------------------------

void TfrMainWnd::menu_satelliteClick() {
    SetClockStep(kClockStop);
    if (!Loaded) return;
    ChooseSatellites(this, Session.MainSats, Session.DataFolder, Session.Options.tleFolder.str(),
                     [this](std::vector<TSatRec> chosen) {
                         Store.SetMainSats(std::move(chosen), true);
                         BuildActiveList();
                         Session.TrackStart = Session.TrackAnchor = Session.CurrentTime;
                         RefreshAll();
                     });
}

void TfrMainWnd::menu_locationClick() {
    SetClockStep(kClockStop);
    if (!Loaded) return;
    auto* location = new TfrLocWnd(Session.Observer, Session.Options.metric != 0, Session.DataFolder, this);
    location->setAttribute(Qt::WA_DeleteOnClose);
    connect(location, &QDialog::finished, this, [this, location] {
        if (location->applied()) {
            Store.SetObserver(location->observer());
            Session.NextRise = Session.NextSet = Session.CurrentTime;
            ShowPickers(Session.CurrentTime);
        }
        // Another observer has its own mask; the editor may have saved this one's.
        LoadHorizon();
        ShowCaption();
        RefreshAll();
    });
    location->open();
}

void TfrMainWnd::menu_satdataClick() {
    if (!Loaded) return;
    TMagWndSetup setup;
    setup.dataFolder = Session.DataFolder;
    setup.elementFolder = Session.Options.tleFolder.str();
    setup.metric = Session.Options.metric != 0;
    setup.distanceFactor = Session.DistanceFactor;
    if (Ui.cb_sat1->count() > 0) setup.firstSatNumber = Session.MainSats[Session.Sat1Main].catNo.str();
    auto* mag = new TfrMagWnd(std::move(setup), this);
    mag->setAttribute(Qt::WA_DeleteOnClose);
    connect(mag, &QDialog::finished, this, [this, mag] {
        Store.EditMainRecords([&](std::vector<TSatRec>& list) { CopyMagnitudes(list, mag->lines()); });
        RebuildFrameSatellites();
        RefreshAll();
    });
    mag->open();
}

void TfrMainWnd::menu_planetsClick() {
    auto* data = new TfrDataWnd(Session.CurrentTime, Session.Observer, Session.Options,
                                QDir::homePath().toStdString() + "/", this);
    data->setAttribute(Qt::WA_DeleteOnClose);
    data->open();
}

void TfrMainWnd::menu_optionsClick() {
    auto* options = new TfrOptionWnd(Session.Options, Session.ProgramFolder, this);
    options->setAttribute(Qt::WA_DeleteOnClose);
    connect(options, &QDialog::finished, this, [this, options] {
        Store.SetOptions(options->options());
        if (std::string why;
            options->saved() && !SaveOptions(Session.DataFolder, Session.Options, MenuSettingsFromMenus(), nullptr, &why))
            ShowMessage(NotWrittenText(Session.DataFolder + kOptionsFile, why));
        LoadMapImage(View, Session.ProgramFolder + "map/" + Session.Options.mapFile.str());
        SetFieldLabel(ApplyDisplayOptions(View, Session.Options));
        RefreshAll();
    });
    options->open();
}

namespace {
// The tracked satellites, and where Session.MainSats[mainIndex] is among them.
std::vector<TSatRec> Tracked(const TSessionStore& store, std::size_t mainIndex, std::size_t& first) {
    const std::vector<TSatRec>& sats = store.session().MainSats;
    std::vector<TSatRec> tracked;
    first = 0;
    for (std::size_t i = 0; i < sats.size(); ++i) {
        if (!store.Tracked(i)) continue;
        if (i == mainIndex) first = tracked.size();
        tracked.push_back(sats[i]);
    }
    return tracked;
}

// One window of kind W at a time (it drives a device): an open one is raised
// on the satellite asked for, else make(tracked, first) opens one into slot.
template <class W, class Make>
void OpenControlWindow(QPointer<QWidget>& slot, const TSessionStore& store, std::size_t mainIndex, Make make) {
    const std::vector<TSatRec>& sats = store.session().MainSats;
    if (auto* open = qobject_cast<W*>(slot.data())) {
        if (mainIndex < sats.size()) open->selectSatellite(sats[mainIndex].catNo.str());
        open->raise();
        open->activateWindow();
        return;
    }
    std::size_t first = 0;
    std::vector<TSatRec> tracked = Tracked(store, mainIndex, first);
    W* wnd = make(std::move(tracked), first);
    wnd->setAttribute(Qt::WA_DeleteOnClose);
    slot = wnd;
    wnd->show();
}
}  // namespace

void TfrMainWnd::StartAlerts() {
    if (Alerts) return;
    // The icon as a file when the program folder has it, else by its theme name.
    const std::string iconFile = Session.ProgramFolder + "icons/orbisk-256.png";
    const QString icon = QFile::exists(QString::fromStdString(iconFile)) ? QString::fromStdString(iconFile) : "orbisk";
    Notifier = new TDesktopNotifier(QDBusConnection::sessionBus(), "Skyvane", icon, "orbisk", this);
    Notifier->SetFallback([this](const QString& text) { statusBar()->showMessage(text, kAlertNoticeMs); });
    connect(Notifier, &TDesktopNotifier::ShowRequested, this, &TfrMainWnd::ShowAlertSatellite);
    Alerts = new TAlertCentre(Session, Notifier, this);
    Alerts->Start();
    Alerts->Check();
}

void TfrMainWnd::menu_alertsClick() {
    if (!Alerts) {
        ShowMessage("The satellite lists are still loading; try again in a moment.");
        return;
    }
    if (AlertsWnd) {
        AlertsWnd->raise();
        AlertsWnd->activateWindow();
        return;
    }
    auto* wnd = new TfrAlertsWnd(*Alerts, this);
    wnd->setAttribute(Qt::WA_DeleteOnClose);
    AlertsWnd = wnd;
    wnd->show();
}

void TfrMainWnd::ShowAlertSatellite(long long number) {
    if (isMinimized()) showNormal();
    raise();
    activateWindow();
    for (std::size_t k = 0; k < Session.SatStates.size(); ++k) {
        const TSatRec& sat = Session.MainSats[Session.ActiveIndex[k]];
        if (CatalogueNumberValue(sat.catNo.view()) != number) continue;
        Ui.cb_sat1->setCurrentIndex(static_cast<int>(k));
        cb_sat1Change(static_cast<int>(k));
        return;
    }
    statusBar()->showMessage(QString("Satellite %1 is not among the tracked satellites").arg(number), kAlertNoticeMs);
}

void TfrMainWnd::menu_radioClick() { OpenRadio(Session.Sat1Main); }

void TfrMainWnd::menu_rotatorClick() { OpenRotator(Session.Sat1Main); }

void TfrMainWnd::OpenRadio(std::size_t mainIndex) {
    OpenControlWindow<TfrRadioWnd>(RadioWnd, Store, mainIndex, [this](std::vector<TSatRec> sats, std::size_t first) {
        return new TfrRadioWnd(std::move(sats), first, Session.Observer, Session.ProgramFolder, Session.DataFolder, this);
    });
}

void TfrMainWnd::OpenRotator(std::size_t mainIndex) {
    OpenControlWindow<TfrRotatorWnd>(RotatorWnd, Store, mainIndex, [this](std::vector<TSatRec> sats, std::size_t first) {
        return new TfrRotatorWnd(std::move(sats), first, Session.Observer, Session.DataFolder, this);
    });
}

void TfrMainWnd::SatelliteMenu(QComboBox* box, const QPoint& at) {
    const int index = box->currentIndex();
    if (index < 0 || static_cast<std::size_t>(index) >= Session.SatStates.size()) return;
    const std::size_t mainIndex = Session.ActiveIndex[index];
    auto* menu = new QMenu(this);
    menu->setObjectName("mn_satellite");
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->addAction("Radio Control...", this, [this, mainIndex] { OpenRadio(mainIndex); })->setObjectName("menu_satradio");
    menu->addAction("Rotator Control...", this, [this, mainIndex] { OpenRotator(mainIndex); })
        ->setObjectName("menu_satrotator");
    menu->popup(box->mapToGlobal(at));
}

void TfrMainWnd::menu_webupdateClick() {
    if (DownloadRunning) {
        ShowMessage(kDownloadBusy);
        return;
    }
    TWebSetup setup;
    setup.dataFolder = Session.DataFolder;
    setup.elementFolder = Session.Options.tleFolder.str();
    setup.autoDownload = Session.Options.autoDownload != 0;
    setup.mainSats = Session.MainSats;
    setup.iridiumSats = Session.IridiumSats;
    // The list a batch updated replaces MainSats only when nothing else replaced it meanwhile.
    auto generation = std::make_shared<unsigned>(Store.MainGeneration());
    setup.onBatch = [this, generation](const TWebBatchOutcome& out) {
        if (out.mainChanged && *generation == Store.MainGeneration() && !MainListBusy) {
            Store.SetMainSats(out.mainSats, false);
            *generation = Store.MainGeneration();
            RebuildFrameSatellites();
            Session.NextRise = Session.NextSet = Session.CurrentTime;
            RefreshAll();
        }
        if (out.iridChanged && !IridiumBusy) Store.SetIridiumSats(out.iridiumSats);
    };
    auto* web = new TfrWebWnd(std::move(setup), this);
    web->setAttribute(Qt::WA_DeleteOnClose);
    connect(web, &QDialog::finished, this, [this, web] {
        Store.EditOptions([web](TOptions& o) {
            o.tleFolder = web->elementFolder();
            o.autoDownload = web->autoDownload() ? 1 : 0;
        });
        Session.DownloadSettings = web->settings();
    });
    web->open();
}

// ---- catalogue tools (workers 25, 69, 91, 98, 99) -----------------------------------------

void TfrMainWnd::menu_conversionClick() {
    PickFile(this, kPickElementFile, Session.Options.tleFolder.str(), [this](const std::string& path) {
        const std::string magPath = Session.DataFolder + "Mag.dat";
        Workers.Start(kWorkerConversion, [this, path, magPath]() -> TWorkers::TApply {
            const TNetMessage message = ConvertFileTask(path, magPath);
            return [this, message] { ShowNetMessage(message); };
        });
    });
}

// A list of standard magnitudes merged into Mag.dat on a worker; the main
// list takes the new values and a message box gives the counts.
void TfrMainWnd::menu_importmagClick() {
    PickFile(this, kPickMagnitudeFile, Session.Options.tleFolder.str(), [this](const std::string& path) {
        const std::string magPath = Session.DataFolder + "Mag.dat";
        Workers.Start(kWorkerMagImport, [this, path, magPath]() -> TWorkers::TApply {
            TMagImportReport report;
            std::string error;
            const bool ok = ImportMagnitudeFile(path, magPath, report, error);
            TMagFile mag;
            if (ok) LoadMagFile(magPath, mag);
            return [this, ok, report, error, path, magPath, lines = std::move(mag.lines)] {
                if (!ok) {
                    ShowMessage(error, "Import Magnitudes");
                    return;
                }
                const bool changed = report.added + report.updated > 0;
                if (changed) {
                    Store.EditMainRecords([&](std::vector<TSatRec>& list) { CopyMagnitudes(list, lines); });
                    RebuildFrameSatellites();
                    RefreshAll();
                }
                ShowMessage("File: " + path + "\n\n" + report.Summary() + "\n\n" +
                                (changed ? "Saved to " + magPath : "Mag.dat is unchanged."),
                            "Import Magnitudes");
            };
        });
    });
}

void TfrMainWnd::mn_UpdateMainListClick() {
    SetClockStep(kClockStop);
    if (MainListBusy) return;
    const unsigned generation = Store.MainGeneration();
    auto list = std::make_shared<std::vector<TSatRec>>(Session.MainSats);
    const std::string folder = Session.Options.tleFolder.str();
    Workers.Start(
        kWorkerMainUpdate,
        [this, list, folder, generation]() -> TWorkers::TApply {
            bool changed = false;
            const TNetMessage message = UpdateMainListTask(*list, folder, changed);
            return [this, list, changed, message, generation] {
                if (changed && generation == Store.MainGeneration()) {
                    Store.SetMainSats(std::move(*list), false);
                    RebuildFrameSatellites();
                    Session.NextRise = Session.NextSet = Session.CurrentTime;
                    RefreshAll();
                }
                ShowNetMessage(message);
            };
        },
        &MainListBusy);
}

void TfrMainWnd::mn_UpdateIridiListClick() {
    SetClockStep(kClockStop);
    if (IridiumBusy) return;
    auto list = std::make_shared<std::vector<TSatRec>>(Session.IridiumSats);
    const std::string folder = Session.Options.tleFolder.str();
    const std::string iridPath = Session.DataFolder + "IridSat.bin";
    Workers.Start(
        kWorkerIridiumUpdate,
        [this, list, folder, iridPath]() -> TWorkers::TApply {
            bool changed = false;
            const TNetMessage message = UpdateIridiumListTask(*list, folder, iridPath, changed);
            return [this, list, changed, message] {
                if (changed) Store.SetIridiumSats(std::move(*list));
                ShowNetMessage(message);
            };
        },
        &IridiumBusy);
}

void TfrMainWnd::nm_createIridClick() {
    if (IridiumBusy) return;
    const std::string folder = Session.Options.tleFolder.str();
    const std::string iridPath = Session.DataFolder + "IridSat.bin";
    Workers.Start(
        kWorkerIridiumFile,
        [this, folder, iridPath]() -> TWorkers::TApply {
            auto list = std::make_shared<std::vector<TSatRec>>();
            bool written = false;
            const TNetMessage message = CreateIridiumFile(folder, iridPath, *list, written);
            return [this, list, written, message] {
                if (written) Store.SetIridiumSats(std::move(*list));
                ShowNetMessage(message);
            };
        },
        &IridiumBusy);
}

void TfrMainWnd::menu_createskyfileClick() {
    PickFile(this, kPickElementFile, Session.Options.tleFolder.str(), [this](const std::string& source) {
        if (SkyListBusy) return;
        const std::string magPath = Session.DataFolder + "Mag.dat";
        const std::string skyPath = Session.DataFolder + "SkySat.bin";
        Workers.Start(
            kWorkerSkyFile,
            [this, source, magPath, skyPath]() -> TWorkers::TApply {
                auto list = std::make_shared<std::vector<TSatRec>>();
                bool written = false;
                const TNetMessage message = CreateSkySatFile(source, magPath, skyPath, *list, written);
                return [this, list, written, message] {
                    if (written) SetSkySats(std::move(*list));
                    if (!message.title.empty() || !message.text.empty()) ShowNetMessage(message);
                    RefreshAll();
                };
            },
            &SkyListBusy);
    });
}
