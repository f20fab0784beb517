// The main window: creation, the start-up loader, the satellite boxes and
// shut-down.
#include "frMain.h"

#include <cmath>
#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QComboBox>
#include <QDateEdit>
#include <QDateTimeEdit>
#include <QMessageBox>
#include <QPushButton>

#include <cstdio>
#include <filesystem>

#include "frCommon.h"
#include "frMainWidgets.h"
#include "frSatListModel.h"
#include "uAlertCentre.h"
#include "uClock.h"
#include "uFormat.h"
#include "uGraphicTools.h"
#include "uInitialize.h"
#include "uInternet.h"
#include "uLoadSave.h"
#include "uTracking.h"
#include "uConversion.h"
#include "uSky.h"
#include "uUpdate.h"

TfrMainWnd::TfrMainWnd(const TFolders& folders, const double* startTime, QWidget* parent)
    : QMainWindow(parent), Folders(folders) {
    setObjectName("frMainWnd");
    Session.ProgramFolder = folders.program;
    Session.DataFolder = folders.data;
    ProviderLimiter().KeepGpRecord(Session.DataFolder + kGpRecordFile);
    DownloadFreshness().Keep(Session.DataFolder + kFreshnessFile);
    FormCreate(startTime);
}

TfrMainWnd::~TfrMainWnd() {
    // The menu actions outlive this part of the window (QWidget deletes them);
    // a toggle sent while they go must not reach a half-destroyed window.
    Closing = true;
    if (menu_polar) menu_polar->disconnect(this);
    if (menu_night) menu_night->disconnect(this);
}

void TfrMainWnd::FormCreate(const double* startTime) {
    Busy = false;
    SetupMainWndUi(this, Ui, Folders.program + "icons/", Commands());
    SetupPassesDock();
    setWindowTitle("Skyvane");
    resize(1280, 800);

    // A failed job without a handler of its own, and what the views find
    // while drawing, are told in this window.
    Workers.SetDiagnostics([this](const std::string& text) { ShowMessage(text); });
    View.Messages = [this](const std::string& text) { ShowMessage(text); };

    ShowPickers(startTime ? *startTime : NowDayNumber());

    Timer.setInterval(kTickIntervalMs);
    connect(&Timer, &QTimer::timeout, this, &TfrMainWnd::Tick);

    std::vector<std::string> startMessages;
    LoadOptions(Session.DataFolder, Folders.base, Session.Options, Session.MenuSettings, &startMessages);
    ApplyMenuSettings(Session.MenuSettings);
    if (Session.Options.utcDisplay) {
        // The toggle below sets the flag again and brings the labels along.
        Session.Options.utcDisplay = 0;
        menu_utctimeClick();
    } else {
        Ui.stxt_utc->setText("LOC");
        Ui.menu_utctime->setText("Set Time to UTC");
    }
    // What a save at close would write if nothing changed, for the guard.
    OptionsGuard.Loaded(!IsUnreadableFile(Session.DataFolder + kOptionsFile),
                        OptionsFileBytes(Session.Options, MenuSettingsFromMenus()));
    BuildDisplayExtras();
    Ui.Sb_Main->setText(0, "Next AOS");
    Ui.Sb_Main->setText(2, "Next LOS");
    ConnectCommands();
    SetClockStep(kClockFaster);
    ApplyViewMode();
    ClearReadouts();
    if (!Ui.menu_showskysat->isChecked()) StartSkyRefresh();
    if (!Folders.message.empty()) ShowMessage(Folders.message);

    StartLoader(startTime ? *startTime : NowDayNumber(), startTime != nullptr, std::move(startMessages));
}

