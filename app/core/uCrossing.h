// Search primitives shared by every walk in time: the first crossing of a
// level, the highest whole second between two ends of a rise, and the first
// change of a two-valued state. Times are day numbers, steps are seconds;
// each walk takes the same samples in the same order as the step loops it
// replaced, so whole-second results stay bit for bit what they were.
//
// A probe is what a walk samples. Each primitive names the calls it makes.
#pragma once
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <utility>

#include "uUnits.h"

// How one sample went: a value, or the reason there is none.
enum class TSampled : uint8_t { ok, decayed, failed };

struct TReading {
    double value = 0.0;
    TSampled status = TSampled::ok;
    bool Ok() const { return status == TSampled::ok; }
};

// How a search ended. `decayed` and `failed` (any other failure of the
// sampler, e.g. the propagator's) are never reported as "not found".
enum class TFound : uint8_t { found, notFound, decayed, failed };

struct TCrossing {
    TFound status = TFound::notFound;
    double t = 0.0;          // the crossing when found, else the limit
    double stoppedAt = 0.0;  // when found: t; else the last time sampled (a failed sample's time)
    bool Found() const { return status == TFound::found; }
    // Found strictly before `limit`: what a walk continuing up to it needs.
    bool Before(double limit) const { return Found() && t < limit; }
};

// Which way a crossing goes: up (the value reaches the level from below) or
// down (it falls to the level from above).
enum class TDirection : int8_t { up = 1, down = -1 };

// Steps of a crossing walk. A coarse walk strides until the level is passed
// and steps back once, then a fine walk strides up to it. Each walk takes its
// near step once the value is within its margin of the level (value units);
// the fine walk starts with fineNearAtStart when it starts that close.
struct TStepPolicy {
    double coarse = 0.0, coarseNear = 0.0, coarseMargin = 0.0;  // s, s, value
    double fine = 0.0, fineNear = 0.0, fineMargin = 0.0;
    double fineNearAtStart = 0.0;
    // The coarse walk also ends once it stands a whole step past the limit
    // (true), or only beyond that (false).
    bool coarseEndsAtLimitStep = true;
};

// FindCrossing: the first sample time from t at which the value is not short
// of the level (up: value >= level; down: value <= level; a NaN value counts
// as reached), sampled on the policy's steps.
// Contract:
//  - found: that sample's time, at most `limit` (found at the limit is found);
//  - notFound: no such sample by the limit; t is the limit;
//  - decayed / failed: the first sample, the step back, or a fine sample
//    failed; t is the limit, stoppedAt the failed sample's time. A failed
//    coarse sample counts as past the level (the walk steps back and closes in
//    with fine steps, which find the failure again or a crossing before it).
// `first` is the sample at t, taken by the caller.
// Probe calls:
//   TReading Sample(double t)       value at t
//   double Quiet(double bound)     seconds from the last sample during which
//                                  the value certainly stays short of bound
//                                  (0: unknown); those steps are not sampled
//   void Mark()                    the walk may come back to the last sample
//   TReading Back(double t)         the marked sample again, at its time t
template <typename Probe>
TCrossing FindCrossing(Probe& probe, const TStepPolicy& p, TDirection direction, double level, double t,
                       double limit, TReading first) {
    const double sign = static_cast<double>(direction);
    const double lv = sign * level;
    auto days = [](double seconds) { return seconds / kSecondsPerDay; };
    auto failure = [&](const TReading& s, double at) {
        return TCrossing{s.status == TSampled::decayed ? TFound::decayed : TFound::failed, limit, at};
    };
    if (!first.Ok()) return failure(first, t);
    double x = sign * first.value;

    bool near = x > lv - p.coarseMargin;
    double step = near ? p.coarseNear : p.coarse;
    while (x < lv) {
        probe.Mark();
        const double markedAt = t;
        const double quiet = probe.Quiet(sign * (near ? lv : lv - p.coarseMargin));
        for (double passed = step; passed <= quiet; passed += step) {
            const double next = t + days(step);
            if (!(limit + days(step) > next)) break;
            t = next;
        }
        t = t + days(step);
        const TReading s = probe.Sample(t);
        if (s.Ok()) x = sign * s.value;
        const bool beyond = p.coarseEndsAtLimitStep ? !(limit + days(step) > t) : t > limit + days(step);
        if (!s.Ok() || x > lv || beyond) {
            t = t + -days(step);
            const TReading back = t == markedAt ? probe.Back(t) : probe.Sample(t);
            if (!back.Ok()) return failure(back, t);
            x = sign * back.value;
            break;
        }
        if (!near && x > lv - p.coarseMargin) {
            near = true;
            step = p.coarseNear;
        }
    }
    if (x < lv) {
        bool fineClose = x > lv - p.fineMargin;
        double fine = fineClose ? p.fineNearAtStart : p.fine;
        while (t < limit && x < lv) {
            const double quiet = probe.Quiet(sign * (fineClose ? lv : lv - p.fineMargin));
            for (double passed = fine; passed <= quiet && t < limit; passed += fine) t = t + days(fine);
            if (!(t < limit)) break;
            t = t + days(fine);
            const TReading s = probe.Sample(t);
            if (!s.Ok()) return failure(s, t);
            x = sign * s.value;
            if (!fineClose && x > lv - p.fineMargin) {
                fineClose = true;
                fine = p.fineNear;
            }
        }
    }
    if (t > limit || x < lv) return {TFound::notFound, limit, t};
    return {TFound::found, t, t};
}

