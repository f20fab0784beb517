// Satellite state and look angles for one observer.
#include <algorithm>
#include <cmath>
#ifdef ORBISK_COUNT_PROPAGATIONS
#include <atomic>
#include <cstdint>
#include <cstdio>
#endif

#include "Satellite.h"
#include "Zenora.h"
#include "uTracking.h"

TSite::TSite(const TObserver& observer)
    : name(observer.name.str()), zoneName(observer.zoneName.str()), geo(observer.pos),
      geoidHeight(observer.geoidHeight), utcOffset(observer.utcOffset), rhoCos(observer.rhoCos),
      rhoSin(observer.rhoSin),
      normalTilt(std::abs(observer.pos.lat - std::atan2(observer.rhoSin, observer.rhoCos)) + 1e-7),
      cosLat(std::cos(observer.pos.lat)), sinLat(std::sin(observer.pos.lat)) {}

TFrame ObserverFrame(const TSite& site, double t) {
    TFrame f;
    f.t = t;
    f.gha = GreenwhichHourAngle(t + kJulianOffset);
    // The position as Lat_lon_height_to_vect makes it, and the zenith on the
    // same angle: one sine and cosine for both.
    const double angle = f.gha + site.geo.lon;
    const double c = std::cos(angle), s = std::sin(angle);
    const double x = site.rhoCos * c, y = site.rhoCos * s, z = site.rhoSin;
    f.pos = TVector{x, y, z, std::sqrt(x * x + y * y + z * z)};
    f.geo = site.geo;
    f.normalTilt = site.normalTilt;
    f.cosLat = site.cosLat;
    f.sinLat = site.sinLat;
    f.zenith = TVector{site.cosLat * c, site.cosLat * s, site.sinLat, 1.0};
    return f;
}

double ElevationOf(const TVector& position, const TFrame& frame) {
    // Measured from the ellipsoid normal (geodetic zenith), like the altitudes
    // of Ra_dec_to_alt_az; the radial direction would tilt the horizon by up
    // to 0.19 degrees and shift rise and set times by a minute or more.
    const TVector& o = frame.pos;
    const TVector& z = frame.zenith;
    const double dx = position.x - o.x, dy = position.y - o.y, dz = position.z - o.z;
    const double range = std::sqrt(dx * dx + dy * dy + dz * dz);
    // Straight up (or down) rounding may take the cosine past 1, whose
    // root would be NaN.
    const double cosAngle = std::clamp((dx * z.x + dy * z.y + dz * z.z) / (range * z.r), -1.0, 1.0);
    // pi/2 less the angle from the zenith, as Angle_2vect takes it.
    return kHalfPi - std::atan2(std::sqrt(1.0 - cosAngle * cosAngle), cosAngle);
}

double AzimuthOf(const TVector& position, const TFrame& frame) {
    const TVector& o = frame.pos;
    const double theta = std::atan2(o.y, o.x), phi = frame.geo.lat;
    const double dx = position.x - o.x, dy = position.y - o.y, dz = position.z - o.z;
    const double east = -std::sin(theta) * dx + std::cos(theta) * dy;
    const double north = -std::sin(phi) * (std::cos(theta) * dx + std::sin(theta) * dy) + std::cos(phi) * dz;
    double az = std::atan2(east, north);
    if (az < 0.0) az += 2.0 * kPi;
    return az;
}

bool IsDecayedMotion(const TVector& pos, const TVector& vel) {
    // NaN compares false with everything, so test finiteness first.
    if (!std::isfinite(pos.r) || !std::isfinite(vel.r)) return true;
    return kEarthRadius + kDecayMargin >= pos.r || vel.r < kMinSpeed;
}

void FillStateGroups(TSatState& state, TStateFill fill, const TFrame& frame) {
    if (fill & kFillRaDec) Vect_to_ra_dec_dist(&frame.pos, &state.pos, &state.radec);
    if ((fill & kFillLookAngles) == kFillLookAngles)
        Ra_dec_to_alt_az(&frame.geo, &state.radec, &state.altaz, frame.gha);
    if (fill & kFillSubPoint) Vect_to_lat_lon_height(&state.pos, &state.latlon, frame.gha);
}

