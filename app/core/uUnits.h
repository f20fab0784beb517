// Constants and units of the whole program, each defined once so that no
// two modules can disagree. Angles are radians in records and computations,
// degrees in files, reports and readouts; times are UTC day numbers, days
// since 1899-12-30 00:00 (the libraries take Julian dates).
#pragma once
#include <numbers>

inline constexpr double kPi = std::numbers::pi;
inline constexpr double kTwoPi = 2.0 * kPi;
inline constexpr double kHalfPi = kPi / 2.0;
inline constexpr double kDegToRad = kPi / 180.0;
inline constexpr double kRadToDeg = 180.0 / kPi;

inline constexpr double kJulianOffset = 2415018.5;  // Julian date = day number + this
inline constexpr double kUnixEpochDay = 25569.0;    // 1970-01-01 00:00 UTC as a day number
inline constexpr double kMinutesPerDay = 1440.0;
inline constexpr double kSecondsPerDay = 86400.0;
