// The main window's views: switching between map, sky and globe (each
// switch loads what its view needs on a worker), the frame snapshot the
// views draw from, and resizing.
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QToolBar>

#include "Zenora.h"
#include "frMain.h"
#include "frMainWidgets.h"
#include "uGraphicTools.h"
#include "uLoadSave.h"
#include "uMap.h"
#include "uTracking.h"

namespace {

template <class T>
std::shared_ptr<const std::vector<T>> Shared(std::vector<T>&& list) {
    return std::make_shared<const std::vector<T>>(std::move(list));
}

// What a view switch loads off the UI thread.
struct TViewData {
    std::vector<TSkyRecord> stars, figures;
    std::vector<TMapCity> cities;
    std::vector<TSatRec> skySats;
    bool haveSkySats = false;
    bool haveCities = false;
    std::vector<std::string> messages;
};

void LoadViewData(TViewData& d, int mode, const std::string& folder, bool cities, bool skySats) {
    std::string message;
    if (mode == kViewSky) {
        for (auto [file, list] : {std::pair{"SaoStar.bin", &d.stars}, {"Constellation.bin", &d.figures}})
            if (const TStatus read = ReadSkyFile(folder + file, *list); !read) d.messages.push_back(read.message);
        if (skySats && CheckFile(folder + "SkySat.bin")) {
            LoadCatalogue(d.skySats, folder + "SkySat.bin");
            d.haveSkySats = true;
        }
    } else if (mode == kViewMap && cities) {
        LoadMapCities(folder + kMapLocationsFile, d.cities, message);
        if (!message.empty()) d.messages.push_back(message);
        d.haveCities = true;
    }
}

}  // namespace

void TfrMainWnd::SwitchView(int mode) {
    if (Busy) {
        // Ignored; the check mark stays with the view shown.
        const int shown = Session.Options.viewMode;
        (shown == kViewSky ? Ui.menu_sky : shown == kViewGlobe ? Ui.menu_globe : Ui.menu_map)->setChecked(true);
        return;
    }
    if (mode != kViewSky) {
        Session.StarList.clear();
        Session.ConstellationList.clear();
        Frame.stars.reset();
        Frame.constellations.reset();
    }
    Store.EditOptions([mode](TOptions& o) { o.viewMode = mode; });
    ApplyViewMode();
    const int code = mode == kViewSky ? kWorkerSkySwitch : mode == kViewGlobe ? kWorkerGlobeSwitch : kWorkerMapSwitch;
    const std::string folder = Session.DataFolder;
    const bool cities = Ui.menu_displaycities->isChecked() && !Frame.cities;
    const bool skySats = Ui.menu_showskysat->isChecked() && Session.SkySats.empty() && !SkyListBusy;
    Workers.Start(
        code,
        [this, mode, folder, cities, skySats]() -> TWorkers::TApply {
            auto data = std::make_shared<TViewData>();
            LoadViewData(*data, mode, folder, cities, skySats);
            return [this, mode, data] {
                if (Closing || Session.Options.viewMode != mode) return;
                for (const std::string& m : data->messages) ShowMessage(m);
                if (mode == kViewSky) {
                    Session.StarList = data->stars;
                    Session.ConstellationList = data->figures;
                    Frame.stars = Shared(std::move(data->stars));
                    Frame.constellations = Shared(std::move(data->figures));
                    if (data->haveSkySats && Session.SkySats.empty()) SetSkySats(std::move(data->skySats));
                }
                if (data->haveCities) Frame.cities = Shared(std::move(data->cities));
                EnterView(mode);
            };
        },
        &Busy);
}

// The last steps of a view switch, on the UI thread.
void TfrMainWnd::EnterView(int mode) {
    Session.BodyCount = mode == kViewSky ? 9 : 1;
    if (mode == kViewGlobe) View.GlobeCentre = Session.Observer.pos;
    if (mode == kViewSky) {
        SetFieldLabel(UpdateFieldLabel(View, Session.Options));
        Alt_az_to_ra_dec(&Session.Observer.pos, &View.SkyCentreHoriz, &View.SkyCentre, Session.CurrentGHA);
    }
    RefreshAll();
}