#ifdef ORBISK_COUNT_PROPAGATIONS
// Measurement builds only: propagations counted per thread, summed as each
// thread ends (the main thread's before the statics go) and told on stderr
// at exit, so a benchmark can weigh a search by the work it did.
namespace {
std::atomic<uint64_t> gPropagations{0};
struct TPropagationsTold {
    ~TPropagationsTold() {
        std::fprintf(stderr, "propagations: %llu\n", static_cast<unsigned long long>(gPropagations.load()));
    }
} gPropagationsTold;
struct TThreadPropagations {
    uint64_t n = 0;
    ~TThreadPropagations() { gPropagations += n; }
};
thread_local TThreadPropagations tPropagations;
}  // namespace
#endif

const char* PropagationText(TPropagation status) {
    switch (status) {
        case TPropagation::ok: return "propagated";
        case TPropagation::decayed: return "decayed";
        case TPropagation::eccentricity: return "eccentricity out of range";
        case TPropagation::semiLatusRectum: return "negative semi-latus rectum";
        case TPropagation::meanMotion: return "mean motion not positive";
        case TPropagation::notInitialised: return "orbit model not initialised";
        case TPropagation::timeOutOfRange: return "time out of the model's range";
        case TPropagation::nonFinite: return "position not a finite number";
        case TPropagation::rejected: return "elements rejected";
    }
    return "unknown failure";
}

namespace {
TPropagation FromModel(int32_t code) {
    switch (code) {
        case kSatOk: return TPropagation::ok;
        case kSatBelowSurface: return TPropagation::decayed;
        case kSatEccentricity: return TPropagation::eccentricity;
        case kSatSemiLatusRectum: return TPropagation::semiLatusRectum;
        case kSatMeanMotion: return TPropagation::meanMotion;
        case kSatTimeOutOfRange: return TPropagation::timeOutOfRange;
        case kSatNonFinite: return TPropagation::nonFinite;
        default: return TPropagation::notInitialised;
    }
}
}  // namespace

TPropagated PropagatePosition(const TSatRec& sat, TSatState& state, double t) {
#ifdef ORBISK_COUNT_PROPAGATIONS
    ++tPropagations.n;
#endif
    // A record the catalogue rejected holds no valid elements: never hand it
    // to the propagator.
    if (sat.decayed == kDecayedRejected) {
        state.pos.r = kEarthRadius;
        return {TPropagation::rejected};
    }
    const double tsince = (t + kJulianOffset - sat.epoch) * kMinutesPerDay;
    const TPropagation status = FromModel(sat_propagate(&sat, sat.deepSpace, tsince, &state.pos, &state.vel));
    if (status != TPropagation::ok) {
        state.pos.r = kEarthRadius;
        return {status};
    }
    if (IsDecayedMotion(state.pos, state.vel)) {
        state.pos.r = kEarthRadius;
        return {TPropagation::decayed};
    }
    return {};
}

TPropagated PropagateSatellite(const TSatRec& sat, TSatState& state, const TFrame& frame,
                               TStateFill fill) {
    const TPropagated done = PropagatePosition(sat, state, frame.t);
    if (done) FillStateGroups(state, fill, frame);
    return done;
}

void ComputeActiveStates(std::vector<TSatRec>& sats, const TChoice& tracked, std::vector<TSatState>& states,
                         const TFrame& frame, const TVector& sun, TStateFill fill,
                         std::size_t first) {
    std::size_t k = 0;
    for (std::size_t i = 0; i < sats.size(); ++i) {
        if (!tracked(i)) continue;
        TSatRec& sat = sats[i];
        if (k >= states.size()) break;  // the state array was not resized yet
        TSatState& state = states[k];
        const TPropagated done = PropagateSatellite(sat, state, frame, k == first ? kFillAll : fill);
        if (done) state.sunlit = SunLite(&state.pos, &sun) ? 1 : 0;
        if (sat.decayed != kDecayedRejected) sat.decayed = done ? 0 : 1;
        ++k;
    }
}

TStateFill ViewFill(const TOptions& options) { return options.viewMode == 2 ? kFillRaDec : kFillSubPoint; }

double RawMagnitude(const TVector& observerPos, const TSatState& state, const TVector& sunPos,
                    double stdMag, const TMagModel& model) {
    const double fraction = illum_fraction(&observerPos, &state.pos, &sunPos);
    return ApparentMagnitude(model, stdMag, state.radec.dist, fraction, state.altaz.alt);
}

bool VisualMagnitude(const TVector& observerPos, const TSatState& state, const TVector& sunPos,
                     double stdMag, double& magnitude, const TMagModel& model) {
    if (!SunLite(&state.pos, &sunPos)) return false;
    magnitude = RawMagnitude(observerPos, state, sunPos, stdMag, model);
    return true;
}
