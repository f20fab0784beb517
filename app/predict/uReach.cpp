#include "uReach.h"

#include <algorithm>
#include <cmath>
#include <iterator>

#include "Zenora.h"
#include "uTracking.h"

namespace {
constexpr double kEarthTurn = 7.2921159e-5 * 1.001;  // rad/s, rounded up
constexpr double kEarthRotationRate = 6.30038809898496 / kSecondsPerDay;  // rad/s, sidereal
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
// The stretches the rate bound is worked out for, and what the velocity
// (and so the elevation rate) may be off from the position's derivative.
constexpr double kRateHorizons[] = {20.0, 60.0, 150.0, 400.0};  // s
// The path bound's: rising, gravity bends the path away from the zenith, so
// a near miss may be claimed whole.
constexpr double kPathHorizons[] = {20.0, 60.0, 150.0, 400.0, 900.0, 1800.0, 3600.0};  // s
constexpr double kHighOrbit = 12000.0;  // km, semi-major axis: a period of about 220 min
constexpr double kVelocitySlack = 0.01;                         // km/s
constexpr double kMaxSine = 0.95;
// How far the path can stray from the osculating plane beyond the drift
// (short-period swings of the plane, rad) and how fast the plane can turn
// (nodal regression and more, rad/s); the stretches worked out for.
constexpr double kPlaneSwing = 0.005;
constexpr double kPlaneTurn = 1e-5;
constexpr double kPlaneHorizons[] = {600.0, 1800.0, 3600.0, 7200.0};  // s
constexpr double kArcHorizons[] = {300.0, 1200.0, 2400.0, 3600.0, 5400.0};  // s
constexpr double kOnArcHorizons[] = {60.0, 150.0, 300.0, 600.0, 1200.0};       // s
static_assert(std::end(kHorizons)[-1] == kLongestCentralClaim && std::end(kPlaneHorizons)[-1] == kLongestPlaneClaim &&
              std::end(kRateHorizons)[-1] == kLongestRateClaim && std::end(kPathHorizons)[-1] == kLongestHighPathClaim && kPathHorizons[4] == kLongestPathClaim);
constexpr double kMaxPlaneAngle = 1.3;  // rad; nearer the pole of the orbit its foot moves too fast
constexpr double kSlowest = 0.98;       // the least angular rate of the path, of h / r^2 at the farthest  // nearer the zenith the elevation turns too fast to bound

TVector CrossVector(const TVector& a, const TVector& b) {
    TVector c{};
    c.x = a.y * b.z - a.z * b.y;
    c.y = a.z * b.x - a.x * b.z;
    c.z = a.x * b.y - a.y * b.x;
    c.r = std::sqrt(c.x * c.x + c.y * c.y + c.z * c.z);
    return c;
}

// Central angle at which a satellite at distance r stands at elevation e
// (measured from the radial direction) for an observer at distance R.
double CentralAngleAt(double e, double r, double R) {
    return std::acos(std::clamp(R * std::cos(e) / r, -1.0, 1.0)) - e;
}
// acos by a polynomial (Abramowitz and Stegun 4.4.46, off by at most
// 2.2e-8 rad on a dense scan) and that error widened: a bound on either side
// at a fraction of the library's cost.
constexpr double kAcosError = 5e-8;
inline __attribute__((always_inline)) double AcosNear(double x) {
    const double a = std::abs(x);
    const double p =
        ((((((-0.0012624911 * a + 0.0066700901) * a - 0.0170881256) * a + 0.0308918810) * a - 0.0501743046) * a +
          0.0889789874) * a - 0.2145988016) * a + 1.5707963050;
    const double v = std::sqrt(std::max(0.0, 1.0 - a)) * p;
    return x < 0.0 ? kPi - v : v;
}
inline __attribute__((always_inline)) double AcosAbove(double x) { return AcosNear(std::clamp(x, -1.0, 1.0)) + kAcosError; }
inline __attribute__((always_inline)) double AcosBelow(double x) { return AcosNear(std::clamp(x, -1.0, 1.0)) - kAcosError; }

// An elevation with its cosine and sine, worked out once for the stretches
// asked. A walk asks every bound about the same level sample after sample:
// the last ones are kept.
struct TElevation {
    double e, cosE, sinE;
    explicit TElevation(double el) : e(el) {
        thread_local double last = 0.0, cosLast = 1.0, sinLast = 0.0;
        if (el != last) {
            cosLast = std::cos(el);
            sinLast = std::sin(el);
            last = el;
        }
        cosE = cosLast;
        sinE = sinLast;
    }
};
// CentralAngleAt from above and from below.
double CentralAngleAbove(const TElevation& el, double r, double R) { return AcosAbove(R * el.cosE / r) - el.e; }
double CentralAngleBelow(const TElevation& el, double r, double R) { return AcosBelow(R * el.cosE / r) - el.e; }
// sin of a walk's level, asked sample after sample: the last one is kept.
double SinOf(double x) {
    thread_local double last = 0.0, sinLast = 0.0;
    if (x != last) {
        sinLast = std::sin(x);
        last = x;
    }
    return sinLast;
}
// 1 - x^2/2, never above cos(x).
double CosBelow(double x) { return 1.0 - 0.5 * x * x; }
// On the osculating ellipse the distance changes at most at e mu / h, km/s
// (widened by the margins).
double RadialSpeedBound(const TReach& reach) {
    return (reach.eccentricity + kEccentricityMargin) * kEarthMu / reach.momentum * kMomentumFactor;
}

// cos and sin of how far the observer can turn from the orbit plane within
// each stretch of `horizons`.
template <std::size_t N>
struct TTurns {
    double cos[N], sin[N];
    double sinRoom[N];  // sin(kMaxPlaneAngle - turn): the plane angle it leaves room for
    explicit TTurns(const double (&horizons)[N], double maxAngle) {
        for (std::size_t k = 0; k < N; ++k) {
            const double turn = (kEarthTurn + kPlaneTurn) * horizons[k];
            cos[k] = std::cos(turn);
            sin[k] = std::sin(turn);
            sinRoom[k] = std::sin(maxAngle - turn);
        }
    }
};

// Where the satellite can be within the next `seconds`.
struct TBounds {
    bool usable = false;
    double rMin = 0.0, rMax = 0.0;  // km
    double angularRate = 0.0;       // rad/s, of its geocentric direction
};
inline __attribute__((always_inline)) TBounds BoundsFor(const TReach& reach, double seconds) {
    TBounds b;
    if (!reach.usable) return b;
    const double drift = kDriftBase + kDriftGrowth * seconds * seconds;
    // Within a short stretch of an eccentric orbit the distance stays far
    // from the perigee (or apogee) it cannot reach.
    const double radialSpeed = RadialSpeedBound(reach);
    const double swing = radialSpeed * seconds;
    b.rMin = std::max(reach.perigee, reach.radius - swing) - drift;
    b.rMax = std::min(reach.apogee, reach.radius + swing) + drift;
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
        if (!b.usable) break;
        const double quiet = fits(b);
        best = std::max(best, std::min(horizon, quiet));
        if (quiet < horizon) break;  // the wider bounds of longer stretches claim less
    }
    return best;
}
}  // namespace

