// Vectors, angle reduction, coordinate transforms, shadow, brightness and
// angle formatting. Internal C++ interface; the C exports wrap these.
#pragma once
#include <cstdint>
#include "ZenoraTypes.h"

namespace zenora {

constexpr double kPiDiv2 = 1.5707963267948966;
constexpr double kPi = 3.141592653589793;
constexpr double k2Pi = 6.283185307179586;
constexpr int kFullCircle = 360;
constexpr int kHalfCircle = 180;
constexpr double kEarthA = 6378.137;                // equatorial radius, km
constexpr double kEarthB = 6356.7523142;            // polar radius, km
constexpr double kAxisRatio = 0.9966471893352525;   // b/a
constexpr double kFlattening = 0.003352810664747;
constexpr int kDaysPerCentury = 36525;
constexpr int kDaysPerMillennium = 365250;
constexpr int kJ2000 = 2451545;
constexpr double kAU = 149597870.691;               // km
constexpr double kArcSec = 4.84813681109536e-06;    // rad
constexpr double kEps0 = 0.409092804222135;         // obliquity at J2000.0
constexpr double kCosEps0 = 0.917482062069259;
constexpr double kSinEps0 = 0.3977771559317358;
constexpr double kDegToRad = kPi / 180.0;
constexpr double kRadToDeg = 180.0 / kPi;

// Unclamped: |x| > 1 gives NaN, as the callers are expected to stay in range.
double ArcSin(double x);
double ArcCos(double x);
double Frac(double x);

void Add_vect(const TVector& a, const TVector& b, TVector& c);
void Sub_vect(const TVector& a, const TVector& b, TVector& c);
double Dot_vect(const TVector& a, const TVector& b);
void Dot_3vect(const TVector& v, const TVector& e1, const TVector& e2, const TVector& e3, TVector& c);
void Cross_vect(const TVector& a, const TVector& b, TVector& c);
void Norm_vect(const TVector& a, TVector& u);
void Scale_vect(const TVector& a, TVector& c, double k);
void Divide_vect(const TVector& a, TVector& c, double k);
double Range_vect(const TVector& a);
double Range_2vect(const TVector& a, const TVector& b);
double Angle_2vect(const TVector& a, const TVector& b);
double Angle_3vect(const TVector& a, const TVector& b, const TVector& c);
void Rot_vect(const TVector& a, TVector& c, double cosT, double sinT);
void Flip_vect(const TVector& a, TVector& c, double cosT, double sinT);
void Rot_to_obliq(const TVector& a, TVector& c, double eps);
void Rotate_to_J2000_obliquity(const TVector& a, TVector& c);
void Rot_to_equat(const TVector& a, TVector& c, double angle, double length);

double fmod360(double x);
double fmod180(double x);
double fmod2pi(double x);
double fmodpi(double x);
double fmodall180(double x);
double fmodallpi(double x);

void Ra_dec_to_vect(const TRaDec& p, TVector& v);
void Vect_to_ra_dec(const TVector& v, TRaDec& p);
void Lat_lon_to_vect(const TLatLon& p, TVector& v);
void Vect_to_lat_lon(const TVector& v, TLatLon& p);
void Vect_to_ra_dec_dist(const TVector& origin, const TVector& target, TRaDec& p);
void Ra_dec_dist_to_vect(const TVector& origin, const TRaDec& p, TVector& v);
void Ra_dec_to_alt_az(const TLatLon& site, const TRaDec& p, TAltAz& h, double gst);
void Alt_az_to_ra_dec(const TLatLon& site, const TAltAz& h, TRaDec& p, double gst);
void Lat_lon_height_to_vect(TVector& v, double gst, double lon, double z, double d);
void Vect_to_lat_lon_height(const TVector& v, TLatLon& p, double gst);
void RhoSinCos(const TLatLon& site, double& rhoSin, double& rhoCos);
double EarthRadius(double lat);
void Az_dist_to_lat_lon(const TLatLon& start, TLatLon& p, double az, double dist, double radius);
double Az_2latlon(const TLatLon& p1, const TLatLon& p2);
double Dist_2latlon(const TLatLon& p1, const TLatLon& p2);
double Sep_angle(const TRaDec& p1, const TRaDec& p2);
double Pos_angle(const TRaDec& p1, const TRaDec& p2);
double Refraction(double alt, double pressure, double temperature);
double GreenwhichHourAngle(double jd);

bool SunLite(const TVector& sat, const TVector& sun);
double Calc_Magnitude(double stdMag, double range, double fraction);
double illum_fraction(const TVector& observer, const TVector& sat, const TVector& sun);
double SlantRange(double angle, double satDist, double radius);
const char* Conv_to_str_hrs(bool inRadians, uint8_t decimals, double value);
const char* Conv_to_str_deg(bool inRadians, uint8_t decimals, double value);
const char* Sec_to_str_hrs(uint8_t decimals, double seconds);

}  // namespace zenora
