// The state of one drawing surface, the frame snapshot the views draw from,
// and the projections of the three views with their inverses.
//
// A frame never reads process-wide state: everything it shows arrives in a
// TFrameState (a value; the big read-only lists are shared), and everything
// it keeps between frames lives in the TViewState it is drawn with. So a
// frame can be drawn on any thread, one frame per view state at a time.
#pragma once
#include <QFont>
#include <QImage>
#include <QPoint>

#include <cstdint>
#include <limits>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "SatTypes.h"
#include "uChoice.h"
#include "uStatus.h"
#include "ZenoraTypes.h"
#include "uDataFiles.h"
#include "uHorizonMask.h"
#include "uLoadSave.h"
#include "uSite.h"
#include "uSkyData.h"
#include "uUnits.h"
#include "uVarDef.h"

inline constexpr int kViewMap = 1, kViewSky = 2, kViewGlobe = 3;
inline constexpr std::size_t kMaxActiveSats = 15;

// A star or figure list precessed to a date, and what it was made from.
struct TSkyOfDate {
    const TSkyRecord* source = nullptr;  // the J2000 list's first record
    std::size_t count = 0;
    double date = 0.0;                   // UTC day number
    std::vector<TSkyRecord> records;
};
// The J2000 records precessed to the mean equator and equinox of date t
// (a UTC day number), kept in cache until the list or the day changes.
const std::vector<TSkyRecord>& SkyRecordsOfDate(TSkyOfDate& cache, const std::vector<TSkyRecord>& j2000,
                                                double t);

struct TViewState {
    TRaDec Zenith{};          // ra/dec of the observer's zenith (sky, with ClipHorizon)
    TRaDec SkyCentre{};       // ra/dec at the chart centre
    TLatLon GlobeCentre{};    // lat/lon at the globe centre (height unused)
    TAltAz SkyCentreHoriz{};  // alt/az of the chart centre
    int32_t Width = 0, Height = 0;
    double Rotation = 0.0;    // sky chart rotation on screen, rad
    double HorizonAlt = 0.0;  // refracted horizon, rad (negative)
    double MapScaleX = 0.0, MapScaleY = 0.0;  // map pixels per radian (equal: the map keeps 2:1)
    // The map's rectangle inside the surface: the largest 2:1 one, centred;
    // the bands beside or above it stay empty.
    int32_t MapX = 0, MapY = 0, MapW = 0, MapH = 0;
    // Device pixels per view pixel: coordinates stay in view pixels, the
    // surfaces hold Width x Height times this (sharp on HiDPI screens).
    double PixelRatio = 1.0;
    // The azimuth the chart faces with the horizon level. Kept while the
    // centre is near the zenith, where the centre's own azimuth is
    // meaningless and would turn the chart over; NaN: not chosen yet.
    double SkyFacing = std::numeric_limits<double>::quiet_NaN();
    double SkyScale = 1.0;    // sky pixels per degree at the centre
    double SkyScaleMin = 1.0;
    std::optional<double> SkyCutoff;  // cos of the field limit; none: no limit
    double GlobeScale = 1.0;  // globe radius, pixels
    double GlobeAux = 1.0;    // largest GlobeScale a zoom may reach
    int32_t CentreX = 0, CentreY = 0;
    int32_t SignX = 1, SignY = 1;  // sky chart mirror factors
    uint8_t Dirty = 1;             // background must be redrawn
    uint8_t ClipHorizon = 0, ShowConstellations = 0, ShowConstellationNames = 0, ShowStarNames = 0;
    QImage MapImage;          // whole-world equirectangular image, RGB32
    QImage Background;        // slowly changing layers of map and globe
    bool BackgroundNight = false;  // the map's background is in the night colours

    int ViewMode = kViewMap;  // the mode the background was drawn for
    QFont Font;               // display font from the options
    std::vector<QRect> LabelRects;  // the labels the last frame drew (none overlap)

