// Pluto: 43-term trigonometric theory, valid 1885-2099.
#pragma once
#include "ZenoraTypes.h"

namespace zenora {
// Heliocentric ecliptic J2000 vector in km; tau in Julian millennia (TT).
void PlutoPosition(double tau, TVector& v);
}  // namespace zenora