TReach ReachOf(const TVector& p, const TVector& v) {
    TReach reach;
    const double r = std::sqrt(p.x * p.x + p.y * p.y + p.z * p.z);
    const double speed = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    const TVector n = CrossVector(p, v);
    const double h = n.r;
    const double energy = speed * speed / 2.0 - kEarthMu / r;
    if (!(energy < 0.0) || !(h > 0.0) || !std::isfinite(r)) return reach;
    const double a = -kEarthMu / (2.0 * energy);
    const double e = std::sqrt(std::max(0.0, 1.0 - h * h / (kEarthMu * a)));
    if (!(e < kMaxEccentricity)) return reach;
    reach.perigee = a * (1.0 - e);
    reach.apogee = a * (1.0 + e);
    reach.radius = r;
    reach.momentum = h;
    reach.eccentricity = e;
    reach.normal = TVector{n.x / h, n.y / h, n.z / h, 1.0};
    reach.usable = std::isfinite(reach.perigee) && std::isfinite(reach.apogee);
    return reach;
}

double ShadowRate(const TReach& reach, double seconds, double sunPlaneAngle) {
    const TBounds b = BoundsFor(reach, seconds);
    if (!b.usable) return 0.0;
    // The direction turns in the orbit plane, so its angle to the Sun moves
    // at most by cos(the Sun's angle from that plane) of its turn; the plane
    // may swing and turn meanwhile. The Earth's apparent radius changes with
    // the radial speed (at most e x mu / h).
    const double tilt = kPlaneSwing + kPlaneTurn * seconds + (kDriftBase + kDriftGrowth * seconds * seconds) / b.rMin;
    const double beta = std::abs(sunPlaneAngle) - tilt;
    const double along = beta > 0.0 ? std::cos(beta) : 1.0;
    const double radialSpeed = RadialSpeedBound(reach);
    const double R = kEarthRadius;
    return b.angularRate * along + R * radialSpeed / (b.rMin * std::sqrt(b.rMin * b.rMin - R * R));
}