// A probe on a sampling function that never fails and keeps nothing.
template <typename F>
struct TPlainProbe {
    F f;
    TReading Sample(double t) { return {f(t)}; }
    double Quiet(double) const { return 0.0; }
    void Mark() {}
    TReading Back(double t) { return Sample(t); }
};
template <typename F>
TPlainProbe<F> PlainProbe(F f) {
    return {std::move(f)};
}

// One end of a rise to its top: time, value and the value's rate.
struct TSlope {
    double t = 0.0, value = 0.0, rate = 0.0;
};

struct TPeak {
    TFound status = TFound::found;  // failed only when a sample of the closing in failed
    double t = 0.0;                 // the highest whole second from a.t, or an end
    bool kept = false;              // the probe keeps the state at t (KeepHeld/KeepLast)
};

// FindPeak: the time on whole seconds from a.t, up to b.t, at which the value
// is highest, when a rises (rate > 0) and b falls (rate < 0) to one top in
// between; else the higher end (a on a tie). A failed sample ends the closing
// in (status failed): the seconds around where it stood are still compared.
// The rate's zero is closed in on by false position (Illinois); with `keep`,
// on whole seconds until two neighbours hold it, else on real times, after
// which the seconds around it are sampled. With `keep` the probe holds the
// states of the two ends of the bracket and of the best second, so the caller
// need not sample the result again (kept); a failed closing in starts over
// the real-time way.
// Probe calls:
//   bool Slope(double t, double& value, double& rate)   false: failed
//   bool Value(double t, double& value)
//   void Hold(int slot)      keep the last sample's state in slot 0 or 1
//   void KeepHeld(int slot)  the result's state is that slot's
//   void KeepLast()          the result's state is the last sample's
// With `keep`, the closing in starts where a cubic through the ends' values
// and rates tops out, and a probe that has one may aim it further:
//   double TopAhead()        seconds from the last sample to where the rate's
//                            zero seems to be (NaN: no idea)
// Aiming only chooses which seconds are sampled: the neighbours that hold
// the zero are the same.
// Seconds from a to where the cubic through a's and b's values and rates
// (span seconds apart) tops out; NaN when it does not between them.
inline double CubicTop(const TSlope& a, const TSlope& b, double span) {
    const double m0 = a.rate * span, m1 = b.rate * span;
    // The cubic's slope on u in [0, 1]: A u^2 + B u + C.
    const double A = 6.0 * (a.value - b.value) + 3.0 * (m0 + m1);
    const double B = 6.0 * (b.value - a.value) - 4.0 * m0 - 2.0 * m1;
    const double C = m0;
    double u = std::nan("");
    if (std::abs(A) < 1e-12 * (std::abs(B) + std::abs(C))) {
        u = -C / B;
    } else if (const double disc = B * B - 4.0 * A * C; disc >= 0.0) {
        const double q = -0.5 * (B + std::copysign(std::sqrt(disc), B));
        for (double r : {q / A, C / q})
            if (r > 0.0 && r < 1.0) u = r;
    }
    return u > 0.0 && u < 1.0 ? u * span : std::nan("");
}

