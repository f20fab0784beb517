#include "uDoppler.h"

#include <cmath>

#include "uTracking.h"

TVector ObserverVelocity(const TVector& p) {
    TVector v{-kEarthRotationRate * p.y, kEarthRotationRate * p.x, 0.0, 0.0};
    v.r = std::hypot(v.x, v.y);
    return v;
}

double RangeRate(const TVector& satPos, const TVector& satVel, const TVector& obsPos, const TVector& obsVel) {
    const double dx = satPos.x - obsPos.x, dy = satPos.y - obsPos.y, dz = satPos.z - obsPos.z;
    const double range = std::sqrt(dx * dx + dy * dy + dz * dz);
    if (range <= 0.0) return 0.0;
    return (dx * (satVel.x - obsVel.x) + dy * (satVel.y - obsVel.y) + dz * (satVel.z - obsVel.z)) / range;
}

bool LookAt(const TSatRec& sat, double t, const TSite& site, TLook& out) {
    TSatState state{};
    const TFrame frame = ObserverFrame(site, t);
    if (!PropagateSatellite(sat, state, frame, kFillLookAngles)) return false;
    out.t = t;
    out.azimuth = std::fmod(Degrees(state.altaz.az) + 360.0, 360.0);
    out.elevation = Degrees(state.altaz.alt);
    out.range = state.radec.dist;
    out.rangeRate = RangeRate(state.pos, state.vel, frame.pos, ObserverVelocity(frame.pos));
    return true;
}
