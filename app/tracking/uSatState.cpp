// Satellite state and look angles for one observer.
#include <cmath>
#ifdef ORBISK_COUNT_PROPAGATIONS
#include <atomic>
#include <cstdint>
#include <cstdio>
#endif

#include "Satellite.h"
#include "Zenora.h"
#include "uTracking.h"

double ObserverVector(double t, TObserver& observer) {
    const double gha = GreenwhichHourAngle(t + kJulianOffset);
    Lat_lon_height_to_vect(&observer.vect, gha, observer.pos.lon, observer.rhoSin, observer.rhoCos);
    return gha;
}

double ElevationOf(const TVector& position, const TObserver& observer) {
    // Measured from the ellipsoid normal (geodetic zenith), like the altitudes
    // of Ra_dec_to_alt_az; the radial direction would tilt the horizon by up
    // to 0.19 degrees and shift rise and set times by a minute or more.
    const TVector& o = observer.vect;
    const TRaDec zenithDir{std::atan2(o.y, o.x), observer.pos.lat, 1.0};
    TVector zenith, line;
    Ra_dec_to_vect(&zenithDir, &zenith);
    Sub_vect(&position, &o, &line);
    return kHalfPi - Angle_2vect(&line, &zenith);
}

double AzimuthOf(const TVector& position, const TObserver& observer) {
    const TVector& o = observer.vect;
    const double theta = std::atan2(o.y, o.x), phi = observer.pos.lat;
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

// Groups not filled keep their old values.
void FillStateGroups(TSatState& state, double gha, const TObserver& observer) {
    const int32_t mode = state.mode;
    const bool radec = mode == kFillAll || mode == kFillRaDec || mode == kFillLookAngles ||
                       mode == kFillRaDecSubPoint;
    const bool altaz = mode == kFillAll || mode == kFillLookAngles;
    const bool sub = mode == kFillAll || mode == kFillSubPoint || mode == kFillRaDecSubPoint;
    if (radec) Vect_to_ra_dec_dist(&observer.vect, &state.pos, &state.radec);
    if (altaz) Ra_dec_to_alt_az(&observer.pos, &state.radec, &state.altaz, gha);
    if (sub) Vect_to_lat_lon_height(&state.pos, &state.latlon, gha);
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

TPropagated PropagateSatellite(const TSatRec& sat, TSatState& state, double t, double gha,
                               const TObserver& observer) {
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
    FillStateGroups(state, gha, observer);
    return {};
}

void ComputeActiveStates(std::vector<TSatRec>& sats, std::vector<TSatState>& states, double t,
                         double gha, const TObserver& observer, const TVector& sun) {
    std::size_t k = 0;
    for (TSatRec& sat : sats) {
        if (!sat.selected) continue;
        if (k >= states.size()) break;  // the state array was not resized yet
        TSatState& state = states[k];
        const TPropagated done = PropagateSatellite(sat, state, t, gha, observer);
        if (done) state.sunlit = SunLite(&state.pos, &sun) ? 1 : 0;
        if (sat.decayed != kDecayedRejected) sat.decayed = done ? 0 : 1;
        ++k;
    }
}

void SetStateModes(std::vector<TSatState>& states, const TOptions& options, std::size_t first) {
    const int32_t mode = options.viewMode == 2 ? kFillRaDec : kFillSubPoint;
    for (TSatState& state : states) state.mode = mode;
    if (first < states.size()) states[first].mode = kFillAll;
}

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
