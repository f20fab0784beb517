// Shared value records of the astronomy library and its callers.
// Angles in radians, distances in km (AU for heliocentric planet vectors).
#pragma once
#include <cstddef>
#include <cstdint>

#pragma pack(push, 1)
struct TVector {
    double x, y, z;
    double r;  // length, kept up to date by every producer
};
struct TRaDec {
    double ra, dec, dist;
};
struct TAltAz {
    double alt, az;
};
struct TLatLon {
    double lat, lon, height;
};
#pragma pack(pop)

static_assert(sizeof(TVector) == 32);
static_assert(sizeof(TRaDec) == 24);
static_assert(sizeof(TAltAz) == 16);
static_assert(sizeof(TLatLon) == 24);
static_assert(offsetof(TVector, r) == 24);

// Body codes: what Calc_Planet computes, and what the program's body states
// hold. kBodyRaDec and kBodyStar are fixed sky positions the program keeps
// itself; Calc_Planet leaves any code it does not know as the caller's
// heliocentric vector.
enum TBody : uint8_t {
    kBodySun = 0,
    kBodyMercury = 1,
    kBodyVenus = 2,
    kBodyEarth = 3,
    kBodyMars = 4,
    kBodyJupiter = 5,
    kBodySaturn = 6,
    kBodyUranus = 7,
    kBodyNeptune = 8,
    kBodyPluto = 9,
    kBodyMoon = 31,
    kBodyRaDec = 50,  // a fixed right ascension and declination
    kBodyStar = 51,   // a star of the star list
};

// Direction argument of Precession.
enum TPrecessionDirection : uint8_t {
    kPrecessToJ2000 = 0,    // from the mean equator and equinox of date to J2000.0
    kPrecessFromJ2000 = 1,  // from J2000.0 to the mean equator and equinox of date
};

// Model argument of Mean_obliquity.
enum TObliquityModel : uint8_t {
    kObliquityJ2000 = 0,    // the J2000.0 value, 23.4392911 degrees, whatever the date
    kObliquityLinear = 1,   // J2000.0 value less 0.0000004 degrees a day
    kObliquityTenTerm = 2,  // ten-term polynomial in 10000-year units (Laskar 1986)
};
