// What a satellite can reach in an observer's sky: bounds from its orbit on
// how high it can stand and how fast that can change. The searches use them
// to pass over evaluations that provably cannot change their course (so
// every result stays what a plain walk gives) and to leave out satellites
// that can never rise for the observer.
#pragma once
#include "SatTypes.h"
#include "uVarDef.h"

// Bounds on a satellite's motion over the next hours, from one propagated
// state: its osculating orbit widened by margins for the perturbations.
struct TReach {
    bool usable = false;      // false: nothing may be skipped
    double rMin = 0.0;        // km, geocentric distance
    double rMax = 0.0;        // km
    double turnRate = 0.0;    // rad/s: the fastest the angle at the Earth's centre
                              // between satellite and observer can change
    double shadowRate = 0.0;  // rad/s: the fastest the sunlit margin can change
};
TReach ReachOf(const TVector& position, const TVector& velocity);

// Angle at the Earth's centre between the satellite and the observer
// (geocentric positions), rad.
double CentralAngle(const TVector& satellite, const TVector& observer);

// Seconds from now (the satellite at central angle gamma from the observer,
// observer.vect stored for now) during which its elevation certainly stays
// below `ceiling`, or certainly stays above `floor` (rad); 0 when nothing is
// certain.
double SecondsBelow(const TReach& reach, double gamma, const TObserver& observer, double ceiling);
double SecondsAbove(const TReach& reach, double gamma, const TObserver& observer, double floor);

// How far (rad) the satellite is from the edge of the Earth's shadow by the
// shadow test's own geometry: positive when sunlit.
double SunlitMargin(const TVector& satellite, const TVector& sun);

// False only when the satellite, by its inclination and apogee, can never
// stand at minElevation or higher for the observer (margins included).
bool CanRiseTo(const TSatRec& satellite, const TObserver& observer, double minElevation);
