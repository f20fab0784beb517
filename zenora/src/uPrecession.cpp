// Precession: the rigorous IAU 1976 equatorial angles within two centuries
// after J2000.0, a long-period ecliptic model otherwise, and the classical
// first-order formulae for star positions.
#include "uPrecession.h"

#include <cmath>

#include "uAstro.h"

namespace zenora {

namespace {

// The frame (not the vector) turns by a: x' = cos·x + sin·y.
inline void RotX(double& y, double& z, double a) {
    const double c = std::cos(a), s = std::sin(a);
    const double y1 = c * y + s * z, z1 = -s * y + c * z;
    y = y1;
    z = z1;
}
inline void RotZ(double& x, double& y, double a) {
    const double c = std::cos(a), s = std::sin(a);
    const double x1 = c * x + s * y, y1 = -s * x + c * y;
    x = x1;
    y = y1;
}

double Horner(const double* coef, int n, double x) {  // highest power first
    double r = 0;
    for (int i = 0; i < n; ++i) r = r * x + coef[i];
    return r;
}

void Rigorous(const TVector& v, uint8_t direction, TVector& c, double t) {
    const double zeta = ((0.017998 * t + 0.30188) * t + 2306.2181) * t * kArcSec;
    const double z = ((0.018203 * t + 1.09468) * t + 2306.2181) * t * kArcSec;
    const double theta = ((-0.041833 * t - 0.42665) * t + 2004.3109) * t * kArcSec;
    const double cZeta = std::cos(zeta), sZeta = std::sin(zeta);
    const double cz = std::cos(z), sz = std::sin(z);
    const double cTh = std::cos(theta), sTh = std::sin(theta);
    const double a = cZeta * cTh, b = sZeta * cTh;
    const double p[3][3] = {
        {cz * a - sZeta * sz, -(cz * b + cZeta * sz), -sTh * cz},
        {sz * a + sZeta * cz, -(sz * b - cZeta * cz), -sTh * sz},
        {cZeta * sTh, -sZeta * sTh, cTh},
    };
    double x, y, zz;
    if (direction == kPrecessFromJ2000) {
        x = p[0][0] * v.x + p[0][1] * v.y + p[0][2] * v.z;
        y = p[1][0] * v.x + p[1][1] * v.y + p[1][2] * v.z;
        zz = p[2][0] * v.x + p[2][1] * v.y + p[2][2] * v.z;
    } else {
        x = p[0][0] * v.x + p[1][0] * v.y + p[2][0] * v.z;
        y = p[0][1] * v.x + p[1][1] * v.y + p[2][1] * v.z;
        zz = p[0][2] * v.x + p[1][2] * v.y + p[2][2] * v.z;
    }
    c = TVector{x, y, zz, std::sqrt(x * x + y * y + zz * zz)};
}

void LongPeriod(const TVector& v, uint8_t direction, TVector& c, double t) {
    static const double kPA[10] = {-8.66e-10, -4.759e-08, 2.424e-07,  1.3095e-05, 0.00017451,
                                   -0.0018055, -0.235316,  0.076,      110.5414,   50287.91959};
    static const double kBigPi[11] = {6.6402e-16, -2.69151e-15, -1.547021e-12, 7.521313e-12,
                                      1.9e-10,    -3.54e-09,    -1.8103e-07,   1.26e-07,
                                      7.436169e-05, -0.04207794833, 3.052115282424};
    static const double kSmallPi[11] = {1.2147e-16,    7.3759e-17,    -8.26287e-14, 2.50341e-13,
                                        2.4650839e-11, -5.4000441e-11, 1.32115526e-09, -6.012e-07,
                                        -1.62442e-05,  0.00227850649,  0};
    const double tm = t / 10;  // millennia
    const double pA = tm * Horner(kPA, 10, tm) * kArcSec;
    const double bigPi = Horner(kBigPi, 11, tm);
    const double piA = Horner(kSmallPi, 11, tm);
    const double epsD = (84381.448 - 46.815 * t - 0.00059 * t * t + 0.001813 * t * t * t) / 3600 * kDegToRad;
    double x = v.x, y = v.y, z = v.z;
    if (direction == kPrecessFromJ2000) {
        RotX(y, z, kEps0);
        RotZ(x, y, bigPi);
        RotX(y, z, piA);
        RotZ(x, y, -bigPi - pA);
        RotX(y, z, -epsD);
    } else {
        RotX(y, z, epsD);
        RotZ(x, y, bigPi + pA);
        RotX(y, z, -piA);
        RotZ(x, y, -bigPi);
        RotX(y, z, -kEps0);
    }
    c = TVector{x, y, z, std::sqrt(x * x + y * y + z * z)};
}

}  // namespace

void Precession(const TVector& v, uint8_t direction, TVector& c, double jd) {
    const double t = (jd - kJ2000) / kDaysPerCentury;
    if (t == 0) {
        c = v;
    } else if (t < 2) {
        Rigorous(v, direction, c, t);
    } else {
        LongPeriod(v, direction, c, t);
    }
}

namespace {
// Annual precession in RA and Dec over T centuries, radians.
void FastPrecession(const TRaDec& p, double jd, double& dRa, double& dDec) {
    const double t = (jd - kJ2000) / kDaysPerCentury;
    // seconds of time per year; 1 s of time = 1/240 degree
    const double m = (3.07496 + 0.00186 * t / 2) * kDegToRad / 240;
    const double n = (1.33621 - 0.00057 * t / 2) * kDegToRad / 240;
    dRa = 100 * t * (m + n * std::sin(p.ra) * std::tan(p.dec));
    dDec = 100 * t * n * std::cos(p.ra);
}
}  // namespace

void J2000_to_epoch(TRaDec& p, double jd) {
    double dRa, dDec;
    FastPrecession(p, jd, dRa, dDec);
    p.ra += dRa;
    p.dec += dDec;
}

void Epoch_to_J2000(TRaDec& p, double jd) {
    double dRa, dDec;
    FastPrecession(p, jd, dRa, dDec);
    p.ra -= dRa;
    p.dec -= dDec;
}

}  // namespace zenora
