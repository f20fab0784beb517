#include "uTransit.h"

#include <algorithm>
#include <cmath>

#include "Zenora.h"

namespace {
constexpr double kSecond = 1.0 / kSecondsPerDay;
constexpr double kCoarseLimit = 5.0;        // degrees: below this the fine approach starts
constexpr double kCoarseShortBelow = 10.0;  // degrees
constexpr double kFineShortBelow = 0.5;     // degrees
constexpr double kCoarseStep = 10.0;        // s
constexpr double kCoarseShortStep = 3.0;
constexpr double kFineStep = 0.250;
constexpr double kFineShortStep = 0.075;
// The coarse approach never steps further than the satellite can turn, seen
// from the observer, before it could come within the separation limit; the
// fine approach starts at least kFineMargin above that limit, so the
// steps stay long enough to make headway.
constexpr double kFineMargin = 1.0;              // degrees
constexpr double kMinCoarseStep = 0.05;          // s
constexpr double kObserverSpeed = 0.47;          // km/s: Earth's rotation at the equator, rounded up
constexpr double kGravity = 0.01;                // km/s^2: at most what gravity adds to the speed
constexpr double kTargetTurnRate = 1.0e-5;       // rad/s: the Moon's own motion, rounded up
constexpr double kDroppedSeparation = 1000.0;
constexpr double kEarthFlattening = 1.0 / 298.257223563;  // WGS-84
constexpr double kPathStart = 5.0;          // s after the whole second of the AOS
constexpr double kPathFar = 1000.0;
constexpr double kPathTurnBelow = 500.0;    // user units
constexpr double kPathNearBelow = 250.0;
constexpr double kPathFarStep = 10.0;       // s, and the closest second lies within one of it
constexpr double kPathNearStep = 5.0;       // s, within kPathNearBelow
constexpr std::size_t kMaxPathRows = 3600;  // a path is minutes long at most

// The set of the pass the satellite is in at t (t when it is down): the
// next rise is searched from there, since a high or eccentric orbit can
// rise again well within one period.
double AfterPass(const TSatRec& sat, TSatState& state, double minElevation, double t, double limit,
                 const TSite& site, bool shortcuts) {
    return SearchCrossing(TEdge::kSet, sat, state, minElevation, t, limit, site, shortcuts).t;
}

double SunElevation(double t, const TSite& site) {
    TVector sun{};
    PlanetVector(kBodySun, sun, t);
    return ElevationOf(sun, ObserverFrame(site, t));
}

// Distance from the satellite at s, backwards along the unit vector u
// (away from the target), to where the line meets the ellipsoid: the
// ellipsoid is a sphere once z is stretched by a/b. A line that misses it
// gives its nearest approach. The ellipsoid turns with the Earth about z,
// so inertial axes serve.
double RangeToEllipsoid(const TVector& s, const TVector& u) {
    constexpr double kA = kEarthRadius, kStretch = 1.0 / (1.0 - kEarthFlattening);
    const double sx = s.x, sy = s.y, sz = s.z * kStretch;
    const double ux = -u.x, uy = -u.y, uz = -u.z * kStretch;
    const double qa = ux * ux + uy * uy + uz * uz;
    const double qb = sx * ux + sy * uy + sz * uz;
    const double qc = sx * sx + sy * sy + sz * sz - kA * kA;
    const double disc = qb * qb - qa * qc;
    return disc > 0.0 ? (-qb - std::sqrt(disc)) / qa : -qb / qa;
}

bool IsDiscTarget(int32_t body) { return body == kBodySun || body == kBodyMoon; }

// Satellite and target at t; the separation seen by the observer, degrees.
struct TApproach {
    const TSatRec& sat;
    TTransitTarget& target;
    const TSite& site;
    TSatState state{};
    TFrame frame{};  // at the time evaluated last

    bool SeparationAt(double t, double& separation, TStateFill fill = kFillPosition) {
        frame = ObserverFrame(site, t);
        if (!PropagateSatellite(sat, state, frame, fill)) return false;
        PlanetVector(target.state.body, target.state.pos, t);
        separation = Degrees(Angle_3vect(&frame.pos, &state.pos, &target.state.pos));
        return true;
    }

