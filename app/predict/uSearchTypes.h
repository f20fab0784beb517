// Inputs and result records of the prediction searches. A search fills
// records; uReport renders them as report lines, and the KML export, the
// radar chart and table views read them directly. Times are UTC day numbers
// (days since 1899-12-30); angles in records are degrees where the reports
// print degrees, radians where a record says so; distances are km: the
// renderers put them in the display unit.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "SatTypes.h"
#include "ShortString.h"
#include "uChoice.h"
#include "ZenoraTypes.h"
#include "uHorizonMask.h"
#include "uMagModel.h"

// How far a search got. A cancelled search keeps every satellite it finished
// and says it was cut short.
// A search that failed (an error inside one satellite's job) stops, keeps
// what it finished, is cut short and says why in failure.
struct TSearchStatus {
    bool cutShort = false;
    std::size_t satellitesDone = 0;
    std::size_t satellitesTotal = 0;
    std::string failure;  // "" unless the search failed
};

// The prediction window's inputs, read once before a search starts.
struct TPredictionInputs {
    double start = 0.0;          // UTC day number
    double stop = 0.0;           // UTC day number
    double minElevation = 0.0;   // rad
    double sunAltitude = 0.0;    // rad
    double minRevs = 13.0;       // revolutions per day
    int tableStep = 60;          // s
    bool sunlitOnly = true;
    bool dayAndNight = false;
    bool utcMode = true;
    double displayOffset = 0.0;  // days: observer's UTC offset in local mode, else 0
    // Leave out satellites that cannot rise for the observer and pass over
    // evaluations that cannot change a walk's course; the results are the
    // same either way (false: the plain walk, for checking that).
    bool shortcuts = true;
    // The observer's horizon: passes are listed where they clear it (null:
    // the minimum elevation all round). minElevation stays its floor.
    THorizonHandle horizon;
    // How a standard magnitude becomes the one seen (default: as always).
    TMagModel magModel;
    // Which satellites of the list are searched, by place (default: all);
    // the caller's choice, never a flag of the records.
    TChoice chosen;
};

// One pass for the sky charts and the radar window. In memory only (never a
// file), so naturally aligned: callers may bind references to its numbers.
// The passes of one satellite share one copy of its record, which outlives
// the list the search was given.
struct TPassRecord {
    ShortString<30> title;   // see PassTitle
    std::optional<double> magnitude;  // line: at the highest point; table: brightest lit
                             // row; none when in the Earth's shadow throughout
    double maxElevation;     // degrees; line: the highest point; table: highest row
    double start;            // UTC day number: AOS or first sunlit second
    double end;              // UTC day number: LOS or last sunlit second
    std::shared_ptr<const TSatRec> satellite;  // lets the charts recompute the track
};

// One shared copy per satellite of a list, made when first asked for.
class TSatelliteHandles {
public:
    explicit TSatelliteHandles(const std::vector<TSatRec>& sats) : sats_(sats), handles_(sats.size()) {}
    const std::shared_ptr<const TSatRec>& operator[](std::size_t i) {
        if (!handles_[i]) handles_[i] = std::make_shared<const TSatRec>(sats_[i]);
        return handles_[i];
    }

private:
    const std::vector<TSatRec>& sats_;
    std::vector<std::shared_ptr<const TSatRec>> handles_;
};

// What the line report notes about the Earth's shadow during a pass.
enum class TShadowNote : uint8_t {
    kNone,          // sunlit-only listing: nothing noted
    kSunlit,        // sunlit from AOS to LOS
    kShadowed,      // in the shadow from AOS to LOS
    kEntersShadow,  // sunlit at AOS, last sunlit second at shadowTime
    kLeavesShadow,  // shadowed at AOS, first sunlit second at shadowTime
};

// One pass of the line search.
struct TLinePass {
    std::size_t satellite = 0;                      // index into the searched list
    // middle: the whole second from the AOS at which the listed part of the
    // pass is highest (its culmination when that is listed), the "Max" column
    double aos = 0, middle = 0, los = 0;            // UTC day numbers
    double aosElevation = 0, aosAzimuth = 0;        // degrees
    double maxElevation = 0, maxAzimuth = 0;        // at the middle
    double magnitude = 0;                           // at the middle
    bool shadowed = false;                          // at the middle: no magnitude shown
    double losElevation = 0, losAzimuth = 0;
    double seconds = 0;                             // duration
    TShadowNote shadow = TShadowNote::kNone;
    double shadowTime = 0;                          // for kEntersShadow, kLeavesShadow
};

