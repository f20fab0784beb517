// Sun, Moon and planet states, rise/set searches and threshold intervals.
#include <cmath>

#include "Zenora.h"
#include "uTracking.h"

namespace {

constexpr double kCoarseMargin = 0.2;     // rad
constexpr double kFineMargin = 0.02;      // rad
constexpr double kCoarseLong = 3600.0 / kSecondsPerDay;
constexpr double kCoarseShort = 600.0 / kSecondsPerDay;
constexpr double kFineLong = 60.0 / kSecondsPerDay;
constexpr double kFineMid = 15.0 / kSecondsPerDay;
constexpr double kFineShort = 10.0 / kSecondsPerDay;

// The rise and set searches are one walk: towards "reached" (e >= h0 for a
// rise, e <= h0 for a set). dir = +1 for a rise, -1 for a set turns the set
// into a rise of -e over -h0.
double Crossing(TSatState& state, double h0, double t, double tEnd, TObserver& observer, double dir) {
    const double level = dir * h0;
    auto elev = [&](double at) { return dir * BodyElevation(state, at, observer); };

    double e = elev(t);
    double step = e > level - kCoarseMargin ? kCoarseShort : kCoarseLong;
    while (e < level) {
        t += step;
        e = elev(t);
        if (e > level || t > tEnd + step) {
            t -= step;
            e = elev(t);
            break;
        }
        if (step == kCoarseLong && e > level - kCoarseMargin) step = kCoarseShort;
    }
    if (e < level) {
        step = e > level - kFineMargin ? kFineMid : kFineLong;
        while (t < tEnd && e < level) {
            t += step;
            e = elev(t);
            if (step == kFineLong && e > level - kFineMargin) step = kFineShort;
        }
    }
    return t > tEnd ? tEnd : t;
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

void ComputeBodyState(TSatState& state, double t, double gha, const TObserver& observer) {
    PlanetVector(state.body, state.pos, t);
    FillStateGroups(state, gha, observer);
}

void ComputeBodyStates(std::vector<TSatState>& states, int count, double t, double gha,
                       const TObserver& observer) {
    for (int i = 0; i <= count && i < static_cast<int>(states.size()); ++i)
        ComputeBodyState(states[i], t, gha, observer);
}

double BodyElevation(TSatState& state, double t, TObserver& observer) {
    const double gha = ObserverVector(t, observer);
    ComputeBodyState(state, t, gha, observer);
    return ElevationOf(state.pos, observer);
}

double BodyRise(TSatState& state, double h0, double tStart, double tEnd, TObserver& observer) {
    return Crossing(state, h0, tStart, tEnd, observer, 1.0);
}

double BodySet(TSatState& state, double h0, double tStart, double tEnd, TObserver& observer) {
    return Crossing(state, h0, tStart, tEnd, observer, -1.0);
}

void BodyIntervals(TSatState& state, bool above, bool below, double tStart, double tEnd, double h0,
                   std::vector<TTimeInterval>& list, TObserver& observer) {
    if (above && below) {
        list.push_back(TTimeInterval{tEnd, tStart});
        return;
    }
    if (!above && !below) return;
    double t = tStart;
    while (t < tEnd) {
        double start, end;
        if (above) {
            start = BodyRise(state, h0, t, tEnd, observer);
            end = BodySet(state, h0, start, tEnd, observer);
        } else {
            start = BodySet(state, h0, t, tEnd, observer);
            end = BodyRise(state, h0, start, tEnd, observer);
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