template <typename Probe>
TPeak FindPeak(Probe& probe, TSlope a, TSlope b, bool keep) {
    const double span = std::round((b.t - a.t) * kSecondsPerDay);
    auto at = [&](double j) { return a.t + j / kSecondsPerDay; };
    auto second = [&](double t) { return std::floor((t - a.t) * kSecondsPerDay + 1e-6); };
    TPeak peak{TFound::found, a.t, false};
    double top = a.value;
    if (b.value > top) {
        top = b.value;
        peak.t = b.t;
    }
    if (!(a.rate > 0.0 && b.rate < 0.0 && span > 1.0)) return peak;
    if (keep) {
        struct TSecond {
            double j, value, weight;  // weight: the rate, halved while the end is stale
            int slot;
        };
        TSecond lo{0.0, a.value, a.rate, 0}, hi{span, b.value, b.rate, 1};
        int side = 0;
        bool ok = true;
        // Closer than the rates' secant: a pass's top is seldom halfway.
        double aim = CubicTop(a, b, span);
        int aimed = 0;  // a poor aim moves by single seconds: the secant takes over
        while (hi.j - lo.j > 1.0) {
            double j = std::round((lo.j * hi.weight - hi.j * lo.weight) / (hi.weight - lo.weight));
            if (!std::isfinite(j)) j = std::floor((lo.j + hi.j) / 2.0);
            if (aim > lo.j && aim < hi.j && aimed < 4) {
                j = std::floor(aim);
                ++aimed;
            }
            j = std::clamp(j, lo.j + 1.0, hi.j - 1.0);
            double value = 0.0, rate = 0.0;
            if (!probe.Slope(at(j), value, rate)) {
                ok = false;
                break;
            }
            if constexpr (requires { probe.TopAhead(); }) aim = j + probe.TopAhead();
            if (rate > 0.0) {
                probe.Hold(lo.slot);
                lo = {j, value, rate, lo.slot};
                if (side == -1) hi.weight /= 2.0;  // Illinois: the stale end gives way
                side = -1;
            } else {
                probe.Hold(hi.slot);
                hi = {j, value, rate, hi.slot};
                if (side == 1) lo.weight /= 2.0;
                side = 1;
            }
        }
        if (ok) {
            for (const TSecond* s : {&lo, &hi}) {
                if (s->j <= 0.0 || s->j >= span || !(s->value > top)) continue;
                top = s->value;
                peak.t = at(s->j);
                probe.KeepHeld(s->slot);
                peak.kept = true;
            }
            return peak;
        }
        // Over again the other way (what was held may not be the result).
        peak.status = TFound::failed;
    }
    TSlope lo = a, hi = b;
    int side = 0;
    for (int i = 0; i < 50 && (hi.t - lo.t) * kSecondsPerDay > 0.5 && !(keep && second(lo.t) == second(hi.t)); ++i) {
        double t = (lo.t * hi.rate - hi.t * lo.rate) / (hi.rate - lo.rate);
        const double margin = 0.05 / kSecondsPerDay;
        t = std::clamp(t, lo.t + margin, hi.t - margin);
        TSlope mid{t, 0.0, 0.0};
        if (!probe.Slope(t, mid.value, mid.rate)) {
            peak.status = TFound::failed;
            break;
        }
        if (mid.rate > 0.0) {
            lo = mid;
            if (side == -1) hi.rate /= 2.0;  // Illinois: the stale end gives way
            side = -1;
        } else {
            hi = mid;
            if (side == 1) lo.rate /= 2.0;
            side = 1;
        }
    }
    // The top lies between lo and hi, in the second of lo or (when they end
    // up apart by half a second across a whole one) in hi's: both neighbours
    // of it are compared.
    const double k = second(lo.t);
    const double last = std::max(k, second(hi.t)) + 1.0;
    for (double j = k; j <= last; j += 1.0) {
        if (j <= 0.0 || j >= span) continue;
        const double t = at(j);
        double value = 0.0;
        if (probe.Value(t, value) && value > top) {
            top = value;
            peak.t = t;
            if (keep) {
                probe.KeepLast();
                peak.kept = true;
            }
        }
    }
    return peak;
}

struct TChange {
    TFound status = TFound::notFound;  // found: it changed; notFound: the end came first
    int seconds = 0;                   // whole seconds from `from` to the change or the end
    bool Found() const { return status == TFound::found; }
};

// FindChange: the whole seconds after `from` until a two-valued state differs
// from `was`, or until `end` (the first whole second at or past it), as a scan
// of every second would find them. The scan strides `stride` seconds and
// steps single seconds only in a stride where something changed: the caller
// vouches that the state does not change twice within a stride.
// state(t, claim) gives the state at t and the seconds after t in which it
// certainly stays so (0 when unknown); samples in such a stretch are passed.
// claimFrom: that stretch from `from`. Nothing from `from` on: found nothing,
// 0 seconds.
template <typename State>
TChange FindChange(double from, double end, bool was, double claimFrom, int stride, State state) {
    if (!(from < end)) return {TFound::notFound, 0};
    auto at = [&](int seconds) { return from + seconds / kSecondsPerDay; };
    double quiet = -1.0;  // seconds after `from` up to which the state is `was`
    auto keep = [&](double after, double claim) {
        if (claim > 0.0) quiet = std::max(quiet, after + claim);
    };
    keep(0.0, claimFrom);
    double claim = 0.0;
    for (int k = 0;; k += stride) {
        const double probe = at(k + stride);
        if (probe < end) {
            if (k + stride <= quiet) continue;
            if (state(probe, claim) == was) {
                keep(k + stride, claim);
                continue;
            }
        }
        for (int j = k + 1; j <= k + stride; ++j) {
            const double t = at(j);
            if (t >= end) return {TFound::notFound, j};
            if (j <= quiet) continue;
            if (state(t, claim) != was) return {TFound::found, j};
            keep(j, claim);
        }
    }
}
