// Text, number and unit helpers shared by every reader and computation of
// the program: one locale-free number parser, one integer parser, one trim,
// one column slicer and the two Earth radii (units and constants: uUnits.h).
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "uUnits.h"

// The text without leading and trailing blanks and control characters
// (every byte up to and including ' ').
std::string_view TrimText(std::string_view s);

// The text with ASCII letters in upper case (8-bit bytes above 127 kept).
std::string UpperText(std::string_view s);

// Columns first..last of line (1-based, inclusive), "" past its end.
std::string_view DataColumns(std::string_view line, std::size_t first, std::size_t last);

// The whole trimmed text as a finite number with '.' as decimal point,
// whatever the process locale (a leading '+' is allowed). False, with value
// untouched, for anything else.
bool ParseNumber(std::string_view text, double& value);

// The whole trimmed text as a decimal integer that fits (a leading '+' is
// allowed). False, with value untouched, for anything else.
bool ParseInteger(std::string_view text, int64_t& value);
bool ParseInteger(std::string_view text, int32_t& value);

constexpr double Radians(double degrees) { return degrees * kDegToRad; }
constexpr double Degrees(double radians) { return radians * kRadToDeg; }

// Equatorial radii of the Earth, km. Both are right where they are used:
// the propagator's elements (apogee, perigee) are defined on WGS-72; the
// observer's geodesy and the decay test use WGS-84.
inline constexpr double kEarthRadiusWgs72 = 6378.135;
inline constexpr double kEarthRadiusWgs84 = 6378.137;
