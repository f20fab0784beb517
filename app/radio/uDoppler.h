// Range rate and Doppler shift of a satellite for one observer. Pure
// functions of time, observer and satellite: a caller passes its own copies.
//
// Units and signs: positions km, velocities km/s, frequencies Hz, angles in
// degrees where a record says so. The range rate is the time derivative of
// the observer-satellite distance: positive while the satellite recedes
// (frequencies at the radio fall), negative while it approaches.
#pragma once
#include "SatTypes.h"
#include "ZenoraTypes.h"
#include "uSite.h"
#include "uVarDef.h"

inline constexpr double kSpeedOfLight = 299792.458;       // km/s
inline constexpr double kEarthRotationRate = 7.2921158553e-5;  // rad/s, sidereal

// The observer's velocity (km/s) in the axes of its position in a
// frame (TFrame::pos): the Earth's rotation about the z axis carries it.
TVector ObserverVelocity(const TVector& observerPos);

// d|sat - obs|/dt (km/s) from both positions and velocities.
double RangeRate(const TVector& satPos, const TVector& satVel, const TVector& obsPos, const TVector& obsVel);

// A frequency f sent by the satellite, as the radio receives it: f(1 - rr/c).
inline double DownlinkAtRadio(double f, double rangeRate) { return f * (1.0 - rangeRate / kSpeedOfLight); }
// What the radio must send for f to arrive at the satellite: f / (1 - rr/c).
inline double UplinkAtRadio(double f, double rangeRate) { return f / (1.0 - rangeRate / kSpeedOfLight); }
// The inverses: the satellite-frame frequency of a radio frequency.
inline double DownlinkAtSatellite(double fRadio, double rangeRate) {
    return fRadio / (1.0 - rangeRate / kSpeedOfLight);
}
inline double UplinkAtSatellite(double fRadio, double rangeRate) {
    return fRadio * (1.0 - rangeRate / kSpeedOfLight);
}

// Where the satellite is for the observer at one instant.
struct TLook {
    double t = 0.0;          // UTC day number
    double azimuth = 0.0;    // degrees from north through east, 0..360
    double elevation = 0.0;  // degrees
    double range = 0.0;      // km
    double rangeRate = 0.0;  // km/s, positive receding
};

// The look of sat at t from site; false when the satellite is decayed there.
bool LookAt(const TSatRec& sat, double t, const TSite& site, TLook& out);
