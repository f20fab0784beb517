#include "uTransit.h"

#include <cmath>

#include "Zenora.h"
#include "uSearchPool.h"

namespace {
constexpr double kRadToDeg = 57.29577951308232;
constexpr double kSecond = 1.0 / kSecondsPerDay;
constexpr double kCoarseLimit = 5.0;        // degrees: below this the fine approach starts
constexpr double kCoarseShortBelow = 10.0;  // degrees
constexpr double kFineShortBelow = 0.5;     // degrees
constexpr double kCoarseStep = 10.0;        // s
constexpr double kCoarseShortStep = 3.0;
constexpr double kFineStep = 0.250;
constexpr double kFineShortStep = 0.075;
constexpr double kDroppedSeparation = 1000.0;
constexpr double kPathStart = 5.0;          // s after the whole second of the AOS
constexpr double kPathFar = 1000.0;
constexpr double kPathTurnBelow = 500.0;    // user units
constexpr double kPathNearBelow = 250.0;
constexpr double kPathCloseAt = 120.0;
constexpr std::size_t kMaxPathRows = 3600;  // a path is minutes long at most

double NextPass(double t, const TSatRec& sat) { return t + 0.75 * SafePeriodDays(sat); }

double SunElevation(double t, TObserver& observer, TVector* sunOut = nullptr) {
    ObserverVector(t, observer);
    TVector sun{};
    PlanetVector(kBodySun, sun, t);
    if (sunOut) *sunOut = sun;
    return ElevationOf(sun, observer);
}

bool IsDiscTarget(int32_t body) { return body == kBodySun || body == kBodyMoon; }

void WriteTitle(TReportLines& lines, const TTransitTarget& target, double start, double offset,
                bool twoDigitYear) {
    WriteTransitTitle(lines, target.name);
    if (target.state.body == kBodyRaDec) {
        lines.push_back(twoDigitYear ? GroundPathEpochLine(start, offset)
                                     : TransitEpochLine(start, offset));
        lines.push_back(RaDecLine(target.state.radec.ra, target.state.radec.dec));
    }
}

// Satellite and target at t; the separation seen by the observer, degrees.
struct TApproach {
    TSatRec& sat;
    TTransitTarget& target;
    TObserver& observer;
    TSatState state{};
    double gha = 0.0;

    bool SeparationAt(double t, double& separation) {
        gha = ObserverVector(t, observer);
        if (!PropagateSatellite(sat, state, t, gha, observer)) return false;
        PlanetVector(target.state.body, target.state.pos, t);
        separation = Angle_3vect(&observer.vect, &state.pos, &target.state.pos) * kRadToDeg;
        return true;
    }
};
}  // namespace

std::vector<TTimeInterval> TargetIntervals(const TTransitTarget& target, double minElevation,
                                           double start, double stop, TObserver observer) {
    std::vector<TTimeInterval> intervals;
    if (!(start < stop)) return intervals;
    TSatState body = target.state;
    body.mode = 0;
    BodyIntervals(body, true, false, start, stop, minElevation, intervals, observer);
    return intervals;
}

