// The tables of the Sun, Moon and planet data window, as engine functions:
// rise, meridian transit ("Mid") and set of the Sun or the Moon for a run of
// days (with the Moon's illuminated percentage), and the positions of the
// Sun, the Moon and the planets at one instant. Each takes its inputs as a
// plain struct and returns the records and the text lines the window shows.
// Times in records are UTC day numbers; the lines show them plus the
// display offset of local mode.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "uHorizonMask.h"
#include "uReport.h"
#include "uSite.h"
#include "uText.h"
#include "uVarDef.h"

// Horizons of the rise/set table, as the almanacs have them: the apparent
// altitude (rad, refraction included) of the Sun's centre, or of the Moon's
// upper limb, at its rise and set. Sunrise: 34' of refraction and a 16'
// semidiameter; moonrise: 34' of refraction, the Moon's semidiameter and
// parallax of the moment added by the table; twilight: the Sun's centre,
// no refraction.
inline constexpr double kHorizonNormal = -50.0 / 60.0 * kDegToRad;  // the Sun's upper limb
inline constexpr double kHorizonMoon = -34.0 / 60.0 * kDegToRad;    // the Moon's upper limb
inline constexpr double kHorizonCivil = -6.0 * kDegToRad;
inline constexpr double kHorizonNautical = -12.0 * kDegToRad;
inline constexpr double kHorizonAstronomical = -18.0 * kDegToRad;

struct TRiseSetInputs {
    int32_t body = kBodySun;          // kBodySun or kBodyMoon
    double date = 0.0;                // the first row's date as shown (its time of day is ignored)
    int days = 10;                    // the table has days + 1 rows
    double horizon = kHorizonNormal;  // rad, see above: the Sun's centre or the Moon's upper limb
    // An observer's horizon mask (null: none): rise and set are then where
    // the body clears it, its altitude counted from the mask's limit.
    THorizonHandle mask;
    std::string title = "  Sun Rise/Set ";
    bool utcMode = true;              // else local: the observer's offset is added to every time
    TSite observer;                   // position, name and UTC offset (always shown)
};

struct TRiseSetRow {
    double dayStart = 0.0;            // UTC day number of the row's midnight as shown
    bool hasRise = false, hasTransit = false, hasSet = false;
    // UTC day numbers. A row holds the day's first rise, transit and set as
    // shown to the minute (rounded): from 30 s before its midnight to 30 s
    // before the next.
    double rise = 0.0, transit = 0.0, set = 0.0;
    double illuminated = -1.0;        // Moon: percent lit at dayStart; -1 for the Sun
};

struct TRiseSetTable {
    std::vector<TRiseSetRow> rows;
    TReportLines lines;
};

TRiseSetTable RiseSetTable(const TRiseSetInputs& inputs);

struct TPlanetInputs {
    double time = 0.0;                // as shown: UTC, or local in local mode
    bool utcMode = true;
    TSite observer;
};

struct TPlanetRow {
    int32_t body = 0;
    std::string name;
    double ra = 0.0, dec = 0.0;       // rad, seen from the observer, mean equator of date
    double altitude = 0.0;            // degrees, geometric (no refraction), from the observer
    double azimuth = 0.0;             // degrees from north through east
    double distance = 0.0;            // km from the observer
};

struct TPlanetTable {
    double t = 0.0;                   // UTC day number of the positions
    std::vector<TPlanetRow> rows;     // in the table's order: the Moon last
    TReportLines lines;
};

TPlanetTable PlanetTable(const TPlanetInputs& inputs);