    // The longest step, up to `step` (s), from the state last evaluated over
    // which the separation cannot fall below `floor` (degrees): the
    // satellite stays within V x dt of where it is, so seen from the
    // observer its direction turns by at most asin(V x dt / range).
    double SafeStep(double separation, double floor, double step) const {
        const double room = Radians(separation - floor) - kTargetTurnRate * step;
        if (!(room > 0.0)) return kMinCoarseStep;
        TVector line{};
        Sub_vect(&state.pos, &frame.pos, &line);
        const double speed = state.vel.r + kObserverSpeed + kGravity * step;
        const double dt = line.r * std::sin(std::min(room, kHalfPi)) / speed;
        return std::clamp(dt, kMinCoarseStep, step);
    }
};
}  // namespace

std::vector<TTimeInterval> TargetIntervals(const TTransitTarget& target, double minElevation,
                                           double start, double stop, const TSite& site) {
    std::vector<TTimeInterval> intervals;
    if (!(start < stop)) return intervals;
    TSatState body = target.state;
    BodyIntervals(body, true, false, start, stop, minElevation, intervals, site);
    return intervals;
}

namespace {
// What one satellite's transit search needs besides the satellite and the target.
struct TTransitContext {
    bool dayAndNight = false;
    double maxSeparation = 0.5;   // degrees
    double minElevation = 0.0;    // rad
    bool shortcuts = true;
    TMagModel magModel;
    THorizonHandle horizon;       // null: the minimum elevation all round
};

void SearchTransits(const TSatRec& sat, std::size_t index, TTransitTarget& target,
                    const std::vector<TTimeInterval>& intervals, const TTransitContext& cx,
                    const TSite& site, const TStop& stop, std::vector<TTransit>& found) {
    TApproach ap{sat, target, site};
    for (const TTimeInterval& interval : intervals) {
        const double e = interval.end;
        double t = interval.start;
        while (t < e && !stop()) {
            t = SearchCrossing(TEdge::kRise, sat, ap.state, cx.minElevation, t, e, site, cx.shortcuts).t;
            if (!(t < e)) break;

            double separation = 0.0;
            if (!ap.SeparationAt(t, separation)) break;
            double smallest = separation;
            bool failed = false;
            // No approach closer than the limit can lie between two coarse
            // samples, so an approach the coarse walk passes is not one to list.
            const double fineBelow = std::max(kCoarseLimit, cx.maxSeparation + kFineMargin);
            while (t <= e) {
                const double step = smallest < kCoarseShortBelow ? kCoarseShortStep : kCoarseStep;
                t += ap.SafeStep(separation, cx.maxSeparation, step) * kSecond;
                if (!ap.SeparationAt(t, separation)) {
                    failed = true;
                    break;
                }
                if (separation > smallest || separation < fineBelow) break;
                smallest = separation;
            }
            if (!failed && separation < fineBelow) {
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
                    if (ap.SeparationAt(t, separation, kFillLookAngles)) {
                        TVector sun{};
                        PlanetVector(kBodySun, sun, t);
                        if (!cx.dayAndNight && target.state.body != kBodySun &&
                            ElevationOf(sun, ap.frame) > kTransitDaylight)
                            separation = kDroppedSeparation;
                        // Behind the mask, target and satellite are both out of sight.
                        if (cx.horizon && ap.state.altaz.alt < cx.horizon->Limit(ap.state.altaz.az, cx.minElevation))
                            separation = kDroppedSeparation;
                        if (separation != kDroppedSeparation) {
                            TTransit tr;
                            tr.satellite = index;
                            tr.t = t;
                            tr.separation = smallest;
                            TTransitRow& row = tr.row;
                            row.t = t;
                            row.elevation = Degrees(ap.state.altaz.alt);
                            row.azimuth = Degrees(ap.state.altaz.az);
                            row.magnitude =
                                RawMagnitude(ap.frame.pos, ap.state, sun, sat.stdMag, cx.magModel);
                            row.sunlit = SunLite(&ap.state.pos, &sun);
                            row.separation = smallest * 60.0;
                            row.range = ap.state.radec.dist;
                            row.illumination =
                                target.state.body == kBodyMoon
                                    ? 100.0 * illum_fraction(&ap.frame.pos, &target.state.pos,
                                                             &sun)
                                    : 100.0;
                            found.push_back(tr);
                        }
                    }
                }
            }
            t = AfterPass(sat, ap.state, cx.minElevation, t, e, site, cx.shortcuts);
        }
    }
}
}  // namespace