double SecondsSameShadow(const TReach& reach, double margin, double sunPlaneAngle) {
    double best = 0.0;
    for (double horizon : kHorizons) {
        const double rate = ShadowRate(reach, horizon, sunPlaneAngle);
        if (!(rate > 0.0)) break;
        const double quiet = (margin - kSafety) / rate;
        best = std::max(best, std::min(horizon, quiet));
        if (quiet < horizon) break;  // the wider bounds of longer stretches claim less
    }
    return best;
}

double SecondsSameShadowByRate(const TReach& reach, const TVector& p, const TVector& v, const TVector& sun) {
    const double margin = SunlitMargin(p, sun);
    const double r = std::sqrt(p.x * p.x + p.y * p.y + p.z * p.z);
    const double sunR = std::sqrt(sun.x * sun.x + sun.y * sun.y + sun.z * sun.z);
    const double R = kEarthRadius;
    if (!reach.usable || !(margin != 0.0) || !(r > R) || !(sunR > 0.0) || !std::isfinite(margin)) return 0.0;
    // The margin is pi/2 + acos(R/r) - theta, theta the angle to the Sun:
    // its rate now from the state (off by what the velocity is off), and how
    // fast that rate can change: the direction's own acceleration (only the
    // perturbations act across it), the turn, and the radial terms.
    const double s[3] = {p.x / r, p.y / r, p.z / r};
    const double u[3] = {sun.x / sunR, sun.y / sunR, sun.z / sunR};
    const double radial = v.x * s[0] + v.y * s[1] + v.z * s[2];
    const double ds[3] = {(v.x - radial * s[0]) / r, (v.y - radial * s[1]) / r, (v.z - radial * s[2]) / r};
    const double cosT = std::clamp(s[0] * u[0] + s[1] * u[1] + s[2] * u[2], -1.0, 1.0);
    const double theta = std::acos(cosT), sinT = std::sqrt(1.0 - cosT * cosT);
    if (!(sinT > 0.0)) return 0.0;
    const double dTheta = -(ds[0] * u[0] + ds[1] * u[1] + ds[2] * u[2]) / sinT;
    auto slope = [R](double x) { return R / (x * std::sqrt(x * x - R * R)); };  // of acos(R/x)
    const double rate = slope(r) * radial - dTheta;
    const double sign = margin > 0.0 ? 1.0 : -1.0;
    const double slack = kVelocitySlack * (slope(r) + 1.0 / (r * sinT));
    const double radialSpeed = RadialSpeedBound(reach);
    const double hHi = reach.momentum * kMomentumFactor, hLo = reach.momentum / kMomentumFactor;
    double best = 0.0;
    for (double horizon : kHorizons) {
        const TBounds b = BoundsFor(reach, horizon);
        if (!b.usable || !(b.rMin > R)) break;
        const double w = b.angularRate, turn = w * horizon;
        // sin(theta +- turn) from below, without the trigonometry.
        const double sinMin = sinT * CosBelow(turn) - std::abs(cosT) * turn;
        if (!(theta - turn > 0.0) || !(theta + turn < kPi) || !(sinMin > 0.0)) break;
        const double perturbation = 0.01 * kEarthMu / (b.rMin * b.rMin);
        const double dds = perturbation / b.rMin + w * w + 2.0 * radialSpeed * w / b.rMin;
        const double ddTheta = (dds + w * w) / sinMin;
        const double ddrHi = hHi * hHi / (b.rMin * b.rMin * b.rMin) - kEarthMu / (b.rMax * b.rMax) + perturbation;
        const double ddrLo = hLo * hLo / (b.rMax * b.rMax * b.rMax) - kEarthMu / (b.rMin * b.rMin) - perturbation;
        const double ddr = std::max(std::abs(ddrHi), std::abs(ddrLo));
        const double rm = b.rMin, d2 = rm * rm - R * R;
        const double curve = R * (2.0 * rm * rm - R * R) / (rm * rm * d2 * std::sqrt(d2));  // |acos(R/x)''| at its largest
        const double M = ddTheta + curve * radialSpeed * radialSpeed + slope(rm) * ddr;
        // |margin| + c1 t - M t^2 / 2 stays above the rounding's margin up to its root.
        const double c0 = std::abs(margin) - kSafety, c1 = sign * rate - slack;
        if (!(c0 > 0.0)) break;
        const double t = (c1 + std::sqrt(c1 * c1 + 2.0 * M * c0)) / M;
        if (!std::isfinite(t)) break;
        best = std::max(best, std::min(horizon, t));
        if (t < horizon) break;  // the wider bounds of longer stretches claim less
    }
    return best;
}

