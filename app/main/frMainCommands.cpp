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
#include "frSatListModel.h"
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

// ---- the command table ------------------------------------------------------------

// Every command of the menus, toolbar and keys: id, caption, key, hint, icon
// (also the toolbar button's name), theme icon, whether it is a toggle, and
// what it does. The menus and toolbar lay these out (frMainUi.cpp).
std::vector<TCommand> TfrMainWnd::Commands() {
    TMainWndUi& u = Ui;
    auto layer = [this] { ToggleLayer(); };
    auto sky = [this] { ToggleSkyFlag(); };
    auto home = [this](QAction* const& a) { return [this, &a] { ToggleHomeLocation(a); }; };
    auto orient = [this](QAction* const& a) { return [this, &a] { SetOrientation(a); }; };
    auto skyView = [this](QAction* const& a) { return [this, &a] { menu_skyviewClick(a); }; };
    auto body = [this](int i) { return [this, i] { GoToBody(i); }; };
    auto compass = [this](double az) { return [this, az] { GoToCompass(az); }; };
    auto call = [this](void (TfrMainWnd::*f)()) { return [this, f] { (this->*f)(); }; };
    // Go-to bodies by sky body order (Sun, Mercury, Venus, Moon, Mars ... Pluto).
    return {
        {&u.menu_satellite, "menu_satellite", "Satellite Selector", "F2", "", "tb_sat", "", false,
         call(&TfrMainWnd::menu_satelliteClick)},
        {&u.menu_location, "menu_location", "Observer Location", "F3", "", "tb_loc", "", false,
         call(&TfrMainWnd::menu_locationClick)},
        {&u.menu_satdata, "menu_satdata", "Magnitude Data", "F4", "", "", "", false,
         call(&TfrMainWnd::menu_satdataClick)},
        {&u.menu_reset, "menu_reset", "Reset default ...", "F10", "Return the observer to the last saved location",
         "tb_reset", "go-home", false, call(&TfrMainWnd::menu_resetClick)},
        {&u.menu_options, "menu_options", "Options ...", "Ctrl+O", "", "", "", false,
         call(&TfrMainWnd::menu_optionsClick)},
        {&u.menu_exit, "menu_exit", "Exit", "Alt+F4", "", "tb_exit", "application-exit", false, [this] { close(); }},

        {&u.menu_map, "menu_map", "Map Mode", "Ctrl+M", "", "tb_map", "", true, [this] { SwitchView(kViewMap); }},
        {&u.menu_sky, "menu_sky", "Sky Mode", "Ctrl+S", "", "tb_sky", "", true, [this] { SwitchView(kViewSky); }},
        {&u.menu_globe, "menu_globe", "Globe Mode", "Ctrl+G", "", "tb_globe", "", true,
         [this] { SwitchView(kViewGlobe); }},
        {&u.menu_displaynumber, "menu_displaynumber", "Satellite Number", "Ctrl+X",
         "Show catalogue numbers instead of names", "", "", true, call(&TfrMainWnd::menu_displaynumberClick)},
        {&u.menu_showLabel, "menu_showLabel", "Show Satellite Label", "Ctrl+L", "", "", "", true, layer},

        {&u.menu_sat_vis, "menu_sat_vis", "Satellite Visibility Circle", "", "", "tb_satvis", "", true, layer},
        {&u.menu_loc_vis, "menu_loc_vis", "Location Visibility Circle", "", "", "tb_locvis", "", true, layer},
        {&u.menu_tracks, "menu_tracks", "Satellite Ground track", "", "", "tb_track", "", true, layer},
        {&u.menu_grids, "menu_grids", "Map Grids", "", "", "tb_grids", "", true, layer},
        {&u.menu_displaycities, "menu_displaycities", "Display Cities", "", "", "", "", true, layer},
        {&u.menu_displayhomelocation, "menu_displayhomelocation", "Display Home Location", "", "", "", "", true,
         home(u.menu_displayhomelocation)},
        {&u.menu_globelocation, "menu_globelocation", "Display Home Location", "", "", "", "", true,
         home(u.menu_globelocation)},

        {&u.Sun1, "Sun1", "Sun", "Ctrl+0", "", "", "", false, body(0)},
        {&u.Moon1, "Moon1", "Moon", "Alt+0", "", "", "", false, body(3)},
        {&u.Mercury1, "Mercury1", "Mercury", "Ctrl+1", "", "", "", false, body(1)},
        {&u.Venus1, "Venus1", "Venus", "Ctrl+2", "", "", "", false, body(2)},
        {&u.Mars1, "Mars1", "Mars", "Ctrl+4", "", "", "", false, body(4)},
        {&u.Jupiter1, "Jupiter1", "Jupiter", "Ctrl+5", "", "", "", false, body(5)},
        {&u.Saturn1, "Saturn1", "Saturn", "Ctrl+6", "", "", "", false, body(6)},
        {&u.Uranus1, "Uranus1", "Uranus", "Ctrl+7", "", "", "", false, body(7)},
        {&u.Neptune1, "Neptune1", "Neptune", "Ctrl+8", "", "", "", false, body(8)},
        {&u.Pluto1, "Pluto1", "Pluto", "Ctrl+9", "", "", "", false, body(9)},
        {&u.menu_gotozenith, "menu_gotozenith", "Zenith", "Ctrl+Z", "", "", "", false,
         call(&TfrMainWnd::menu_gotozenithClick)},
        {&u.North1, "North1", "North", "Ctrl+Alt+N", "", "", "", false, compass(0.0)},
        {&u.South1, "South1", "South", "Ctrl+Alt+S", "", "", "", false, compass(kPi)},
        {&u.East1, "East1", "East", "Ctrl+Alt+E", "", "", "", false, compass(kPi / 2)},
        {&u.West1, "West1", "West", "Ctrl+Alt+W", "", "", "", false, compass(1.5 * kPi)},
        {&u.menu_sky_tools_orientation_normal, "menu_sky_tools_orientation_normal", "Uninverted", "Ctrl+U", "", "",
         "", true, orient(u.menu_sky_tools_orientation_normal)},
        {&u.menu_sky_tools_orientation_inverted, "menu_sky_tools_orientation_inverted", "Inverted", "Ctrl+I", "", "",
         "", true, orient(u.menu_sky_tools_orientation_inverted)},
        {&u.menu_sky_tools_orientation_mirror_ew, "menu_sky_tools_orientation_mirror_ew", "Mirror(E_W)", "Ctrl+W",
         "", "", "", true, orient(u.menu_sky_tools_orientation_mirror_ew)},
        {&u.menu_sky_tools_orientation_mirror_ns, "menu_sky_tools_orientation_mirror_ns", "Mirror(N_S)", "Ctrl+N",
         "", "", "", true, orient(u.menu_sky_tools_orientation_mirror_ns)},
        {&u.menu_skyviewradec, "menu_skyviewradec", "Ra/Dec", "Ctrl+R", "North up", "", "", true,
         skyView(u.menu_skyviewradec)},
        {&u.menu_skyviewaltaz, "menu_skyviewaltaz", "Alt/Az", "Ctrl+A", "Horizon level", "", "", true,
         skyView(u.menu_skyviewaltaz)},
        {&u.menu_skyviewfixradec, "menu_skyviewfixradec", "Fixed Ra/Dec", "Ctrl+Alt+R", "The chart keeps its stars",
         "", "", true, skyView(u.menu_skyviewfixradec)},
        {&u.menu_skyviewfixaltaz, "menu_skyviewfixaltaz", "Fixed Alt/Az", "Ctrl+Alt+A",
         "The chart keeps its direction", "", "", true, skyView(u.menu_skyviewfixaltaz)},
        {&u.menu_skyviewfixsatellite, "menu_skyviewfixsatellite", "Fixed Satellite", "Ctrl+Alt+T",
         "The chart follows the first satellite", "", "", true, skyView(u.menu_skyviewfixsatellite)},
        {&u.menu_constellations, "menu_constellations", "Constellations", "Ctrl+C", "", "tb_const", "", true, sky},
        {&u.menu_constellationNames, "menu_constellationNames", "Constellation Names", "Ctrl+Alt+C", "",
         "tb_constname", "", true, sky},
        {&u.menu_starames, "menu_starames", "Star Names", "Ctrl+K", "", "tb_starname", "", true, sky},
        {&u.menu_startohorizon, "menu_startohorizon", "Star to Horizon", "Ctrl+H", "", "", "", true, sky},
        {&u.menu_mag, "menu_mag", "Satellite Mag Limit = 7", "Ctrl+Shift+M",
         "Extra satellites fainter than this magnitude are left off the sky chart (stars have their own limit)", "",
         "", false, call(&TfrMainWnd::menu_magClick)},
        {&u.menu_showmagnitude, "menu_showmagnitude", "Show Magnitude", "Ctrl+Alt+M", "", "", "", true, layer},
        {&u.menu_showskysat, "menu_showskysat", "Show Extra Satellites", "Ctrl+E", "", "", "", true,
         call(&TfrMainWnd::menu_showskysatClick)},
        {&u.menu_createskyfile, "menu_createskyfile", "Create Sky Satellite File", "", "", "", "", false,
         call(&TfrMainWnd::menu_createskyfileClick)},
        {&u.tb_plus, "tb_plus_action", "Increase the number of stars", "", "", "tb_plus", "", false,
         [this] { StarMagnitudeStep(0.5); }},
        {&u.tb_minus, "tb_minus_action", "Decrease the number of stars", "", "", "tb_minus", "", false,
         [this] { StarMagnitudeStep(-0.5); }},

        {&u.menu_utctime, "menu_utctime", "Set Time to UTC", "", "", "tb_time", "", false,
         call(&TfrMainWnd::menu_utctimeClick)},
        {&u.menu_settimelocal, "menu_settimelocal", "Set System Time", "", "", "", "", false,
         call(&TfrMainWnd::bn_nowClick)},
        {&u.menu_setusertime, "menu_setusertime", "Set User Time", "", "", "", "", false,
         call(&TfrMainWnd::bn_setClick)},
        {&u.menu_forward, "menu_forward", "Time Forward     >", "Ctrl+Right", "", "", "", false,
         [this] { RunClock(1); }},
        {&u.menu_backward, "menu_backward", "Time Backward   <", "Ctrl+Left", "", "", "", false,
         [this] { RunClock(-1); }},
        {&u.menu_stop, "menu_stop", "Time Stop           []", "Ctrl+Space", "", "", "", false,
         [this] { SetClockStep(kClockStop); }},
        {&u.menu_faster, "menu_faster", "Faster           +", "Ctrl+Up", "One step up the clock's speeds", "", "",
         false, [this] { SetClockStep(kClockFaster); }},
        {&u.menu_slower, "menu_slower", "Slower           -", "Ctrl+Down", "One step down the clock's speeds", "",
         "", false, [this] { SetClockStep(kClockSlower); }},
        {&u.menu_epochtime, "menu_epochtime", "Set Clock to Elements' Epoch", "",
         "Move the clock to the epoch of the first satellite's element set", "", "", false,
         call(&TfrMainWnd::menu_epochtimeClick)},

        {&u.menu_linetabular, "menu_linetabular", "Prediction Passes", "F5", "", "tb_linetab", "", false,
         call(&TfrMainWnd::menu_linetabularClick)},
        {&u.menu_analysis, "menu_analysis", "Analysis Search", "F6", "", "tb_analysis", "system-search", false,
         call(&TfrMainWnd::menu_analysisClick)},
        {&u.menu_planets, "menu_planets", "Solar / Moon - Data", "F7", "", "tb_planets", "", false,
         call(&TfrMainWnd::menu_planetsClick)},
        {&u.menu_info, "menu_info", "Satellite Info", "Ctrl+F3", "", "tb_info", "dialog-information", false,
         call(&TfrMainWnd::menu_infoClick)},
        {&u.menu_alerts, "menu_alerts", "Pass Alerts...", "", "Rules for being told of coming passes, and the alerts "
         "of the next 24 hours", "", "", false, call(&TfrMainWnd::menu_alertsClick)},

        {&u.menu_conversion, "menu_conversion", "File Conversion", "Ctrl+F2",
         "Rewrite an element file with common names", "", "", false, call(&TfrMainWnd::menu_conversionClick)},
        {&u.menu_webupdate, "menu_webupdate", "Internet File Download...", "Ctrl+F4", "", "", "", false,
         call(&TfrMainWnd::menu_webupdateClick)},
        {&u.menu_radio, "menu_radio", "Radio Control...", "",
         "Tune a radio for the Doppler shift of a tracked satellite", "", "", false,
         call(&TfrMainWnd::menu_radioClick)},
        {&u.menu_rotator, "menu_rotator", "Rotator Control...", "",
         "Turn an antenna rotator to follow a tracked satellite's pass", "", "", false,
         call(&TfrMainWnd::menu_rotatorClick)},
        {&u.menu_importmag, "menu_importmag", "Import Magnitudes...", "",
         "Merge standard magnitudes from a qs.mag list, SATCAT CSV or an element file (name rules) into Mag.dat",
         "", "", false, call(&TfrMainWnd::menu_importmagClick)},
        {&u.mn_UpdateMainList, "mn_UpdateMainList", "Update Main List", "",
         "Newer element sets for the satellite list from the element files", "", "", false,
         call(&TfrMainWnd::mn_UpdateMainListClick)},
        {&u.mn_UpdateIridiList, "mn_UpdateIridiList", "Update Iridium List", "",
         "Newer element sets for the Iridium list from the element files", "", "", false,
         call(&TfrMainWnd::mn_UpdateIridiListClick)},
        {&u.nm_createIrid, "nm_createIrid", "Create New Iridum File", "", "Build IridSat.bin from Iridium.tle", "",
         "", false, call(&TfrMainWnd::nm_createIridClick)},

        {&u.menu_contents, "menu_contents", "Help", "F1", "", "", "help-contents", false,
         call(&TfrMainWnd::menu_contentsClick)},
        {&u.menu_about, "menu_about", "About ..", "Shift+F10", "", "", "help-about", false,
         call(&TfrMainWnd::menu_aboutClick)},
    };
}

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