void TfrMainWnd::ConnectCommands() {
    connect(Ui.cb_sat1, &QComboBox::activated, this, &TfrMainWnd::cb_sat1Change);
    connect(Ui.cb_sat2, &QComboBox::activated, this, &TfrMainWnd::cb_sat2Change);
    for (QComboBox* box : {Ui.cb_sat1, Ui.cb_sat2}) {
        box->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(box, &QWidget::customContextMenuRequested, this, [this, box](const QPoint& at) { SatelliteMenu(box, at); });
    }
    connect(Ui.dt_main_date, &QDateEdit::dateChanged, this, &TfrMainWnd::dt_main_dateChange);
    connect(Ui.dt_main_hour, &QDateTimeEdit::dateTimeChanged, this, [this] {
        if (!SettingPickers) PickersEdited = true;
    });

    connect(Ui.bn_plus, &QPushButton::clicked, this, [this] { SetClockStep(kClockFaster); });
    connect(Ui.bn_minus, &QPushButton::clicked, this, [this] { SetClockStep(kClockSlower); });
    connect(Ui.bn_stop, &QPushButton::clicked, this, [this] { SetClockStep(kClockStop); });
    connect(Ui.bn_timeforward, &QPushButton::clicked, this, [this] { RunClock(1); });
    connect(Ui.bn_timebackward, &QPushButton::clicked, this, [this] { RunClock(-1); });
    connect(Ui.bn_now, &QPushButton::clicked, this, &TfrMainWnd::bn_nowClick);
    connect(Ui.bn_set, &QPushButton::clicked, this, &TfrMainWnd::bn_setClick);
    // Enter in a picker sets the clock to it, as SET does.
    Ui.dt_main_date->installEventFilter(this);
    Ui.dt_main_hour->installEventFilter(this);
    connect(Ui.stxt_utc, &TClickLabel::clicked, this, &TfrMainWnd::menu_utctimeClick);
    connect(Ui.ElementNotice->epochButton(), &QPushButton::clicked, this, &TfrMainWnd::menu_epochtimeClick);
    connect(Ui.ElementNotice->downloadButton(), &QPushButton::clicked, Ui.menu_webupdate, &QAction::trigger);
    connect(Ui.menu_webupdate, &QAction::enabledChanged, Ui.ElementNotice->downloadButton(), &QWidget::setEnabled);

    connect(Ui.MainImage, &TViewArea::pressed, this, &TfrMainWnd::MainImageMouseDown);
    connect(Ui.MainImage, &TViewArea::moved, this, &TfrMainWnd::MainImageMouseMove);
    connect(Ui.MainImage, &TViewArea::released, this, &TfrMainWnd::MainImageMouseUp);
    connect(Ui.MainImage, &TViewArea::resized, this, &TfrMainWnd::ViewResized);
}

// ---- the start-up loader (worker 1) -------------------------------------------

void TfrMainWnd::StartLoader(double clock, bool clockGiven, std::vector<std::string> messages) {
    struct TLoad {
        TObserver observer{};
        THorizonHandle horizon;
        QImage map;
        std::vector<std::string> messages;
        std::vector<TSatRec> mainSats, iridiumSats;
        bool mainWhole = true;
        bool firstStart = false;  // no observer was ever saved
    };
    const std::string data = Session.DataFolder;
    const std::string mapPath = Session.ProgramFolder + "map/" + Session.Options.mapFile.str();
    Workers.Start(kWorkerStartUp, [this, data, mapPath, clock, clockGiven, messages]() -> TWorkers::TApply {
        auto load = std::make_shared<TLoad>();
        load->messages = messages;
        load->firstStart = !IsRegularFile(data + kObserverFile) && !IsUnreadableFile(data + kObserverFile);
        LoadObserver(data, load->observer, &load->messages);
        std::string maskNote;
        if (const TStatus mask = LoadObserverHorizon(data, load->observer.name.str(), load->horizon, &maskNote); !mask)
            load->messages.push_back(mask.message + "\nIt is not used.");
        if (!maskNote.empty()) load->messages.push_back(maskNote);
        TViewState scratch;
        scratch.Messages = [load](const std::string& text) { load->messages.push_back(text); };
        LoadMapImage(scratch, mapPath);
        load->map = scratch.MapImage;
        LoadCatalogueFile(load->mainSats, data + "MainSat.bin", &load->messages, &load->mainWhole);
        LoadCatalogueFile(load->iridiumSats, data + "IridSat.bin", &load->messages, nullptr);
        return [this, load, clock, clockGiven] {
            if (Closing) return;
            Store.SetObserver(load->observer);
            SetHorizon(load->horizon);
            View.MapImage = load->map;
            // Every file that could not be used as it stands, in one box.
            std::string told;
            for (const std::string& m : load->messages) told += (told.empty() ? "" : "\n") + m;
            if (!told.empty()) ShowMessage(told);
            // The computer's clock is UTC already: no offset to take off.
            Store.SetTime(clockGiven ? clock : NowDayNumber());
            const TFrame now = ObserverFrame(Session.Observer, Session.CurrentTime);
            Session.CurrentGHA = now.gha;
            Session.Observer.vect = now.pos;  // the saved record keeps the last position
            Session.TrackStart = Session.TrackAnchor = Session.CurrentTime;
            Session.NextRise = Session.NextSet = Session.CurrentTime;
            ShowPickers(Session.CurrentTime);  // in the observer's time
            Store.SetOptions(Session.Options);
            Store.LoadMain(std::move(load->mainSats));
            Store.SetIridiumSats(std::move(load->iridiumSats));
            MainSatGuard.Loaded(load->mainWhole, CatalogueBytes(Session.MainSats));
            BuildActiveList();
            ShowCaption();
            // With the states known, a satellite up now shows the pass it is on.
            ComputeStates();
            UpdateNextPass();
            Loaded = true;
            ViewResized();
            SwitchView(Session.Options.viewMode);  // the stored view, as its menu command
            StartAutoDownload();
            StartAlerts();
            if (load->firstStart && AskPlace && !Unattended) OpenFirstStart();
        };
    });
}