void TfrMainWnd::ApplyViewMode() {
    SetClockStep(kClockStop);
    const int mode = Session.Options.viewMode;
    const bool sky = mode == kViewSky;
    for (QAction* a : {Ui.menu_sat_vis, Ui.menu_loc_vis, Ui.menu_tracks, Ui.menu_grids}) {
        a->setVisible(!sky);
        a->setEnabled(!sky);
    }
    for (QAction* a : {Ui.menu_constellations, Ui.menu_constellationNames, Ui.menu_starames, Ui.tb_plus, Ui.tb_minus})
        a->setVisible(sky);
    // Commands that only act on the sky chart.
    for (QAction* a : Ui.skyBodies) a->setEnabled(sky);
    for (QAction* a : {Ui.North1, Ui.South1, Ui.East1, Ui.West1, Ui.menu_gotozenith,
                       Ui.menu_sky_tools_orientation_normal, Ui.menu_sky_tools_orientation_inverted,
                       Ui.menu_sky_tools_orientation_mirror_ew, Ui.menu_sky_tools_orientation_mirror_ns,
                       Ui.menu_skyviewradec, Ui.menu_skyviewaltaz, Ui.menu_skyviewfixradec, Ui.menu_skyviewfixaltaz,
                       Ui.menu_skyviewfixsatellite, Ui.menu_constellations, Ui.menu_constellationNames,
                       Ui.menu_starames})
        a->setEnabled(sky);
    static const char* const kPanels[3][8] = {
        {"LAT", "", "LON", "", "VEL", "", "TLE", ""},
        {"RA", "", "DEC", "", "ALT", "", "AZ", ""},
        {" LAT", "", "LON", "", "VEL", "", "TLE", ""},
    };
    const int row = sky ? 1 : mode == kViewGlobe ? 2 : 0;
    for (int i = 0; i < 8; ++i) Ui.Sb_Main->setText(4 + i, kPanels[row][i]);
    Ui.mn_map->menuAction()->setVisible(mode == kViewMap);
    Ui.mn_sky->menuAction()->setVisible(sky);
    Ui.mn_globe->menuAction()->setVisible(mode == kViewGlobe);
    Ui.stxt_info1->setText(sky ? "Sky" : mode == kViewGlobe ? "Globe " : "Map");
    (sky ? Ui.menu_sky : mode == kViewGlobe ? Ui.menu_globe : Ui.menu_map)->setChecked(true);
}

void TfrMainWnd::SetFieldLabel(const std::string& text) {
    if (SkyMode()) Ui.stxt_info1->setText(QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())));
}

TViewMenu TfrMainWnd::ViewMenuNow() const {
    TViewMenu m;
    m.displayNumber = Ui.menu_displaynumber->isChecked();
    m.tracks = Ui.menu_tracks->isChecked();
    m.satVis = Ui.menu_sat_vis->isChecked();
    m.locVis = Ui.menu_loc_vis->isChecked();
    m.grids = Ui.menu_grids->isChecked();
    m.showLabel = Ui.menu_showLabel->isChecked();
    m.displayCities = Ui.menu_displaycities->isChecked();
    m.displayHome = Ui.menu_displayhomelocation->isChecked();
    m.showMagnitude = Ui.menu_showmagnitude->isChecked();
    m.showSkySat = Ui.menu_showskysat->isChecked();
    m.skyViewAltAz = Ui.menu_skyviewaltaz->isChecked();
    m.skyViewFixAltAz = Ui.menu_skyviewfixaltaz->isChecked();
    m.skyViewFixSatellite = Ui.menu_skyviewfixsatellite->isChecked();
    m.starToHorizon = Ui.menu_startohorizon->isChecked();
    m.constellations = Ui.menu_constellations->isChecked();
    m.constellationNames = Ui.menu_constellationNames->isChecked();
    m.starNames = Ui.menu_starames->isChecked();
    return m;
}