// Only the labels change: the boxes keep the satellites chosen in them.
void TfrMainWnd::menu_displaynumberClick() {
    Ui.SatList->SetNumbers(Ui.menu_displaynumber->isChecked());
    RebuildFrameSatellites();
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
    std::string note;
    THorizonHandle mask;
    if (const TStatus loaded = LoadObserverHorizon(Session.DataFolder, Session.Observer.name.str(), mask, &note); !loaded)
        ShowMessage(loaded.message + "\nIt is not used.");
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
        if (const TStatus saved = options->saved() ? SaveOptions(Session.DataFolder, Session.Options, MenuSettingsFromMenus())
                                                   : TStatus::Success();
            !saved)
            ShowMessage(NotWrittenText(Session.DataFolder + kOptionsFile, saved.message));
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
    Alerts = new TAlertCentre(Store, Notifier, this);
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
    auto iridiumGeneration = std::make_shared<unsigned>(Store.IridiumGeneration());
    setup.onBatch = [this, generation, iridiumGeneration](const TWebBatchOutcome& out) {
        if (out.mainChanged && *generation == Store.MainGeneration() && !MainListBusy) {
            Store.SetMainSats(out.mainSats, false);
            *generation = Store.MainGeneration();
            RebuildFrameSatellites();
            Session.NextRise = Session.NextSet = Session.CurrentTime;
            RefreshAll();
        }
        if (out.iridChanged && AdoptDownloadedIridium(out.iridiumSats, *iridiumGeneration))
            *iridiumGeneration = Store.IridiumGeneration();
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
            const TStatus imported = ImportMagnitudeFile(path, magPath, report);
            TMagFile mag;
            if (imported) LoadMagFile(magPath, mag);
            return [this, imported, report, path, magPath, lines = std::move(mag.lines)] {
                if (!imported) {
                    ShowMessage(imported.message, "Import Magnitudes");
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