void SearchTransits(TSatRec& sat, TTransitTarget& target,
                    const std::vector<TTimeInterval>& intervals, TReportLines& lines,
                    const TTransitContext& cx, TObserver& observer, std::vector<TTransit>* found) {
    TApproach ap{sat, target, observer};
    bool headerWritten = false;
    for (const TTimeInterval& interval : intervals) {
        const double e = interval.end;
        double t = interval.start;
        while (t < e) {
            ap.state.mode = 0;
            t = SearchAOS(sat, ap.state, cx.minElevation, t, e, observer);
            if (!(t < e) || sat.decayed) break;

            double separation = 0.0;
            if (!ap.SeparationAt(t, separation)) break;
            double smallest = separation;
            bool failed = false;
            while (t <= e) {
                t += (smallest < kCoarseShortBelow ? kCoarseShortStep : kCoarseStep) * kSecond;
                if (!ap.SeparationAt(t, separation)) {
                    failed = true;
                    break;
                }
                if (separation > smallest || separation < kCoarseLimit) break;
                smallest = separation;
            }
            if (!failed && separation < kCoarseLimit) {
                double step = kFineStep;
                // Bounded: the separation must grow again within the pass.
                while (t <= e) {
                    step = smallest < kFineShortBelow ? kFineShortStep : kFineStep;
                    t += step * kSecond;
                    if (!ap.SeparationAt(t, separation)) {
                        failed = true;
                        break;
                    }
                    if (separation > smallest) break;
                    smallest = separation;
                }
                // The limit is on the closest approach, the value listed.
                if (!failed && smallest < cx.maxSeparation) {
                    t -= step * kSecond;
                    ap.state.mode = 4;
                    if (ap.SeparationAt(t, separation)) {
                        TVector sun{};
                        PlanetVector(kBodySun, sun, t);
                        if (!cx.dayAndNight && target.state.body != kBodySun &&
                            ElevationOf(sun, observer) > kTransitDaylight)
                            separation = kDroppedSeparation;
                        if (separation != kDroppedSeparation) {
                            if (!headerWritten) {
                                WriteSatelliteHeader(sat, lines, cx.settings);
                                lines.push_back("  ");
                                lines.push_back(TransitColumnHeader());
                                headerWritten = true;
                            }
                            TTransit tr;
                            tr.t = t;
                            tr.separation = smallest;
                            TTransitRow& row = tr.row;
                            row.t = t;
                            row.elevation = ap.state.altaz.alt * kRadToDeg;
                            row.azimuth = ap.state.altaz.az * kRadToDeg;
                            row.magnitude =
                                RawMagnitude(observer.vect, ap.state, sun, sat.stdMag);
                            row.sunlit = SunLite(&ap.state.pos, &sun);
                            row.separation = smallest * 60.0;
                            row.range = ap.state.radec.dist * cx.settings.distanceFactor;
                            row.illumination =
                                target.state.body == kBodyMoon
                                    ? 100.0 * illum_fraction(&observer.vect, &target.state.pos,
                                                             &sun)
                                    : 100.0;
                            lines.push_back(TransitRowLine(row, cx.displayOffset));
                            if (found) found->push_back(tr);
                        }
                    }
                    ap.state.mode = 0;
                }
            }
            t = NextPass(t, sat);
        }
    }
}

TTransitResult RunTransitSearch(const TPredictionInputs& in, double maxSeparation,
                                const TTransitTarget& target, const std::vector<TSatRec>& sats,
                                const TObserver& observer, const TReportSettings& rs,
                                unsigned threads) {
    TTransitResult result;
    WriteTitle(result.lines, target, in.start, in.displayOffset, false);
    WriteReportHeader(in.utcMode, result.lines, in.start + in.displayOffset,
                      in.stop + in.displayOffset, rs);
    KeySearchDeltaT(in.start);
    const std::vector<TTimeInterval> intervals =
        TargetIntervals(target, in.minElevation, in.start, in.stop, observer);

    TTransitContext cx;
    cx.utcMode = in.utcMode;
    cx.dayAndNight = in.dayAndNight;
    cx.maxSeparation = maxSeparation;
    cx.minElevation = in.minElevation;
    cx.displayOffset = in.displayOffset;
    cx.settings = rs;

    std::vector<std::size_t> work;
    for (std::size_t i = 0; i < sats.size(); ++i)
        if (IsSearched(sats[i], in.minRevs)) work.push_back(i);
    struct TOut {
        TReportLines lines;
        std::vector<TTransit> transits;
    };
    std::vector<TOut> outputs(work.size());
    ForEachSatellite(work.size(), threads, in.start, [&](std::size_t k) {
        TSatRec sat = sats[work[k]];
        TTransitTarget tgt = target;
        TObserver o = observer;
        SearchTransits(sat, tgt, intervals, outputs[k].lines, cx, o, &outputs[k].transits);
        for (TTransit& tr : outputs[k].transits) tr.satellite = work[k];
    });
    for (TOut& out : outputs) {
        result.lines.insert(result.lines.end(), out.lines.begin(), out.lines.end());
        result.transits.insert(result.transits.end(), out.transits.begin(), out.transits.end());
    }
    return result;
}

