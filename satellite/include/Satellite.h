// Public interface of libsatellite: element parsing, SGP4/SDP4 and Iridium
// mirror geometry. Eight C exports and one addition (sat_propagate); a false
// result is a failure, nothing throws.
//
// tle_valid(line1, line2) accepts a pair only when, after trailing blanks and
// line ends are dropped, each line is exactly 69 characters; the lines start
// with "1 " and "2 "; the catalogue numbers (columns 3-7) are equal and are
// five digits (leading blanks allowed) or Alpha-5 (a letter other than I and
// O for the leading digits: A0000 = 100000 ... Z9999 = 339999); the fixed
// separator columns are blank; every numeric field parses (epoch year and
// day 0..366, drag terms, inclination 0..180, node, argument of perigee and
// mean anomaly 0..360, eccentricity digits, mean motion > 0, element and
// revolution numbers); and both checksums (digits plus one per '-', mod 10,
// in column 69) match.
//
// parse_elements is more lenient: it needs the same fields but no checksum
// or separators, ignores text after column 69 and takes blank drag terms and
// revolution numbers as zero. It fills the public fields: epoch (JD, UTC),
// node, eccentricity, argument of perigee, mean anomaly, inclination (rad),
// mean motion (rev/day, as given), revolution number, period (minutes, from
// the recovered mean motion), apogee and perigee (km above the WGS-72
// equatorial radius 6378.135 km), the deep-space flag (period >= 225 min) and
// the decay date. On failure the element block is zeroed, so no
// initialisation or propagation accepts it.
//
// Decay date (day number): epoch + H / |da/dt|, the lifetime in an
// exponential atmosphere, with da/dt from the mean-motion derivative of line 1
// and a scale height H = 15 km + 0.1 x perigee height, kept within 20..80 km.
// Perigee below 100 km: the epoch itself. No positive derivative, or a
// lifetime of 15000 days or more: epoch + 100000 days (no decay expected).
//
// SGP4_init / SDP4_init build the near-earth or the deep-space model whatever
// the flag says and return false when the elements cannot be propagated at
// epoch. SGP4 / SDP4 propagate only a block initialised for their own model;
// they return false for an uninitialised or damaged block (the private
// storage carries a check value), a non-finite time or one beyond 1e8
// minutes, a model error (eccentricity out of range, negative semi-latus
// rectum, the satellite below the Earth's surface) or non-finite output.
// Output is TEME (the frame Greenwich sidereal time turns to Earth-fixed),
// km and km/s, r filled. No heap allocation. SDP4 keeps the position of its
// resonance integrator in the record to speed up nearby times; the cache has
// its own check value and any order of times gives the same results, but
// threads should propagate their own copies of a record.
//
// Addition: sat_propagate(sat, deep, tsince, pos, vel) propagates like SGP4
// (deep 0) or SDP4 (nonzero) with the same checks and results, but never
// writes the record; the deep-space integrator position is kept per thread
// (a few blocks, by their check value), so any number of threads may share
// one record. It returns a TSatStatus telling the failures apart.
//
// Iridium mirrors: mirror 1 faces the direction of flight, 2 and 3 follow at
// 120 degrees counter-clockwise seen from above; each panel leans 40 degrees
// from the nadir-pointing body axis. IridiumCalc returns angle 180 when the
// Sun lights no usable mirror; the reflection is a unit vector. IridTrkVect
// returns the first point where the reflected ray meets the sphere of the
// given radius and the distance from the satellite to it; a ray that misses
// gives the sphere point below its closest approach.
#pragma once
#include <cstdint>
#include "SatTypes.h"

#if defined(SATELLITE_BUILD)
#define SATELLITE_API __attribute__((visibility("default")))
#else
#define SATELLITE_API
#endif

// What sat_propagate says.
enum TSatStatus : int32_t {
    kSatOk = 0,
    kSatNotInitialised = 1,   // no block of this model, or a damaged one
    kSatTimeOutOfRange = 2,   // tsince not finite or beyond 1e8 minutes
    kSatMeanMotion = 3,       // mean motion not positive
    kSatEccentricity = 4,     // eccentricity out of range
    kSatSemiLatusRectum = 5,  // negative semi-latus rectum
    kSatBelowSurface = 6,     // below the Earth's surface: decayed
    kSatNonFinite = 7,        // output not a finite number
};

extern "C" {
SATELLITE_API bool tle_valid(const char* line1, const char* line2);
SATELLITE_API bool parse_elements(const char* line1, const char* line2, TSatRec* sat);
SATELLITE_API bool SGP4_init(TSatRec* sat);
SATELLITE_API bool SDP4_init(TSatRec* sat);
SATELLITE_API bool SGP4(TSatRec* sat, TVector* pos, TVector* vel, double tsince);
SATELLITE_API bool SDP4(TSatRec* sat, TVector* pos, TVector* vel, double tsince);
SATELLITE_API int32_t sat_propagate(const TSatRec* sat, int32_t deep, double tsince, TVector* pos, TVector* vel);
SATELLITE_API void IridiumCalc(const TVector* observer, const TVector* satPos, const TVector* satVel,
                               const TSatState* sun, TVector* reflection, double* angle,
                               int32_t* mirrorUsed, int32_t mirror);
SATELLITE_API void IridTrkVect(const TVector* reflection, const TVector* satPos, TVector* ground,
                               double earthCentreDistance, double* range);
}
