#include "uSunPath.h"

#include <cmath>

#include "uTracking.h"

namespace {
constexpr double kNodeStep = 1.0 / 24.0;  // days
constexpr double kMaxNodes = 24.0 * 400.0;  // a longer period is worked out in full

TVector SunInFull(double t) {
    TVector v{};
    PlanetVector(kBodySun, v, t);
    return v;
}
}  // namespace

TSunPath::TSunPath(double from, double to) {
    if (!std::isfinite(from) || !std::isfinite(to) || !(from <= to)) return;
    const double count = std::ceil((to - from) / kNodeStep) + 4.0;
    if (!(count <= kMaxNodes)) return;
    first_ = from - kNodeStep;
    nodes_.reserve(static_cast<std::size_t>(count));
    for (int k = 0; k < static_cast<int>(count); ++k) nodes_.push_back(SunInFull(first_ + k * kNodeStep));
}

TVector TSunPath::At(double t) const {
    const double u = (t - first_) / kNodeStep;
    // The four nodes k-1..k+2 around t, with k <= u < k+1.
    const double k = std::floor(u);
    if (!(k >= 1.0) || !(k + 2.0 < static_cast<double>(nodes_.size()))) return SunInFull(t);
    const std::size_t i = static_cast<std::size_t>(k);
    const double s = u - k;
    // Lagrange weights at nodes -1, 0, 1, 2 for s in [0, 1).
    const double w0 = -s * (s - 1.0) * (s - 2.0) / 6.0;
    const double w1 = (s + 1.0) * (s - 1.0) * (s - 2.0) / 2.0;
    const double w2 = -(s + 1.0) * s * (s - 2.0) / 2.0;
    const double w3 = (s + 1.0) * s * (s - 1.0) / 6.0;
    const TVector& a = nodes_[i - 1];
    const TVector& b = nodes_[i];
    const TVector& c = nodes_[i + 1];
    const TVector& d = nodes_[i + 2];
    TVector v{};
    v.x = w0 * a.x + w1 * b.x + w2 * c.x + w3 * d.x;
    v.y = w0 * a.y + w1 * b.y + w2 * c.y + w3 * d.y;
    v.z = w0 * a.z + w1 * b.z + w2 * c.z + w3 * d.z;
    v.r = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    return v;
}