double CentralAngle(const TVector& satellite, const TVector& observer) {
    // Only the bounds take it, and they allow for its rounding: acos is the
    // cheaper way.
    const double dot = satellite.x * observer.x + satellite.y * observer.y + satellite.z * observer.z;
    return std::acos(std::clamp(dot / (satellite.r * observer.r), -1.0, 1.0));
}

double MostBelow(const TReach& reach, double gamma, double ceiling) {
    // Below the zenith the edge is never behind the observer, and the
    // direction turns at least at h / r^2 (the least distance is below the
    // present one).
    if (!reach.usable) return 0.0;
    if (!(ceiling < kHalfPi)) return kLongestCentralClaim;
    const double least = reach.momentum * kMomentumFactor / (reach.radius * reach.radius) + kEarthTurn;
    return std::min(kLongestCentralClaim, gamma / least * (1.0 + 1e-6));
}

double MostOffPlane(const TReach& reach, double planeAngle, double ceiling) {
    if (!reach.usable) return 0.0;
    if (!(ceiling < kHalfPi)) return kLongestPlaneClaim;
    return std::min(kLongestPlaneClaim, planeAngle / (kEarthTurn + kPlaneTurn) * (1.0 + 1e-6));
}

double SecondsBelow(const TReach& reach, double gamma, const TFrame& frame, double ceiling) {
    // The elevation falls as the central angle grows and rises with the
    // distance; from the normal it is at most the tilt above the radial one.
    const double e = ceiling - frame.normalTilt - kSafety;
    if (!(e > -kHalfPi)) return 0.0;
    const TElevation el(e);
    return LongestQuiet(reach, [&](const TBounds& b) {
        const double edge = CentralAngleAbove(el, b.rMax, frame.pos.r);
        return gamma > edge ? (gamma - edge) / (b.angularRate + kEarthTurn) : 0.0;
    });
}

double SecondsAbove(const TReach& reach, double gamma, const TFrame& frame, double floor) {
    const double e = floor + frame.normalTilt + kSafety;
    if (!(e < kHalfPi)) return 0.0;
    const TElevation el(e);
    return LongestQuiet(reach, [&](const TBounds& b) {
        if (!(b.rMin > frame.pos.r)) return 0.0;
        const double edge = CentralAngleBelow(el, b.rMin, frame.pos.r);
        return gamma < edge ? (edge - gamma) / (b.angularRate + kEarthTurn) : 0.0;
    });
}

// Rate of change of the satellite's elevation (rad/s) from its state and
// the observer's position at the same time: the line of sight and the
// zenith (the ellipsoid normal) both turn, the zenith with the Earth.
double ElevationRate(const TSatState& state, const TFrame& frame) {
    const TVector& o = frame.pos;
    const double z[3] = {frame.zenith.x, frame.zenith.y, frame.zenith.z};
    const double dz[3] = {-kEarthRotationRate * z[1], kEarthRotationRate * z[0], 0.0};
    const double r[3] = {state.pos.x - o.x, state.pos.y - o.y, state.pos.z - o.z};
    const double dr[3] = {state.vel.x + kEarthRotationRate * o.y, state.vel.y - kEarthRotationRate * o.x,
                          state.vel.z};
    auto dot = [](const double* a, const double* b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; };
    const double n = std::sqrt(dot(r, r));
    const double sinEl = dot(r, z) / n;
    const double dSinEl = (dot(dr, z) + dot(r, dz)) / n - sinEl * dot(r, dr) / (n * n);
    const double cosEl = std::sqrt(std::max(1e-12, 1.0 - sinEl * sinEl));
    return dSinEl / cosEl;
}

double PlaneAngle(const TReach& reach, const TVector& o) {
    const TVector& n = reach.normal;
    const double r = std::sqrt(o.x * o.x + o.y * o.y + o.z * o.z);
    if (!reach.usable || !(r > 0.0)) return 0.0;
    // From below: what the bounds take it for.
    return std::max(0.0, kHalfPi - AcosAbove(std::min(1.0, std::abs(n.x * o.x + n.y * o.y + n.z * o.z) / r)));
}

