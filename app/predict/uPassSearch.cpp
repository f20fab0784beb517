#include "uPassSearch.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <utility>

#include "Zenora.h"
#include "uCrossing.h"
#include "uFormat.h"
#include "uReach.h"
#include "uSunPath.h"

namespace {
constexpr double kShadowIllumination = 0.00025;
constexpr double kMaxMeanMotion = 20.0;

// The edge search walks in coarse steps until the level is passed, steps
// back once, then walks in fine steps; near the level (within the margins,
// rad) both walks take their shorter step.
constexpr TStepPolicy kEdgeSteps{100.0, 25.0, 0.5, 5.0, 1.0, 0.1, 1.0, true};
constexpr double kPathOnly = 0.1;  // rad below the ceiling

double AddSeconds(double t, double seconds) { return t + seconds / kSecondsPerDay; }

constexpr double kEarthRotation = 6.30038809898496 / kSecondsPerDay;  // rad/s, sidereal

// Satellite evaluations, counted per thread and summed after each satellite.
thread_local uint64_t tEvaluations = 0;
std::atomic<uint64_t> gEvaluations{0};

// A search's site and the frame of the time it evaluated last: the rate,
// reach and brightness that follow an evaluation are seen from that frame.
struct TSight {
    const TSite& site;
    TFrame frame{};
};

double ElevationFrom(const TSatState& state, TStateFill fill, const TFrame& frame) {
    return fill == kFillLookAngles ? state.altaz.alt : ElevationOf(state.pos, frame);
}

// Frame, propagation, then the elevation: the state's altitude when the
// look angles are filled, else the elevation of the position.
bool Evaluate(const TSatRec& sat, TSatState& state, double t, TStateFill fill, TSight& sight,
              double& elevation) {
    ++tEvaluations;
    sight.frame = ObserverFrame(sight.site, t);
    if (!PropagateSatellite(sat, state, sight.frame, fill)) return false;
    elevation = ElevationFrom(state, fill, sight.frame);
    return true;
}

// Evaluate at t from a state already propagated to t, without propagating
// again: the same numbers Evaluate gives.
bool Reevaluate(const TSatState& propagated, TSatState& state, double t, TStateFill fill,
                TSight& sight, double& elevation) {
    sight.frame = ObserverFrame(sight.site, t);
    state.pos = propagated.pos;
    state.vel = propagated.vel;
    FillStateGroups(state, fill, sight.frame);
    elevation = ElevationFrom(state, fill, sight.frame);
    return true;
}

// Position only, for the shadow scans: no frame or elevation is needed.
bool PositionAt(const TSatRec& sat, TSatState& state, double t) {
    ++tEvaluations;
    return static_cast<bool>(PropagatePosition(sat, state, t));
}

void SunAt(TSatState& sun, double t, const TSunPath& path) {
    sun.body = kBodySun;
    sun.pos = path.At(t);
}

bool Sunlit(const TSatState& state, const TSatState& sun) { return SunLite(&state.pos, &sun.pos); }

double Magnitude(const TSatRec& sat, const TSatState& state, const TSatState& sun,
                 const TVector& observerPos, bool sunlit, const TMagModel& model) {
    const double fraction =
        sunlit ? illum_fraction(&observerPos, &state.pos, &sun.pos) : kShadowIllumination;
    return ApparentMagnitude(model, sat.stdMag, state.radec.dist, fraction, state.altaz.alt);
}

// A Newton step on the elevation's rate from one state: seconds to where it
// is zero, by the elevation's second derivative from the motion seen from
// the turning Earth (two-body gravity, Coriolis and centrifugal terms). It
// only aims the culmination's closing in; NaN when the curve is not a top's.
double TopAheadOf(const TSatState& state, const TFrame& frame) {
    const double w = kEarthRotation;
    const TVector& p = state.pos;
    const TVector& o = frame.pos;
    const double z[3] = {frame.zenith.x, frame.zenith.y, frame.zenith.z};
    const double V[3] = {state.vel.x + w * p.y, state.vel.y - w * p.x, state.vel.z};
    const double r = std::sqrt(p.x * p.x + p.y * p.y + p.z * p.z);
    const double g = -kEarthMu / (r * r * r);
    const double A[3] = {g * p.x + 2.0 * w * V[1] + w * w * p.x, g * p.y - 2.0 * w * V[0] + w * w * p.y, g * p.z};
    const double rho[3] = {p.x - o.x, p.y - o.y, p.z - o.z};
    auto dot = [](const double* a, const double* b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; };
    const double n = std::sqrt(dot(rho, rho));
    const double dn = dot(rho, V) / n;
    const double ddn = (dot(V, V) + dot(rho, A)) / n - dn * dn / n;
    const double rz = dot(rho, z), vz = dot(V, z), az = dot(A, z);
    const double s = rz / n;
    const double ds = vz / n - rz * dn / (n * n);
    const double dds = az / n - 2.0 * vz * dn / (n * n) - rz * (ddn / (n * n) - 2.0 * dn * dn / (n * n * n));
    const double c = std::sqrt(std::max(1e-12, 1.0 - s * s));
    const double rate = ds / c;
    const double curve = (dds + s * rate * rate) / c;
    if (!(curve < 0.0)) return std::nan("");
    return -rate / curve;
}

// The culmination's samples for FindPeak: the elevation and its rate, with
// the look angles filled; the states of the bracket's ends are kept so the
// top need not be propagated again.
struct TTopProbe {
    const TSatRec& sat;
    TSatState& state;
    TSight& sight;
    TSatState* top;  // null: keep nothing
    TSatState held[2]{};

