// Satellite record and body state: shared by libsatellite and the program.
// Both are file formats (little-endian, packed, written byte for byte).
#pragma once
#include <cstddef>
#include <cstdint>
#include "ShortString.h"
#include "ZenoraTypes.h"

#pragma pack(push, 1)
struct TSatRec {
    // Element block (0..1071): filled by parse_elements, completed by the
    // initialisation call; the program only reads the public fields.
    double epoch;            // 0   Julian date, UTC
    uint8_t priv0[24];       // 8   propagator-private
    double node;             // 32  RAAN, rad
    double ecc;              // 40
    double argPerigee;       // 48  rad
    double meanAnomaly;      // 56  rad
    uint8_t priv1[8];        // 64  propagator-private
    double period;           // 72  minutes
    double apogee;           // 80  km above the equatorial radius
    double decayDate;        // 88  day number (days since 1899-12-30)
    double revNumber;        // 96
    double meanMotion;       // 104 rev/day
    double perigee;          // 112 km above the equatorial radius
    double inclination;      // 120 rad
    uint8_t deepSpace;       // 128 nonzero: SDP4
    uint8_t work[943];       // 129 propagator-private working storage
    // Program part (1072..1111).
    double stdMag;           // 1072 standard visual magnitude
    uint8_t decayed;         // 1080
    uint8_t selected;        // 1081
    ShortString<20> name;    // 1082
    ShortString<5> catNo;    // 1103
    uint8_t pad[3];          // 1109
};

struct TSatState {
    TVector pos;             // 0   geocentric, km
    TVector vel;             // 32  km/s, r = speed
    TRaDec radec;            // 64  topocentric ra, dec, range
    TLatLon latlon;          // 88  sub-point and height
    TAltAz altaz;            // 112
    uint8_t sunlit;          // 128
    uint8_t pad0[3];         // 129
    int32_t body;            // 132
    int32_t mode;            // 136
    uint8_t pad1[4];         // 140
};
#pragma pack(pop)

static_assert(sizeof(TSatRec) == 1112);
static_assert(offsetof(TSatRec, epoch) == 0);
static_assert(offsetof(TSatRec, priv0) == 8);
static_assert(offsetof(TSatRec, node) == 32);
static_assert(offsetof(TSatRec, ecc) == 40);
static_assert(offsetof(TSatRec, argPerigee) == 48);
static_assert(offsetof(TSatRec, meanAnomaly) == 56);
static_assert(offsetof(TSatRec, priv1) == 64);
static_assert(offsetof(TSatRec, period) == 72);
static_assert(offsetof(TSatRec, apogee) == 80);
static_assert(offsetof(TSatRec, decayDate) == 88);
static_assert(offsetof(TSatRec, revNumber) == 96);
static_assert(offsetof(TSatRec, meanMotion) == 104);
static_assert(offsetof(TSatRec, perigee) == 112);
static_assert(offsetof(TSatRec, inclination) == 120);
static_assert(offsetof(TSatRec, deepSpace) == 128);
static_assert(offsetof(TSatRec, work) == 129);
static_assert(offsetof(TSatRec, stdMag) == 1072);
static_assert(offsetof(TSatRec, decayed) == 1080);
static_assert(offsetof(TSatRec, selected) == 1081);
static_assert(offsetof(TSatRec, name) == 1082);
static_assert(offsetof(TSatRec, catNo) == 1103);
static_assert(offsetof(TSatRec, pad) == 1109);

static_assert(sizeof(TSatState) == 144);
static_assert(offsetof(TSatState, vel) == 32);
static_assert(offsetof(TSatState, radec) == 64);
static_assert(offsetof(TSatState, latlon) == 88);
static_assert(offsetof(TSatState, altaz) == 112);
static_assert(offsetof(TSatState, sunlit) == 128);
static_assert(offsetof(TSatState, body) == 132);
static_assert(offsetof(TSatState, mode) == 136);
