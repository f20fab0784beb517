#include "uReach.h"

#include <algorithm>
#include <cmath>

#include "Zenora.h"
#include "uTracking.h"

namespace {
constexpr double kMu = 398600.8;                    // km^3/s^2 (WGS-72, the propagator's)
constexpr double kEarthTurn = 7.2921159e-5 * 1.001;  // rad/s, rounded up
// Margins of the osculating orbit for what the perturbations do over a few
// hours: the short-period terms move the osculating distances by some km.
constexpr double kRadiusFactor = 0.01;
constexpr double kRadiusMargin = 50.0;               // km
constexpr double kMomentumFactor = 1.01;
constexpr double kEccentricityMargin = 0.01;
constexpr double kMaxEccentricity = 0.9;
// Whole-life bounds for the prefilter: the mean inclination is held by the
// near-earth model, the apogee only falls.
constexpr double kInclinationMargin = 1.0 * kDegToRad;
constexpr double kApogeeFactor = 1.02;
constexpr double kApogeeMargin = 100.0;              // km
constexpr double kSafety = 1e-9;                     // rad, against rounding

double Cross(const TVector& a, const TVector& b) {
    const double x = a.y * b.z - a.z * b.y, y = a.z * b.x - a.x * b.z, z = a.x * b.y - a.y * b.x;
    return std::sqrt(x * x + y * y + z * z);
}

// Geocentric latitude of the observer's position and its tilt against the
// ellipsoid normal the elevations are measured from.
double NormalTilt(const TObserver& o) {
    const double geocentric = std::atan2(o.rhoSin, o.rhoCos);
    return std::abs(o.pos.lat - geocentric) + 1e-7;
}

// Central angle at which a satellite at distance r stands at elevation e
// (measured from the radial direction) for an observer at distance R.
double CentralAngleAt(double e, double r, double R) {
    return std::acos(std::clamp(R * std::cos(e) / r, -1.0, 1.0)) - e;
}
}  // namespace

TReach ReachOf(const TVector& p, const TVector& v) {
    TReach reach;
    const double r = std::sqrt(p.x * p.x + p.y * p.y + p.z * p.z);
    const double speed = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    const double h = Cross(p, v);
    const double energy = speed * speed / 2.0 - kMu / r;
    if (!(energy < 0.0) || !(h > 0.0) || !std::isfinite(r)) return reach;
    const double a = -kMu / (2.0 * energy);
    const double e = std::sqrt(std::max(0.0, 1.0 - h * h / (kMu * a)));
    if (!(e < kMaxEccentricity)) return reach;
    reach.rMin = a * (1.0 - e) * (1.0 - kRadiusFactor) - kRadiusMargin;
    reach.rMax = a * (1.0 + e) * (1.0 + kRadiusFactor) + kRadiusMargin;
    // Nothing is skipped where the satellite could be taken for decayed.
    if (!(reach.rMin > kEarthRadius + kDecayMargin + 20.0)) return reach;
    const double hMax = h * kMomentumFactor;
    const double angularRate = hMax / (reach.rMin * reach.rMin);
    reach.turnRate = angularRate + kEarthTurn;
    // The shadow margin: the direction turns, and the Earth's apparent
    // radius changes with the radial speed (at most e x mu / h).
    const double radialSpeed = (e + kEccentricityMargin) * kMu / h * kMomentumFactor;
    const double R = kEarthRadius;
    reach.shadowRate = angularRate + R * radialSpeed / (reach.rMin * std::sqrt(reach.rMin * reach.rMin - R * R));
    reach.usable = std::isfinite(reach.turnRate) && std::isfinite(reach.shadowRate);
    return reach;
}

double CentralAngle(const TVector& satellite, const TVector& observer) {
    return Angle_2vect(&satellite, &observer);
}

double SecondsBelow(const TReach& reach, double gamma, const TObserver& observer, double ceiling) {
    if (!reach.usable) return 0.0;
    // The elevation falls as the central angle grows and rises with the
    // distance; from the normal it is at most the tilt above the radial one.
    const double e = ceiling - NormalTilt(observer) - kSafety;
    if (!(e > -kHalfPi)) return 0.0;
    const double edge = CentralAngleAt(e, reach.rMax, observer.vect.r);
    return gamma > edge ? (gamma - edge) / reach.turnRate : 0.0;
}

double SecondsAbove(const TReach& reach, double gamma, const TObserver& observer, double floor) {
    if (!reach.usable || !(reach.rMin > observer.vect.r)) return 0.0;
    const double e = floor + NormalTilt(observer) + kSafety;
    if (!(e < kHalfPi)) return 0.0;
    const double edge = CentralAngleAt(e, reach.rMin, observer.vect.r);
    return gamma < edge ? (edge - gamma) / reach.turnRate : 0.0;
}

double SunlitMargin(const TVector& satellite, const TVector& sun) {
    return kHalfPi + std::acos(std::clamp(kEarthRadius / satellite.r, -1.0, 1.0)) -
           Angle_2vect(&satellite, &sun);
}

bool CanRiseTo(const TSatRec& sat, const TObserver& observer, double minElevation) {
    // The deep-space model moves the inclination; only near-earth sets are judged.
    if (sat.deepSpace || !std::isfinite(sat.inclination) || !std::isfinite(sat.apogee)) return true;
    const double R = std::hypot(observer.rhoSin, observer.rhoCos);
    if (!(R > 0.0)) return true;
    const double highest = std::min(sat.inclination, M_PI - sat.inclination) + kInclinationMargin;
    const double gammaMin = std::max(0.0, std::abs(std::atan2(observer.rhoSin, observer.rhoCos)) - highest);
    const double rMax = (sat.apogee + kEarthRadiusWgs72) * kApogeeFactor + kApogeeMargin;
    const double e = minElevation - NormalTilt(observer) - kSafety;
    if (!(rMax > R) || !(e > -kHalfPi)) return true;
    return gammaMin < CentralAngleAt(e, rMax, R);
}