    bool Slope(double t, double& value, double& rate) {
        if (!Value(t, value)) return false;
        rate = ElevationRate(state, sight.frame);
        return true;
    }
    bool Value(double t, double& value) { return Evaluate(sat, state, t, kFillLookAngles, sight, value); }
    double TopAhead() const { return TopAheadOf(state, sight.frame); }
    void Hold(int slot) { held[slot] = state; }
    void KeepHeld(int slot) { *top = held[slot]; }
    void KeepLast() { *top = state; }
};

struct TTopState {
    TSatState state{};
    bool held = false;  // state is the one at the result
};

// The whole second from `a` (at most `b`) at which the satellite stands
// highest, the culmination when it lies between them. state: evaluated at a
// and b already gave their elevations and rates; it is left evaluated at an
// arbitrary time. With `reuse`, it holds the state at the result when that
// was evaluated here.
double HighestSecond(const TSatRec& sat, TSatState& state, TSight& sight, TSlope a, TSlope b,
                     TTopState* reuse = nullptr) {
    TTopProbe probe{sat, state, sight, reuse ? &reuse->state : nullptr};
    const TPeak peak = FindPeak(probe, a, b, reuse != nullptr);
    if (reuse) reuse->held = peak.kept;
    return peak.t;
}

// A satellite does not enter and leave the shadow within 10 s: the shadow
// scans stride that far.
constexpr int kShadowStride = 10;

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
std::vector<TClearPart> ClearParts(const TSatRec& sat, TSatState& state, TSight& sight,
                                   const THorizonMask& mask, double minEl, double from, double to) {
    std::vector<TClearPart> parts;
    const double top = mask.HighestLimit(minEl);
    bool clear = false;
    double aos = 0.0;
    for (double k = 0.0;;) {
        const double t = AddSeconds(from, k);
        // `to` lies on the same whole seconds, perhaps a rounding apart.
        if (!((to - t) * kSecondsPerDay > 0.5)) break;
        double el = 0.0;
        const bool ok = Evaluate(sat, state, t, kFillLookAngles, sight, el);
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
            const TVector& o = sight.frame.pos;
            const double range = std::hypot(state.pos.x - o.x, state.pos.y - o.y, state.pos.z - o.z);
            const double speed = 1.1 * std::hypot(state.vel.x, state.vel.y, state.vel.z) + 0.5;
            const double rate = 2.0 * speed / range + kEarthRotation;
            skip = std::max(1.0, std::floor(std::min(0.5 * range / speed, (el - top) / rate)));
        }
        k += skip;
    }
    if (clear) parts.push_back({aos, to});
    return parts;
}