// The frame's own copies of the tracked satellites, in ActiveIndex order:
// propagation writes into them, so they are kept from tick to tick.
void TfrMainWnd::RebuildFrameSatellites() {
    Frame.menu = ViewMenuNow();
    Frame.sats.clear();
    for (std::size_t i = 0; i < Session.SatStates.size(); ++i) {
        TFrameSat s;
        s.rec = Session.MainSats[Session.ActiveIndex[i]];
        s.label = Frame.menu.displayNumber ? s.rec.catNo.str() : s.rec.name.str();
        Frame.sats.push_back(std::move(s));
    }
    Frame.sat1 = Session.Sat1State;
}

// Observer vector and hour angle, the bodies of the view, the satellites.
void TfrMainWnd::FollowElementSets() {
    const double t = Session.CurrentTime;
    for (std::size_t k = 0; k < ActiveSets.size() && k < Frame.sats.size(); ++k) {
        const std::vector<TSetSpan>& spans = ActiveSets[k];
        std::size_t use = ActiveSetInUse[k];
        if (spans.size() < 2 || (spans[use].from <= t && t < spans[use].to)) continue;
        use = 0;
        while (use + 1 < spans.size() && !(t < spans[use].to)) ++use;
        ActiveSetInUse[k] = use;
        const std::size_t set = spans[use].set;
        if (set >= Session.MainSats.size()) continue;  // a list replaced without new boxes
        Session.ActiveIndex[k] = static_cast<uint8_t>(set);
        Store.TrackedListChanged();
        Frame.sats[k].rec = Session.MainSats[set];
        if (k != Session.Sat1State) continue;
        // The first satellite's pass and track are its new set's.
        Session.Sat1Main = static_cast<uint8_t>(set);
        Session.TrackStart = Session.TrackAnchor = t;
        View.TrackStart = View.TrackAnchor = t;
        Session.NextRise = Session.NextSet = t;
        SetSwitched = true;
    }
}

void TfrMainWnd::ComputeStates() {
    FollowElementSets();
    Frame.observer = Session.Observer;
    Frame.options = Session.Options;
    Frame.menu = ViewMenuNow();
    Frame.direction = Direction;
    Frame.sat1 = Session.Sat1State;
    ComputeFrame(Frame, Session.CurrentTime);
    Session.CurrentGHA = Frame.gha;
    Session.Observer.vect = Frame.look.pos;  // the saved record keeps the last position
    Session.BodyStates = Frame.bodies;
    for (std::size_t i = 0; i < Frame.sats.size() && i < Session.SatStates.size(); ++i) {
        Session.SatStates[i] = Frame.sats[i].state;
        Session.MainSats[Session.ActiveIndex[i]].decayed = Frame.sats[i].rec.decayed;
    }
}

void TfrMainWnd::DrawFrame() {
    RefreshView(View, Frame, Ui.MainImage->frame());
    Session.TrackStart = View.TrackStart;
    Session.TrackAnchor = View.TrackAnchor;
    ++FrameCount;
    Ui.MainImage->update();
}

void TfrMainWnd::SetSkySats(std::vector<TSatRec> list) {
    Store.SetSkySats(std::move(list));
    SkySatsShared = std::make_shared<const std::vector<TSatRec>>(Session.SkySats);
    Frame.skySats = SkySatsShared;
}

void TfrMainWnd::ViewResized() {
    if (!Loaded) return;
    const QSize size = Ui.MainImage->size();
    ResizeViews(View, size.width(), size.height(), Ui.MainImage->devicePixelRatioF());
    const std::string label = ApplyDisplayOptions(View, Session.Options);
    SetFieldLabel(label);
    RefreshAll();
}
