// What a satellite can reach in an observer's sky: bounds from its orbit on
// how high it can stand and how fast that can change. The searches use them
// to pass over evaluations that provably cannot change their course (so
// every result stays what a plain walk gives) and to leave out satellites
// that can never rise for the observer.
#pragma once
#include "SatTypes.h"
#include "uTracking.h"
#include "uVarDef.h"

// The longest stretch (s) each kind of bound below ever claims: the central
// angle (SecondsBelow, SecondsAbove), the plane, the rate, the path.
inline constexpr double kEarthMu = 398600.8;  // km^3/s^2 (WGS-72, the propagator's)
inline constexpr double kLongestCentralClaim = 3600.0;
inline constexpr double kLongestPlaneClaim = 7200.0;
inline constexpr double kLongestRateClaim = 400.0;
inline constexpr double kLongestPathClaim = 900.0;       // orbits of the near-earth model
inline constexpr double kLongestHighPathClaim = 3600.0;  // higher orbits, whose paths bend slowly

// A satellite's osculating orbit from one propagated state; bounds on its
// motion over the next while are this orbit widened by what the
// perturbations (drag included) can do in that while.
struct TReach {
    bool usable = false;      // false: nothing may be skipped
    double perigee = 0.0;     // km, geocentric
    double apogee = 0.0;      // km, geocentric
    double radius = 0.0;      // km, geocentric, now
    double momentum = 0.0;    // km^2/s, specific angular momentum
    double eccentricity = 0.0;
    TVector normal{};         // unit normal of the orbit plane
};
TReach ReachOf(const TVector& position, const TVector& velocity);

// The fastest the sunlit margin (SunlitMargin) can change within the next
// `seconds`, rad/s; 0 when nothing is certain. sunPlaneAngle: the Sun's
// angle from the orbit plane (PlaneAngle of its position), 0 when not known.
double ShadowRate(const TReach& reach, double seconds, double sunPlaneAngle = 0.0);

// Seconds from now during which the satellite certainly stays on its side
// of the edge of the Earth's shadow, the Sun held where it is: its margin
// now (SunlitMargin's size, rad) over the fastest that can change. 0 when
// nothing is certain.
double SecondsSameShadow(const TReach& reach, double margin, double sunPlaneAngle = 0.0);

// The same from the margin's rate now (the state's position and velocity,
// the Sun's position) and a bound on how fast that rate can change: close
// to the edge it claims nearly the whole way there. 0 when nothing is certain.
double SecondsSameShadowByRate(const TReach& reach, const TVector& position, const TVector& velocity,
                               const TVector& sun);

// Angle at the Earth's centre between the satellite and the observer
// (geocentric positions), rad.
double CentralAngle(const TVector& satellite, const TVector& observer);

// Seconds from now (the satellite at central angle gamma from the observer,
// frame: the observer now) during which its elevation certainly stays
// below `ceiling`, or certainly stays above `floor` (rad); 0 when nothing is
// certain.
double SecondsBelow(const TReach& reach, double gamma, const TFrame& frame, double ceiling);
double SecondsAbove(const TReach& reach, double gamma, const TFrame& frame, double floor);
// At least what SecondsBelow can claim at central angle gamma for `ceiling`,
// whatever the frame, and what SecondsOffPlane can at planeAngle: a bound
// that cannot beat a claim already had need not be asked.
double MostBelow(const TReach& reach, double gamma, double ceiling);
double MostOffPlane(const TReach& reach, double planeAngle, double ceiling);

// Angle (rad) between the observer's geocentric direction and the plane of
// the orbit, from below (by at most 1e-7).
double PlaneAngle(const TReach& reach, const TVector& observer);
// Seconds from now (the observer at planeAngle from the orbit plane) during
// which the observer certainly stays too far from the plane to see the
// satellite at `ceiling` or higher: the plane hardly turns, the observer
// turns with the Earth. 0 when nothing is certain.
double SecondsOffPlane(const TReach& reach, double planeAngle, const TFrame& frame, double ceiling);

// Seconds from now during which the satellite certainly stays too far along
// its orbit from the observer to be seen at `ceiling` or higher: it moves
// only forward in its plane, faster than the observer's foot on that plane,
// so once past (or still short of) the stretch of orbit it could be seen
// from, it has the rest of the way round (or up to it) to go. satellite:
// its geocentric position now. 0 when nothing is certain.
double SecondsOffArc(const TReach& reach, const TVector& satellite, const TFrame& frame, double ceiling);

// Seconds from now during which the satellite certainly stays on the
// stretch of its orbit it is seen from at `floor` or higher: the way to the
// end of that stretch over the fastest it can move along it. 0 when nothing
// is certain.
double SecondsOnArc(const TReach& reach, const TVector& satellite, const TFrame& frame, double floor);

// Rate of change of the satellite's elevation (rad/s) from its state and
// the observer's frame at the same time.
double ElevationRate(const TSatState& state, const TFrame& frame);

// Seconds from now during which x, the elevation times a sign (+1 or -1),
// certainly stays below `ceiling`: from x and its rate now (rad, rad/s) and a
// bound on how fast that rate can change, which follows from the orbit's
// bounds, the range now (km) and the elevation now (rad). 0 when nothing is
// certain. The rate may be off by what the propagator's velocity is off.
double SecondsBelowByRate(const TReach& reach, double x, double rate, double elevation, double range,
                          const TFrame& frame, double ceiling);

// Seconds from now during which x, the elevation times sign (+1 or -1),
// certainly stays below `ceiling`, from the state itself: seen from the
// turning Earth the line of sight moves on the straight line the state's
// velocity gives, off it at most by the velocity's slack and a bounded
// acceleration (gravity, Coriolis and centrifugal). Near a threshold it
// claims several times what the rate bound does. 0 when nothing is certain.
double SecondsBelowByPath(const TReach& reach, const TSatState& state, const TFrame& frame, double sign,
                          double ceiling);

// How far (rad) the satellite is from the edge of the Earth's shadow by the
// shadow test's own geometry: positive when sunlit.
double SunlitMargin(const TVector& satellite, const TVector& sun);

// False only when the satellite, by its inclination and apogee, can never
// stand at minElevation or higher for the observer (margins included).
bool CanRiseTo(const TSatRec& satellite, const TSite& site, double minElevation);
