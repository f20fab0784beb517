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
#include "uChoice.h"
#include "ZenoraTypes.h"
#include "uText.h"
#include "uMagModel.h"
#include "uUnits.h"
#include "uSite.h"
#include "uVarDef.h"

constexpr double kEarthRadius = kEarthRadiusWgs84;  // equatorial, km
constexpr double kDecayMargin = 75.0;            // km above kEarthRadius
constexpr double kMinSpeed = 0.5;                // km/s
constexpr double kAstronomicalUnit = 149597870.691;  // km

// What a computation derives besides the position (and velocity): a set of
// groups, named by the combinations in use. The look angles need ra/dec/range.
enum TStateFill : uint8_t {
    kFillPosition = 0,        // position (and velocity) only
    kFillRaDec = 1,           // ra/dec/range
    kFillLookAngles = 3,      // ra/dec/range and alt/az
    kFillSubPoint = 4,        // the sub-point
    kFillRaDecSubPoint = 5,   // ra/dec/range and the sub-point
    kFillAll = 7,             // ra/dec/range, alt/az and the sub-point
};

// ---- satellite state and look angles -------------------------------------

// The groups of fill from state.pos, seen from frame; groups not asked for
// keep their old values.
void FillStateGroups(TSatState& state, TStateFill fill, const TFrame& frame);

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

// Propagates sat to t, position and velocity only; the record is only read,
// so threads may share it. On failure only the position, velocity and the
// position's r (kEarthRadius) change. A record marked kDecayedRejected is
// never propagated.
TPropagated PropagatePosition(const TSatRec& sat, TSatState& state, double t);
// The same at the frame's time, then the groups of fill seen from it.
TPropagated PropagateSatellite(const TSatRec& sat, TSatState& state, const TFrame& frame,
                               TStateFill fill);

// states[k] for the k-th tracked record of sats at the frame's time, with
// the sunlit flag against sun (the Sun's geocentric position then):
// states[first] gets kFillAll, the others fill. Each record's decayed flag
// says whether its propagation failed (a rejected record keeps its mark).
// Stops at the end of states.
void ComputeActiveStates(std::vector<TSatRec>& sats, const TChoice& tracked, std::vector<TSatState>& states,
                         const TFrame& frame, const TVector& sun, TStateFill fill,
                         std::size_t first);

// What the view of options needs of each satellite but the first (which
// gets kFillAll): ra/dec on the sky, else the sub-point.
TStateFill ViewFill(const TOptions& options);

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
// mean sidereal time of a frame (TFrame::gha) gives its true hour angle.
void ApparentBodyVector(int32_t body, TVector& v, double t);

// PlanetVector into state.pos at the frame's time, then the groups of fill.
void ComputeBodyState(TSatState& state, const TFrame& frame, TStateFill fill);

// ComputeBodyState for states[0..count] (inclusive; clipped to the array).
void ComputeBodyStates(std::vector<TSatState>& states, int count, const TFrame& frame,
                       TStateFill fill);

// Geometric elevation of the body's centre at t (no refraction); state holds
// the body's position at t.
double BodyElevation(TSatState& state, double t, const TSite& site);

// First time from tStart at which the elevation reaches h0 (BodyRise) or falls
// to h0 or below (BodySet), late by less than one fine step (15 s); tEnd when
// that does not happen by then; tStart when it already holds there.
double BodyRise(TSatState& state, double h0, double tStart, double tEnd, const TSite& site);
double BodySet(TSatState& state, double h0, double tStart, double tEnd, const TSite& site);

// Appends to list the intervals in [tStart, tEnd] in which the body is above
// h0 (above) or below it (below); with both, one interval tStart..tEnd.
void BodyIntervals(TSatState& state, bool above, bool below, double tStart, double tEnd, double h0,
                   std::vector<TTimeInterval>& list, const TSite& site);