void LineSearchSatellite(const TPredictionInputs& in, const TSatRec& original, std::size_t index,
                         const TSite& site, const std::vector<TTimeInterval>& intervals,
                         const TSunPath& sunPath, const TStop& stop, std::vector<TLinePass>& out) {
    const TSatRec& sat = original;
    TSight sight{site};
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
            const TCrossing rise = SearchCrossing(TEdge::kRise, sat, state, level, t, e, site, in.shortcuts,
                                                  std::exchange(next, TStart::kEvaluate));
            if (!rise.Before(e)) break;  // none by the end, or it decayed
            const double risen = rise.t;
            // Each edge search ends evaluated at the edge it found (before the
            // interval's end): those states serve again below.
            const TSatState atAos = state;
            const double set =
                SearchCrossing(TEdge::kSet, sat, state, level, risen, e, site, in.shortcuts, TStart::kStateAtT).t;
            const TSatState atLos = state;
            auto evaluate = [&](double at, TStateFill fill) {
                if (at == risen) return Reevaluate(atAos, state, at, fill, sight, el);
                if (at == set && set < e) return Reevaluate(atLos, state, at, fill, sight, el);
                return Evaluate(sat, state, at, fill, sight, el);
            };
            auto listPart = [&](double aos, double los) {
                const bool evaluated = evaluate(aos, kFillPosition);
                SunAt(sun, aos, sunPath);  // serves the whole pass
                TShadowNote shadow = TShadowNote::kNone;
                double shadowTime = 0.0;
                // How long the state as it stands keeps its side of the
                // shadow's edge, from the orbit it shows.
                auto sameFor = [&] {
                    if (!in.shortcuts) return 0.0;
                    const TReach reach = ReachOf(state.pos, state.vel);
                    const double byTurn = SecondsSameShadow(reach, std::abs(SunlitMargin(state.pos, sun.pos)),
                                                            PlaneAngle(reach, sun.pos));
                    // The rate's bound claims more only close to the edge.
                    if (byTurn >= kLongestCentralClaim) return byTurn;
                    return std::max(byTurn, SecondsSameShadowByRate(reach, state.pos, state.vel, sun.pos));
                };
                const double claimAtAos = evaluated ? sameFor() : 0.0;
                auto lit = [&](double when, double& claim) {
                    claim = 0.0;
                    if (!PositionAt(sat, state, when)) return false;
                    claim = sameFor();
                    return Sunlit(state, sun);
                };
                if (Sunlit(state, sun)) {
                    // Last sunlit second before LOS, or LOS itself.
                    const TChange scan = FindChange(aos, los, true, claimAtAos, kShadowStride, lit);
                    const double entry = scan.Found() ? AddSeconds(aos, scan.seconds - 1) : los;
                    if (in.sunlitOnly) {
                        los = entry;
                    } else {
                        shadow = entry >= los ? TShadowNote::kSunlit : TShadowNote::kEntersShadow;
                        shadowTime = entry;
                    }
                } else {
                    // First sunlit second, or LOS.
                    const TChange scan = FindChange(aos, los, false, claimAtAos, kShadowStride, lit);
                    const double exit = scan.Found() ? AddSeconds(aos, scan.seconds) : los;
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
                    evaluate(aos, kFillLookAngles);
                    const TSlope first{aos, el, ElevationRate(state, sight.frame)};
                    pass.aosElevation = Degrees(state.altaz.alt);
                    pass.aosAzimuth = Degrees(state.altaz.az);
                    evaluate(los, kFillLookAngles);
                    const TSlope last{los, el, ElevationRate(state, sight.frame)};
                    pass.losAzimuth = Degrees(state.altaz.az);
                    pass.losElevation = Degrees(std::max(state.altaz.alt, minEl));
                    TTopState atTop;
                    pass.middle = HighestSecond(sat, state, sight, first, last, reuse ? &atTop : nullptr);
                    if (reuse && atTop.held) {
                        // Held with its look angles at this very second: only the frame is wanted.
                        sight.frame = ObserverFrame(sight.site, pass.middle);
                        state = atTop.state;
                        el = state.altaz.alt;
                    } else
                        Evaluate(sat, state, pass.middle, kFillLookAngles, sight, el);
                    pass.maxElevation = Degrees(state.altaz.alt);
                    pass.maxAzimuth = Degrees(state.altaz.az);
                    pass.shadowed = !Sunlit(state, sun);
                    pass.magnitude = Magnitude(sat, state, sun, sight.frame.pos, !pass.shadowed, in.magModel);
                    out.push_back(pass);
                }
            };
            if (!horizon) {
                listPart(risen, set);
            } else {
                for (const TClearPart& part : ClearParts(sat, state, sight, *horizon, minEl, risen, set))
                    listPart(part.aos, part.los);
            }
            // The next rise is searched from this pass's set: a high or
            // eccentric orbit can rise again well within one period, and the
            // rise search passes over what its orbit rules out anyway.
            t = set;
            if (reuse && set < e) {
                Reevaluate(atLos, state, set, kFillPosition, sight, el);
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
    TSight sight;
    TSatState state{};
    TSatState sun{};
    double intervalEnd = 0.0;
    std::vector<TTablePass>& passes;
    THorizonHandle horizon;  // null: the minimum elevation all round
    const TSunPath& sunPath;

    TTabularSearch(const TPredictionInputs& in, std::size_t k, const TSatRec& sat,
                   const TSite& site, std::vector<TTablePass>& out, const TSunPath& path)
        : inputs(in), index(k), satellite(sat), sight{site}, passes(out),
          horizon(EffectiveHorizon(in.horizon, in.minElevation)), sunPath(path) {
        sun.body = kBodySun;
    }
};

// Evaluate for the tabular walk. With a horizon, the elevation is moved by
// how far the limit at the satellite's azimuth stands above the minimum, so
// the walk's comparisons with the minimum are comparisons with the horizon
// (the azimuth is needed then; else the position will do).
bool EvaluateWalk(TTabularSearch& s, double t, double& el) {
    if (!s.horizon) return Evaluate(s.satellite, s.state, t, kFillPosition, s.sight, el);
    const bool ok = Evaluate(s.satellite, s.state, t, kFillLookAngles, s.sight, el);
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
    double el = s.inputs.minElevation;
    Evaluate(s.satellite, s.state, t, kFillLookAngles, s.sight, el);
    el = std::max(el, s.inputs.minElevation);
    TSatState sun{};
    SunAt(sun, t, s.sunPath);
    row.shadowed = !Sunlit(s.state, sun);
    row.magnitude = Magnitude(s.satellite, s.state, sun, s.sight.frame.pos, !row.shadowed, s.inputs.magModel);
    row.elevation = Degrees(el);
    row.azimuth = Degrees(s.state.altaz.az);
    row.range = s.state.radec.dist;
    s.passes.back().rows.push_back(row);
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
                            std::size_t index, const TSite& site,
                            const std::vector<TTimeInterval>& intervals, const TSunPath& sunPath,
                            const TStop& stop, std::vector<TTablePass>& out) {
    TTabularSearch search(in, index, original, site, out, sunPath);
    const THorizonHandle& horizon = search.horizon;
    const double level = horizon ? horizon->LowestLimit(in.minElevation) : in.minElevation;
    for (const TTimeInterval& interval : intervals) {
        const double e = interval.end;
        search.intervalEnd = e;
        double t = interval.start;
        while (t < e && !stop()) {
            t = SearchCrossing(TEdge::kRise, search.satellite, search.state, level, t, e, site,
                               in.shortcuts).t;
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
                    if (ElevationOf(search.state.pos, search.sight.frame) < level) break;
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
            t = SearchCrossing(TEdge::kSet, search.satellite, search.state, in.minElevation, t, e, site,
                               in.shortcuts).t;
            if (!(t > before)) t = AddSeconds(before, 1.0);  // never search the same instant twice
        }
    }
}

// Runs one listing search over the satellites, counting evaluations.
template <typename Record, typename SearchOne>
TSearchStatus RunListing(const TPredictionInputs& in, const std::vector<TSatRec>& satellites,
                         const TSite& site, unsigned threads, TSearchControl* control,
                         SearchOne searchOne, std::vector<Record>& records,
                         const TSatelliteSink<Record>& sink) {
    const std::vector<TTimeInterval> intervals = PredictionIntervals(in, site);
    // One Sun for every satellite, worked out once for the whole period.
    const TSunPath sunPath(in.start, in.stop);
    return RunPerObject(
        satellites, [&](std::size_t i, const TSatRec& sat) { return IsSearched(in, i, sat); }, threads,
        control,
        [&](std::size_t i, const TSetWindow& window, const TStop& stop, std::vector<Record>& out) {
            if (!MayRise(satellites[i], in, site)) return;
            const uint64_t before = tEvaluations;
            if (window.Whole())
                searchOne(in, satellites[i], i, site, intervals, sunPath, stop, out);
            else
                searchOne(in, satellites[i], i, site, ClipIntervals(intervals, window), sunPath, stop, out);
            gEvaluations += tEvaluations - before;
        },
        [](const auto& r) { return RecordTimes(r); }, records, sink);
}
}  // namespace

