// Public interface of libzenora: 56 C exports, records by pointer.
#pragma once
#include <cstdint>
#include "ZenoraTypes.h"

#if defined(ZENORA_BUILD)
#define ZENORA_API __attribute__((visibility("default")))
#else
#define ZENORA_API
#endif

extern "C" {
// vectors
ZENORA_API void Add_vect(const TVector* a, const TVector* b, TVector* c);
ZENORA_API void Sub_vect(const TVector* a, const TVector* b, TVector* c);
ZENORA_API double Dot_vect(const TVector* a, const TVector* b);
ZENORA_API void Dot_3vect(const TVector* v, const TVector* e1, const TVector* e2, const TVector* e3, TVector* c);
ZENORA_API void Cross_vect(const TVector* a, const TVector* b, TVector* c);
ZENORA_API void Norm_vect(const TVector* a, TVector* u);
ZENORA_API void Scale_vect(const TVector* a, TVector* c, double k);
ZENORA_API void Divide_vect(const TVector* a, TVector* c, double k);
ZENORA_API double Range_vect(const TVector* a);
ZENORA_API double Range_2vect(const TVector* a, const TVector* b);
ZENORA_API double Angle_2vect(const TVector* a, const TVector* b);
ZENORA_API double Angle_3vect(const TVector* a, const TVector* b, const TVector* c);
ZENORA_API void Rot_vect(const TVector* a, TVector* c, double cosT, double sinT);
ZENORA_API void Flip_vect(const TVector* a, TVector* c, double cosT, double sinT);
ZENORA_API void Rot_to_obliq(const TVector* a, TVector* c, double eps);
ZENORA_API void Rotate_to_J2000_obliquity(const TVector* a, TVector* c);
ZENORA_API void Rot_to_equat(const TVector* a, TVector* c, double angle, double length);
// angle reduction
ZENORA_API double fmod360(double x);
ZENORA_API double fmod180(double x);
ZENORA_API double fmod2pi(double x);
ZENORA_API double fmodpi(double x);
ZENORA_API double fmodall180(double x);
ZENORA_API double fmodallpi(double x);
// coordinates and geodesy
ZENORA_API void Ra_dec_to_vect(const TRaDec* p, TVector* v);
ZENORA_API void Vect_to_ra_dec(const TVector* v, TRaDec* p);
ZENORA_API void Lat_lon_to_vect(const TLatLon* p, TVector* v);
ZENORA_API void Vect_to_lat_lon(const TVector* v, TLatLon* p);
ZENORA_API void Vect_to_ra_dec_dist(const TVector* origin, const TVector* target, TRaDec* p);
ZENORA_API void Ra_dec_dist_to_vect(const TVector* origin, const TRaDec* p, TVector* v);
ZENORA_API void Ra_dec_to_alt_az(const TLatLon* site, const TRaDec* p, TAltAz* h, double gst);
ZENORA_API void Alt_az_to_ra_dec(const TLatLon* site, const TAltAz* h, TRaDec* p, double gst);
ZENORA_API void Lat_lon_height_to_vect(TVector* v, double gst, double lon, double z, double d);
ZENORA_API void Vect_to_lat_lon_height(const TVector* v, TLatLon* p, double gst);
ZENORA_API void RhoSinCos(const TLatLon* site, double* rhoSin, double* rhoCos);
ZENORA_API double EarthRadius(double lat);
ZENORA_API void Az_dist_to_lat_lon(const TLatLon* start, TLatLon* p, double az, double dist, double radius);
ZENORA_API double Az_2latlon(const TLatLon* p1, const TLatLon* p2);
ZENORA_API double Dist_2latlon(const TLatLon* p1, const TLatLon* p2);
ZENORA_API double Sep_angle(const TRaDec* p1, const TRaDec* p2);
ZENORA_API double Pos_angle(const TRaDec* p1, const TRaDec* p2);
ZENORA_API double Refraction(double alt, double pressure, double temperature);
// time scales and Earth orientation
ZENORA_API double GreenwhichHourAngle(double jd);
ZENORA_API double Mean_obliquity(uint8_t model, double jd);
ZENORA_API void Nutation_Obliq_Long(double* dEps, double* dPsi, double jd);
ZENORA_API void Precession(const TVector* v, uint8_t direction, TVector* c, double jd);
ZENORA_API void Epoch_to_J2000(TRaDec* p, double jd);
ZENORA_API void J2000_to_epoch(TRaDec* p, double jd);
ZENORA_API double Delta_t(double jd);
// Sun, Moon and planets
ZENORA_API void Calc_Planet(uint8_t body, TVector* v, bool precess, double jd, double deltaT, bool toAu);
// shadow, brightness, formatting
ZENORA_API bool SunLite(const TVector* sat, const TVector* sun);
ZENORA_API double Calc_Magnitude(double stdMag, double range, double fraction);
ZENORA_API double illum_fraction(const TVector* a, const TVector* b, const TVector* c);
ZENORA_API double SlantRange(double angle, double d1, double d2);
ZENORA_API const char* Conv_to_str_hrs(bool inRadians, uint8_t decimals, double value);
ZENORA_API const char* Conv_to_str_deg(bool inRadians, uint8_t decimals, double value);
ZENORA_API const char* Sec_to_str_hrs(uint8_t decimals, double seconds);
}
