#include "uRotatorPlan.h"

#include <algorithm>
#include <cmath>

#include "uDoppler.h"
#include "uText.h"
#include "uTracking.h"

std::string ParseAzimuthRange(const std::string& text, TRotatorLimits& limits) {
    const auto dash = text.find('-', 1);
    double lo = 0.0, hi = 0.0;
    if (dash == std::string::npos || !ParseNumber(text.substr(0, dash), lo) || !ParseNumber(text.substr(dash + 1), hi))
        return "the rotator's azimuth range must be LO-HI, such as 0-360, -180-180 or 0-450, not '" + text + "'";
    if (hi - lo < 360.0 || hi - lo > 540.0 || lo < -360.0 || hi > 720.0)
        return "the rotator's azimuth range must span 360 to 540 degrees, not '" + text + "'";
    limits.azMin = lo;
    limits.azMax = hi;
    return {};
}

const TRotatorCommand* TRotatorPlan::At(double t) const {
    const TRotatorCommand* found = nullptr;
    for (const TRotatorCommand& c : commands) {
        if (c.t > t) break;
        found = &c;
    }
    return found;
}

namespace {
double Wrap360(double a) {
    a = std::fmod(a, 360.0);
    return a < 0.0 ? a + 360.0 : a;
}

// Rotator degrees of a compass azimuth on the turn nearest to near, inside the range.
double NearestTurn(double compass, double near, const TRotatorLimits& l) {
    double best = std::clamp(Wrap360(compass), l.azMin, l.azMax);
    double bestDist = 1e9;
    for (int k = -3; k <= 3; ++k) {
        const double a = Wrap360(compass) + 360.0 * k;
        if (a < l.azMin - 1e-9 || a > l.azMax + 1e-9) continue;
        if (std::fabs(a - near) < bestDist) bestDist = std::fabs(a - near), best = a;
    }
    return std::clamp(best, l.azMin, l.azMax);
}

// The pass in rotator angles, flipped or not: one continuous azimuth path
// on the turn nearest the antenna, or, when no turn holds it, unwound once
// where the path leaves the range.
struct TRotatorPath {
    std::vector<double> az, el;
    bool unwinds = false;
};

TRotatorPath LayOut(const std::vector<TTrackPoint>& track, bool flipped, const TRotatorSettings& s, double fromAz) {
    const TRotatorLimits& l = s.limits;
    TRotatorPath path;
    std::vector<double>& az = path.az;
    az.resize(track.size());
    path.el.resize(track.size());
    for (std::size_t i = 0; i < track.size(); ++i) {
        const double a = flipped ? track[i].az + 180.0 : track[i].az;
        const double e = flipped ? 180.0 - track[i].el : track[i].el;
        path.el[i] = std::clamp(e, l.elMin, l.elMax);
        if (i == 0) {
            az[i] = Wrap360(a);
        } else {
            double d = Wrap360(a) - Wrap360(az[i - 1]);
            if (d > 180.0) d -= 360.0;
            if (d < -180.0) d += 360.0;
            az[i] = az[i - 1] + d;
        }
    }
    const auto [lo, hi] = std::minmax_element(az.begin(), az.end());
    // The turn that holds the whole path, nearest to where the antenna is.
    bool fits = false;
    double shift = 0.0, bestDist = 1e9;
    const double from = std::isfinite(fromAz) ? fromAz : s.parkAz;
    for (int k = -3; k <= 3; ++k) {
        const double sh = 360.0 * k;
        if (*lo + sh < l.azMin - 1e-9 || *hi + sh > l.azMax + 1e-9) continue;
        const double dist = std::fabs(az[0] + sh - from);
        if (dist < bestDist) bestDist = dist, shift = sh, fits = true;
    }
    if (fits) {
        for (double& a : az) a = std::clamp(a + shift, l.azMin, l.azMax);
        return path;
    }
    path.unwinds = true;
    double prev = NearestTurn(az[0], from, l);
    double sh = prev - az[0];
    for (double& a : az) {
        double v = a + sh;
        if (v < l.azMin - 1e-9 || v > l.azMax + 1e-9) {
            v = NearestTurn(v, prev, l);
            sh = v - a;
        }
        a = std::clamp(v, l.azMin, l.azMax);
        prev = a;
    }
    return path;
}
}  // namespace

TRotatorPlan PlanPass(const std::vector<TTrackPoint>& track, const TRotatorSettings& s, double fromAz) {
    TRotatorPlan plan;
    if (track.empty()) return plan;
    const TRotatorLimits& l = s.limits;
    for (const TTrackPoint& p : track) plan.maxElevation = std::max(plan.maxElevation, p.el);
    // A high pass is flipped when the rotator can, unless the flip would
    // unwind the antenna mid-pass where the plain pass does not.
    const bool mayFlip = l.elMax >= 180.0 && plan.maxElevation >= s.flipAbove;
    TRotatorPath path = LayOut(track, mayFlip, s, fromAz);
    plan.flipped = mayFlip;
    if (mayFlip && path.unwinds) {
        TRotatorPath plain = LayOut(track, false, s, fromAz);
        if (!plain.unwinds) path = std::move(plain), plan.flipped = false;
    }
    plan.unwinds = path.unwinds;
    const std::vector<double>& az = path.az;
    const std::vector<double>& el = path.el;

    // The antenna waits at AOS a little ahead of the satellite, then is sent
    // ahead again each time the satellite reaches it.
    auto apart = [&](std::size_t i, std::size_t j) { return std::max(std::fabs(az[i] - az[j]), std::fabs(el[i] - el[j])); };
    auto ahead = [&](std::size_t i) {
        std::size_t j = i;
        while (j + 1 < track.size() && apart(i, j + 1) <= s.lead) ++j;
        return std::max(j, std::min(i + 1, track.size() - 1));
    };
    std::size_t target = ahead(0);
    plan.commands.push_back({track[0].t - s.preAos / kSecondsPerDay, az[target], el[target], TRotatorPhase::kPreposition});
    for (std::size_t i = 1; i < track.size(); ++i) {
        if (i < target) continue;
        if (target == track.size() - 1) break;
        target = ahead(i);
        plan.commands.push_back({track[i].t, az[target], el[target], TRotatorPhase::kTrack});
    }
    plan.commands.push_back({track.back().t + s.parkDelay / kSecondsPerDay, std::clamp(s.parkAz, l.azMin, l.azMax),
                             std::clamp(s.parkEl, l.elMin, l.elMax), TRotatorPhase::kPark});
    return plan;
}

std::vector<TTrackPoint> PassTrack(const TSatRec& sat, const TSite& site, double aos, double los, double step) {
    std::vector<TTrackPoint> track;
    if (!(los > aos) || !(step > 0.0)) return track;
    const double seconds = (los - aos) * kSecondsPerDay;
    const auto n = static_cast<std::size_t>(std::floor(seconds / step));
    for (std::size_t i = 0; i <= n + 1; ++i) {
        const double t = i <= n ? aos + static_cast<double>(i) * step / kSecondsPerDay : los;
        if (i == n + 1 && std::fabs(t - track.back().t) * kSecondsPerDay < 1e-3) break;
        TLook look;
        if (!LookAt(sat, t, site, look)) continue;
        track.push_back({t, look.azimuth, look.elevation});
    }
    return track;
}
