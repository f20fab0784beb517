// Public interface of libzenora: 56 C exports, records by pointer.
//
// Units and frames, unless a function says otherwise: angles in radians;
// distances in km (astronomical units where a planet vector asks for them);
// times as Julian dates (UT for sidereal time, TT = UT + ΔT for the
// ephemerides). Equatorial vectors are geocentric, x to the equinox, z to the
// north pole, of the frame named; Earth-fixed positions come from equatorial
// ones through the Greenwich hour angle (gst). TLatLon is geodetic latitude,
// longitude east positive, height in km; TAltAz is altitude above the
// horizon and azimuth from north through east. Every vector a function
// produces has its length r filled; inputs are read through their r where
// a function says so. An output may be the same record as an input. Nothing
// is allocated for the caller except the three texts at the end.
#pragma once
#include <cstdint>
#include "ZenoraTypes.h"

#if defined(ZENORA_BUILD)
#define ZENORA_API __attribute__((visibility("default")))
#else
#define ZENORA_API
#endif

extern "C" {
// ---- vectors (any frame, any unit: the result keeps the input's)
ZENORA_API void Add_vect(const TVector* a, const TVector* b, TVector* c);  // c = a + b
ZENORA_API void Sub_vect(const TVector* a, const TVector* b, TVector* c);  // c = a - b
ZENORA_API double Dot_vect(const TVector* a, const TVector* b);
// c = v.x e1 + v.y e2 + v.z e3: v in the frame whose axes e1..e3 are.
ZENORA_API void Dot_3vect(const TVector* v, const TVector* e1, const TVector* e2, const TVector* e3, TVector* c);
ZENORA_API void Cross_vect(const TVector* a, const TVector* b, TVector* c);  // c = a x b
// u = a / a.r (unit vector); u is left untouched when a.r is not positive.
ZENORA_API void Norm_vect(const TVector* a, TVector* u);
ZENORA_API void Scale_vect(const TVector* a, TVector* c, double k);   // c = k a
ZENORA_API void Divide_vect(const TVector* a, TVector* c, double k);  // c = a / k
ZENORA_API double Range_vect(const TVector* a);                       // |a|, from x, y, z
ZENORA_API double Range_2vect(const TVector* a, const TVector* b);    // |a - b|
// Angle between a and b (rad, 0..pi), through their stored lengths r.
ZENORA_API double Angle_2vect(const TVector* a, const TVector* b);
// Angle at a between the directions to b and to c (rad, 0..pi).
ZENORA_API double Angle_3vect(const TVector* a, const TVector* b, const TVector* c);
// Rotation in the x-z plane by the angle whose cosine and sine are given:
// x' = x cos - z sin, z' = x sin + z cos.
ZENORA_API void Rot_vect(const TVector* a, TVector* c, double cosT, double sinT);
// Turn of the x-y axes by the angle given: x' = x cos + y sin, y' = -x sin + y cos.
ZENORA_API void Flip_vect(const TVector* a, TVector* c, double cosT, double sinT);
// Ecliptic to equatorial: rotation about x by the obliquity eps (rad).
ZENORA_API void Rot_to_obliq(const TVector* a, TVector* c, double eps);
// The same by the obliquity of J2000.0 (ecliptic J2000 to equator J2000).
ZENORA_API void Rotate_to_J2000_obliquity(const TVector* a, TVector* c);
// Moves a by length (a's unit) in the x-y plane in direction angle (rad
// from x); z and r are copied unchanged.
ZENORA_API void Rot_to_equat(const TVector* a, TVector* c, double angle, double length);

// ---- angle reduction: values already in range come back unchanged
ZENORA_API double fmod360(double x);      // degrees into 0..360
ZENORA_API double fmod180(double x);      // degrees into 0..180
ZENORA_API double fmod2pi(double x);      // rad into 0..2pi
ZENORA_API double fmodpi(double x);       // rad into 0..pi
ZENORA_API double fmodall180(double x);   // degrees into -180..180
ZENORA_API double fmodallpi(double x);    // rad into -pi..pi

// ---- coordinates and geodesy
// Spherical (ra, dec rad; dist km) to a vector of the same frame, and back
// (ra 0..2pi; dist = v.r).
ZENORA_API void Ra_dec_to_vect(const TRaDec* p, TVector* v);
ZENORA_API void Vect_to_ra_dec(const TVector* v, TRaDec* p);
// The same with TLatLon: lat, lon (rad) and height as the length (km).
ZENORA_API void Lat_lon_to_vect(const TLatLon* p, TVector* v);
ZENORA_API void Vect_to_lat_lon(const TVector* v, TLatLon* p);
// Direction and distance from origin to target (topocentric when origin is
// the observer's geocentric vector); equatorial of date.
ZENORA_API void Vect_to_ra_dec_dist(const TVector* origin, const TVector* target, TRaDec* p);
// origin + the vector of p.
ZENORA_API void Ra_dec_dist_to_vect(const TVector* origin, const TRaDec* p, TVector* v);
// Equatorial of date to horizontal for the site (geodetic lat, lon east) at
// the Greenwich hour angle gst (rad); no refraction. At a pole the azimuth
// is the hour angle.
ZENORA_API void Ra_dec_to_alt_az(const TLatLon* site, const TRaDec* p, TAltAz* h, double gst);
ZENORA_API void Alt_az_to_ra_dec(const TLatLon* site, const TAltAz* h, TRaDec* p, double gst);
// Geocentric equatorial vector of a site at gst (rad): lon (rad, east), z
// its distance from the equatorial plane and d from the axis (km, as
// RhoSinCos gives them).
ZENORA_API void Lat_lon_height_to_vect(TVector* v, double gst, double lon, double z, double d);
// Geocentric equatorial vector (km) to the geodetic point below it on the
// WGS-84 ellipsoid at gst: lat, lon (rad, -pi..pi) and height (km).
ZENORA_API void Vect_to_lat_lon_height(const TVector* v, TLatLon* p, double gst);
// A site's distances from the equatorial plane (rhoSin) and from the axis
// (rhoCos), km, on the WGS-84 ellipsoid (a = 6378.137 km).
ZENORA_API void RhoSinCos(const TLatLon* site, double* rhoSin, double* rhoCos);
// Radius of the WGS-84 ellipsoid at geodetic latitude lat (rad), km.
ZENORA_API double EarthRadius(double lat);
// The point dist (km) from start along the great circle leaving at azimuth
// az (rad), on a sphere of the given radius (km); height 0.001.
ZENORA_API void Az_dist_to_lat_lon(const TLatLon* start, TLatLon* p, double az, double dist, double radius);
// Initial azimuth (rad, 0..2pi) of the great circle from p1 to p2; 0 for
// the same point.
ZENORA_API double Az_2latlon(const TLatLon* p1, const TLatLon* p2);
// Distance (km) between two geodetic points on the WGS-84 ellipsoid
// (Andoyer's formula, good to about 50 m).
ZENORA_API double Dist_2latlon(const TLatLon* p1, const TLatLon* p2);
// Angular separation of two directions (rad, 0..pi).
ZENORA_API double Sep_angle(const TRaDec* p1, const TRaDec* p2);
// Position angle of p2 seen from p1 (rad, 0..pi).
ZENORA_API double Pos_angle(const TRaDec* p1, const TRaDec* p2);
// Atmospheric refraction (rad) at true altitude alt (rad) for pressure in
// mbar and temperature in °C.
ZENORA_API double Refraction(double alt, double pressure, double temperature);

// ---- time scales and Earth orientation
// Greenwich mean sidereal time (rad, 0..2pi) at the Julian date (UT).
ZENORA_API double GreenwhichHourAngle(double jd);
// Mean obliquity of the ecliptic (rad) at the Julian date by model
// (TObliquityModel).
ZENORA_API double Mean_obliquity(uint8_t model, double jd);
// Nutation in obliquity (dEps) and longitude (dPsi), arc seconds, 63-term IAU 1980.
ZENORA_API void Nutation_Obliq_Long(double* dEps, double* dPsi, double jd);
// Precesses an equatorial vector between J2000.0 and the mean equator and
// equinox of the Julian date, in the direction given (TPrecessionDirection).
ZENORA_API void Precession(const TVector* v, uint8_t direction, TVector* c, double jd);
// First-order precession of a star's ra/dec (rad) in place, from the date
// to J2000.0 and from J2000.0 to the date.
ZENORA_API void Epoch_to_J2000(TRaDec* p, double jd);
ZENORA_API void J2000_to_epoch(TRaDec* p, double jd);
// ΔT = TT - UT in seconds for the Julian date (a pure function of the date).
ZENORA_API double Delta_t(double jd);

// ---- Sun, Moon and planets
// Geocentric vector of body (TBody) at the Julian date jd (UT) with deltaT
// in days (jd + deltaT is the ephemeris time): equatorial J2000 in km, or of
// the date when precess is set; divided by the AU when toAu is set. The
// Earth gives its heliocentric ecliptic J2000 vector. For a code not in
// TBody, v is taken as the caller's heliocentric ecliptic J2000 vector (km)
// and made geocentric and equatorial like a planet's.
ZENORA_API void Calc_Planet(uint8_t body, TVector* v, bool precess, double jd, double deltaT, bool toAu);

// ---- shadow, brightness, formatting
// True when the geocentric position sat (km) sees the Sun (direction of the
// geocentric vector sun) above the Earth's limb: outside a cylindrical
// shadow of the WGS-84 equatorial radius.
ZENORA_API bool SunLite(const TVector* sat, const TVector* sun);
// Visual magnitude of a satellite of standard magnitude stdMag (at 1000 km,
// half lit) at range km with the illuminated fraction given (0..1; 0 counts
// as 1e-7).
ZENORA_API double Calc_Magnitude(double stdMag, double range, double fraction);
// Illuminated fraction (0..1) of b seen from a with the Sun in direction c
// (geocentric vectors, km).
ZENORA_API double illum_fraction(const TVector* a, const TVector* b, const TVector* c);
// Distance (km) from a point d1 km from the centre, along a line angle
// (rad) off the centre direction, to a sphere of radius d2 km: the nearer
// crossing, or the closest approach when the line misses.
ZENORA_API double SlantRange(double angle, double d1, double d2);
// Angle texts in 8-bit bytes (degree sign 0xB0), '.' as decimal point, in a
// buffer per thread that the next call overwrites: copy before calling
// again. value in radians when inRadians, else degrees; decimals of the
// seconds.
ZENORA_API const char* Conv_to_str_hrs(bool inRadians, uint8_t decimals, double value);  // "12h 00m 00s"
ZENORA_API const char* Conv_to_str_deg(bool inRadians, uint8_t decimals, double value);  // "+45° 30' 00""
ZENORA_API const char* Sec_to_str_hrs(uint8_t decimals, double seconds);                 // "00:08:54"
}
