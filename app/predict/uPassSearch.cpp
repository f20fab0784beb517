#include "uPassSearch.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <utility>

#include "Zenora.h"
#include "uFormat.h"
#include "uReach.h"
#include "uSunPath.h"

namespace {
constexpr double kShadowIllumination = 0.00025;
constexpr double kMaxMeanMotion = 20.0;

// The edge search walks in coarse steps until the level is passed, steps
// back once, then walks in fine steps; near the level (within the margins,
// rad) both walks take their shorter step. A failed propagation during the
// coarse walk counts as kEdgeFailedBeyond past the level, so the walk stops.
constexpr double kEdgeCoarseStep = 100.0;     // s
constexpr double kEdgeCoarseNearStep = 25.0;  // s
constexpr double kEdgeNearCoarse = 0.5;       // rad
constexpr double kEdgeFineStep = 5.0;         // s
constexpr double kEdgeFineNearStep = 1.0;     // s
constexpr double kEdgeNearFine = 0.1;         // rad
constexpr double kEdgeFailedBeyond = 0.01;    // rad

double AddSeconds(double t, double seconds) { return t + seconds / kSecondsPerDay; }

constexpr double kEarthRotation = 6.30038809898496 / kSecondsPerDay;  // rad/s, sidereal

// Satellite evaluations, counted per thread and summed after each satellite.
thread_local uint64_t tEvaluations = 0;
std::atomic<uint64_t> gEvaluations{0};

// Observer vector, propagation, then the elevation: the state's altitude
// when the look angles are filled, else the elevation of the position.
bool Evaluate(const TSatRec& sat, TSatState& state, double t, TObserver& observer, double& elevation) {
    ++tEvaluations;
    const double gha = ObserverVector(t, observer);
    if (!PropagateSatellite(sat, state, t, gha, observer)) return false;
    elevation = state.mode == kFillLookAngles ? state.altaz.alt : ElevationOf(state.pos, observer);
    return true;
}

// Evaluate at t from a state already propagated to t, without propagating
// again: the same numbers Evaluate gives.
bool Reevaluate(const TSatState& propagated, TSatState& state, double t,
                TObserver& observer, double& elevation) {
    const double gha = ObserverVector(t, observer);
    state.pos = propagated.pos;
    state.vel = propagated.vel;
    FillStateGroups(state, gha, observer);
    elevation = state.mode == kFillLookAngles ? state.altaz.alt : ElevationOf(state.pos, observer);
    return true;
}

// Position only (kFillPosition), for the shadow scans: no hour angle or
// elevation is needed, and that mode does not read the hour angle.
bool PositionAt(const TSatRec& sat, TSatState& state, double t, const TObserver& observer) {
    ++tEvaluations;
    return static_cast<bool>(PropagateSatellite(sat, state, t, 0.0, observer));
}

void SunAt(TSatState& sun, double t, const TSunPath& path) {
    sun.body = kBodySun;
    sun.mode = kFillPosition;
    sun.pos = path.At(t);
}

bool Sunlit(const TSatState& state, const TSatState& sun) { return SunLite(&state.pos, &sun.pos); }

double Magnitude(const TSatRec& sat, const TSatState& state, const TSatState& sun,
                 const TObserver& observer, bool sunlit, const TMagModel& model) {
    const double fraction =
        sunlit ? illum_fraction(&observer.vect, &state.pos, &sun.pos) : kShadowIllumination;
    return ApparentMagnitude(model, sat.stdMag, state.radec.dist, fraction, state.altaz.alt);
}

// The whole second from `from` (at most `to`) at which the satellite stands
// highest, the culmination when it lies between them. A pass rises to one
// top: the elevation rate's zero is bracketed and closed in on by false
// position (Illinois), then the two whole seconds around it are compared
// with the ends. state: evaluated at `from` and `to` already gave their
// elevations and rates; it is left evaluated at an arbitrary time. With
// `reuse`, the closing in takes whole seconds from `from` until two
// neighbours hold the zero between them: they are the two seconds compared,
// evaluated already (a failed evaluation falls back to the way without), and
// *reuse holds the state at the result when that was evaluated here (else
// its mode is -1).
struct TEnd {
    double t, elevation, rate;
};
double HighestSecond(const TSatRec& sat, TSatState& state, TObserver& observer, TEnd a, TEnd b,
                     TSatState* reuse = nullptr) {
    const double span = std::round((b.t - a.t) * kSecondsPerDay);
    double best = a.t, top = a.elevation;
    if (reuse) reuse->mode = -1;
    auto consider = [&](double t, double el) {
        if (el > top) {
            top = el;
            best = t;
            if (reuse) *reuse = state;
        }
    };
    auto second = [&](double t) { return std::floor((t - a.t) * kSecondsPerDay + 1e-6); };
    if (b.elevation > top) {
        top = b.elevation;
        best = b.t;
        if (reuse) reuse->mode = -1;
    }
    if (reuse && a.rate > 0.0 && b.rate < 0.0 && span > 1.0) {
        struct TSecond {
            double j, el, weight;  // weight: the rate, halved while the end is stale
            TSatState state;
        };
        TSecond lo{0.0, a.elevation, a.rate, {}}, hi{span, b.elevation, b.rate, {}};
        int side = 0;
        bool ok = true;
        while (hi.j - lo.j > 1.0) {
            double j = std::round((lo.j * hi.weight - hi.j * lo.weight) / (hi.weight - lo.weight));
            if (!std::isfinite(j)) j = std::floor((lo.j + hi.j) / 2.0);
            j = std::clamp(j, lo.j + 1.0, hi.j - 1.0);
            double el = 0.0;
            if (!Evaluate(sat, state, AddSeconds(a.t, j), observer, el)) {
                ok = false;
                break;
            }
            const double rate = ElevationRate(state, observer);
            if (rate > 0.0) {
                lo = {j, el, rate, state};
                if (side == -1) hi.weight /= 2.0;  // Illinois: the stale end gives way
                side = -1;
            } else {
                hi = {j, el, rate, state};
                if (side == 1) lo.weight /= 2.0;
                side = 1;
            }
        }
        if (ok) {
            for (const TSecond* s : {&lo, &hi}) {
                if (s->j <= 0.0 || s->j >= span || !(s->el > top)) continue;
                top = s->el;
                best = AddSeconds(a.t, s->j);
                *reuse = s->state;
            }
            return best;
        }
        // Evaluate anew as without reuse (the states kept so far may not be the result).
        best = a.t;
        top = a.elevation;
        reuse->mode = -1;
        if (b.elevation > top) {
            top = b.elevation;
            best = b.t;
        }
    }
    if (a.rate > 0.0 && b.rate < 0.0 && span > 1.0) {
        TEnd lo = a, hi = b;
        int side = 0;
        for (int i = 0; i < 50 && (hi.t - lo.t) * kSecondsPerDay > 0.5 &&
                        !(reuse && second(lo.t) == second(hi.t));
             ++i) {
            double t = (lo.t * hi.rate - hi.t * lo.rate) / (hi.rate - lo.rate);
            const double margin = 0.05 / kSecondsPerDay;
            t = std::clamp(t, lo.t + margin, hi.t - margin);
            double el = 0.0;
            if (!Evaluate(sat, state, t, observer, el)) break;
            const TEnd mid{t, el, ElevationRate(state, observer)};
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
        // The top lies between lo and hi, in the second of lo or (when they
        // end up apart by half a second across a whole one) in hi's: both
        // neighbours of it are compared.
        const double k = second(lo.t);
        const double last = std::max(k, second(hi.t)) + 1.0;
        for (double j = k; j <= last; j += 1.0) {
            if (j <= 0.0 || j >= span) continue;
            const double t = AddSeconds(a.t, j);
            double el = 0.0;
            if (Evaluate(sat, state, t, observer, el)) consider(t, el);
        }
    }
    return best;
}

// Whole seconds after `from` until the sunlit state differs from `litFrom`
// or LOS is reached, as a one-second scan would find them. The scan strides
// 10 s and steps single seconds only inside the stride where something
// changed: a satellite does not enter and leave the shadow within 10 s.
// lit(t, claim) gives the sunlit state at t and the seconds after t in
// which it certainly stays so (0 when unknown); the samples of such a stretch
// are passed without evaluating. claimFrom: that stretch from `from`.
struct TScan {
    int seconds = 0;
    bool reachedEnd = false;
};
template <typename Lit>
TScan FirstChange(double from, double los, bool litFrom, double claimFrom, Lit lit) {
    constexpr int kStride = 10;
    if (!(from < los)) return {0, true};
    double quiet = -1.0;              // seconds after `from` up to which the state is litFrom
    auto keep = [&](double at, double claim) {
        if (claim > 0.0) quiet = std::max(quiet, at + claim);
    };
    keep(0.0, claimFrom);
    double claim = 0.0;
    for (int k = 0;; k += kStride) {
        const double probe = AddSeconds(from, k + kStride);
        if (probe < los) {
            if (k + kStride <= quiet) continue;
            if (lit(probe, claim) == litFrom) {
                keep(k + kStride, claim);
                continue;
            }
        }
        for (int j = k + 1; j <= k + kStride; ++j) {
            const double t = AddSeconds(from, j);
            if (t >= los) return {j, true};
            if (j <= quiet) continue;
            if (lit(t, claim) != litFrom) return {j, false};
            keep(j, claim);
        }
    }
}

// The parts of a pass that clear the horizon, in whole seconds from `from`
// up to `to` (the pass's set): each from its first clear second to the
// first second after it that is not clear, or to `to` when it is still
// clear there, as an edge search ends at its limit. Clear at AOS: at least
// the limit; staying clear: above it. Seconds in which the satellite cannot
// come down to the highest limit are passed without evaluating them: the
// line of sight turns at most by the relative speed over the range (plus
// the zenith's own turn), and the range shrinks at most by that speed.
struct TClearPart {
    double aos, los;
};
std::vector<TClearPart> ClearParts(const TSatRec& sat, TSatState& state, TObserver& observer,
                                   const THorizonMask& mask, double minEl, double from, double to) {
    std::vector<TClearPart> parts;
    const double top = mask.HighestLimit(minEl);
    const int32_t mode = state.mode;
    state.mode = kFillLookAngles;
    bool clear = false;
    double aos = 0.0;
    for (double k = 0.0;;) {
        const double t = AddSeconds(from, k);
        // `to` lies on the same whole seconds, perhaps a rounding apart.
        if (!((to - t) * kSecondsPerDay > 0.5)) break;
        double el = 0.0;
        const bool ok = Evaluate(sat, state, t, observer, el);
        const double above = ok ? el - mask.Limit(state.altaz.az, minEl) : -1.0;
        if (!clear && above >= 0.0) {
            clear = true;
            aos = t;
        } else if (clear && !(above > 0.0)) {
            parts.push_back({aos, t});
            clear = false;
        }
        double skip = 1.0;
        if (clear && el > top) {
            const TVector& o = observer.vect;
            const double range = std::hypot(state.pos.x - o.x, state.pos.y - o.y, state.pos.z - o.z);
            const double speed = 1.1 * std::hypot(state.vel.x, state.vel.y, state.vel.z) + 0.5;
            const double rate = 2.0 * speed / range + kEarthRotation;
            skip = std::max(1.0, std::floor(std::min(0.5 * range / speed, (el - top) / rate)));
        }
        k += skip;
    }
    if (clear) parts.push_back({aos, to});
    state.mode = mode;
    return parts;
}

void LineSearchSatellite(const TPredictionInputs& in, const TSatRec& original, std::size_t index,
                         TObserver observer, const std::vector<TTimeInterval>& intervals,
                         const TSunPath& sunPath, const TStop& stop, std::vector<TLinePass>& out) {
    const TSatRec& sat = original;
    TSatState state{};
    TSatState sun{};
    const double minEl = in.minElevation;
    // With a horizon, the edges are searched at its lowest limit and the
    // pass is then cut to the parts that clear it.
    const THorizonHandle horizon = EffectiveHorizon(in.horizon, minEl);
    const double level = horizon ? horizon->LowestLimit(minEl) : minEl;
    double el = 0.0;
    // With shortcuts, states of near-earth sets serve again rather than being
    // propagated anew (they propagate the same whatever went before).
    const bool reuse = in.shortcuts && !sat.deepSpace;

    for (const TTimeInterval& interval : intervals) {
        const double e = interval.end;
        double t = interval.start;
        TStart next = TStart::kEvaluate;
        while (t < e && !stop()) {
            state.mode = kFillPosition;
            const double risen = SearchCrossing(TEdge::kRise, sat, state, level, t, e, observer,
                                                in.shortcuts, std::exchange(next, TStart::kEvaluate));
            if (!(risen < e)) break;
            // Each edge search ends evaluated at the edge it found (before the
            // interval's end): those states serve again below.
            const TSatState atAos = state;
            const double set = SearchCrossing(TEdge::kSet, sat, state, level, risen, e, observer,
                                              in.shortcuts, TStart::kStateAtT);
            const TSatState atLos = state;
            auto evaluate = [&](double at) {
                if (at == risen) return Reevaluate(atAos, state, at, observer, el);
                if (at == set && set < e) return Reevaluate(atLos, state, at, observer, el);
                return Evaluate(sat, state, at, observer, el);
            };
            auto listPart = [&](double aos, double los) {
                const bool evaluated = evaluate(aos);
                SunAt(sun, aos, sunPath);  // serves the whole pass
                TShadowNote shadow = TShadowNote::kNone;
                double shadowTime = 0.0;
                // How long the state as it stands keeps its side of the
                // shadow's edge, from the orbit it shows.
                auto sameFor = [&] {
                    return in.shortcuts ? SecondsSameShadow(ReachOf(state.pos, state.vel),
                                                            std::abs(SunlitMargin(state.pos, sun.pos)))
                                        : 0.0;
                };
                const double claimAtAos = evaluated ? sameFor() : 0.0;
                auto lit = [&](double when, double& claim) {
                    claim = 0.0;
                    if (!PositionAt(sat, state, when, observer)) return false;
                    claim = sameFor();
                    return Sunlit(state, sun);
                };
                if (Sunlit(state, sun)) {
                    // Last sunlit second before LOS, or LOS itself.
                    const TScan scan = FirstChange(aos, los, true, claimAtAos, lit);
                    const double entry = scan.reachedEnd ? los : AddSeconds(aos, scan.seconds - 1);
                    if (in.sunlitOnly) {
                        los = entry;
                    } else {
                        shadow = entry >= los ? TShadowNote::kSunlit : TShadowNote::kEntersShadow;
                        shadowTime = entry;
                    }
                } else {
                    // First sunlit second, or LOS.
                    const TScan scan = FirstChange(aos, los, false, claimAtAos, lit);
                    const double exit = scan.reachedEnd ? los : AddSeconds(aos, scan.seconds);
                    if (in.sunlitOnly) {
                        aos = exit;
                    } else {
                        shadow = exit >= los ? TShadowNote::kShadowed : TShadowNote::kLeavesShadow;
                        shadowTime = exit;
                    }
                }

                const double seconds = std::abs(los - aos) * kSecondsPerDay;
                if (seconds > 1.0) {
                    TLinePass pass;
                    pass.satellite = index;
                    pass.aos = aos;
                    pass.los = los;
                    // Whole seconds: the edges are whole-second steps apart.
                    pass.seconds = std::round(seconds * 1000.0) / 1000.0;
                    pass.shadow = shadow;
                    pass.shadowTime = shadowTime;
                    state.mode = kFillLookAngles;
                    evaluate(aos);
                    const TEnd first{aos, el, ElevationRate(state, observer)};
                    pass.aosElevation = Degrees(state.altaz.alt);
                    pass.aosAzimuth = Degrees(state.altaz.az);
                    evaluate(los);
                    const TEnd last{los, el, ElevationRate(state, observer)};
                    pass.losAzimuth = Degrees(state.altaz.az);
                    pass.losElevation = Degrees(std::max(state.altaz.alt, minEl));
                    TSatState atTop{};
                    pass.middle = HighestSecond(sat, state, observer, first, last, reuse ? &atTop : nullptr);
                    if (reuse && atTop.mode >= 0)
                        Reevaluate(atTop, state, pass.middle, observer, el);
                    else
                        Evaluate(sat, state, pass.middle, observer, el);
                    pass.maxElevation = Degrees(state.altaz.alt);
                    pass.maxAzimuth = Degrees(state.altaz.az);
                    pass.shadowed = !Sunlit(state, sun);
                    pass.magnitude = Magnitude(sat, state, sun, observer, !pass.shadowed, in.magModel);
                    out.push_back(pass);
                    state.mode = kFillPosition;
                }
            };
            if (!horizon) {
                listPart(risen, set);
            } else {
                for (const TClearPart& part : ClearParts(sat, state, observer, *horizon, minEl, risen, set))
                    listPart(part.aos, part.los);
                state.mode = kFillPosition;
            }
            // The next rise is searched from this pass's set: a high or
            // eccentric orbit can rise again well within one period, and the
            // rise search passes over what its orbit rules out anyway.
            t = set;
            if (reuse && set < e) {
                state.mode = kFillPosition;
                Reevaluate(atLos, state, set, observer, el);
                next = TStart::kStateAtT;
            }
        }
    }
}

// One satellite's tabular search: the window's walk through a pass, row by row.
struct TTabularSearch {
    const TPredictionInputs& inputs;
    std::size_t index;
    const TSatRec& satellite;
    TObserver observer;
    TSatState state{};
    TSatState sun{};
    double intervalEnd = 0.0;
    std::vector<TTablePass>& passes;
    THorizonHandle horizon;  // null: the minimum elevation all round
    const TSunPath& sunPath;

    TTabularSearch(const TPredictionInputs& in, std::size_t k, const TSatRec& sat,
                   const TObserver& obs, std::vector<TTablePass>& out, const TSunPath& path)
        : inputs(in), index(k), satellite(sat), observer(obs), passes(out),
          horizon(EffectiveHorizon(in.horizon, in.minElevation)), sunPath(path) {
        state.mode = kFillPosition;
        sun.body = kBodySun;
    }
};

// Evaluate for the tabular walk. With a horizon, the elevation is moved by
// how far the limit at the satellite's azimuth stands above the minimum, so
// the walk's comparisons with the minimum are comparisons with the horizon.
bool EvaluateWalk(TTabularSearch& s, double t, double& el) {
    if (!s.horizon) return Evaluate(s.satellite, s.state, t, s.observer, el);
    const int32_t mode = s.state.mode;
    s.state.mode = kFillLookAngles;
    const bool ok = Evaluate(s.satellite, s.state, t, s.observer, el);
    s.state.mode = mode;
    const double minEl = s.inputs.minElevation;
    if (ok) el -= s.horizon->Limit(s.state.altaz.az, minEl) - minEl;
    return ok;
}

// Evaluation of the tabular search: a failure counts as the minimum
// elevation; the Sun and the sunlit flag follow the time.
double StepTo(TTabularSearch& s, double t) {
    double el = s.inputs.minElevation;
    const bool ok = EvaluateWalk(s, t, el);
    SunAt(s.sun, t, s.sunPath);
    if (!ok) return s.inputs.minElevation;
    s.state.sunlit = Sunlit(s.state, s.sun);
    return el;
}

void StartTablePass(TTabularSearch& s, double t) {
    const TSatRec& sat = s.satellite;
    const double rev = (t - (sat.epoch - kJulianOffset)) * sat.meanMotion + sat.revNumber;
    TTablePass pass;
    pass.satellite = s.index;
    pass.revolution = std::isfinite(rev) && std::abs(rev) < 1e15
                          ? static_cast<long long>(std::trunc(rev))
                          : 0;
    s.passes.push_back(std::move(pass));
}

void AddTableRow(TTabularSearch& s, double t) {
    TTableRow row;
    row.t = t;
    row.sunlit = s.state.sunlit != 0;  // as last stepped, before this row's evaluation
    s.state.mode = kFillLookAngles;
    double el = s.inputs.minElevation;
    Evaluate(s.satellite, s.state, t, s.observer, el);
    el = std::max(el, s.inputs.minElevation);
    TSatState sun{};
    SunAt(sun, t, s.sunPath);
    row.shadowed = !Sunlit(s.state, sun);
    row.magnitude = Magnitude(s.satellite, s.state, sun, s.observer, !row.shadowed, s.inputs.magModel);
    row.elevation = Degrees(el);
    row.azimuth = Degrees(s.state.altaz.az);
    row.range = s.state.radec.dist;
    s.passes.back().rows.push_back(row);
    s.state.mode = kFillPosition;
}

void FinishPass(TTabularSearch& s, double t) { AddTableRow(s, t); }

void ListPassAll(TTabularSearch& s, double& t) {
    const double minEl = s.inputs.minElevation;
    const double e = s.intervalEnd;
    StepTo(s, t);
    StartTablePass(s, t);
    double el = minEl;
    do {
        AddTableRow(s, t);
        t = AddSeconds(t, s.inputs.tableStep);
        el = StepTo(s, t);
    } while (el > minEl && t < e);
    if (t > e && el > minEl) el = StepTo(s, t = e);  // no row after the interval
    while (el < minEl) {
        t = AddSeconds(t, -1.0);
        el = StepTo(s, t);
    }
    FinishPass(s, t);
}

void ListPassSunlit(TTabularSearch& s, double& t) {
    const double minEl = s.inputs.minElevation;
    const double e = s.intervalEnd;
    double el = minEl;
    if (!EvaluateWalk(s, t, el)) return;
    SunAt(s.sun, t, s.sunPath);
    s.state.sunlit = Sunlit(s.state, s.sun);
    bool started = false;
    while (el >= minEl) {
        if (!s.state.sunlit) {
            t = AddSeconds(t, 1.0);
            if (!EvaluateWalk(s, t, el) || el < minEl || !(t < e))
                return;
            SunAt(s.sun, t, s.sunPath);
            s.state.sunlit = Sunlit(s.state, s.sun);
            continue;
        }
        if (!started) {
            StartTablePass(s, t);
            started = true;
        }
        AddTableRow(s, t);
        const double lastRow = t;
        t = AddSeconds(t, s.inputs.tableStep);
        el = StepTo(s, t);
        if (el > minEl && t < e && s.state.sunlit) continue;
        if (t > e && el > minEl) el = StepTo(s, t = e);  // no row after the interval
        // Back to the last second that is up and sunlit; never before the last row.
        while (!(el >= minEl && s.state.sunlit) && t > lastRow) {
            t = AddSeconds(t, -1.0);
            el = StepTo(s, t);
        }
        FinishPass(s, t);
        return;
    }
}

void TabularSearchSatellite(const TPredictionInputs& in, const TSatRec& original,
                            std::size_t index, const TObserver& observer,
                            const std::vector<TTimeInterval>& intervals, const TSunPath& sunPath,
                            const TStop& stop, std::vector<TTablePass>& out) {
    TTabularSearch search(in, index, original, observer, out, sunPath);
    const THorizonHandle& horizon = search.horizon;
    const double level = horizon ? horizon->LowestLimit(in.minElevation) : in.minElevation;
    for (const TTimeInterval& interval : intervals) {
        const double e = interval.end;
        search.intervalEnd = e;
        double t = interval.start;
        while (t < e && !stop()) {
            search.state.mode = kFillPosition;
            t = SearchCrossing(TEdge::kRise, search.satellite, search.state, level, t,
                               e, search.observer, in.shortcuts);
            if (!(t < e)) break;
            if (horizon) {
                // Up to the first second that clears the horizon, unless
                // the satellite sets (or the interval ends) first.
                double el = 0.0;
                bool clear = false;
                for (; t < e; t = AddSeconds(t, 1.0)) {
                    if (!EvaluateWalk(search, t, el)) break;
                    if (el >= in.minElevation) {
                        clear = true;
                        break;
                    }
                    if (ElevationOf(search.state.pos, search.observer) < level) break;
                }
                if (!clear) {
                    t = AddSeconds(t, 1.0);
                    continue;
                }
            }
            const double before = t;
            if (in.sunlitOnly)
                ListPassSunlit(search, t);
            else
                ListPassAll(search, t);
            if (horizon) {
                // The satellite may clear the horizon again within this pass.
                t = AddSeconds(std::max(t, before), 1.0);
                continue;
            }
            // On from the set of the pass just listed, whose rows may end
            // while it is still up (in the shadow or at the interval's end).
            search.state.mode = kFillPosition;
            t = SearchCrossing(TEdge::kSet, search.satellite, search.state, in.minElevation, t, e,
                               search.observer, in.shortcuts);
            if (!(t > before)) t = AddSeconds(before, 1.0);  // never search the same instant twice
        }
    }
}

// Runs one listing search over the satellites, counting evaluations.
template <typename Record, typename SearchOne>
TSearchStatus RunListing(const TPredictionInputs& in, const std::vector<TSatRec>& satellites,
                         const TObserver& observer, unsigned threads, TSearchControl* control,
                         SearchOne searchOne, std::vector<Record>& records,
                         const TSatelliteSink<Record>& sink) {
    const std::vector<TTimeInterval> intervals = PredictionIntervals(in, observer);
    // One Sun for every satellite, worked out once for the whole period.
    const TSunPath sunPath(in.start, in.stop);
    return RunPerObject(
        satellites, [&](const TSatRec& sat) { return IsSearched(sat, in.minRevs); }, threads,
        control,
        [&](std::size_t i, const TSetWindow& window, const TStop& stop, std::vector<Record>& out) {
            if (!MayRise(satellites[i], in, observer)) return;
            const uint64_t before = tEvaluations;
            if (window.Whole())
                searchOne(in, satellites[i], i, observer, intervals, sunPath, stop, out);
            else
                searchOne(in, satellites[i], i, observer, ClipIntervals(intervals, window), sunPath, stop, out);
            gEvaluations += tEvaluations - before;
        },
        [](const auto& r) { return RecordTimes(r); }, records, sink);
}
}  // namespace

TClearPass NextClearPass(const TSatRec& sat, TObserver& observer, const THorizonMask& mask, double minEl, double from,
                         double to, double after) {
    TSatState state{};
    const double level = mask.LowestLimit(minEl);
    for (double t = from; t < to;) {
        state.mode = kFillPosition;
        const double risen = SearchCrossing(TEdge::kRise, sat, state, level, t, to, observer);
        if (!(risen < to)) break;
        const double set = SearchCrossing(TEdge::kSet, sat, state, level, risen, to, observer, true, TStart::kStateAtT);
        for (const TClearPart& part : ClearParts(sat, state, observer, mask, minEl, risen, set))
            if (part.los > AddSeconds(after, 0.5)) return {part.aos, part.los};  // whole seconds, rounded apart
        t = set;
    }
    return {to, to};
}

TPredictionInputs ReadPredictionInputs(const TPredictionControls& c, double utcOffset) {
    TPredictionInputs in;
    const double offset = c.utcMode ? 0.0 : utcOffset;
    in.start = c.shownStart - offset;
    in.stop = c.shownStop - offset;
    in.minElevation = std::clamp(c.satAlt, 0.0, 45.0) * kDegToRad;
    in.sunAltitude = std::clamp(c.sunAlt, -18.0, 0.0) * kDegToRad;
    in.minRevs = std::clamp(c.revs, 2.0, 18.0);
    in.tableStep = std::clamp(c.steps, 10, 300);
    in.sunlitOnly = c.sunlitOnly;
    in.dayAndNight = c.dayNight;
    in.utcMode = c.utcMode;
    in.displayOffset = offset;
    return in;
}

std::string CheckDates(double stop, double start) {
    // Pickers hold whole seconds; compare seconds so 15 days exactly passes.
    const double seconds = std::round((stop - start) * kSecondsPerDay);
    if (seconds < 0.0) return kEndBeforeStart;
    if (seconds > 15.0 * kSecondsPerDay) return kPeriodTooLong;
    return {};
}

double SearchCrossing(TEdge edge, const TSatRec& sat, TSatState& state, double minEl, double t,
                      double limit, TObserver& observer, bool shortcuts, TStart start) {
    // A set is a rise of the negated elevation through the negated level.
    const double sign = edge == TEdge::kRise ? 1.0 : -1.0;
    const double level = sign * minEl;
    double x = 0.0;  // sign x elevation
    bool lastOk = false;
    auto reached = [&](double at, double failed) {
        double el = 0.0;
        lastOk = Evaluate(sat, state, at, observer, el);
        x = lastOk ? sign * el : failed;
    };
    // Seconds from the time evaluated last during which x certainly stays
    // at or below `ceiling`: samples the walk would take there cannot
    // change its course, so they are passed without evaluating them.
    // The bounds: the central angle can only shrink (grow) so fast; before a
    // rise, the observer may stand too far from the orbit plane for a
    // while, or the satellite too far along its orbit; before a set, the
    // satellite may have a way to go along its orbit; and the elevation's rate, seen now, can only change so fast
    // (near-earth elements, whose positions are smooth in time).
    auto quietFor = [&](double ceiling) {
        if (!lastOk || !shortcuts) return 0.0;
        const TReach reach = ReachOf(state.pos, state.vel);
        // The bounds that claim most come first; one whose longest claim is
        // claimed already is not asked (it could not claim more).
        double quiet = 0.0;
        if (sign > 0.0) {
            quiet = SecondsOffArc(reach, state.pos, observer, ceiling);
            if (quiet < kLongestPlaneClaim)
                quiet = std::max(quiet, SecondsOffPlane(reach, PlaneAngle(reach, observer.vect), observer, ceiling));
            if (quiet < kLongestCentralClaim)
                quiet = std::max(quiet, SecondsBelow(reach, CentralAngle(state.pos, observer.vect), observer, ceiling));
        } else {
            quiet = SecondsOnArc(reach, state.pos, observer, -ceiling);
            if (quiet < kLongestCentralClaim)
                quiet = std::max(quiet, SecondsAbove(reach, CentralAngle(state.pos, observer.vect), observer, -ceiling));
        }
        if (quiet < kLongestRateClaim && !sat.deepSpace && state.mode == kFillPosition) {
            const TVector& o = observer.vect;
            const double range = std::hypot(state.pos.x - o.x, state.pos.y - o.y, state.pos.z - o.z);
            quiet = std::max(quiet, SecondsBelowByRate(reach, x, sign * ElevationRate(state, observer),
                                                       sign * x, range, observer, ceiling));
        }
        return quiet;
    };
    if (start == TStart::kStateAtT) {
        lastOk = true;
        x = sign * (state.mode == kFillLookAngles ? state.altaz.alt : ElevationOf(state.pos, observer));
    } else {
        reached(t, 0.0);
    }
    // With shortcuts, the step back takes the sample before the last, kept
    // when it stands at that very time (near-earth sets, which propagate
    // the same whatever was propagated before).
    const bool reuse = shortcuts && !sat.deepSpace;
    TSatState before{};
    double beforeAt = 0.0;
    if (lastOk) {
        double step = x > level - kEdgeNearCoarse ? kEdgeCoarseNearStep : kEdgeCoarseStep;
        while (x < level) {
            if (reuse) {
                before = state;
                beforeAt = t;
            }
            const double quiet = quietFor(step == kEdgeCoarseStep ? level - kEdgeNearCoarse : level);
            for (double passed = step; passed <= quiet; passed += step) {
                const double next = AddSeconds(t, step);
                if (!(AddSeconds(limit, step) > next)) break;
                t = next;
            }
            t = AddSeconds(t, step);
            reached(t, level + kEdgeFailedBeyond);
            if (x > level || !(AddSeconds(limit, step) > t)) {
                t = AddSeconds(t, -step);
                if (reuse && t == beforeAt) {
                    double el = 0.0;
                    lastOk = Reevaluate(before, state, t, observer, el);
                    x = sign * el;
                } else {
                    reached(t, level + kEdgeFailedBeyond);
                }
                break;
            }
            if (step == kEdgeCoarseStep && x > level - kEdgeNearCoarse) step = kEdgeCoarseNearStep;
        }
        if (x < level) {
            double fine = x > level - kEdgeNearFine ? kEdgeFineNearStep : kEdgeFineStep;
            while (t < limit && x < level) {
                const double quiet = quietFor(fine == kEdgeFineStep ? level - kEdgeNearFine : level);
                for (double passed = fine; passed <= quiet && t < limit; passed += fine)
                    t = AddSeconds(t, fine);
                if (!(t < limit)) break;
                t = AddSeconds(t, fine);
                reached(t, level);
                if (fine == kEdgeFineStep && x > level - kEdgeNearFine) fine = kEdgeFineNearStep;
            }
        }
    }
    // A failed last propagation means the satellite is down for good.
    if (!lastOk || t > limit) return limit;
    return t;
}

std::vector<TTimeInterval> PredictionIntervals(const TPredictionInputs& in, TObserver observer) {
    std::vector<TTimeInterval> intervals;
    if (!(in.start < in.stop)) return intervals;
    TSatState sun{};
    sun.body = kBodySun;
    sun.mode = kFillPosition;
    BodyIntervals(sun, in.dayAndNight, true, in.start, in.stop, in.sunAltitude, intervals,
                  observer);
    return intervals;
}

uint64_t PassSearchEvaluations() { return gEvaluations.load(); }

bool IsSearched(const TSatRec& sat, double minRevs) {
    return sat.selected && sat.meanMotion > minRevs && sat.meanMotion < kMaxMeanMotion;
}

bool MayRise(const TSatRec& sat, const TPredictionInputs& in, const TObserver& observer) {
    return !in.shortcuts || CanRiseTo(sat, observer, in.minElevation);
}

namespace {
TPassRecord PassRecordOf(const std::shared_ptr<const TSatRec>& sat, double start, double end,
                         double magnitude, double maxElevation) {
    TPassRecord record{};
    record.title = PassTitle(*sat);
    record.satellite = sat;
    record.start = start;
    record.end = end;
    record.magnitude = magnitude;
    record.maxElevation = maxElevation;
    return record;
}
}  // namespace

// A sink that notes whether anything was handed over.
template <typename Record>
TSatelliteSink<Record> Noting(const TSatelliteSink<Record>& sink, bool& any) {
    if (!sink) return {};
    return [&sink, &any](std::size_t i, std::vector<Record>& records) {
        any = any || !records.empty();
        sink(i, records);
    };
}

void MakePassRecords(TPredictionResult& result, const std::vector<TSatRec>& satellites) {
    TSatelliteHandles handles(satellites);
    result.passes.clear();
    for (const TLinePass& p : result.linePasses)
        result.passes.push_back(PassRecordOf(handles[p.satellite], p.aos, p.los,
                                             p.shadowed ? kNoMagnitude : p.magnitude,
                                             p.maxElevation));
    for (const TTablePass& p : result.tablePasses) {
        double brightest = kNoMagnitude, highest = -kHalfPi;
        for (const TTableRow& row : p.rows) {
            if (!row.shadowed) brightest = std::min(brightest, row.magnitude);
            highest = std::max(highest, row.elevation);
        }
        result.passes.push_back(PassRecordOf(handles[p.satellite], p.rows.front().t,
                                             p.rows.back().t, brightest, highest));
    }
    result.skyCharts = result.skyCharts || !result.passes.empty();
}

TPredictionResult RunLineSearch(const TPredictionInputs& in, const std::vector<TSatRec>& satellites,
                                const TObserver& observer, unsigned threads,
                                TSearchControl* control, const TSatelliteSink<TLinePass>& sink) {
    TPredictionResult result;
    result.status = RunListing(in, satellites, observer, threads, control, LineSearchSatellite,
                               result.linePasses, Noting(sink, result.skyCharts));
    MakePassRecords(result, satellites);
    return result;
}

TPredictionResult RunTabularSearch(const TPredictionInputs& in,
                                   const std::vector<TSatRec>& satellites,
                                   const TObserver& observer, unsigned threads,
                                   TSearchControl* control, const TSatelliteSink<TTablePass>& sink) {
    TPredictionResult result;
    result.status = RunListing(in, satellites, observer, threads, control,
                               TabularSearchSatellite, result.tablePasses, Noting(sink, result.skyCharts));
    MakePassRecords(result, satellites);
    return result;
}