void TfrMainWnd::StartAutoDownload() {
    TStartUpJob job;
    job.dataFolder = Session.DataFolder;
    job.elementFolder = Session.Options.tleFolder.str();
    job.autoDownload = Session.Options.autoDownload != 0;
    job.nowDay = NowDayNumber();
    job.locationName = Session.Observer.name.str();
    job.mainSats = Session.MainSats;
    job.iridiumSats = Session.IridiumSats;
    job.onCaption = [this](const std::string& caption) {
        Workers.Post([this, caption] { setWindowTitle(WidgetText(caption)); });
    };
    const unsigned generation = Store.MainGeneration();
    const unsigned iridiumGeneration = Store.IridiumGeneration();
    auto stop = StopDownload;
    Workers.Start(
        kWorkerAutoDownload,
        [this, job = std::move(job), stop, generation, iridiumGeneration]() mutable -> TWorkers::TApply {
            job.config.stop = stop.get();
            job.config.confirmLoss = [this, stop](const TLossQuestion& q) {
                return AskFromWorker([this](std::function<void()> step) { Workers.Post(std::move(step)); }, this,
                                     q.Text(), kLossTitle, stop.get());
            };
            auto result = std::make_shared<TStartUpResult>(StartUpDownload(std::move(job)));
            return [this, result, generation, iridiumGeneration] {
                if (Closing) return;
                ShowCaption();
                if (!result->due) return;
                Session.DownloadSettings = result->settings;
                // A list the user replaced meanwhile is kept; the files stay for "Update Main List".
                if (result->mainChanged && generation == Store.MainGeneration() && !MainListBusy) {
                    Store.SetMainSats(std::move(result->mainSats), false);
                    RebuildFrameSatellites();
                    Session.NextRise = Session.NextSet = Session.CurrentTime;
                    RefreshAll();
                }
                if (result->iridChanged) AdoptDownloadedIridium(std::move(result->iridiumSats), iridiumGeneration);
                for (const TNetMessage& m : result->report.messages) ShowNetMessage(m);
            };
        },
        &DownloadRunning);
}

bool TfrMainWnd::AdoptDownloadedIridium(std::vector<TSatRec> list, unsigned generation) {
    // Written here, on the UI thread: an Iridium job that ran meanwhile wrote the list the window has.
    if (generation != Store.IridiumGeneration() || IridiumBusy) {
        ShowNetMessage({"Download", "The Iridium list changed while the download ran; it is kept, "
                                    "and \"Update Iridium List\" takes the new elements."});
        return false;
    }
    const std::string iridPath = Session.DataFolder + "IridSat.bin";
    if (const TStatus saved = SaveCatalogue(list, iridPath); !saved)
        ShowNetMessage({"File", NotWrittenText(iridPath, saved.message) +
                                    "; the updated Iridium list is used until the program ends"});
    Store.SetIridiumSats(std::move(list));
    return true;
}

void TfrMainWnd::StartSkyRefresh() {
    const std::string skyPath = Session.DataFolder + "SkySat.bin";
    const std::string folder = Session.Options.tleFolder.str();
    const int ageDays = Session.Options.skySatAgeDays;
    Workers.Start(
        kWorkerSkyRefresh,
        [this, skyPath, folder, ageDays]() -> TWorkers::TApply {
            auto refresh = std::make_shared<TSkyRefresh>(RefreshSkySats(skyPath, folder, NowDayNumber(), ageDays));
            return [this, refresh, skyPath] {
                // Written here: the window holds the list the file stores.
                if (refresh->changed)
                    if (const TStatus saved = SaveCatalogue(refresh->sats, skyPath); !saved)
                        ShowNetMessage({"File", NotWrittenText(skyPath, saved.message)});
                SetSkySats(std::move(refresh->sats));
            };
        },
        &SkyListBusy);
}

// ---- settings and menus ---------------------------------------------------------