double SecondsOffPlane(const TReach& reach, double planeAngle, const TFrame& frame, double ceiling) {
    // The satellite stands at least as far from the observer (central
    // angle) as the observer from the plane, less what the path strays from it.
    const double e = ceiling - frame.normalTilt - kSafety;
    if (!(e > -kHalfPi)) return 0.0;
    const TElevation el(e);
    double best = 0.0;
    for (double horizon : kPlaneHorizons) {
        const TBounds b = BoundsFor(reach, horizon);
        if (!b.usable) break;
        const double stray = (kDriftBase + kDriftGrowth * horizon * horizon) / b.rMin + kPlaneSwing;
        const double edge = CentralAngleAbove(el, b.rMax, frame.pos.r);
        const double room = planeAngle - stray - edge;
        if (!(room > 0.0)) break;
        const double quiet = room / (kEarthTurn + kPlaneTurn);
        best = std::max(best, std::min(horizon, quiet));
        if (quiet < horizon) break;  // the wider bounds of longer stretches claim less
    }
    return best;
}

// The observer's angle from the orbit plane (beta) and the angle in the
// plane from the observer's foot on it to the satellite, in the direction of
// motion (delta, -pi..pi): its cosine, whether it is ahead (delta >= 0) and
// its size from below and above. False when they cannot be had.
struct TArcPosition {
    double cosDelta = 1.0, cosBeta = 1.0, sinBeta = 0.0;
    bool ahead = false;
    double SizeBelow() const { return AcosBelow(cosDelta); }
    double SizeAbove() const { return AcosAbove(cosDelta); }
    // cos of beta - turn (at most 1) and beta + turn, turn the k-th of turns
    // (both below 90 degrees, so the sines order them).
    template <std::size_t N>
    double CosLess(const TTurns<N>& turns, std::size_t k) const {
        return sinBeta <= turns.sin[k] ? 1.0 : cosBeta * turns.cos[k] + sinBeta * turns.sin[k];
    }
    // beta + the k-th turn below the plane angle the turns were made for.
    template <std::size_t N>
    bool RoomFor(const TTurns<N>& turns, std::size_t k) const {
        return sinBeta < turns.sinRoom[k];
    }
    template <std::size_t N>
    double CosMore(const TTurns<N>& turns, std::size_t k) const {
        return cosBeta * turns.cos[k] - sinBeta * turns.sin[k];
    }
};
bool ArcPosition(const TReach& reach, const TVector& p, const TVector& o, TArcPosition& at) {
    const TVector& n = reach.normal;
    const double oLen = std::sqrt(o.x * o.x + o.y * o.y + o.z * o.z);
    const double pLen = std::sqrt(p.x * p.x + p.y * p.y + p.z * p.z);
    if (!reach.usable || !(oLen > 0.0) || !(pLen > 0.0)) return false;
    const double along = (n.x * o.x + n.y * o.y + n.z * o.z) / oLen;
    at.sinBeta = std::clamp(std::abs(along), 0.0, 1.0);
    at.cosBeta = std::sqrt(1.0 - at.sinBeta * at.sinBeta);
    const TVector foot{o.x / oLen - along * n.x, o.y / oLen - along * n.y, o.z / oLen - along * n.z, 0.0};
    const TVector s{p.x / pLen, p.y / pLen, p.z / pLen, 1.0};
    const TVector c = CrossVector(foot, s);
    const double sinPart = c.x * n.x + c.y * n.y + c.z * n.z, cosPart = foot.x * s.x + foot.y * s.y + foot.z * s.z;
    at.cosDelta = cosPart / std::sqrt(sinPart * sinPart + cosPart * cosPart);
    at.ahead = sinPart >= 0.0;
    return std::isfinite(at.cosDelta);
}

