// Satellite state and look angles; Sun, Moon and planet services.
// Times are UTC day numbers (days since 1899-12-30), angles radians,
// distances km. Pure functions of their arguments: every computation takes
// the observer, time and lists it works with, and reads no process-wide
// state, so a worker passes its own copies.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "SatTypes.h"
#include "ZenoraTypes.h"
#include "uText.h"
#include "uMagModel.h"
#include "uUnits.h"
#include "uVarDef.h"

constexpr double kEarthRadius = kEarthRadiusWgs84;  // equatorial, km
constexpr double kDecayMargin = 75.0;            // km above kEarthRadius
constexpr double kMinSpeed = 0.5;                // km/s
constexpr double kAstronomicalUnit = 149597870.691;  // km

// What a state's mode asks FillStateGroups (and so PropagateSatellite and
// ComputeBodyState) to derive besides the position.
enum TStateFill : int32_t {
    kFillPosition = 0,        // position (and velocity) only
    kFillAll = 1,             // ra/dec/range, alt/az and the sub-point
    kFillRaDec = 2,           // ra/dec/range
    kFillSubPoint = 3,        // the sub-point
    kFillLookAngles = 4,      // ra/dec/range and alt/az
    kFillRaDecSubPoint = 5,   // ra/dec/range and the sub-point
};

// ---- satellite state and look angles -------------------------------------

// Greenwich hour angle for t; stores the observer's geocentric position for t
// in observer.vect.
double ObserverVector(double t, TObserver& observer);

// Elevation of a geocentric position above the observer's horizon (the plane
// normal to the ellipsoid), using the observer position last stored by
// ObserverVector.
double ElevationOf(const TVector& position, const TObserver& observer);
// Its azimuth, rad from north through east, 0 <= az < 2 pi, on the same plane.
double AzimuthOf(const TVector& position, const TObserver& observer);

// Derived groups of a state by its mode (TStateFill), seen from observer (its
// vect for gha); a mode outside TStateFill fills nothing.
void FillStateGroups(TSatState& state, double gha, const TObserver& observer);

// True when a propagated position/velocity means the satellite is down:
// within kDecayMargin of the equatorial radius, slower than kMinSpeed, or not
// a finite number at all.
bool IsDecayedMotion(const TVector& pos, const TVector& vel);

// How a propagation ended: the propagator's failures told apart, and
// `decayed` for a satellite within kDecayMargin of the surface (or below it)
// or slower than kMinSpeed.
enum class TPropagation : uint8_t {
    ok,
    decayed,
    eccentricity,      // out of range
    semiLatusRectum,   // negative
    meanMotion,        // not positive
    notInitialised,    // no model, or a damaged one
    timeOutOfRange,
    nonFinite,
    rejected,          // the catalogue refused the record's elements
};
// The outcome of PropagateSatellite: true when it succeeded.
struct TPropagated {
    TPropagation status = TPropagation::ok;
    explicit operator bool() const { return status == TPropagation::ok; }
};
// Words for a status, e.g. "eccentricity out of range".
const char* PropagationText(TPropagation status);

// Propagates sat to t and fills state by its mode (gha: hour angle for t);
// the record is only read, so threads may share it. On failure only the
// position, velocity and the position's r (kEarthRadius) change. A record
// marked kDecayedRejected is never propagated.
TPropagated PropagateSatellite(const TSatRec& sat, TSatState& state, double t, double gha,
                               const TObserver& observer);

// states[k] for the k-th selected record of sats at t (gha its hour angle,
// observer.vect for t), with the sunlit flag against sun (the Sun's
// geocentric position at t); each record's decayed flag says whether its
// propagation failed (a rejected record keeps its mark). Stops at the end of
// states.
void ComputeActiveStates(std::vector<TSatRec>& sats, std::vector<TSatState>& states, double t,
                         double gha, const TObserver& observer, const TVector& sun);

// Modes of states from the view mode of options (sky: kFillRaDec, else
// kFillSubPoint); states[first] (the first satellite) gets kFillAll.
void SetStateModes(std::vector<TSatState>& states, const TOptions& options, std::size_t first);

// Visual magnitude of a satellite: false (magnitude untouched) when it is in
// the Earth's shadow. state.radec.dist must hold the range, and with
// extinction on state.altaz.alt the elevation.
bool VisualMagnitude(const TVector& observerPos, const TSatState& state, const TVector& sunPos,
                     double stdMag, double& magnitude, const TMagModel& model = {});
// The same brightness without the shadow test, for reports that list it anyway.
double RawMagnitude(const TVector& observerPos, const TSatState& state, const TVector& sunPos,
                    double stdMag, const TMagModel& model = {});

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

// ΔT (TT - UT) in days for a Julian date: a pure function of the date.
double DeltaTDays(double jd);

bool IsFixedTarget(int32_t body);

// Makes state a fixed sky target (kBodyRaDec or kBodyStar) pointing from the
// Earth's centre to ra/dec at one astronomical unit.
void SetFixedTarget(TSatState& state, int32_t body, double ra, double dec);

// Geocentric position of body at t (mean equator of date, km). A fixed
// target's vector is left as it is.
void PlanetVector(int32_t body, TVector& v, double t);

// Geocentric apparent place of body at t (km): PlanetVector's mean place
// with the nutation, and for the Sun the annual aberration. Its right
// ascension is the true one less the equation of the equinoxes, so that the
// mean sidereal time of ObserverVector gives its true hour angle.
void ApparentBodyVector(int32_t body, TVector& v, double t);

// PlanetVector into state.pos, then the derived groups by state.mode.
void ComputeBodyState(TSatState& state, double t, double gha, const TObserver& observer);

// ComputeBodyState for states[0..count] (inclusive; clipped to the array).
void ComputeBodyStates(std::vector<TSatState>& states, int count, double t, double gha,
                       const TObserver& observer);

// Geometric elevation of the body's centre at t (no refraction); updates
// observer.vect and state.
double BodyElevation(TSatState& state, double t, TObserver& observer);

// First time from tStart at which the elevation reaches h0 (BodyRise) or falls
// to h0 or below (BodySet), late by less than one fine step (15 s); tEnd when
// that does not happen by then; tStart when it already holds there.
double BodyRise(TSatState& state, double h0, double tStart, double tEnd, TObserver& observer);
double BodySet(TSatState& state, double h0, double tStart, double tEnd, TObserver& observer);

// Appends to list the intervals in [tStart, tEnd] in which the body is above
// h0 (above) or below it (below); with both, one interval tStart..tEnd.
void BodyIntervals(TSatState& state, bool above, bool below, double tStart, double tEnd, double h0,
                   std::vector<TTimeInterval>& list, TObserver& observer);