bool ComputePathPoint(TSatState& state, TSatState& target, TSatRec& sat, double& slantRange,
                      bool full, TLatLon& pathPoint, double t, TObserver& observer) {
    const double gha = ObserverVector(t, observer);
    state.mode = full ? 1 : 0;
    if (!PropagateSatellite(sat, state, t, gha, observer)) return false;
    PlanetVector(target.body, target.pos, t);

    TVector d{};
    Sub_vect(&target.pos, &state.pos, &d);
    const double a = Angle_2vect(&d, &state.pos);
    if (a > kMissesEarth) {
        pathPoint = TLatLon{-observer.pos.lat, observer.pos.lon, observer.pos.height};
        return true;
    }
    slantRange = SlantRange(a, state.pos.r, observer.vect.r);
    TVector unit{}, along{}, point{};
    Norm_vect(&d, &unit);
    Scale_vect(&unit, &along, slantRange);
    Sub_vect(&state.pos, &along, &point);
    Vect_to_lat_lon_height(&point, &pathPoint, gha);

    if (full) {
        // Mode 1 filled the satellite's ra/dec from the observer, its
        // altitude and azimuth and its sub-point.
        Ra_dec_to_alt_az(&pathPoint, &state.radec, &target.altaz, gha);
        if (target.body == kBodySun) {
            state.sunlit = 1;
        } else {
            TVector sun{};
            PlanetVector(kBodySun, sun, t);
            state.sunlit = SunLite(&state.pos, &sun) ? 1 : 0;
        }
    }
    return true;
}

double PathWidth(const TSatState& /*state*/, const TSatState& target, const TLatLon& pathPoint,
                 double slantRange, const TLatLon& previousPathPoint) {
    if (!(target.altaz.alt > 0.0)) return 0.0;
    if (!IsDiscTarget(target.body)) return kOtherPathWidth;
    const double b = Az_2latlon(&previousPathPoint, &pathPoint);
    const double radius = target.body == kBodySun ? kSunRadius : kMoonRadius;
    const double alpha = std::atan(radius / target.pos.r);
    const double w = std::sin(alpha) * slantRange;
    if (!(w > 0.0) || !std::isfinite(w)) return 0.0;
    const double q = w / std::sin(target.altaz.alt);
    const double c = kHalfPi * std::cos(b + target.altaz.az);
    // Radius of the ellipse with semi-axes q and w in direction c, written so
    // that c = ±90° gives w instead of 0 × infinity.
    const double cc = std::cos(c), sc = std::sin(c);
    return 1.0 / std::sqrt(cc * cc / (q * q) + sc * sc / (w * w));
}

