// Satellite state and look angles; Sun, Moon and planet services.
// Times are UTC day numbers (days since 1899-12-30), angles radians,
// distances km. Every computation takes the observer it works for, so a
// worker thread passes its own copy and never moves the shared one.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "SatTypes.h"
#include "ZenoraTypes.h"
#include "uVarDef.h"

constexpr double kJulianOffset = 2415018.5;      // Julian date = day number + this
constexpr double kMinutesPerDay = 1440.0;
constexpr double kSecondsPerDay = 86400.0;
constexpr double kEarthRadius = 6378.137;        // equatorial, km
constexpr double kDecayMargin = 75.0;            // km above kEarthRadius
constexpr double kMinSpeed = 0.5;                // km/s
constexpr double kHalfPi = 1.5707963267948966;
constexpr double kAstronomicalUnit = 149597870.691;  // km

// Body codes of the Sun/Moon/planet services.
constexpr int32_t kBodySun = 0;
constexpr int32_t kBodyMoon = 31;
constexpr int32_t kBodyRaDec = 50;  // fixed right ascension/declination
constexpr int32_t kBodyStar = 51;   // fixed star

// ---- satellite state and look angles -------------------------------------

// Greenwich hour angle for t; stores the observer's geocentric position for t
// in observer.vect.
double ObserverVector(double t, TObserver& observer = Observer);

// Elevation of a geocentric position above the observer's horizon (the plane
// normal to the ellipsoid), using the observer position last stored by
// ObserverVector.
double ElevationOf(const TVector& position, const TObserver& observer = Observer);

// Derived groups of a state by its mode, seen from observer (its vect for gha):
// 1 ra/dec/range, alt/az, sub-point; 2 ra/dec/range; 3 sub-point;
// 4 ra/dec/range, alt/az; 5 ra/dec/range, sub-point; anything else nothing.
void FillStateGroups(TSatState& state, double gha, const TObserver& observer = Observer);

// True when a propagated position/velocity means the satellite is down:
// within kDecayMargin of the equatorial radius, slower than kMinSpeed, or not
// a finite number at all.
bool IsDecayedMotion(const TVector& pos, const TVector& vel);

// Propagates sat to t and fills state by its mode (gha: hour angle for t).
// False when the satellite is decayed: then only the decayed flag and the
// position's r (kEarthRadius) change besides position and velocity. A record
// marked kDecayedRejected is never propagated and keeps its mark.
bool PropagateSatellite(TSatRec& sat, TSatState& state, double t, double gha,
                        const TObserver& observer = Observer);

// SatStates for CurrentTime/CurrentGHA from the selected records of MainSats;
// BodyStates[0] must already hold the Sun for that time.
void ComputeActiveStates();

// Modes of SatStates from the view mode (sky: 2, else 3) and Sat1State (1).
void SetStateModes();

// Visual magnitude of a satellite: false (magnitude untouched) when it is in
// the Earth's shadow. state.radec.dist must hold the range.
bool VisualMagnitude(const TVector& observerPos, const TSatState& state, const TVector& sunPos,
                     double stdMag, double& magnitude);
// The same brightness without the shadow test, for reports that list it anyway.
double RawMagnitude(const TVector& observerPos, const TSatState& state, const TVector& sunPos,
                    double stdMag);

// ---- Sun, Moon and planet services ---------------------------------------

#pragma pack(push, 1)
struct TTimeInterval {
    double end;    // day number
    double start;  // day number
};
#pragma pack(pop)
static_assert(sizeof(TTimeInterval) == 16);
static_assert(offsetof(TTimeInterval, end) == 0);
static_assert(offsetof(TTimeInterval, start) == 8);

// ΔT cache, one per thread: ΔT in days and the Julian date it was keyed to.
extern thread_local double DeltaTDays;
extern thread_local double DeltaTKey;

bool IsFixedTarget(int32_t body);

// Makes state a fixed sky target (kBodyRaDec or kBodyStar) pointing from the
// Earth's centre to ra/dec at one astronomical unit.
void SetFixedTarget(TSatState& state, int32_t body, double ra, double dec);

// Geocentric position of body at t (mean equator of date, km). A fixed
// target's vector is left as it is.
void PlanetVector(int32_t body, TVector& v, double t);

// PlanetVector into state.pos, then the derived groups by state.mode.
void ComputeBodyState(TSatState& state, double t, double gha, const TObserver& observer = Observer);

// ComputeBodyState for BodyStates[0..count] (inclusive; clipped to the array).
void ComputeBodyStates(int count);

// Geometric elevation of the body's centre at t (no refraction); updates
// observer.vect and state.
double BodyElevation(TSatState& state, double t, TObserver& observer = Observer);

// First time from tStart at which the elevation reaches h0 (BodyRise) or falls
// to h0 or below (BodySet), late by less than one fine step (15 s); tEnd when
// that does not happen by then; tStart when it already holds there.
double BodyRise(TSatState& state, double h0, double tStart, double tEnd,
                TObserver& observer = Observer);
double BodySet(TSatState& state, double h0, double tStart, double tEnd,
               TObserver& observer = Observer);

// Appends to list the intervals in [tStart, tEnd] in which the body is above
// h0 (above) or below it (below); with both, one interval tStart..tEnd.
void BodyIntervals(TSatState& state, bool above, bool below, double tStart, double tEnd, double h0,
                   std::vector<TTimeInterval>& list, TObserver& observer = Observer);
