// Sun, Moon and planet states, rise/set searches and threshold intervals.
#include <cmath>

#include "Zenora.h"
#include "uCrossing.h"
#include "uTracking.h"

namespace {

// The rise and set searches: hour strides (10 minutes within 0.2 rad of the
// level), then minute steps (10 s within 0.02 rad; 15 s when the fine walk
// starts that close).
constexpr TStepPolicy kBodySteps{3600.0, 600.0, 0.2, 60.0, 10.0, 0.02, 15.0, false};
constexpr double kFineShort = 10.0 / kSecondsPerDay;

double Crossing(TSatState& state, double h0, double t, double tEnd, const TSite& site, TDirection direction) {
    auto probe = PlainProbe([&](double at) { return BodyElevation(state, at, site); });
    return FindCrossing(probe, kBodySteps, direction, h0, t, tEnd, probe.Sample(t)).t;
}

}  // namespace

double DeltaTDays(double jd) { return Delta_t(jd) / kSecondsPerDay; }

bool IsFixedTarget(int32_t body) { return body == kBodyRaDec || body == kBodyStar; }

void SetFixedTarget(TSatState& state, int32_t body, double ra, double dec) {
    state.body = body;
    state.radec = TRaDec{ra, dec, kAstronomicalUnit};
    Ra_dec_to_vect(&state.radec, &state.pos);
}

void PlanetVector(int32_t body, TVector& v, double t) {
    // The library would read a fixed target's vector as a heliocentric
    // ecliptic position; it already is the geocentric direction we want.
    if (IsFixedTarget(body)) return;
    const double jd = t + kJulianOffset;
    Calc_Planet(static_cast<uint8_t>(body), &v, true, jd, DeltaTDays(jd), false);
}

void ApparentBodyVector(int32_t body, TVector& v, double t) {
    PlanetVector(body, v, t);
    if (IsFixedTarget(body)) return;
    const double jd = t + kJulianOffset, jde = jd + DeltaTDays(jd);
    double dEps = 0.0, dPsi = 0.0;
    Nutation_Obliq_Long(&dEps, &dPsi, jde);  // arc seconds
    constexpr double kArcSecond = kDegToRad / 3600.0;
    dEps *= kArcSecond;
    dPsi *= kArcSecond;
    const double eps = Mean_obliquity(kObliquityTenTerm, jde);
    // The Sun's aberration is a shift along the ecliptic, 20.4898" at 1 AU;
    // the Moon moves with the Earth and has none to speak of.
    double dLon = dPsi;
    if (body == kBodySun) dLon -= 20.4898 * kArcSecond * kAstronomicalUnit / v.r;
    TVector ecl, turned;
    Rot_to_obliq(&v, &ecl, -eps);
    const double cl = std::cos(dLon), sl = std::sin(dLon);
    turned = TVector{ecl.x * cl - ecl.y * sl, ecl.x * sl + ecl.y * cl, ecl.z, ecl.r};
    Rot_to_obliq(&turned, &ecl, eps + dEps);
    const double eqEq = dPsi * std::cos(eps);
    const double ce = std::cos(eqEq), se = std::sin(eqEq);
    v = TVector{ecl.x * ce + ecl.y * se, -ecl.x * se + ecl.y * ce, ecl.z, 0.0};
    v.r = Range_vect(&v);
}

void ComputeBodyState(TSatState& state, const TFrame& frame, TStateFill fill) {
    PlanetVector(state.body, state.pos, frame.t);
    FillStateGroups(state, fill, frame);
}

void ComputeBodyStates(std::vector<TSatState>& states, int count, const TFrame& frame,
                       TStateFill fill) {
    for (int i = 0; i <= count && i < static_cast<int>(states.size()); ++i)
        ComputeBodyState(states[i], frame, fill);
}

double BodyElevation(TSatState& state, double t, const TSite& site) {
    const TFrame frame = ObserverFrame(site, t);
    PlanetVector(state.body, state.pos, t);
    return ElevationOf(state.pos, frame);
}

double BodyRise(TSatState& state, double h0, double tStart, double tEnd, const TSite& site) {
    return Crossing(state, h0, tStart, tEnd, site, TDirection::up);
}

double BodySet(TSatState& state, double h0, double tStart, double tEnd, const TSite& site) {
    return Crossing(state, h0, tStart, tEnd, site, TDirection::down);
}

void BodyIntervals(TSatState& state, bool above, bool below, double tStart, double tEnd, double h0,
                   std::vector<TTimeInterval>& list, const TSite& site) {
    if (above && below) {
        list.push_back(TTimeInterval{tEnd, tStart});
        return;
    }
    if (!above && !below) return;
    double t = tStart;
    while (t < tEnd) {
        double start, end;
        if (above) {
            start = BodyRise(state, h0, t, tEnd, site);
            end = BodySet(state, h0, start, tEnd, site);
        } else {
            start = BodySet(state, h0, t, tEnd, site);
            end = BodyRise(state, h0, start, tEnd, site);
        }
        if (end <= t) {
            // Elevation exactly at h0 (or not a number) satisfies both
            // searches at once; move on instead of looping for ever.
            t += kFineShort;
            continue;
        }
        list.push_back(TTimeInterval{end, start});
        t = end;
    }
}