    // Ground track of the first satellite (map and globe), the times it
    // covers and the element set it was computed from (another first
    // satellite, or new elements, make a new track).
    std::vector<TLatLon> TrackPoints;
    double TrackStart = 0.0, TrackAnchor = 0.0;
    std::string TrackCatNo;
    double TrackEpoch = 0.0;

    // The star and figure lists as the chart draws them: precessed from
    // J2000 to the equator and equinox of the drawn date (the chart's ra/dec
    // are of date), made again for another list or a date a day away.
    TSkyOfDate StarsOfDate, FiguresOfDate;

    // Problems found while drawing go here, each text once, called on the
    // drawing thread; without one they go to stderr.
    TDiagnostics Messages;
    std::set<std::string> Reported;
};

// Check marks of the main window's menu items that the views read.
struct TViewMenu {
    bool displayNumber = false;    // menu_displaynumber: catalogue numbers for names
    bool tracks = true;            // menu_tracks
    bool satVis = true;            // menu_sat_vis
    bool locVis = false;           // menu_loc_vis
    bool grids = false;            // menu_grids
    bool showLabel = true;         // menu_showLabel
    bool displayCities = false;    // menu_displaycities
    bool displayHome = true;       // menu_displayhomelocation / menu_globelocation
    bool showMagnitude = false;    // menu_showmagnitude
    bool showSkySat = false;       // menu_showskysat
    bool skyViewAltAz = false;     // menu_skyviewaltaz: horizon orientation
    bool skyViewFixAltAz = false;  // menu_skyviewfixaltaz
    bool skyViewFixSatellite = false;  // menu_skyviewfixsatellite
    bool starToHorizon = false;    // menu_startohorizon
    bool constellations = true;    // menu_constellations
    bool constellationNames = false;  // menu_constellationNames
    bool starNames = false;        // menu_starames
};
TViewMenu ViewMenuFrom(const TMenuSettings& menu);

// One active satellite as the views see it.
struct TFrameSat {
    TSatRec rec{};        // the frame's snapshot; decayed: whether the frame's propagation failed
    TSatState state{};    // every group filled (kFillAll), sunlit flag set
    std::string label;    // its entry in the first satellite box (Latin-1)
};

struct TFrameState {
    double time = 0.0;    // UTC day number
    double gha = 0.0;     // Greenwich hour angle at time, rad
    int direction = 1;    // clock direction: -1 when it runs backwards
    TObserver observer{}; // the observer's record (its vect is not read)
    TFrame look{};        // the observer at time
    TOptions options{};
    TViewMenu menu;
    std::vector<TFrameSat> sats;   // in SatStates order, at most 15
    std::size_t sat1 = 0;          // the first satellite box's choice in sats
    std::vector<TSatState> bodies; // Sun first, then the Moon (or the ten sky bodies), kFillAll:
                                   // ra/dec for the phase and the chart, sub-points for map and globe
    std::shared_ptr<const std::vector<TSkyRecord>> stars, constellations;
    std::shared_ptr<const std::vector<TSatRec>> skySats;
    std::shared_ptr<const std::vector<TMapCity>> cities;
    THorizonHandle horizon;        // the observer's horizon mask, drawn in the sky view (null: none)
    bool night = false;            // the night palette: the frame in red on black

    const TFrameSat* FirstSat() const { return sat1 < sats.size() ? &sats[sat1] : nullptr; }
    const TSatState* Sun() const { return bodies.empty() ? nullptr : &bodies[0]; }
    const TSatState* Moon() const;
};

// Body codes in the sky view's order: Sun, Mercury, Venus, Moon, Mars ... Pluto.
inline constexpr int32_t kSkyBodyCodes[10] = {kBodySun,     kBodyMercury, kBodyVenus,  kBodyMoon,
                                              kBodyMars,    kBodyJupiter, kBodySaturn, kBodyUranus,
                                              kBodyNeptune, kBodyPluto};