TClearPass NextClearPass(const TSatRec& sat, const TSite& site, const THorizonMask& mask, double minEl, double from,
                         double to, double after) {
    TSatState state{};
    TSight sight{site};
    const double level = mask.LowestLimit(minEl);
    for (double t = from; t < to;) {
        const TCrossing rise = SearchCrossing(TEdge::kRise, sat, state, level, t, to, site);
        if (!rise.Before(to)) break;
        const double risen = rise.t;
        const double set = SearchCrossing(TEdge::kSet, sat, state, level, risen, to, site, true, TStart::kStateAtT).t;
        for (const TClearPart& part : ClearParts(sat, state, sight, mask, minEl, risen, set))
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

TStatus CheckDates(double stop, double start) {
    // Pickers hold whole seconds; compare seconds so 15 days exactly passes.
    const double seconds = std::round((stop - start) * kSecondsPerDay);
    if (seconds < 0.0) return TStatus::Failure(TStatusKind::invalid, kEndBeforeStart);
    if (seconds > 15.0 * kSecondsPerDay) return TStatus::Failure(TStatusKind::invalid, kPeriodTooLong);
    return TStatus::Success();
}

namespace {
// The edge search's samples: the satellite's elevation (sign x elevation in
// the signed terms of the bounds), and the seconds the orbit shows it cannot
// reach a bound in. Position only: the elevation is that of the position.
struct TEdgeProbe {
    const TSatRec& sat;
    TSatState& state;
    TSight sight;
    double sign;
    bool shortcuts;
    // The step back takes the sample before the last, kept when it stands at
    // that very time (near-earth sets, which propagate the same whatever was
    // propagated before).
    bool reuse;
    double elevation = 0.0;  // at the last sample
    bool lastOk = false;
    TSatState before{};

    TReading Sample(double t) {
        ++tEvaluations;
        sight.frame = ObserverFrame(sight.site, t);
        const TPropagated done = PropagatePosition(sat, state, t);
        lastOk = static_cast<bool>(done);
        if (!lastOk) return {0.0, done.status == TPropagation::decayed ? TSampled::decayed : TSampled::failed};
        elevation = ElevationOf(state.pos, sight.frame);
        return {elevation};
    }
    void Mark() {
        if (reuse) before = state;
    }
    TReading Back(double t) {
        if (!reuse) return Sample(t);
        lastOk = Reevaluate(before, state, t, kFillPosition, sight, elevation);
        return {elevation};
    }
    // Seconds from the last sample during which the elevation certainly
    // stays short of `bound`. The bounds: the central angle can only shrink
    // (grow) so fast; before a rise, the observer may stand too far from the
    // orbit plane for a while, or the satellite too far along its orbit;
    // before a set, the satellite may have a way to go along its orbit; and
    // the line of sight follows the state's own path (both models move it
    // smoothly, by two-body motion and small perturbations).
    double Quiet(double bound) const {
        if (!lastOk || !shortcuts) return 0.0;
        const double ceiling = sign * bound;  // in sign x elevation
        const TReach reach = ReachOf(state.pos, state.vel);
        const TFrame& frame = sight.frame;
        // Close below the ceiling the path bound claims the most, and the
        // orbit's geometry hardly anything: only the path is asked there.
        if (ceiling - sign * elevation < kPathOnly)
            return SecondsBelowByPath(reach, state, frame, sign, ceiling);
        // The bounds that claim most come first; one that could not claim
        // more than is claimed already (its longest claim, or the most it
        // can claim from here) is not asked.
        const double pathMost = sat.deepSpace ? kLongestHighPathClaim : kLongestPathClaim;
        double quiet = 0.0;
        if (sign > 0.0) {
            quiet = SecondsOffArc(reach, state.pos, frame, ceiling);
            const double planeAngle = PlaneAngle(reach, frame.pos);
            if (quiet < MostOffPlane(reach, planeAngle, ceiling))
                quiet = std::max(quiet, SecondsOffPlane(reach, planeAngle, frame, ceiling));
            const double gamma = CentralAngle(state.pos, frame.pos);
            if (quiet < MostBelow(reach, gamma, ceiling)) quiet = std::max(quiet, SecondsBelow(reach, gamma, frame, ceiling));
        } else {
            // Setting, the path nearly always claims the most: the orbit's
            // geometry is asked only when the path claims its longest.
            quiet = SecondsBelowByPath(reach, state, frame, sign, ceiling);
            if (quiet < pathMost) return quiet;
            quiet = std::max(quiet, SecondsOnArc(reach, state.pos, frame, -ceiling));
            if (quiet < kLongestCentralClaim)
                quiet = std::max(quiet, SecondsAbove(reach, CentralAngle(state.pos, frame.pos), frame, -ceiling));
            return quiet;
        }
        if (quiet < pathMost)
            quiet = std::max(quiet, SecondsBelowByPath(reach, state, frame, sign, ceiling));
        return quiet;
    }
};
}  // namespace

TCrossing SearchCrossing(TEdge edge, const TSatRec& sat, TSatState& state, double minEl, double t, double limit,
                         const TSite& site, bool shortcuts, TStart start) {
    const double sign = edge == TEdge::kRise ? 1.0 : -1.0;
    TEdgeProbe probe{sat, state, TSight{site}, sign, shortcuts, shortcuts && !sat.deepSpace};
    TReading first;
    if (start == TStart::kStateAtT) {
        probe.lastOk = true;
        probe.sight.frame = ObserverFrame(site, t);
        probe.elevation = ElevationOf(state.pos, probe.sight.frame);
        first = {probe.elevation};
    } else {
        first = probe.Sample(t);
    }
    return FindCrossing(probe, kEdgeSteps, edge == TEdge::kRise ? TDirection::up : TDirection::down, minEl, t, limit,
                        first);
}

std::vector<TTimeInterval> PredictionIntervals(const TPredictionInputs& in, const TSite& site) {
    std::vector<TTimeInterval> intervals;
    if (!(in.start < in.stop)) return intervals;
    TSatState sun{};
    sun.body = kBodySun;
    BodyIntervals(sun, in.dayAndNight, true, in.start, in.stop, in.sunAltitude, intervals, site);
    return intervals;
}

uint64_t PassSearchEvaluations() { return gEvaluations.load(); }

bool IsSearched(const TSatRec& sat, double minRevs) {
    return sat.meanMotion > minRevs && sat.meanMotion < kMaxMeanMotion;
}

bool IsSearched(const TPredictionInputs& in, std::size_t index, const TSatRec& sat) {
    return in.chosen(index) && IsSearched(sat, in.minRevs);
}

bool MayRise(const TSatRec& sat, const TPredictionInputs& in, const TSite& site) {
    return !in.shortcuts || CanRiseTo(sat, site, in.minElevation);
}

namespace {
TPassRecord PassRecordOf(const std::shared_ptr<const TSatRec>& sat, double start, double end,
                         std::optional<double> magnitude, double maxElevation) {
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
                                             p.shadowed ? std::nullopt : std::optional<double>(p.magnitude),
                                             p.maxElevation));
    for (const TTablePass& p : result.tablePasses) {
        std::optional<double> brightest;
        double highest = -kHalfPi;
        for (const TTableRow& row : p.rows) {
            if (!row.shadowed) brightest = std::min(brightest.value_or(row.magnitude), row.magnitude);
            highest = std::max(highest, row.elevation);
        }
        result.passes.push_back(PassRecordOf(handles[p.satellite], p.rows.front().t,
                                             p.rows.back().t, brightest, highest));
    }
    result.skyCharts = result.skyCharts || !result.passes.empty();
}

TPredictionResult RunLineSearch(const TPredictionInputs& in, const std::vector<TSatRec>& satellites,
                                const TSite& site, unsigned threads,
                                TSearchControl* control, const TSatelliteSink<TLinePass>& sink) {
    TPredictionResult result;
    result.status = RunListing(in, satellites, site, threads, control, LineSearchSatellite,
                               result.linePasses, Noting(sink, result.skyCharts));
    MakePassRecords(result, satellites);
    return result;
}

TPredictionResult RunTabularSearch(const TPredictionInputs& in,
                                   const std::vector<TSatRec>& satellites,
                                   const TSite& site, unsigned threads,
                                   TSearchControl* control, const TSatelliteSink<TTablePass>& sink) {
    TPredictionResult result;
    result.status = RunListing(in, satellites, site, threads, control,
                               TabularSearchSatellite, result.tablePasses, Noting(sink, result.skyCharts));
    MakePassRecords(result, satellites);
    return result;
}
