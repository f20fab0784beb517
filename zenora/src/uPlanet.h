// Planet dispatcher and the shared evaluator of the truncated VSOP87B series.
#pragma once
#include <cstdint>
#include "ZenoraTypes.h"

namespace zenora {

struct VsopTheory {
    const float (*terms)[3];      // (A, B, C): L0.., B0.., R0.. back to back
    uint8_t countsMinus1[3][6];   // terms per series, less one
    uint8_t powersMinus1[3];      // series per coordinate, less one
};

// Heliocentric ecliptic J2000 vector in km at tau Julian millennia from J2000.0.
void VsopPosition(const VsopTheory& theory, double tau, TVector& v);

void Calc_Planet(uint8_t body, TVector& v, bool precess, double jd, double deltaT, bool toAu);

}  // namespace zenora
