// The observer as a value: a site (where it stands, what it is called) and
// the frame of that site at one time (its geocentric position, the sidereal
// angle and the local vertical). Nothing here is written once made: a
// computation takes the site, builds the frame for the time it needs, and
// passes both on as const.
#pragma once
#include <string>

#include "ZenoraTypes.h"
#include "uVarDef.h"

struct TSite {
    std::string name;
    std::string zoneName;
    TLatLon geo{};             // lat, lon (rad, east positive), height (km)
    double geoidHeight = 0.0;  // km
    double utcOffset = 0.0;    // days: local = UTC + offset
    double rhoCos = 0.0;       // distance from the Earth's axis, km
    double rhoSin = 0.0;       // distance from the equatorial plane, km
    // Angle between the ellipsoid normal and the radial direction, with a
    // margin (rad); the reach bounds widen their claims by it.
    double normalTilt = 0.0;
    double cosLat = 1.0, sinLat = 0.0;

    TSite() = default;
    // The stored observer record is the file format; everything else works
    // with the site made from it (its time-dependent vect is not read).
    TSite(const TObserver& observer);  // NOLINT(google-explicit-constructor): converts at the edges
};

// The observer at one time: plain numbers, cheap to copy. Making one costs
// the sidereal angle and the position only (most frames are made for a
// propagation that needs no more); what derives from them is worked out by
// whoever asks.
struct TFrame {
    double t = 0.0;       // UTC day number
    double gha = 0.0;     // Greenwich hour angle (mean sidereal), rad
    TVector pos{};        // geocentric position of the site, km
    TLatLon geo{};        // the site's lat, lon, height
    double normalTilt = 0.0;
    double cosLat = 1.0, sinLat = 0.0;  // of geo.lat
    // Unit ellipsoid normal (geodetic zenith), from the same local sidereal
    // angle as pos: made with the frame, as nearly every frame serves an
    // elevation.
    TVector zenith{0.0, 0.0, 1.0, 1.0};

    TVector Zenith() const { return zenith; }
};

// The frame of site at t.
TFrame ObserverFrame(const TSite& site, double t);

// Elevation of a geocentric position above the frame's horizon (the plane
// normal to the ellipsoid).
double ElevationOf(const TVector& position, const TFrame& frame);
// Its azimuth, rad from north through east, 0 <= az < 2 pi, on the same plane.
double AzimuthOf(const TVector& position, const TFrame& frame);
