// Moon: truncated lunar theory with 60 + 60 periodic terms.
#pragma once
#include "ZenoraTypes.h"

namespace zenora {
// Geocentric equatorial J2000 vector in km at Julian ephemeris date jde.
void MoonPosition(double jde, TVector& v);
}  // namespace zenora
