// Precession of equatorial vectors and fast precession of RA/Dec.
#pragma once
#include <cstdint>
#include "ZenoraTypes.h"

namespace zenora {
// direction 1: J2000.0 to the mean equator and equinox of jd; otherwise back.
void Precession(const TVector& v, uint8_t direction, TVector& c, double jd);
void J2000_to_epoch(TRaDec& p, double jd);
void Epoch_to_J2000(TRaDec& p, double jd);
}  // namespace zenora
