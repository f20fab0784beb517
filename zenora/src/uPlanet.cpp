// Geocentric positions of the Sun, Moon, planets and Pluto.
#include "uPlanet.h"

#include <cfloat>
#include <cmath>

#include "Earth.h"
#include "Jupiter.h"
#include "Mars.h"
#include "Mercury.h"
#include "Moon.h"
#include "Neptune.h"
#include "Pluto.h"
#include "Saturn.h"
#include "Uranus.h"
#include "Venus.h"
#include "uAstro.h"
#include "uPrecession.h"

namespace zenora {

void VsopPosition(const VsopTheory& theory, double tau, TVector& v) {
    const float (*term)[3] = theory.terms;
    long double coord[3];
    for (int c = 0; c < 3; ++c) {
        long double total = 0, power = 1;
        for (int k = 0; k <= theory.powersMinus1[c]; ++k) {
            long double series = 0;
            for (int i = 0; i <= theory.countsMinus1[c][k]; ++i, ++term)
                series += (*term)[0] * std::cos(static_cast<double>((*term)[1]) + (*term)[2] * tau);
            total += series * power;
            power *= tau;
        }
        coord[c] = total;
    }
    const TLatLon p{static_cast<double>(coord[1]), static_cast<double>(coord[0]),
                    static_cast<double>(coord[2]) * kAU};
    Lat_lon_to_vect(p, v);
}

namespace {
// Out-of-range values stay as they are: converting them to float is undefined.
double RoundToFloat(double x) { return std::fabs(x) <= FLT_MAX ? static_cast<double>(static_cast<float>(x)) : x; }
}  // namespace

void Calc_Planet(uint8_t body, TVector& v, bool precess, double jd, double deltaT, bool toAu) {
    const double jde = jd + deltaT;
    if (body == kBodyMoon) {
        MoonPosition(jde, v);
    } else {
        const double tau = (jde - kJ2000) / kDaysPerMillennium;
        // The planet series take tau at single precision; only the Earth keeps it whole.
        const double tau32 = RoundToFloat(tau);
        TVector earth;
        EarthPosition(tau, earth);
        switch (body) {
            case kBodySun: Scale_vect(earth, v, -1); break;
            case kBodyMercury: MercuryPosition(tau32, v); break;
            case kBodyVenus: VenusPosition(tau32, v); break;
            case kBodyEarth: v = earth; break;
            case kBodyMars: MarsPosition(tau32, v); break;
            case kBodyJupiter: JupiterPosition(tau32, v); break;
            case kBodySaturn: SaturnPosition(tau32, v); break;
            case kBodyUranus: UranusPosition(tau32, v); break;
            case kBodyNeptune: NeptunePosition(tau32, v); break;
            case kBodyPluto: PlutoPosition(tau, v); break;
            default: break;  // the caller's heliocentric vector
        }
        if (body != kBodySun && body != kBodyEarth) Sub_vect(v, earth, v);
        if (body != kBodyEarth) Rotate_to_J2000_obliquity(v, v);
    }
    if (precess) Precession(v, kPrecessFromJ2000, v, jd);
    if (toAu) Divide_vect(v, v, kAU);
}

}  // namespace zenora
