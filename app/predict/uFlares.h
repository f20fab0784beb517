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

// The whole search over the Iridium list, satellites on `threads` threads
// (0: one per core); flares in report order (FlareReport renders them).
// control (may be null): cancel and progress.
TFlareResult RunFlareSearch(const TFlareInputs& inputs, const std::vector<TSatRec>& iridium,
                            const TSite& site, unsigned threads = 0,
                            TSearchControl* control = nullptr);

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