double SecondsOffArc(const TReach& reach, const TVector& p, const TFrame& frame, double ceiling) {
    static const TTurns turns(kArcHorizons, kMaxPlaneAngle);
    const double e = ceiling - frame.normalTilt - kSafety;
    TArcPosition at;
    if (!(e > -kHalfPi) || !ArcPosition(reach, p, frame.pos, at)) return 0.0;
    const double sizeBelow = at.SizeBelow(), sizeAbove = at.SizeAbove();
    const TElevation el(e);
    double best = 0.0;
    for (std::size_t k = 0; k < std::size(kArcHorizons); ++k) {
        const double horizon = kArcHorizons[k];
        const TBounds b = BoundsFor(reach, horizon);
        if (!b.usable) break;
        const double stray = (kDriftBase + kDriftGrowth * horizon * horizon) / b.rMin + kPlaneSwing;
        // Seen only within `arc` of the foot: cos(angle) = cos(plane angle)
        // cos(delta) below 90 degrees, the plane angle at least betaMin.
        // The plane angle at most betaMax below kMaxPlaneAngle, and the
        // satellite faster than the foot: asked first, being cheap.
        if (!at.RoomFor(turns, k)) break;
        const double footRate = (kEarthTurn + kPlaneTurn) / at.CosMore(turns, k);
        const double slowest = kSlowest * CosBelow(stray) * reach.momentum / (b.rMax * b.rMax);
        if (!(slowest > footRate)) break;  // the satellite might fall back into the arc
        // cos(reachable), reachable = edge + stray, from below without the
        // angles: edge = acos(x) - e, and 1 - s^2/2 <= cos s, s - s^3/6 <= sin s <= s.
        const double x = std::clamp(frame.pos.r * el.cosE / b.rMax, 0.0, 1.0);
        const double y = std::sqrt(1.0 - x * x);
        const double cosEdge = x * el.cosE + y * el.sinE, sinEdge = y * el.cosE - x * el.sinE;
        if (!(cosEdge > 0.0)) break;
        const double cosReachable =
            cosEdge * CosBelow(stray) - sinEdge * (sinEdge > 0.0 ? stray : stray - stray * stray * stray / 6.0);
        if (!(cosReachable > 0.0)) break;  // reachable might be 90 degrees or more
        const double arc = AcosAbove(std::min(1.0, cosReachable / at.CosLess(turns, k)));
        if (!(sizeBelow > arc)) break;
        // Forward to the arc: the rest of the way round once past it.
        const double ahead = at.ahead ? 2.0 * kPi - arc - sizeAbove : sizeBelow - arc;
        const double quiet = ahead / (1.01 * b.angularRate + footRate);
        best = std::max(best, std::min(horizon, quiet));
        if (quiet < horizon) break;  // the wider bounds of longer stretches claim less
    }
    return best;
}

double SecondsOnArc(const TReach& reach, const TVector& p, const TFrame& frame, double floor) {
    static const TTurns turns(kOnArcHorizons, kMaxPlaneAngle);
    const double e = floor + frame.normalTilt + kSafety;
    TArcPosition at;
    if (!(e < kHalfPi) || !ArcPosition(reach, p, frame.pos, at)) return 0.0;
    const double sizeBelow = at.SizeBelow(), sizeAbove = at.SizeAbove();
    const TElevation el(e);
    double best = 0.0;
    for (std::size_t k = 0; k < std::size(kOnArcHorizons); ++k) {
        const double horizon = kOnArcHorizons[k];
        const TBounds b = BoundsFor(reach, horizon);
        if (!b.usable || !(b.rMin > frame.pos.r)) break;
        const double stray = (kDriftBase + kDriftGrowth * horizon * horizon) / b.rMin + kPlaneSwing;
        // Certainly seen within `arc` of the foot: cos(angle) = cos(plane
        // angle) cos(delta), the plane angle at most betaMax (below 90 degrees).
        if (!at.RoomFor(turns, k)) break;
        const double sure = CentralAngleBelow(el, b.rMin, frame.pos.r) - stray;
        if (!(sure > 0.0) || !(sure < kHalfPi)) break;
        const double cosBetaMax = at.CosMore(turns, k);
        const double ratio = std::cos(sure) / cosBetaMax;
        if (!(ratio < 1.0)) break;
        const double arc = AcosBelow(ratio);
        if (!(sizeAbove < arc)) break;
        const double footRate = (kEarthTurn + kPlaneTurn) / cosBetaMax;
        const double slowest = kSlowest * CosBelow(stray) * reach.momentum / (b.rMax * b.rMax);
        if (!(slowest > footRate)) break;  // it might fall back out behind
        const double toEnd = at.ahead ? arc - sizeAbove : arc + sizeBelow;
        const double quiet = toEnd / (1.01 * b.angularRate + footRate);
        best = std::max(best, std::min(horizon, quiet));
        if (quiet < horizon) break;  // the wider bounds of longer stretches claim less
    }
    return best;
}