// The tracked records of list in order (at most 15) become frame.sats, each
// labelled by name, or by catalogue number with menu.displayNumber.
void SetFrameSatellites(TFrameState& frame, const std::vector<TSatRec>& list, const TChoice& tracked);
// Everything that depends on the time: observer vector, hour angle, the bodies
// of the view mode (Sun and Moon; the ten sky bodies in sky mode) and the
// satellites with their sunlit flags.
void ComputeFrame(TFrameState& frame, double t);

// ---- view state set-up ---------------------------------------------------

// Sizes the background to width x height view pixels (at least 2 x 2) at
// pixelRatio device pixels each and derives the centre, the map's 2:1
// rectangle and the scales from it.
void ResizeViews(TViewState& vs, int width, int height, double pixelRatio = 1.0);
// image made (or kept) at the view's size in device pixels, with the view's
// pixel ratio, so painters on it work in view pixels.
void PrepareSurface(QImage& image, const TViewState& vs);
// The sky scale at which the whole horizon circle around the zenith fits the
// surface: the widest chart a zoom may reach.
double WholeSkyScale(const TViewState& vs);
// Zenith distance below which the chart keeps the azimuth it faces.
inline constexpr double kNearZenith = 15.0 * kDegToRad;
// Field of view, horizon, scales and font from the options; sets Dirty.
// Writes the chart's field back into options.skyField. Returns the field
// label text.
std::string ApplyDisplayOptions(TViewState& vs, TOptions& options);
// "Size: %0:4.1f %1s" for the chart's vertical field; sets SkyCutoff and
// stores the field (degrees) into options.skyField.
std::string UpdateFieldLabel(TViewState& vs, TOptions& options);
// Whole sky around the zenith, the horizon whole on the chart, facing the
// azimuth the chart faced; returns the field label text.
std::string GoToZenith(TViewState& vs, TOptions& options);
// The chart at scale pixels per degree, at most a field of 0.08 of a degree
// per pixel of height; a zoom out past a field of 90 degrees gives the whole
// sky (GoToZenith). Returns the field label text.
std::string ZoomSky(TViewState& vs, TOptions& options, double scale);

// ---- projections -----------------------------------------------------------

// Map (equirectangular in the map's 2:1 rectangle, x limited to its right and
// y to its bottom edge) or globe (orthographic around GlobeCentre; hidden
// when cos c <= minCos). The pixel, or none where the point is hidden, not
// finite, or in sky mode. cosC (may be null) gets cos c on the globe, 1 on
// the map, 0 otherwise.
std::optional<QPoint> GeoToPixel(const TViewState& vs, const TLatLon& p, double minCos, double* cosC = nullptr);
// The globe projection with another radius (satellites above the globe).
std::optional<QPoint> GlobeToPixel(const TViewState& vs, const TLatLon& p, double minCos, double radius,
                                   double* cosC = nullptr);
// Inverse of GeoToPixel: none off the globe. The height is the Earth's
// radius on the globe, 0 on the map (which knows none); pixels beside the
// map give the nearest point of its edge.
std::optional<TLatLon> PixelToGeo(const TViewState& vs, const QPoint& pixel);
// Lambert azimuthal equal-area chart around SkyCentre, rotated and mirrored;
// false when the point is outside the field or below the clipped horizon.
bool SkyToPixel(const TViewState& vs, const TRaDec& p, QPoint& pixel);
// Inverse of SkyToPixel: none off the chart (dist 0).
std::optional<TRaDec> PixelToSky(const TViewState& vs, const QPoint& pixel);

// n points (first = last) of the circle on the Earth from which a body at
// geocentric distance km, above centre, is on the horizon. Only lat and lon
// are meaningful.
void SmallCircle(const TLatLon& centre, std::vector<TLatLon>& points, double distance, int n);

// trunc of the distance between two pixels.
int PixelDistance(const QPoint& a, const QPoint& b);