TTransitResult RunTransitSearch(const TPredictionInputs& in, double maxSeparation,
                                const TTransitTarget& target, const std::vector<TSatRec>& sats,
                                const TSite& site, unsigned threads,
                                TSearchControl* control) {
    TTransitResult result;
    const std::vector<TTimeInterval> intervals =
        TargetIntervals(target, in.minElevation, in.start, in.stop, site);
    TTransitContext cx;
    cx.dayAndNight = in.dayAndNight;
    cx.maxSeparation = maxSeparation;
    cx.minElevation = in.minElevation;
    cx.horizon = EffectiveHorizon(in.horizon, in.minElevation);
    cx.shortcuts = in.shortcuts;
    cx.magModel = in.magModel;
    result.status = RunPerObject(
        sats, [&](std::size_t i, const TSatRec& sat) { return IsSearched(in, i, sat); }, threads, control,
        [&](std::size_t i, const TSetWindow& window, const TStop& stop, std::vector<TTransit>& out) {
            if (!MayRise(sats[i], in, site)) return;
            const TSatRec& sat = sats[i];
            TTransitTarget tgt = target;
            SearchTransits(sat, i, tgt, window.Whole() ? intervals : ClipIntervals(intervals, window), cx, site,
                           stop, out);
        },
        [](const auto& r) { return RecordTimes(r); }, result.transits);
    return result;
}