double SecondsBelowByRate(const TReach& reach, double x, double rate, double elevation, double range,
                          const TFrame& frame, double ceiling) {
    const double gap = ceiling - x - kSafety;
    if (!(gap > 0.0) || !std::isfinite(rate) || !(range > 0.0)) return 0.0;
    const double R = frame.pos.r;
    double best = 0.0;
    for (double horizon : kRateHorizons) {
        const TBounds b = BoundsFor(reach, horizon);
        if (!b.usable) break;
        // Relative speed and acceleration of the satellite seen from the
        // observer: at most the speed at the lowest radius on the widest
        // ellipse (vis-viva, with room for the flattening), gravity there
        // (with room for the flattening and drag), and the observer's own
        // circle with the Earth.
        const double widest = 0.5 * (b.rMin + b.rMax);
        const double orbital = std::sqrt(1.01 * kEarthMu * (2.0 / b.rMin - 1.0 / widest));
        const double speed = orbital + kEarthTurn * R + kVelocitySlack;
        const double accel = 1.01 * kEarthMu / (b.rMin * b.rMin) + kEarthTurn * kEarthTurn * R;
        const double d = range - horizon * speed;  // the nearest the range can come
        if (!(d > 1.0)) break;
        // s = sin(elevation) = u.z, u the line of sight, z the zenith turning
        // with the Earth: |s'| <= v/d + w, |s''| <= 2a/d + 3v^2/d^2 + 2wv/d + w^2.
        const double ds = speed / d + kEarthTurn;
        const double dds = 2.0 * accel / d + 3.0 * speed * speed / (d * d) + 2.0 * kEarthTurn * speed / d +
                           kEarthTurn * kEarthTurn;
        const double sMax = std::abs(std::sin(elevation)) + horizon * ds;
        if (!(sMax < kMaxSine)) break;
        const double c = std::sqrt(1.0 - sMax * sMax);
        // elevation'' = s''/cos + s s'^2/cos^3
        const double curve = dds / c + sMax * ds * ds / (c * c * c);
        const double r = rate + kVelocitySlack / d;  // the rate rounded up
        // x + r t + curve t^2 / 2 < ceiling up to the root t.
        const double t = 2.0 * gap / (r + std::sqrt(r * r + 2.0 * curve * gap));
        best = std::max(best, std::min(horizon, t));
        if (t < horizon) break;  // the wider bounds of longer stretches claim less
    }
    return best;
}

