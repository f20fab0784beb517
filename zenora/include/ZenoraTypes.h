// Shared value records of the astronomy library and its callers.
// Angles in radians, distances in km (AU for heliocentric planet vectors).
#pragma once
#include <cstddef>

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
