// Iridium flares: the moments the Sun's reflection in a main mission antenna
// of an Iridium satellite sweeps over the observer, with the brightness
// there and on the centre line of the reflected beam.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

#include "uPassSearch.h"
#include "uReport.h"

// Fixed settings of the search (the window's elevation and Sun limits are
// replaced by these).
inline constexpr double kFlareMinElevation = 0.1745;   // rad
inline constexpr double kFlareSunLimit = -0.01745;     // rad
inline constexpr double kFlareAngleLimit = 3.0;        // degrees
inline constexpr double kNoFlareAngle = 180.0;
inline constexpr double kMirrorLockAngle = 60.0;
inline constexpr double kFineStepAngle = 30.0;
inline constexpr double kCoarseStepMs = 30000.0;
inline constexpr double kFineStepMsPerDegree = 500.0;
inline constexpr double kMinStepMs = 150.0;
inline constexpr double kFlareRecordSpan = 10.0;       // s each side of the flare
inline constexpr double kDayFlareMagLimit = -5.0;      // what "Day Flares" sets

struct TFlareInputs {
    double start = 0.0, stop = 0.0;   // UTC day numbers
    bool utcMode = true;
    double displayOffset = 0.0;       // days
    bool dayFlares = false;           // search daylight instead of darkness
    double magLimit = 0.0;            // faintest listed magnitude
    std::string elementDate;          // text after "Element Date : "
};

// One listed flare, with the geometry it was computed from.
struct TFlare {
    std::size_t satellite = 0;  // index into the searched list
    double t = 0.0;             // UTC day number
    double angle = 0.0;         // degrees between the reflection and the observer
    int mirror = 0;
    double gha = 0.0;
    TVector observerPos{}, satPos{}, satVel{}, sunPos{}, reflection{}, centre{};
    double beamRange = 0.0;     // satellite to centre-line point, km
    TFlareRow row;              // as reported (distance already x factor)
};

struct TFlareResult {
    TReportLines lines;
    std::vector<TPassRecord> passes;  // search order
    std::vector<TFlare> flares;       // search order
    bool skyCharts = false;           // "Prediction Sky Charts" and "Show in Google Earth"
};

// The whole search over the Iridium list, satellites on `threads` threads
// (0: one per core), rows sorted as text (case-insensitive).
TFlareResult RunFlareSearch(const TFlareInputs& inputs, const std::vector<TSatRec>& iridium,
                            const TObserver& observer, const TReportSettings& settings,
                            unsigned threads = 0);

// Magnitudes of a flare: at the centre line from the beam length (km) and
// the angle at the satellite between the centre point and the Sun (rad);
// at the observer from the flare angle (degrees) and the satellite's
// elevation (rad), never brighter than the centre line.
double CentreLineMagnitude(double beamRange, double sunAngle);
double FlareMagnitude(double angle, double elevation, double centreMagnitude);

// The satellite name without its first 8 characters, blanks trimmed.
std::string FlareId(const TSatRec& satellite);

// "Element Date" text: the modification time of a file in local time,
// "yyyy-mm-dd HH:nn:ss"; "" when the file is missing.
std::string FileDateText(const std::string& path);
// The date-time form used where a plain date and time is shown.
std::string DefaultDateTimeText(double dayNumber);

// Sorts report rows as text, ignoring case.
void SortRowsNoCase(std::vector<std::string>& rows);