// The menu items whose check marks Options.bin keeps, in its order.
std::array<QAction*, kMenuItemCount> TfrMainWnd::SavedMenuItems() const {
    return {Ui.menu_displaynumber, Ui.menu_tracks, Ui.menu_sat_vis, Ui.menu_startohorizon, Ui.menu_showskysat,
            Ui.menu_sky_tools_orientation_normal, Ui.menu_sky_tools_orientation_inverted,
            Ui.menu_sky_tools_orientation_mirror_ew, Ui.menu_sky_tools_orientation_mirror_ns,
            Ui.menu_skyviewfixsatellite, Ui.menu_skyviewradec, Ui.menu_skyviewaltaz, Ui.menu_skyviewfixradec,
            Ui.menu_skyviewfixaltaz, Ui.menu_showmagnitude, Ui.menu_starames, Ui.menu_constellations,
            Ui.menu_constellationNames, Ui.menu_showLabel, Ui.menu_grids, Ui.menu_loc_vis};
}

void TfrMainWnd::ApplyMenuSettings(const TMenuSettings& m) {
    const auto items = SavedMenuItems();
    for (int i = 0; i < kMenuItemCount; ++i) items[i]->setChecked(m.checked[i] != 0);
    // The radio groups need one item each; a file with none checked gets the first.
    if (!Ui.menu_skyviewradec->isChecked() && !Ui.menu_skyviewaltaz->isChecked())
        Ui.menu_skyviewradec->setChecked(true);
    if (!Ui.menu_skyviewfixradec->isChecked() && !Ui.menu_skyviewfixaltaz->isChecked() &&
        !Ui.menu_skyviewfixsatellite->isChecked())
        Ui.menu_skyviewfixradec->setChecked(true);
    if (!Ui.menu_sky_tools_orientation_inverted->isChecked() && !Ui.menu_sky_tools_orientation_mirror_ew->isChecked() &&
        !Ui.menu_sky_tools_orientation_mirror_ns->isChecked())
        Ui.menu_sky_tools_orientation_normal->setChecked(true);
    // The view's flags and sky centre; the map image comes with the start-up loader.
    SkySignsFromMenu(m, View.SignX, View.SignY);
    View.ViewMode = Session.Options.viewMode;
    View.SkyCentreHoriz = TAltAz{m.skyCentreAlt, m.skyCentreAz};
    View.SkyFacing = std::isfinite(m.skyCentreAz) ? m.skyCentreAz : 0.0;
    View.ClipHorizon = m.checked[kMenuStarToHorizon];
    View.ShowConstellations = m.checked[kMenuConstellations];
    View.ShowConstellationNames = m.checked[kMenuConstellationNames];
    View.ShowStarNames = m.checked[kMenuStarNames];
    Ui.menu_mag->setText(QString::fromStdString("Satellite Mag Limit = " + FormatGeneral(Session.Options.magLimit)));
}

TMenuSettings TfrMainWnd::MenuSettingsFromMenus() const {
    TMenuSettings m{};
    const auto items = SavedMenuItems();
    for (int i = 0; i < kMenuItemCount; ++i) m.checked[i] = items[i]->isChecked() ? 1 : 0;
    m.skyCentreAlt = View.SkyCentreHoriz.alt;
    m.skyCentreAz = View.SkyCentreHoriz.az;
    return m;
}

// ---- satellite boxes ---------------------------------------------------------------

void TfrMainWnd::BuildActiveList() {
    std::size_t count = 0;
    std::vector<TSatListModel::TRow> rows;
    // Box positions are ActiveIndex positions, which hold byte-sized list
    // indexes; an object of several sets has one box line, its set the one
    // serving the clock.
    std::vector<std::size_t> selected;
    for (std::size_t i = 0; i < Session.MainSats.size() && i <= 255; ++i)
        if (Store.Tracked(i)) selected.push_back(i);
    ActiveSets.clear();
    ActiveSetInUse.clear();
    for (std::vector<TSetSpan>& spans : SetSpansByObject(Session.MainSats, selected)) {
        if (count == kMaxActiveSats) break;
        std::size_t use = 0;
        while (use + 1 < spans.size() && !(Session.CurrentTime < spans[use].to)) ++use;
        const TSatRec& sat = Session.MainSats[spans[use].set];
        Session.ActiveIndex[count++] = static_cast<uint8_t>(spans[use].set);
        ActiveSets.push_back(std::move(spans));
        ActiveSetInUse.push_back(use);
        rows.push_back({sat.name.str(), sat.catNo.str()});
    }
    // Both boxes follow one reset; activated is only the user's choice.
    Ui.SatList->SetNumbers(Ui.menu_displaynumber->isChecked());
    Ui.SatList->Reset(std::move(rows));
    Session.SatStates.assign(count, TSatState{});
    // A new first satellite: its own track and a fresh pass search.
    Session.TrackStart = Session.TrackAnchor = Session.CurrentTime;
    Session.NextRise = Session.NextSet = Session.CurrentTime;
    Ui.cb_sat1->setCurrentIndex(count ? 0 : -1);
    Ui.cb_sat2->setCurrentIndex(count ? 0 : -1);
    Session.Sat1Main = Session.ActiveIndex[0];
    Session.Sat1State = 0;
    RebuildFrameSatellites();
    Store.TrackedListChanged();
}

