// Neptune: truncated VSOP87B series.
#pragma once
#include "ZenoraTypes.h"

namespace zenora {
// Heliocentric ecliptic J2000 vector in km; tau in Julian millennia (TDB).
void NeptunePosition(double tau, TVector& v);
}  // namespace zenora
