// The library's export table: 56 C functions, records by pointer. Everything
// else in the library is hidden.
#include "Zenora.h"
#include "uAstro.h"
#include "uDelta_t.h"
#include "uNutation.h"
#include "uPlanet.h"
#include "uPrecession.h"

namespace z = zenora;

extern "C" {

void Add_vect(const TVector* a, const TVector* b, TVector* c) { z::Add_vect(*a, *b, *c); }
void Sub_vect(const TVector* a, const TVector* b, TVector* c) { z::Sub_vect(*a, *b, *c); }
double Dot_vect(const TVector* a, const TVector* b) { return z::Dot_vect(*a, *b); }
void Dot_3vect(const TVector* v, const TVector* e1, const TVector* e2, const TVector* e3, TVector* c) {
    z::Dot_3vect(*v, *e1, *e2, *e3, *c);
}
void Cross_vect(const TVector* a, const TVector* b, TVector* c) { z::Cross_vect(*a, *b, *c); }
void Norm_vect(const TVector* a, TVector* u) { z::Norm_vect(*a, *u); }
void Scale_vect(const TVector* a, TVector* c, double k) { z::Scale_vect(*a, *c, k); }
void Divide_vect(const TVector* a, TVector* c, double k) { z::Divide_vect(*a, *c, k); }
double Range_vect(const TVector* a) { return z::Range_vect(*a); }
double Range_2vect(const TVector* a, const TVector* b) { return z::Range_2vect(*a, *b); }
double Angle_2vect(const TVector* a, const TVector* b) { return z::Angle_2vect(*a, *b); }
double Angle_3vect(const TVector* a, const TVector* b, const TVector* c) { return z::Angle_3vect(*a, *b, *c); }
void Rot_vect(const TVector* a, TVector* c, double cosT, double sinT) { z::Rot_vect(*a, *c, cosT, sinT); }
void Flip_vect(const TVector* a, TVector* c, double cosT, double sinT) { z::Flip_vect(*a, *c, cosT, sinT); }
void Rot_to_obliq(const TVector* a, TVector* c, double eps) { z::Rot_to_obliq(*a, *c, eps); }
void Rotate_to_J2000_obliquity(const TVector* a, TVector* c) { z::Rotate_to_J2000_obliquity(*a, *c); }
void Rot_to_equat(const TVector* a, TVector* c, double angle, double length) {
    z::Rot_to_equat(*a, *c, angle, length);
}

double fmod360(double x) { return z::fmod360(x); }
double fmod180(double x) { return z::fmod180(x); }
double fmod2pi(double x) { return z::fmod2pi(x); }
double fmodpi(double x) { return z::fmodpi(x); }
double fmodall180(double x) { return z::fmodall180(x); }
double fmodallpi(double x) { return z::fmodallpi(x); }

void Ra_dec_to_vect(const TRaDec* p, TVector* v) { z::Ra_dec_to_vect(*p, *v); }
void Vect_to_ra_dec(const TVector* v, TRaDec* p) { z::Vect_to_ra_dec(*v, *p); }
void Lat_lon_to_vect(const TLatLon* p, TVector* v) { z::Lat_lon_to_vect(*p, *v); }
void Vect_to_lat_lon(const TVector* v, TLatLon* p) { z::Vect_to_lat_lon(*v, *p); }
void Vect_to_ra_dec_dist(const TVector* origin, const TVector* target, TRaDec* p) {
    z::Vect_to_ra_dec_dist(*origin, *target, *p);
}
void Ra_dec_dist_to_vect(const TVector* origin, const TRaDec* p, TVector* v) {
    z::Ra_dec_dist_to_vect(*origin, *p, *v);
}
void Ra_dec_to_alt_az(const TLatLon* site, const TRaDec* p, TAltAz* h, double gst) {
    z::Ra_dec_to_alt_az(*site, *p, *h, gst);
}
void Alt_az_to_ra_dec(const TLatLon* site, const TAltAz* h, TRaDec* p, double gst) {
    z::Alt_az_to_ra_dec(*site, *h, *p, gst);
}
void Lat_lon_height_to_vect(TVector* v, double gst, double lon, double zz, double d) {
    z::Lat_lon_height_to_vect(*v, gst, lon, zz, d);
}
void Vect_to_lat_lon_height(const TVector* v, TLatLon* p, double gst) { z::Vect_to_lat_lon_height(*v, *p, gst); }
void RhoSinCos(const TLatLon* site, double* rhoSin, double* rhoCos) { z::RhoSinCos(*site, *rhoSin, *rhoCos); }
double EarthRadius(double lat) { return z::EarthRadius(lat); }
void Az_dist_to_lat_lon(const TLatLon* start, TLatLon* p, double az, double dist, double radius) {
    z::Az_dist_to_lat_lon(*start, *p, az, dist, radius);
}
double Az_2latlon(const TLatLon* p1, const TLatLon* p2) { return z::Az_2latlon(*p1, *p2); }
double Dist_2latlon(const TLatLon* p1, const TLatLon* p2) { return z::Dist_2latlon(*p1, *p2); }
double Sep_angle(const TRaDec* p1, const TRaDec* p2) { return z::Sep_angle(*p1, *p2); }
double Pos_angle(const TRaDec* p1, const TRaDec* p2) { return z::Pos_angle(*p1, *p2); }
double Refraction(double alt, double pressure, double temperature) {
    return z::Refraction(alt, pressure, temperature);
}

double GreenwhichHourAngle(double jd) { return z::GreenwhichHourAngle(jd); }
double Mean_obliquity(uint8_t model, double jd) { return z::Mean_obliquity(model, jd); }
void Nutation_Obliq_Long(double* dEps, double* dPsi, double jd) { z::Nutation_Obliq_Long(*dEps, *dPsi, jd); }
void Precession(const TVector* v, uint8_t direction, TVector* c, double jd) {
    z::Precession(*v, direction, *c, jd);
}
void Epoch_to_J2000(TRaDec* p, double jd) { z::Epoch_to_J2000(*p, jd); }
void J2000_to_epoch(TRaDec* p, double jd) { z::J2000_to_epoch(*p, jd); }
double Delta_t(double jd) { return z::Delta_t(jd); }

void Calc_Planet(uint8_t body, TVector* v, bool precess, double jd, double deltaT, bool toAu) {
    z::Calc_Planet(body, *v, precess, jd, deltaT, toAu);
}

bool SunLite(const TVector* sat, const TVector* sun) { return z::SunLite(*sat, *sun); }
double Calc_Magnitude(double stdMag, double range, double fraction) {
    return z::Calc_Magnitude(stdMag, range, fraction);
}
double illum_fraction(const TVector* a, const TVector* b, const TVector* c) {
    return z::illum_fraction(*a, *b, *c);
}
double SlantRange(double angle, double d1, double d2) { return z::SlantRange(angle, d1, d2); }
const char* Conv_to_str_hrs(bool inRadians, uint8_t decimals, double value) {
    return z::Conv_to_str_hrs(inRadians, decimals, value);
}
const char* Conv_to_str_deg(bool inRadians, uint8_t decimals, double value) {
    return z::Conv_to_str_deg(inRadians, decimals, value);
}
const char* Sec_to_str_hrs(uint8_t decimals, double seconds) { return z::Sec_to_str_hrs(decimals, seconds); }

}  // extern "C"