bool ComputePathPoint(TSatState& state, TSatState& target, const TSatRec& sat, double& slantRange,
                      bool full, TLatLon& pathPoint, const TFrame& frame) {
    const double t = frame.t, gha = frame.gha;
    if (!PropagateSatellite(sat, state, frame, full ? kFillAll : kFillPosition)) return false;
    PlanetVector(target.body, target.pos, t);

    TVector d{};
    Sub_vect(&target.pos, &state.pos, &d);
    const double a = Angle_2vect(&d, &state.pos);
    if (a > kMissesEarth) {
        pathPoint = TLatLon{-frame.geo.lat, frame.geo.lon, frame.geo.height};
        return true;
    }
    TVector unit{}, along{}, point{};
    Norm_vect(&d, &unit);
    slantRange = RangeToEllipsoid(state.pos, unit);
    Scale_vect(&unit, &along, slantRange);
    Sub_vect(&state.pos, &along, &point);
    Vect_to_lat_lon_height(&point, &pathPoint, gha);
    pathPoint.height = 0.0;

    if (full) {
        // kFillAll filled the satellite's ra/dec from the observer, its
        // altitude and azimuth and its sub-point. The target as seen from
        // the path point, where the width is measured.
        Vect_to_ra_dec_dist(&point, &target.pos, &target.radec);
        Ra_dec_to_alt_az(&pathPoint, &target.radec, &target.altaz, gha);
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
    // Seen from the ground, the satellite covers the disc from an ellipse
    // around the path point: the cone from the satellite with the disc's
    // angular radius, cut by the ground, w across the target's azimuth and
    // w / sin(altitude) along it. As the satellite moves the ellipse sweeps
    // the band; its half-width across the track is the ellipse's extent in
    // that direction.
    const double radius = target.body == kBodySun ? kSunRadius : kMoonRadius;
    const double distance = target.radec.dist > radius ? target.radec.dist : target.pos.r;
    const double w = slantRange * std::tan(std::asin(radius / distance));
    if (!(w > 0.0) || !std::isfinite(w)) return 0.0;
    const double q = w / std::sin(target.altaz.alt);
    const double b = Az_2latlon(&previousPathPoint, &pathPoint);
    const double along = std::sin(b - target.altaz.az), across = std::cos(b - target.altaz.az);
    return std::sqrt(q * q * along * along + w * w * across * across);
}

namespace {
void PathSearchSatellite(const TPredictionInputs& in, double trackLimit, double trackUnit,
                         const TTransitTarget& original,
                         const TSatRec& originalSat, std::size_t index, const TSite& site,
                         const std::vector<TTimeInterval>& intervals, const TStop& stop,
                         std::vector<TGroundPath>& out) {
    const TSatRec& sat = originalSat;
    TSatState target = original.state;
    TSatState state{};
    // The walk and the limit count in the unit the track was given in.
    auto distanceTo = [&](const TLatLon& p) { return Dist_2latlon(&site.geo, &p) * trackUnit; };
    auto pathPoint = [&](double at, bool full, double& slant, TLatLon& point, TFrame& frame) {
        frame = ObserverFrame(site, at);
        return ComputePathPoint(state, target, sat, slant, full, point, frame);
    };
    TFrame frame{};

    for (const TTimeInterval& interval : intervals) {
        const double e = interval.end;
        double t = interval.start;
        while (t < e && !stop()) {
            t = SearchCrossing(TEdge::kRise, sat, state, in.minElevation, t, e, site, in.shortcuts).t;
            if (!(t < e)) break;
            if (!in.dayAndNight && target.body != kBodySun &&
                SunElevation(t, site) >= kPathDaylight) {
                t = AfterPass(sat, state, in.minElevation, t, e, site, in.shortcuts);
                continue;
            }

            // Walk to the centre line's closest approach to the observer: on
            // whole seconds, until the line moves away again.
            t = std::floor(t * kSecondsPerDay + 1e-4) / kSecondsPerDay + kPathStart * kSecond;
            double distance = kPathFar, previousDistance = kPathFar;
            double closest = kPathFar, closestAt = t;
            double step = kPathFarStep;
            double slant = 0.0;
            TLatLon point{};
            bool ok = true;
            while (t <= e) {
                if (!pathPoint(t, false, slant, point, frame)) {
                    ok = false;
                    break;
                }
                if (ElevationOf(state.pos, frame) < in.minElevation) break;
                distance = distanceTo(point);
                if (distance < closest) {
                    closest = distance;
                    closestAt = t;
                }
                if (distance < kPathTurnBelow && distance > previousDistance) break;
                previousDistance = distance;
                if (distance < kPathNearBelow) step = kPathNearStep;
                t += step * kSecond;
            }
            if (!ok || !(closest < kPathTurnBelow)) {
                t = AfterPass(sat, state, in.minElevation, t, e, site, in.shortcuts);
                continue;
            }

            // The listed stretch: every whole second around the closest one
            // at which the line is within the limit and the satellite above
            // the minimum elevation, wherever the walk's steps fell.
            auto listable = [&](double at) {
                if (!pathPoint(at, true, slant, point, frame))
                    return false;
                distance = distanceTo(point);
                return distance < trackLimit && state.altaz.alt > in.minElevation;
            };
            double first = closestAt, nearest = trackLimit;
            for (int k = -static_cast<int>(kPathFarStep); k <= static_cast<int>(kPathFarStep); ++k) {
                const double at = closestAt + k * kSecond;
                if (listable(at) && distance < nearest) {
                    nearest = distance;
                    first = at;
                }
            }
            std::vector<TPathRow> rows;
            if (nearest < trackLimit) {
                for (std::size_t back = 0; back < kMaxPathRows && listable(first - kSecond); ++back)
                    first -= kSecond;
                t = first - kSecond;
                pathPoint(t, true, slant, point, frame);
                TLatLon previous = point;
                t = first;
                ok = listable(t);
                while (ok && rows.size() < kMaxPathRows) {
                    TPathRow r;
                    r.satellite = index;
                    r.point = point;
                    r.slantRange = slant;
                    TGroundPathRow& row = r.row;
                    row.t = t;
                    r.widthKm = PathWidth(state, target, point, slant, previous);
                    row.latitude = Degrees(point.lat);
                    row.longitude = Degrees(point.lon);
                    row.width = r.widthKm;
                    row.bearing = Degrees(Az_2latlon(&site.geo, &point));
                    row.distance = Dist_2latlon(&site.geo, &point);
                    row.range = state.radec.dist;
                    row.elevation = Degrees(state.altaz.alt);
                    row.sunlit = state.sunlit != 0;
                    rows.push_back(r);
                    t += kSecond;
                    previous = point;
                    ok = listable(t);
                }
            }
            if (!rows.empty()) out.push_back(TGroundPath{index, std::move(rows)});
            t = AfterPass(sat, state, in.minElevation, t, e, site, in.shortcuts);
        }
    }
}
}  // namespace

TGroundPathResult RunGroundPathSearch(const TPredictionInputs& in, double trackLimit, double trackUnit,
                                      const TTransitTarget& target,
                                      const std::vector<TSatRec>& sats, const TSite& site,
                                      unsigned threads, TSearchControl* control) {
    TGroundPathResult result;
    const std::vector<TTimeInterval> intervals =
        TargetIntervals(target, in.minElevation, in.start, in.stop, site);
    result.status = RunPerObject(
        sats, [&](std::size_t i, const TSatRec& sat) { return IsSearched(in, i, sat); }, threads, control,
        [&](std::size_t i, const TSetWindow& window, const TStop& stop, std::vector<TGroundPath>& out) {
            if (!MayRise(sats[i], in, site)) return;
            PathSearchSatellite(in, trackLimit, trackUnit, target, sats[i], i, site,
                                window.Whole() ? intervals : ClipIntervals(intervals, window), stop, out);
        },
        [](const auto& r) { return RecordTimes(r); }, result.paths);
    result.google = !result.paths.empty();
    return result;
}
