// Mean obliquity of the ecliptic and the 1980 nutation series.
#pragma once
#include <cstdint>

namespace zenora {
double Mean_obliquity(uint8_t model, double jd);
// Nutation in obliquity and longitude, arc seconds.
void Nutation_Obliq_Long(double& dEps, double& dPsi, double jd);
}  // namespace zenora
