// Public interface of libsatellite: element parsing, SGP4/SDP4 and Iridium
// mirror geometry. Eight C exports; a false result is a failure, nothing throws.
#pragma once
#include <cstdint>
#include "SatTypes.h"

#if defined(SATELLITE_BUILD)
#define SATELLITE_API __attribute__((visibility("default")))
#else
#define SATELLITE_API
#endif

extern "C" {
SATELLITE_API bool tle_valid(const char* line1, const char* line2);
SATELLITE_API bool parse_elements(const char* line1, const char* line2, TSatRec* sat);
SATELLITE_API bool SGP4_init(TSatRec* sat);
SATELLITE_API bool SDP4_init(TSatRec* sat);
SATELLITE_API bool SGP4(TSatRec* sat, TVector* pos, TVector* vel, double tsince);
SATELLITE_API bool SDP4(TSatRec* sat, TVector* pos, TVector* vel, double tsince);
SATELLITE_API void IridiumCalc(const TVector* observer, const TVector* satPos, const TVector* satVel,
                               const TSatState* sun, TVector* reflection, double* angle,
                               int32_t* mirrorUsed, int32_t mirror);
SATELLITE_API void IridTrkVect(const TVector* reflection, const TVector* satPos, TVector* ground,
                               double earthCentreDistance, double* range);
}
