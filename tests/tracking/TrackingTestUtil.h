// Shared fixtures of the tracking tests: observers and satellites from
// published element sets.
#pragma once
#include <cmath>
#include <numbers>
#include <string>

#include "Satellite.h"
#include "Zenora.h"
#include "uTracking.h"

constexpr double kDeg = std::numbers::pi / 180.0;

inline TObserver MakeObserver(double latDeg, double lonDeg, double heightKm = 0.0) {
    TObserver o{};
    o.pos = TLatLon{latDeg * kDeg, lonDeg * kDeg, heightKm};
    RhoSinCos(&o.pos, &o.rhoSin, &o.rhoCos);
    return o;
}

inline bool MakeSat(const char* l1, const char* l2, TSatRec& sat) {
    sat = TSatRec{};
    if (!parse_elements(l1, l2, &sat)) return false;
    return sat.deepSpace ? SDP4_init(&sat) : SGP4_init(&sat);
}

// Day number of a UTC calendar date (proleptic Gregorian).
inline double DayNumber(int y, int m, int d, double hours = 0.0) {
    if (m <= 2) { y -= 1; m += 12; }
    const int a = y / 100;
    const int b = 2 - a + a / 4;
    const double jd = std::floor(365.25 * (y + 4716)) + std::floor(30.6001 * (m + 1)) + d + b - 1524.5;
    return jd - kJulianOffset + hours / 24.0;
}

// Element sets of the SGP4 verification set (first 69 columns).
inline const char* kTle06251[2] = {
    "1 06251U 62025E   06176.82412014  .00008885  00000-0  12808-3 0  3985",
    "2 06251  58.0579  54.0425 0030035 139.1568 221.1854 15.56387291  6774"};
inline const char* kTle28872[2] = {  // sub-orbital, lost about 50 minutes after epoch
    "1 28872U 05037B   05333.02012661  .25992681  00000-0  24476-3 0  1534",
    "2 28872  96.4736 157.9986 0303955 244.0492 110.6523 16.46015938 10708"};
inline const char* kTle00005[2] = {
    "1 00005U 58002B   00179.78495062  .00000023  00000-0  28098-4 0  4753",
    "2 00005  34.2682 348.7242 1859667 331.7664  19.3264 10.82419157413667"};
