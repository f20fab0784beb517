#include "uReach.h"

#include <algorithm>
#include <cmath>

#include "Zenora.h"
#include "uTracking.h"

namespace {
constexpr double kMu = 398600.8;                    // km^3/s^2 (WGS-72, the propagator's)
constexpr double kEarthTurn = 7.2921159e-5 * 1.001;  // rad/s, rounded up
// How far the path can leave the osculating ellipse within T seconds: it
// starts on it, and the Earth's flattening and drag pull it away at a small
// fraction of gravity (a decaying set drifts some 25 km in 40 minutes).
constexpr double kDriftBase = 5.0;                   // km
constexpr double kDriftGrowth = 2.0e-5;              // km/s^2, times T^2
constexpr double kMomentumFactor = 1.005;
constexpr double kEccentricityMargin = 0.01;
constexpr double kMaxEccentricity = 0.9;
// The stretches the skips are worked out for: short ones with tight bounds
// near a threshold, long ones with wide bounds far from it.
constexpr double kHorizons[] = {60.0, 300.0, 1200.0, 3600.0};  // s
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

// Tilt of the ellipsoid normal, which elevations are measured from,
// against the observer's radial direction.
double NormalTilt(const TObserver& o) {
    const double geocentric = std::atan2(o.rhoSin, o.rhoCos);
    return std::abs(o.pos.lat - geocentric) + 1e-7;
}

// Central angle at which a satellite at distance r stands at elevation e
// (measured from the radial direction) for an observer at distance R.
double CentralAngleAt(double e, double r, double R) {
    return std::acos(std::clamp(R * std::cos(e) / r, -1.0, 1.0)) - e;
}

// Where the satellite can be within the next `seconds`.
struct TBounds {
    bool usable = false;
    double rMin = 0.0, rMax = 0.0;  // km
    double angularRate = 0.0;       // rad/s, of its geocentric direction
};
TBounds BoundsFor(const TReach& reach, double seconds) {
    TBounds b;
    if (!reach.usable) return b;
    const double drift = kDriftBase + kDriftGrowth * seconds * seconds;
    b.rMin = reach.perigee - drift;
    b.rMax = reach.apogee + drift;
    // Nothing is skipped where the satellite could be taken for decayed.
    if (!(b.rMin > kEarthRadius + kDecayMargin + 20.0)) return b;
    b.angularRate = reach.momentum * kMomentumFactor / (b.rMin * b.rMin);
    b.usable = std::isfinite(b.angularRate);
    return b;
}

// The longest of the stretches over which `fits(bounds)` says how long
// (capped at the stretch) nothing can happen.
template <typename Fits>
double LongestQuiet(const TReach& reach, Fits fits) {
    double best = 0.0;
    for (double horizon : kHorizons) {
        const TBounds b = BoundsFor(reach, horizon);
        if (b.usable) best = std::max(best, std::min(horizon, fits(b)));
    }
    return best;
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
    reach.perigee = a * (1.0 - e);
    reach.apogee = a * (1.0 + e);
    reach.momentum = h;
    reach.eccentricity = e;
    reach.usable = std::isfinite(reach.perigee) && std::isfinite(reach.apogee);
    return reach;
}

double ShadowRate(const TReach& reach, double seconds) {
    const TBounds b = BoundsFor(reach, seconds);
    if (!b.usable) return 0.0;
    // The direction turns, and the Earth's apparent radius changes with the
    // radial speed (at most e x mu / h).
    const double radialSpeed =
        (reach.eccentricity + kEccentricityMargin) * kMu / reach.momentum * kMomentumFactor;
    const double R = kEarthRadius;
    return b.angularRate + R * radialSpeed / (b.rMin * std::sqrt(b.rMin * b.rMin - R * R));
}

double CentralAngle(const TVector& satellite, const TVector& observer) {
    return Angle_2vect(&satellite, &observer);
}

double SecondsBelow(const TReach& reach, double gamma, const TObserver& observer, double ceiling) {
    // The elevation falls as the central angle grows and rises with the
    // distance; from the normal it is at most the tilt above the radial one.
    const double e = ceiling - NormalTilt(observer) - kSafety;
    if (!(e > -kHalfPi)) return 0.0;
    return LongestQuiet(reach, [&](const TBounds& b) {
        const double edge = CentralAngleAt(e, b.rMax, observer.vect.r);
        return gamma > edge ? (gamma - edge) / (b.angularRate + kEarthTurn) : 0.0;
    });
}

double SecondsAbove(const TReach& reach, double gamma, const TObserver& observer, double floor) {
    const double e = floor + NormalTilt(observer) + kSafety;
    if (!(e < kHalfPi)) return 0.0;
    return LongestQuiet(reach, [&](const TBounds& b) {
        if (!(b.rMin > observer.vect.r)) return 0.0;
        const double edge = CentralAngleAt(e, b.rMin, observer.vect.r);
        return gamma < edge ? (edge - gamma) / (b.angularRate + kEarthTurn) : 0.0;
    });
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
    const double highest = std::min(sat.inclination, kPi - sat.inclination) + kInclinationMargin;
    const double gammaMin = std::max(0.0, std::abs(std::atan2(observer.rhoSin, observer.rhoCos)) - highest);
    const double rMax = (sat.apogee + kEarthRadiusWgs72) * kApogeeFactor + kApogeeMargin;
    const double e = minElevation - NormalTilt(observer) - kSafety;
    if (!(rMax > R) || !(e > -kHalfPi)) return true;
    return gammaMin < CentralAngleAt(e, rMax, R);
}
