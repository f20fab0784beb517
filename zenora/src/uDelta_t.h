// ΔT = TT − UT.
#pragma once

namespace zenora {
double Delta_t(double jd);  // seconds
}  // namespace zenora