namespace {
struct TPathOut {
    TReportLines lines;
    std::vector<TPathRow> rows;
};

void PathSearchSatellite(const TPredictionInputs& in, double trackLimit,
                         const TTransitTarget& original, const TReportSettings& rs,
                         const TSatRec& originalSat, std::size_t index, TObserver observer,
                         const std::vector<TTimeInterval>& intervals, TPathOut& out) {
    TSatRec sat = originalSat;
    TSatState target = original.state;
    TSatState state{};
    const double factor = rs.distanceFactor;
    bool headerWritten = false;
    auto distanceTo = [&](const TLatLon& p) { return Dist_2latlon(&observer.pos, &p) * factor; };

    for (const TTimeInterval& interval : intervals) {
        const double e = interval.end;
        double t = interval.start;
        while (t < e) {
            state.mode = 0;
            t = SearchAOS(sat, state, in.minElevation, t, e, observer);
            if (!(t < e) || sat.decayed) break;
            if (!in.dayAndNight && target.body != kBodySun &&
                SunElevation(t, observer) >= kPathDaylight) {
                t = NextPass(t, sat);
                continue;
            }

            t = std::floor(t * kSecondsPerDay + 1e-4) / kSecondsPerDay + kPathStart * kSecond;
            double distance = kPathFar, previousDistance = kPathFar, limit = kPathCloseAt;
            double step = 10.0;
            double slant = 0.0;
            TLatLon point{};
            bool ok = true;
            while (t <= e && distance >= limit) {
                if (!ComputePathPoint(state, target, sat, slant, false, point, t, observer)) {
                    ok = false;
                    break;
                }
                if (ElevationOf(state.pos, observer) < in.minElevation) break;
                distance = distanceTo(point);
                if (distance < kPathTurnBelow && distance > previousDistance) break;
                previousDistance = distance;
                if (distance < kPathNearBelow) step = 5.0;
                if (distance <= kPathCloseAt) {
                    step = 1.0;
                    limit = trackLimit;
                }
                t += step * kSecond;
            }

            if (ok && !(distance > trackLimit) && !(t > e)) {
                TLatLon previous = point;
                t += kSecond;
                target.mode = 3;  // a path is being listed
                std::vector<TPathRow> rows;
                if (ComputePathPoint(state, target, sat, slant, true, point, t, observer)) {
                    distance = distanceTo(point);
                    while (distance < trackLimit && state.altaz.alt > in.minElevation &&
                           rows.size() < kMaxPathRows) {
                        TPathRow r;
                        r.satellite = index;
                        r.point = point;
                        r.slantRange = slant;
                        TGroundPathRow& row = r.row;
                        row.t = t;
                        row.latitude = point.lat * kRadToDeg;
                        row.longitude = point.lon * kRadToDeg;
                        row.width = PathWidth(state, target, point, slant, previous) * factor;
                        row.bearing = Az_2latlon(&observer.pos, &point) * kRadToDeg;
                        row.distance = distance;
                        row.range = state.radec.dist * factor;
                        row.elevation = state.altaz.alt * kRadToDeg;
                        row.sunlit = state.sunlit != 0;
                        rows.push_back(r);
                        t += kSecond;
                        previous = point;
                        if (!ComputePathPoint(state, target, sat, slant, true, point, t, observer))
                            break;
                        distance = distanceTo(point);
                    }
                }
                target.mode = 0;
                if (!rows.empty()) {
                    if (!headerWritten) {
                        WriteSatelliteHeader(sat, out.lines, rs);
                        headerWritten = true;
                    }
                    out.lines.push_back("  ");
                    out.lines.push_back(GroundPathColumnHeader());
                    for (const TPathRow& r : rows)
                        out.lines.push_back(GroundPathRowLine(r.row, in.displayOffset));
                    out.lines.push_back(kEndOfTrack);
                    out.rows.insert(out.rows.end(), rows.begin(), rows.end());
                }
            }
            t = NextPass(t, sat);
        }
    }
}
}  // namespace

TGroundPathResult RunGroundPathSearch(const TPredictionInputs& in, double trackLimit,
                                      const TTransitTarget& target,
                                      const std::vector<TSatRec>& sats, const TObserver& observer,
                                      const TReportSettings& rs, unsigned threads) {
    TGroundPathResult result;
    WriteTitle(result.lines, target, in.start, in.displayOffset, true);
    WriteReportHeader(in.utcMode, result.lines, in.start + in.displayOffset,
                      in.stop + in.displayOffset, rs);
    KeySearchDeltaT(in.start);
    const std::vector<TTimeInterval> intervals =
        TargetIntervals(target, in.minElevation, in.start, in.stop, observer);

    std::vector<std::size_t> work;
    for (std::size_t i = 0; i < sats.size(); ++i)
        if (IsSearched(sats[i], in.minRevs)) work.push_back(i);
    std::vector<TPathOut> outputs(work.size());
    ForEachSatellite(work.size(), threads, in.start, [&](std::size_t k) {
        PathSearchSatellite(in, trackLimit, target, rs, sats[work[k]], work[k], observer,
                            intervals, outputs[k]);
    });
    for (TPathOut& out : outputs) {
        result.lines.insert(result.lines.end(), out.lines.begin(), out.lines.end());
        result.rows.insert(result.rows.end(), out.rows.begin(), out.rows.end());
    }
    result.google = !result.rows.empty();
    return result;
}