// One row of the tabular search.
struct TTableRow {
    double t = 0;
    double elevation = 0, azimuth = 0;  // degrees; the elevation no lower than the minimum
    double range = 0;                   // km (not printed)
    double magnitude = 0;
    bool shadowed = false;              // in the Earth's shadow at t: no magnitude shown
    bool sunlit = false;                // the "Slt" column (as the row was reached)
};
struct TTablePass {
    std::size_t satellite = 0;
    long long revolution = 0;
    std::vector<TTableRow> rows;
};

// Both listing searches fill passes; the line search linePasses, the
// tabular search tablePasses.
struct TPredictionResult {
    std::vector<TLinePass> linePasses;
    std::vector<TTablePass> tablePasses;
    std::vector<TPassRecord> passes;
    bool skyCharts = false;  // "Prediction Sky Charts" is to be enabled
    TSearchStatus status;
};

// Iridium flares.
struct TFlareInputs {
    double start = 0.0, stop = 0.0;   // UTC day numbers
    bool utcMode = true;
    double displayOffset = 0.0;       // days
    bool dayFlares = false;           // search daylight instead of darkness
    double magLimit = 0.0;            // faintest listed magnitude
    std::string elementDate;          // text after "Element Date : "
    THorizonHandle horizon;           // a flare behind it is not listed (null: none)
};

struct TFlareRow {
    double t = 0;
    std::string id;
    double elevation = 0, azimuth = 0, range = 0, magnitude = 0;
    double centreLat = 0, centreLon = 0, bearing = 0, distance = 0, centreMagnitude = 0;
};

// One listed flare, with the geometry it was computed from.
struct TFlare {
    std::size_t satellite = 0;  // index into the searched list
    double t = 0.0;             // UTC day number
    double angle = 0.0;         // degrees between the reflection and the observer
    int mirror = 0;
    double gha = 0.0;           // rad
    TVector observerPos{}, satPos{}, satVel{}, sunPos{}, reflection{}, centre{};
    double beamRange = 0.0;     // satellite to centre-line point, km
    TFlareRow row;              // as reported, distances in km
};

struct TFlareResult {
    std::vector<TFlare> flares;       // report order
    std::vector<TPassRecord> passes;  // search order, as the pass list keeps them
    bool skyCharts = false;           // "Prediction Sky Charts" and "Show in Google Earth"
    TSearchStatus status;
};

// Transits.
struct TTransitRow {
    double t = 0, elevation = 0, azimuth = 0, magnitude = 0;
    bool sunlit = false;
    double separation = 0;   // arc minutes
    double range = 0;        // km
    double illumination = 100.0;
};

struct TTransit {
    std::size_t satellite = 0;
    double t = 0.0;               // UTC day number of the listed row
    double separation = 0.0;      // smallest separation, degrees
    TTransitRow row;
};

struct TTransitResult {
    std::vector<TTransit> transits;
    TSearchStatus status;
};

// Ground paths.
struct TGroundPathRow {
    // width: the band's half-width (the "HalfW" column); distances km
    double t = 0, latitude = 0, longitude = 0, width = 0, bearing = 0, distance = 0;
    double range = 0, elevation = 0;
    bool sunlit = false;
};

struct TPathRow {
    std::size_t satellite = 0;
    TLatLon point{};              // rad, height km
    double slantRange = 0.0;      // path point to satellite, km
    double widthKm = 0.0;         // the band's half-width, km
    TGroundPathRow row;           // as reported, distances in km
};

// One listed path: the rows of one pass, in time order.
struct TGroundPath {
    std::size_t satellite = 0;
    std::vector<TPathRow> rows;
};

struct TGroundPathResult {
    std::vector<TGroundPath> paths;
    bool google = false;          // a path was listed
    TSearchStatus status;
};

// The first and last moments of a record (UTC day numbers): which set of an
// object serves it, and whether it was cut at the end of a search's window.
inline std::pair<double, double> RecordTimes(const TLinePass& p) { return {p.aos, p.los}; }
inline std::pair<double, double> RecordTimes(const TTablePass& p) {
    if (p.rows.empty()) return {0.0, 0.0};
    return {p.rows.front().t, p.rows.back().t};
}
inline std::pair<double, double> RecordTimes(const TFlare& f) { return {f.t, f.t}; }
inline std::pair<double, double> RecordTimes(const TTransit& t) { return {t.t, t.t}; }
inline std::pair<double, double> RecordTimes(const TGroundPath& p) {
    if (p.rows.empty()) return {0.0, 0.0};
    return {p.rows.front().row.t, p.rows.back().row.t};
}