void TfrMainWnd::cb_sat1Change(int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= Session.SatStates.size()) return;
    Session.Sat1Main = Session.ActiveIndex[index];
    Session.Sat1State = static_cast<uint8_t>(index);
    Frame.sat1 = static_cast<std::size_t>(index);
    ComputeStates();
    // Another satellite: its own pass, searched afresh.
    Session.TrackStart = Session.TrackAnchor = Session.CurrentTime;
    Session.NextRise = Session.NextSet = Session.CurrentTime;
    View.TrackStart = View.TrackAnchor = Session.CurrentTime;
    const TSatState& state = Session.SatStates[Session.Sat1State];
    if (Session.Options.viewMode == kViewSky) {
        if (View.SkyScale < View.SkyScaleMin) {
            View.SkyScale = View.SkyScaleMin;
            SetFieldLabel(UpdateFieldLabel(View, Session.Options));
        }
        // One below the horizon would turn the chart to the ground.
        if (state.altaz.alt > View.HorizonAlt) {
            View.SkyCentre = state.radec;
            View.SkyCentreHoriz = state.altaz;
        }
    } else if (Session.Options.viewMode == kViewGlobe) {
        View.GlobeCentre = state.latlon;
    }
    RefreshAll();
}

void TfrMainWnd::cb_sat2Change(int) { ShowRange2(); }

bool TfrMainWnd::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && (watched == Ui.dt_main_date || watched == Ui.dt_main_hour)) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            bn_setClick();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void TfrMainWnd::ShowCaption() { setWindowTitle(WidgetText(Session.Observer.name.view())); }

// ---- messages ----------------------------------------------------------------------

void TfrMainWnd::ShowMessage(const std::string& text, const std::string& title) {
    if (Closing) {
        std::fprintf(stderr, "%s\n", text.c_str());
        return;
    }
    // Window-modal but not blocking: the clock and the workers go on meanwhile.
    auto* box = new QMessageBox(QMessageBox::NoIcon, WidgetText(title), WidgetText(text), QMessageBox::Ok, this);
    box->setObjectName("MessageBox");
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

void TfrMainWnd::ShowNetMessage(const TNetMessage& m) { ShowMessage(m.text, m.title.empty() ? "Skyvane" : m.title); }

// ---- shut-down ----------------------------------------------------------------------

void TfrMainWnd::closeEvent(QCloseEvent* event) {
    FormClose();
    event->accept();
}

void TfrMainWnd::FormClose() {
    if (Closing) return;
    Loaded = false;
    Closing = true;
    KeepLayout();  // while shown: the docks' places are those the user sees
    hide();
    SetClockStep(kClockStop);
    // A running download stops at its next progress call; its result is dropped.
    StopDownload->store(true);
    DownloadRunning = false;
    Workers.DropResults();
    // Their searches stop; nothing they found is kept.
    delete PredictionWnd.data();
    delete AnalysisWnd.data();
    // No alert after the window has gone; programs still running are stopped.
    delete AlertsWnd.data();
    delete Alerts;
    Alerts = nullptr;

    std::string failed;
    auto keep = [&failed](const TStatus& saved) {
        if (!saved) failed += saved.message + "\n";
    };
    keep(SaveOptions(Session.DataFolder, Session.Options, MenuSettingsFromMenus(), &OptionsGuard));
    // Before the loader has finished, MainSats does not hold the file: leave it.
    if (Store.MainLoaded()) keep(SaveCatalogue(Session.MainSats, Session.DataFolder + "MainSat.bin", &MainSatGuard));
    keep(SaveDisplaySettings(false));
    std::error_code ec;
    std::filesystem::remove(Session.DataFolder + kKmlFile, ec);
    if (!failed.empty()) {
        std::fprintf(stderr, "orbisk: could not save\n%s", failed.c_str());
        if (!Unattended)
            QMessageBox::warning(nullptr, "Skyvane", "These files could not be saved:\n" + WidgetText(failed));
    }
}