double SecondsBelowByPath(const TReach& reach, const TSatState& state, const TFrame& frame, double sign,
                          double ceiling) {
    const double limit = ceiling - kSafety;
    if (!(std::abs(limit) < kHalfPi) || !(sign == 1.0 || sign == -1.0)) return 0.0;
    // In the Earth's frame the observer and its zenith z stand still; the
    // satellite's way from the observer is p(t) = P + V t + E(t).
    const TVector& o = frame.pos;
    if (!(o.x != 0.0 || o.y != 0.0)) return 0.0;  // at a pole the zenith's longitude is not had
    // The frame's zenith: on the position's own angle, as its longitude.
    const double z[3] = {frame.zenith.x, frame.zenith.y, frame.zenith.z};
    const double P[3] = {state.pos.x - o.x, state.pos.y - o.y, state.pos.z - o.z};
    const double V[3] = {state.vel.x + kEarthRotationRate * state.pos.y,
                         state.vel.y - kEarthRotationRate * state.pos.x, state.vel.z};
    auto dot = [](const double* a, const double* b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; };
    const double n = std::sqrt(dot(P, P));
    if (!(n > 0.0) || !std::isfinite(n) || !std::isfinite(dot(V, V))) return 0.0;
    const double speed = std::sqrt(dot(V, V));
    const double rangeRate = dot(P, V) / n;
    const double across = std::sqrt(std::max(0.0, speed * speed - rangeRate * rangeRate));
    // Wanted: sign (p.z - sC |p|) < 0. With |E| <= e(t) = slack t + A t^2 / 2
    // (and sign E.z below slack t + A' t^2 / 2) that is below g0 + g1 t + g2 t^2, |p| taken from below by its tangent
    // n + n' t (|p| is convex) or from above by n + (n'+ + across) t.
    const double sC = SinOf(sign * limit), k = 1.0 + std::abs(sC);
    const double g0 = sign * (dot(P, z) - sC * n);
    const double oz = o.x * z[0] + o.y * z[1] + o.z * z[2];
    if (!(g0 < 0.0)) return 0.0;
    const double Pz = dot(P, z), Vz = dot(V, z);
    // The zenith's turn about the Earth's axis: the Coriolis term's part along z.
    const double zTurn = std::abs(frame.cosLat);
    double best = 0.0;
    // Beyond the near-earth stretches only high orbits can still claim.
    const bool high = reach.perigee + reach.apogee > 2.0 * kHighOrbit;
    for (double horizon : kPathHorizons) {
        if (horizon > kLongestPathClaim && !high) break;
        const TBounds b = BoundsFor(reach, horizon);
        if (!b.usable) break;
        const double widest = 0.5 * (b.rMin + b.rMax);
        const double orbital = std::sqrt(1.01 * kEarthMu * (2.0 / b.rMin - 1.0 / widest));
        const double turning = orbital + kEarthTurn * b.rMax;  // the fastest in the Earth's frame
        const double gravity = kEarthMu / (b.rMin * b.rMin);
        const double frameAccel = 2.0 * kEarthTurn * turning + kEarthTurn * kEarthTurn * b.rMax;  // Coriolis, centrifugal
        const double accel = 1.01 * gravity + frameAccel;
        // The most that moves p.z either way: gravity and the frame's terms along z.
        double lifting = 1.01 * gravity + 2.0 * kEarthTurn * turning * zTurn + kEarthTurn * kEarthTurn * b.rMax;
        if (sign > 0.0) {
            // Rising, gravity pulls away from the zenith by at least
            // mu (S.z) / rMax^3 while the satellite S = o + p stays on the
            // observer's side of the plane through the Earth's centre normal
            // to z; S.z is taken from below by |p| at its farthest and by the
            // straight path less the fullest acceleration (concave: its ends).
            const double T = horizon;
            const double farthest = n + (speed + kVelocitySlack) * T + 0.5 * accel * T * T;
            const double byPath = oz + std::min(Pz, Pz + (Vz - kVelocitySlack) * T) - 0.5 * accel * T * T;
            const double lowZ = std::max(oz - farthest, byPath);
            if (lowZ > 0.0) {
                const double frameZ = 2.0 * kEarthTurn * turning * zTurn + kEarthTurn * kEarthTurn * b.rMax;
                lifting = 0.01 * gravity + frameZ - kEarthMu * lowZ / (b.rMax * b.rMax * b.rMax);
            }
        }
        double g1 = sign * Vz + k * kVelocitySlack;
        if (sign * sC >= 0.0) {
            g1 -= sign * sC * rangeRate;
        } else {
            const bool tangent = rangeRate >= 0.0 || -rangeRate * horizon <= 2.0 * n;  // |n + n' t| <= n + max(n', 0) t
            g1 += std::abs(sC) * (tangent ? std::max(rangeRate, 0.0) + across : speed);
        }
        const double g2 = 0.5 * (lifting + std::abs(sC) * accel);
        // The first root of g0 + g1 t + g2 t^2 (g0 < 0); bent down (g2 < 0)
        // it has none when it only falls or tops out below zero.
        double t = 0.0;
        if (g2 >= 0.0) {
            t = -2.0 * g0 / (g1 + std::sqrt(g1 * g1 - 4.0 * g2 * g0));
        } else {
            const double disc = g1 * g1 - 4.0 * g2 * g0;
            t = g1 <= 0.0 || disc < 0.0 ? horizon : -2.0 * g0 / (g1 + std::sqrt(disc));
        }
        if (!std::isfinite(t)) break;
        best = std::max(best, std::min(horizon, t));
        if (t < horizon) break;  // the wider bounds of longer stretches claim less
    }
    return best;
}

double SunlitMargin(const TVector& satellite, const TVector& sun) {
    // acos where the shadow test takes atan2: the claims allow for rounding.
    const double dot = satellite.x * sun.x + satellite.y * sun.y + satellite.z * sun.z;
    return kHalfPi + std::acos(std::clamp(kEarthRadius / satellite.r, -1.0, 1.0)) -
           std::acos(std::clamp(dot / (satellite.r * sun.r), -1.0, 1.0));
}

bool CanRiseTo(const TSatRec& sat, const TSite& site, double minElevation) {
    // The deep-space model moves the inclination; only near-earth sets are judged.
    if (sat.deepSpace || !std::isfinite(sat.inclination) || !std::isfinite(sat.apogee)) return true;
    const double R = std::hypot(site.rhoSin, site.rhoCos);
    if (!(R > 0.0)) return true;
    const double highest = std::min(sat.inclination, kPi - sat.inclination) + kInclinationMargin;
    const double gammaMin = std::max(0.0, std::abs(std::atan2(site.rhoSin, site.rhoCos)) - highest);
    const double rMax = (sat.apogee + kEarthRadiusWgs72) * kApogeeFactor + kApogeeMargin;
    const double e = minElevation - site.normalTilt - kSafety;
    if (!(rMax > R) || !(e > -kHalfPi)) return true;
    return gammaMin < CentralAngleAt(e, rMax, R);
}
