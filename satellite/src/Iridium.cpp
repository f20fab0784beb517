// Mirror geometry of the first-generation Iridium satellites: three flat
// main mission antennas around the body's vertical axis.
#include <cmath>
#include "Model.h"
#include "Satellite.h"

namespace {

constexpr double kNoFlare = 180.0;
constexpr double kTilt = 40.0 * sgp::kDeg;  // panel plane against the body axis

struct V3 {
    double x, y, z;
};
V3 sub(V3 a, V3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
V3 add(V3 a, V3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
V3 mul(V3 a, double k) { return {a.x * k, a.y * k, a.z * k}; }
double dot(V3 a, V3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
V3 cross(V3 a, V3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
double norm(V3 a) { return std::sqrt(dot(a, a)); }
bool unit(V3& a) {
    const double n = norm(a);
    if (!(n > 0.0) || !std::isfinite(n)) return false;
    a = mul(a, 1.0 / n);
    return true;
}
V3 of(const TVector* v) { return {v->x, v->y, v->z}; }
void put(TVector* out, V3 a) {
    out->x = a.x;
    out->y = a.y;
    out->z = a.z;
    out->r = norm(a);
}

// Outward normal of mirror k (1..3). Mirror 1 faces the direction of flight;
// 2 and 3 follow at 120 degree steps counter-clockwise seen from above. The
// panels lean 40 degrees out from the nadir-pointing body axis, so their
// normals point 40 degrees below the body's horizontal plane.
V3 mirrorNormal(int k, V3 ahead, V3 left, V3 nadir) {
    const double az = (k - 1) * (2.0 * sgp::kPi / 3.0);
    const V3 h = add(mul(ahead, std::cos(az)), mul(left, std::sin(az)));
    return add(mul(h, std::cos(kTilt)), mul(nadir, std::sin(kTilt)));
}

}  // namespace

extern "C" {

SATELLITE_API void IridiumCalc(const TVector* observer, const TVector* satPos, const TVector* satVel,
                               const TSatState* sun, TVector* reflection, double* angle, int32_t* mirrorUsed,
                               int32_t mirror) {
    if (reflection == nullptr || angle == nullptr || mirrorUsed == nullptr) return;
    *angle = kNoFlare;
    *mirrorUsed = 0;
    put(reflection, {0.0, 0.0, 0.0});
    if (observer == nullptr || satPos == nullptr || satVel == nullptr || sun == nullptr) return;

    const V3 s = of(satPos);
    V3 up = s, toObs = sub(of(observer), s), toSun = sub(of(&sun->pos), s);
    if (!unit(up) || !unit(toObs) || !unit(toSun)) return;
    // Yaw follows the velocity: the flight direction is its horizontal part.
    V3 ahead = sub(of(satVel), mul(up, dot(of(satVel), up)));
    if (!unit(ahead)) return;
    const V3 left = cross(up, ahead);
    const V3 nadir = mul(up, -1.0);

    const int first = (mirror >= 1 && mirror <= 3) ? mirror : 1;
    const int last = (mirror >= 1 && mirror <= 3) ? mirror : 3;
    for (int k = first; k <= last; ++k) {
        const V3 n = mirrorNormal(k, ahead, left, nadir);
        const double c = dot(toSun, n);
        // Sunlight on the back of the panel is not reflected.
        if (!(c > 0.0)) {
            if (first == last) *mirrorUsed = k;
            continue;
        }
        const V3 refl = sub(mul(n, 2.0 * c), toSun);
        double cosA = dot(refl, toObs);
        cosA = cosA > 1.0 ? 1.0 : (cosA < -1.0 ? -1.0 : cosA);
        const double a = std::acos(cosA) / sgp::kDeg;
        if (!std::isfinite(a)) continue;
        if (a < *angle || *mirrorUsed == 0) {
            *angle = a;
            *mirrorUsed = k;
            put(reflection, refl);
        }
    }
}

SATELLITE_API void IridTrkVect(const TVector* reflection, const TVector* satPos, TVector* ground,
                               double earthCentreDistance, double* range) {
    if (ground == nullptr) return;
    ground->x = ground->y = ground->z = ground->r = 0.0;
    if (range != nullptr) *range = 0.0;
    if (reflection == nullptr || satPos == nullptr || !(earthCentreDistance > 0.0) ||
        !std::isfinite(earthCentreDistance))
        return;
    V3 d = of(reflection);
    const V3 s = of(satPos);
    if (!unit(d) || !std::isfinite(norm(s))) return;

    // |s + t d| = R: t^2 + 2 b t + c = 0 with b = s.d, c = |s|^2 - R^2.
    const double R = earthCentreDistance;
    const double b = dot(s, d);
    const double c = dot(s, s) - R * R;
    const double disc = b * b - c;
    double t;
    V3 p;
    if (disc >= 0.0) {
        const double q = std::sqrt(disc);
        t = -b - q;          // first crossing
        if (t < 0.0) t = -b + q;  // starting inside the sphere
        if (t < 0.0) t = -1.0;
    } else {
        t = -1.0;
    }
    if (t >= 0.0) {
        p = add(s, mul(d, t));
    } else {
        // The beam misses the sphere: take the point below its closest approach.
        t = b < 0.0 ? -b : 0.0;
        V3 closest = add(s, mul(d, t));
        if (!unit(closest)) return;
        p = mul(closest, R);
        t = norm(sub(p, s));
    }
    put(ground, p);
    if (range != nullptr) *range = t;
}
}
