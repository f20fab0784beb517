// Vectors, angle reduction, coordinate and geodesy transforms, sidereal time,
// Earth shadow and brightness.
#include "uAstro.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace zenora {

double ArcSin(double x) { return std::atan2(x, std::sqrt(1.0 - x * x)); }
double ArcCos(double x) { return std::atan2(std::sqrt(1.0 - x * x), x); }
double Frac(double x) { return x - std::trunc(x); }

namespace {
inline double Len(double x, double y, double z) { return std::sqrt(x * x + y * y + z * z); }
inline void Set(TVector& v, double x, double y, double z) { v = TVector{x, y, z, Len(x, y, z)}; }
}  // namespace

// --- vectors. Results go through locals so an output may alias an input.

void Add_vect(const TVector& a, const TVector& b, TVector& c) { Set(c, a.x + b.x, a.y + b.y, a.z + b.z); }
void Sub_vect(const TVector& a, const TVector& b, TVector& c) { Set(c, a.x - b.x, a.y - b.y, a.z - b.z); }
double Dot_vect(const TVector& a, const TVector& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

void Dot_3vect(const TVector& v, const TVector& e1, const TVector& e2, const TVector& e3, TVector& c) {
    Set(c, v.x * e1.x + v.y * e2.x + v.z * e3.x, v.x * e1.y + v.y * e2.y + v.z * e3.y,
        v.x * e1.z + v.y * e2.z + v.z * e3.z);
}

void Cross_vect(const TVector& a, const TVector& b, TVector& c) {
    Set(c, a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x);
}

void Norm_vect(const TVector& a, TVector& u) {
    if (a.r > 0) Set(u, a.x / a.r, a.y / a.r, a.z / a.r);  // zero or stale-negative r: u untouched
}

void Scale_vect(const TVector& a, TVector& c, double k) { Set(c, k * a.x, k * a.y, k * a.z); }
void Divide_vect(const TVector& a, TVector& c, double k) { Set(c, a.x / k, a.y / k, a.z / k); }
double Range_vect(const TVector& a) { return Len(a.x, a.y, a.z); }
double Range_2vect(const TVector& a, const TVector& b) { return Len(a.x - b.x, a.y - b.y, a.z - b.z); }

double Angle_2vect(const TVector& a, const TVector& b) { return ArcCos(Dot_vect(a, b) / (a.r * b.r)); }

double Angle_3vect(const TVector& a, const TVector& b, const TVector& c) {
    TVector u, w;
    Sub_vect(c, a, u);
    Sub_vect(b, a, w);
    return ArcCos(Dot_vect(u, w) / (u.r * w.r));
}

void Rot_vect(const TVector& a, TVector& c, double cosT, double sinT) {
    Set(c, a.x * cosT - a.z * sinT, a.y, a.x * sinT + a.z * cosT);
}

void Flip_vect(const TVector& a, TVector& c, double cosT, double sinT) {
    Set(c, a.x * cosT + a.y * sinT, -a.x * sinT + a.y * cosT, a.z);
}

void Rot_to_obliq(const TVector& a, TVector& c, double eps) {
    const double ce = std::cos(eps), se = std::sin(eps);
    c = TVector{a.x, a.y * ce - a.z * se, a.y * se + a.z * ce, a.r};  // a rotation keeps the length
}

void Rotate_to_J2000_obliquity(const TVector& a, TVector& c) {
    Set(c, a.x, a.y * kCosEps0 - a.z * kSinEps0, a.y * kSinEps0 + a.z * kCosEps0);
}

void Rot_to_equat(const TVector& a, TVector& c, double angle, double length) {
    c = TVector{a.x + length * std::cos(angle), a.y + length * std::sin(angle), a.z, a.r};
}

// --- angle reduction. Values already in range come back unchanged, so the
// upper end of the range (2π, 360, ...) stays itself.

namespace {
double Reduce(double x, double p) {
    if (0 <= x && x <= p) return x;
    double r = Frac(x / p) * p;
    if (r < 0) r += p;
    return r;
}

double ReduceSigned(double x, double half, double full) {
    if (-half <= x && x <= half) return x;
    double r = Frac(x / full) * full;
    if (r > half) r -= full;
    if (r < -half) r += full;
    return r;
}
}  // namespace

double fmod360(double x) { return Reduce(x, kFullCircle); }
double fmod180(double x) { return Reduce(x, kHalfCircle); }
double fmod2pi(double x) { return Reduce(x, k2Pi); }
double fmodpi(double x) { return Reduce(x, kPi); }
double fmodall180(double x) { return ReduceSigned(x, kHalfCircle, kFullCircle); }
double fmodallpi(double x) { return ReduceSigned(x, kPi, k2Pi); }

// --- spherical and rectangular

void Ra_dec_to_vect(const TRaDec& p, TVector& v) {
    const double cd = std::cos(p.dec);
    v = TVector{p.dist * std::cos(p.ra) * cd, p.dist * std::sin(p.ra) * cd, p.dist * std::sin(p.dec), p.dist};
}

void Vect_to_ra_dec(const TVector& v, TRaDec& p) {
    p = TRaDec{fmod2pi(std::atan2(v.y, v.x)), ArcSin(v.z / v.r), v.r};
}

void Lat_lon_to_vect(const TLatLon& p, TVector& v) {
    const double cl = std::cos(p.lat);
    v = TVector{p.height * std::cos(p.lon) * cl, p.height * std::sin(p.lon) * cl, p.height * std::sin(p.lat),
                p.height};
}

void Vect_to_lat_lon(const TVector& v, TLatLon& p) {
    p = TLatLon{std::atan2(v.z, std::sqrt(v.x * v.x + v.y * v.y)), fmod2pi(std::atan2(v.y, v.x)), v.r};
}

void Vect_to_ra_dec_dist(const TVector& origin, const TVector& target, TRaDec& p) {
    TVector d;
    Sub_vect(target, origin, d);
    p = TRaDec{fmod2pi(std::atan2(d.y, d.x)), ArcSin(d.z / d.r), d.r};
}

void Ra_dec_dist_to_vect(const TVector& origin, const TRaDec& p, TVector& v) {
    const double cd = std::cos(p.dec);
    Set(v, origin.x + p.dist * std::cos(p.ra) * cd, origin.y + p.dist * std::sin(p.ra) * cd,
        origin.z + p.dist * std::sin(p.dec));
}

// --- horizontal coordinates

namespace {
constexpr double kPoleCos = 0.00001;  // below this the observer counts as at a pole

double ClampedArcCos(double c) {
    if (c >= 1) return 0;
    if (c <= -1) return kPi;
    return ArcCos(c);
}
}  // namespace

void Ra_dec_to_alt_az(const TLatLon& site, const TRaDec& p, TAltAz& h, double gst) {
    const double ha = site.lon + gst - p.ra;
    const double sp = std::sin(site.lat), cp = std::cos(site.lat);
    const double sd = std::sin(p.dec), cd = std::cos(p.dec);
    const double alt = ArcSin(sp * sd + cp * cd * std::cos(ha));
    double az;
    if (cp < kPoleCos) {
        az = ha;
    } else {
        const double c = (sd - std::sin(alt) * sp) / (std::cos(alt) * cp);
        az = ClampedArcCos(c);
        if (std::sin(ha) > 0) az = -az;
    }
    h = TAltAz{alt, fmod2pi(az)};
}

void Alt_az_to_ra_dec(const TLatLon& site, const TAltAz& h, TRaDec& p, double gst) {
    const double sp = std::sin(site.lat), cp = std::cos(site.lat);
    const double sinDec = sp * std::sin(h.alt) + cp * std::cos(h.alt) * std::cos(h.az);
    const double dec = ArcSin(sinDec);
    double x;
    if (cp < kPoleCos) {
        x = kPi + h.az;
    } else {
        const double c = -(std::sin(h.alt) - sp * sinDec) / (cp * std::cos(dec));
        const double y = ClampedArcCos(c);
        x = std::sin(h.az) > 0 ? kPi - y : kPi + y;
    }
    p.ra = fmod2pi(x + gst + site.lon);
    p.dec = dec;
}

// --- ellipsoid

void Lat_lon_height_to_vect(TVector& v, double gst, double lon, double z, double d) {
    Set(v, d * std::cos(gst + lon), d * std::sin(gst + lon), z);
}

void Vect_to_lat_lon_height(const TVector& v, TLatLon& p, double gst) {
    const double lon = std::atan2(v.y, v.x);
    const double psi = std::atan2(v.z, std::sqrt(v.x * v.x + v.y * v.y));
    const double phi = std::atan2(std::tan(psi), kAxisRatio * kAxisRatio);
    p = TLatLon{phi, fmodallpi(lon - gst), v.r - EarthRadius(phi)};
}

void RhoSinCos(const TLatLon& site, double& rhoSin, double& rhoCos) {
    const double u = std::atan(kAxisRatio * std::tan(site.lat));
    const double hr = site.height != 0 ? site.height / kEarthA : 0.0;
    rhoSin = kEarthA * (kAxisRatio * std::sin(u) + hr * std::sin(site.lat));
    rhoCos = kEarthA * (std::cos(u) + hr * std::cos(site.lat));
}

double EarthRadius(double lat) {
    const double t = std::tan(lat);
    return 1.0 / (std::cos(lat) * std::sqrt(1.0 / (kEarthA * kEarthA) + t * t / (kEarthB * kEarthB)));
}

// --- great circles

namespace {
// Due east or west the sine ratio is 1 but rounds to just above it, which
// would make the arcsine NaN.
inline double ClampUnit(double x) { return x > 1 ? 1 : (x < -1 ? -1 : x); }
}  // namespace

void Az_dist_to_lat_lon(const TLatLon& start, TLatLon& p, double az, double dist, double radius) {
    const double c = dist / radius;
    const double theta1 = kPiDiv2 - start.lat;
    const double theta2 = ArcCos(std::cos(c) * std::cos(theta1) + std::sin(theta1) * std::sin(c) * std::cos(az));
    const double dLon = ArcSin(ClampUnit(std::sin(c) * std::sin(az) / std::sin(theta2)));
    p = TLatLon{kPiDiv2 - theta2, start.lon + dLon, 0.001};
}

double Az_2latlon(const TLatLon& p1, const TLatLon& p2) {
    if (p1.lat == p2.lat && p1.lon == p2.lon) return 0;
    if (p1.lon == p2.lon) return p1.lat > p2.lat ? kPi : 0;
    const double s1 = std::sin(p1.lat), c1 = std::cos(p1.lat);
    const double s2 = std::sin(p2.lat), c2 = std::cos(p2.lat);
    const double d = ArcCos(s2 * s1 + c2 * c1 * std::cos(p2.lon - p1.lon));
    const double a = ArcSin(ClampUnit(c2 * std::sin(p2.lon - p1.lon) / std::sin(d)));
    if (p2.lat > p1.lat) return p2.lon > p1.lon ? a : a + k2Pi;
    if (p2.lat < p1.lat) return kPi - a;
    return a;
}

double Dist_2latlon(const TLatLon& p1, const TLatLon& p2) {
    const double f = (p1.lat + p2.lat) / 2, g = (p1.lat - p2.lat) / 2, l = (p1.lon - p2.lon) / 2;
    const double sg = std::sin(g), cg = std::cos(g), sf = std::sin(f), cf = std::cos(f);
    const double sl = std::sin(l), cl = std::cos(l);
    const double s = sg * sg * cl * cl + cf * cf * sl * sl;
    const double c = cg * cg * cl * cl + sf * sf * sl * sl;
    const double w = std::atan2(std::sqrt(s), std::sqrt(c));
    if (w == 0) return 0;  // coincident points
    const double r = std::sqrt(s * c) / w;
    const double d = 2 * w * kEarthA;
    const double h1 = (3 * r - 1) / (2 * c), h2 = (3 * r + 1) / (2 * s);
    return d * (1 + kFlattening * h1 * sf * sf * cg * cg - kFlattening * h2 * cf * cf * sg * sg);
}

double Sep_angle(const TRaDec& p1, const TRaDec& p2) {
    const double dRa = p2.ra - p1.ra;
    const double s1 = std::sin(p1.dec), c1 = std::cos(p1.dec), s2 = std::sin(p2.dec), c2 = std::cos(p2.dec);
    const double x = c1 * s2 - s1 * c2 * std::cos(dRa);
    const double y = c2 * std::sin(dRa);
    const double z = s1 * s2 + c1 * c2 * std::cos(dRa);
    double a = std::atan2(std::sqrt(x * x + y * y), z);
    if (a < 0) a += kPi;
    return a;
}

double Pos_angle(const TRaDec& p1, const TRaDec& p2) {
    const double dRa = p1.ra - p2.ra;
    double a = std::atan2(std::sin(dRa), std::tan(p1.dec) * std::cos(p2.dec) - std::sin(p2.dec) * std::cos(dRa));
    if (a < 0) a += kPi;
    if (a >= kPi) a -= kPi;  // atan2(+0, negative) is π; callers rely on [0, π)
    return a;
}

double Refraction(double alt, double pressure, double temperature) {
    const double h = alt * kRadToDeg;
    const double arcMin = (pressure / 1010) * (283 / (273 + temperature)) *
                          (1 / std::tan((h + 7.31 / (h + 4.4)) * kDegToRad) + 0.0013515);
    return arcMin / 60 * kDegToRad;
}

// --- sidereal time

double GreenwhichHourAngle(double jd) {
    const double d = jd - kJ2000;
    const double n = std::trunc(d), q = d - n;  // whole days kept apart so the big product stays small
    const double t = d / kDaysPerCentury;
    const double theta = 4.8949612127358 + 6.30038809898496 * q + 0.017202791805371 * n +
                         t * t * 6.77070812713899e-6 - t * t * t * (kPi / 180) / 38710000;
    return fmod2pi(theta);
}

// --- shadow and brightness

bool SunLite(const TVector& sat, const TVector& sun) {
    return Angle_2vect(sat, sun) < kPiDiv2 + ArcCos(kEarthA / sat.r);
}

double illum_fraction(const TVector& observer, const TVector& sat, const TVector& sun) {
    TVector v;
    Sub_vect(observer, sat, v);
    const double phase = Angle_2vect(v, sun);
    return 1 - (1 - std::cos(phase)) / 2;
}

double Calc_Magnitude(double stdMag, double range, double fraction) {
    if (fraction == 0) fraction = 1e-7;
    return stdMag - 15.75 + 2.5 * std::log10(range * range / fraction);
}

double SlantRange(double angle, double satDist, double radius) {
    double s = satDist * std::sin(angle) / radius;
    if (s > 1) s = 1;  // the line misses the sphere: closest approach
    return satDist * std::cos(angle) - radius * std::cos(ArcSin(s));
}

// --- angle and time texts. '.' is always the decimal separator; the degree
// sign is the single byte 0xB0. Each thread gets its own result buffer.

namespace {

constexpr size_t kTextSize = 1100;   // three numbers of up to 309 digits fit
constexpr size_t kNumberSize = 400;
thread_local char tText[kTextSize];

// A bounded piece of text; writes past the capacity are dropped.
struct Piece {
    char* buf;
    size_t cap;
    size_t len = 0;
    void put(char c) {
        if (len + 1 < cap) buf[len++] = c;
        buf[len] = 0;
    }
    void put(const char* s) {
        while (*s) put(*s++);
    }
};

// Number pattern: prefix, at least intDigits digits, decimals digits after
// '.', suffix. Rounds half away from zero on the 18-digit decimal form of
// the value; a negative sign goes in front of the prefix; non-finite values
// give NAN, INF or -INF alone.
void FormatNumber(Piece& out, double value, const char* prefix, int intDigits, int decimals, const char* suffix) {
    if (std::isnan(value)) return out.put("NAN");
    if (std::isinf(value)) return out.put(value < 0 ? "-INF" : "INF");
    char sci[40];
    std::snprintf(sci, sizeof sci, "%.17e", std::fabs(value));
    char digits[20];
    int n = 0;
    for (const char* c = sci; *c && *c != 'e'; ++c)
        if (*c >= '0' && *c <= '9') digits[n++] = *c;
    int exp10 = std::atoi(std::strchr(sci, 'e') + 1);
    int pointPos = exp10 + 1;  // digits before the decimal point
    int keep = pointPos + decimals;
    if (keep < 0) {
        n = 0;
    } else if (keep < n) {
        const bool up = digits[keep] >= '5';
        n = keep;
        if (up) {
            int i = n - 1;
            while (i >= 0 && digits[i] == '9') digits[i--] = '0';
            if (i >= 0) {
                ++digits[i];
            } else {  // carry out of the leading digit
                std::memmove(digits + 1, digits, static_cast<size_t>(n));
                digits[0] = '1';
                ++n;
                ++pointPos;
            }
        }
    }
    auto digitAt = [&](int pos) { return (pos >= 0 && pos < n) ? digits[pos] : '0'; };
    bool nonZero = false;
    for (int i = 0; i < n; ++i) nonZero |= digits[i] != '0';
    if (value < 0 && nonZero) out.put('-');
    out.put(prefix);
    const int intLen = pointPos > intDigits ? pointPos : intDigits;
    for (int i = intLen - 1; i >= 0; --i) out.put(digitAt(pointPos - 1 - i));
    if (decimals > 0) {
        out.put('.');
        for (int i = 0; i < decimals; ++i) out.put(digitAt(pointPos + i));
    }
    out.put(suffix);
}

// Removes count characters from the 1-based position index, like a string
// delete: an index outside the text removes nothing.
void DeleteChars(Piece& p, int index, int count) {
    if (index < 1 || static_cast<size_t>(index) > p.len) return;
    const size_t from = static_cast<size_t>(index - 1);
    const size_t n = std::min(static_cast<size_t>(count), p.len - from);
    std::memmove(p.buf + from, p.buf + from + n, p.len - from - n + 1);
    p.len -= n;
}

// Whole part of an hour or minute count kept as a byte (modulo 256).
double TruncByte(double x) {
    if (!std::isfinite(x)) return 0;
    double b = std::fmod(std::trunc(x), 256.0);
    if (b < 0) b += 256;
    return b;
}

Piece Result() {
    tText[0] = 0;
    return Piece{tText, kTextSize};
}

}  // namespace

const char* Conv_to_str_deg(bool inRadians, uint8_t decimals, double value) {
    if (inRadians) value *= kRadToDeg;
    Piece out = Result();
    out.put(value < 0 ? '-' : '+');
    double a = std::fabs(value);
    const double deg = std::trunc(a);
    a = Frac(a) * 60;
    const double min = std::trunc(a);
    const double sec = Frac(a) * 60;
    // The seconds pattern " 00.000000" cut to the asked decimals; rounded,
    // and never carried into the minutes.
    const int secDecimals = decimals == 0 ? 0 : std::min<int>(decimals, 6);
    FormatNumber(out, deg, "", 2, 0, "\xB0");
    FormatNumber(out, min, " ", 2, 0, "");
    out.put('\'');
    FormatNumber(out, sec, " ", 2, secDecimals, "\"");
    return tText;
}

const char* Conv_to_str_hrs(bool inRadians, uint8_t decimals, double value) {
    if (inRadians) value *= kRadToDeg;
    const double h = value / 15;
    const double hours = std::trunc(h);
    const double m = Frac(h) * 60;
    const double mins = std::trunc(m);
    const double sec = Frac(m) * 60;
    Piece out = Result();
    FormatNumber(out, hours, "", 2, 0, "h ");
    FormatNumber(out, mins, "", 2, 0, "m");
    // Seconds at seven decimals, then cut (not rounded) to the asked ones.
    char buf[kNumberSize] = "";
    Piece s{buf, sizeof buf};
    FormatNumber(s, sec, " ", 2, 7, "");
    DeleteChars(s, decimals > 0 ? decimals + 5 : 4, 9);
    out.put(buf);
    out.put('s');
    return tText;
}

const char* Sec_to_str_hrs(uint8_t decimals, double seconds) {
    const double h = seconds / 3600;
    const double hours = TruncByte(h);
    const double m = (h - hours) * 60;
    const double mins = TruncByte(m);
    const double sec = (m - mins) * 60;
    Piece out = Result();
    FormatNumber(out, hours, "", 2, 0, ":");
    FormatNumber(out, mins, "", 2, 0, ":");
    char buf[kNumberSize] = "";
    Piece s{buf, sizeof buf};
    FormatNumber(s, sec, "", 2, 6, "");
    DeleteChars(s, decimals > 0 ? decimals + 4 : 3, 9);
    out.put(buf);
    return tText;
}

}  // namespace zenora
