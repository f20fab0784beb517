// SGP4 (near-earth) and SDP4 (deep-space) propagation with the corrections
// of the 2006 revision of Spacetrack Report No. 3. Output is TEME, km, km/s.
#include <bit>
#include <cmath>
#include <cstddef>
#include <cstring>
#include "Model.h"
#include "Satellite.h"

namespace sgp {
namespace {

constexpr double kX2o3 = 2.0 / 3.0;
constexpr double kTemp4 = 1.5e-12;
// Beyond ~190 years the resonance integrator would take too long and the
// model means nothing anyway.
constexpr double kMaxMinutes = 1.0e8;

// x modulo 2 pi as std::fmod gives it (to the last bit but where x lies
// within rounding of a multiple), several times cheaper: the quotient by a
// multiplication may be one off either way, and one period puts it right.
inline double fmod2pi(double x) {
    constexpr double kInvTwoPi = 1.0 / kTwoPi;
    if (!(std::fabs(x) < 1.0e12)) return std::fmod(x, kTwoPi);
    const double q = std::trunc(x * kInvTwoPi);
    double r = std::fma(-q, kTwoPi, x);
    if (x >= 0.0) {
        if (r < 0.0) r += kTwoPi;
        else if (r >= kTwoPi) r -= kTwoPi;
    } else if (r > 0.0) {
        r -= kTwoPi;
    } else if (r <= -kTwoPi) {
        r += kTwoPi;
    }
    return r == 0.0 ? std::copysign(0.0, x) : r;
}

// Lunar and solar constants.
constexpr double kZns = 1.19459e-5, kZes = 0.01675;
constexpr double kZnl = 1.5835218e-4, kZel = 0.05490;
constexpr double kRptim = 4.37526908801129966e-3;  // earth rotation, rad/min

double greenwichSidereal(double jdut1) {
    const double tut1 = (jdut1 - 2451545.0) / 36525.0;
    double s = -6.2e-6 * tut1 * tut1 * tut1 + 0.093104 * tut1 * tut1 +
               (876600.0 * 3600.0 + 8640184.812866) * tut1 + 67310.54841;
    s = std::fmod(s * kDeg / 240.0, kTwoPi);
    if (s < 0.0) s += kTwoPi;
    return s;
}

// Lunar-solar terms shared by the deep-space initialisation.
struct Common {
    double snodm, cnodm, sinim, cosim, sinomm, cosomm, day, emsq, gam, rtemsq, nm, em;
    double s1, s2, s3, s4, s5, s6, s7, ss1, ss2, ss3, ss4, ss5, ss6, ss7;
    double sz1, sz2, sz3, sz11, sz12, sz13, sz21, sz22, sz23, sz31, sz32, sz33;
    double z1, z2, z3, z11, z12, z13, z21, z22, z23, z31, z32, z33;
};

void deepCommon(double epoch, double ep, double argpp, double inclp, double nodep, double np,
                Common& c, DeepCoef& d) {
    constexpr double c1ss = 2.9864797e-6, c1l = 4.7968065e-7;
    constexpr double zsinis = 0.39785416, zcosis = 0.91744867;
    constexpr double zcosgs = 0.1945905, zsings = -0.98088458;

    c.nm = np;
    c.em = ep;
    c.snodm = std::sin(nodep);
    c.cnodm = std::cos(nodep);
    c.sinomm = std::sin(argpp);
    c.cosomm = std::cos(argpp);
    c.sinim = std::sin(inclp);
    c.cosim = std::cos(inclp);
    c.emsq = c.em * c.em;
    const double betasq = 1.0 - c.emsq;
    c.rtemsq = std::sqrt(betasq);

    // Lunar orbit geometry at epoch.
    c.day = epoch + 18261.5;
    const double xnodce = std::fmod(4.5236020 - 9.2422029e-4 * c.day, kTwoPi);
    const double stem = std::sin(xnodce), ctem = std::cos(xnodce);
    const double zcosil = 0.91375164 - 0.03568096 * ctem;
    const double zsinil = std::sqrt(1.0 - zcosil * zcosil);
    const double zsinhl = 0.089683511 * stem / zsinil;
    const double zcoshl = std::sqrt(1.0 - zsinhl * zsinhl);
    c.gam = 5.8351514 + 0.0019443680 * c.day;
    double zx = 0.39785416 * stem / zsinil;
    const double zy = zcoshl * ctem + 0.91744867 * zsinhl * stem;
    zx = std::atan2(zx, zy);
    zx = c.gam + zx - xnodce;
    const double zcosgl = std::cos(zx), zsingl = std::sin(zx);

    // First pass: Sun; second pass: Moon.
    double zcosg = zcosgs, zsing = zsings, zcosi = zcosis, zsini = zsinis;
    double zcosh = c.cnodm, zsinh = c.snodm, cc = c1ss;
    const double xnoi = 1.0 / c.nm;
    for (int body = 0; body < 2; ++body) {
        const double a1 = zcosg * zcosh + zsing * zcosi * zsinh;
        const double a3 = -zsing * zcosh + zcosg * zcosi * zsinh;
        const double a7 = -zcosg * zsinh + zsing * zcosi * zcosh;
        const double a8 = zsing * zsini;
        const double a9 = zsing * zsinh + zcosg * zcosi * zcosh;
        const double a10 = zcosg * zsini;
        const double a2 = c.cosim * a7 + c.sinim * a8;
        const double a4 = c.cosim * a9 + c.sinim * a10;
        const double a5 = -c.sinim * a7 + c.cosim * a8;
        const double a6 = -c.sinim * a9 + c.cosim * a10;

        const double x1 = a1 * c.cosomm + a2 * c.sinomm;
        const double x2 = a3 * c.cosomm + a4 * c.sinomm;
        const double x3 = -a1 * c.sinomm + a2 * c.cosomm;
        const double x4 = -a3 * c.sinomm + a4 * c.cosomm;
        const double x5 = a5 * c.sinomm;
        const double x6 = a6 * c.sinomm;
        const double x7 = a5 * c.cosomm;
        const double x8 = a6 * c.cosomm;

        c.z31 = 12.0 * x1 * x1 - 3.0 * x3 * x3;
        c.z32 = 24.0 * x1 * x2 - 6.0 * x3 * x4;
        c.z33 = 12.0 * x2 * x2 - 3.0 * x4 * x4;
        c.z1 = 3.0 * (a1 * a1 + a2 * a2) + c.z31 * c.emsq;
        c.z2 = 6.0 * (a1 * a3 + a2 * a4) + c.z32 * c.emsq;
        c.z3 = 3.0 * (a3 * a3 + a4 * a4) + c.z33 * c.emsq;
        c.z11 = -6.0 * a1 * a5 + c.emsq * (-24.0 * x1 * x7 - 6.0 * x3 * x5);
        c.z12 = -6.0 * (a1 * a6 + a3 * a5) +
                c.emsq * (-24.0 * (x2 * x7 + x1 * x8) - 6.0 * (x3 * x6 + x4 * x5));
        c.z13 = -6.0 * a3 * a6 + c.emsq * (-24.0 * x2 * x8 - 6.0 * x4 * x6);
        c.z21 = 6.0 * a2 * a5 + c.emsq * (24.0 * x1 * x5 - 6.0 * x3 * x7);
        c.z22 = 6.0 * (a4 * a5 + a2 * a6) +
                c.emsq * (24.0 * (x2 * x5 + x1 * x6) - 6.0 * (x4 * x7 + x3 * x8));
        c.z23 = 6.0 * a4 * a6 + c.emsq * (24.0 * x2 * x6 - 6.0 * x4 * x8);
        c.z1 = c.z1 + c.z1 + betasq * c.z31;
        c.z2 = c.z2 + c.z2 + betasq * c.z32;
        c.z3 = c.z3 + c.z3 + betasq * c.z33;
        c.s3 = cc * xnoi;
        c.s2 = -0.5 * c.s3 / c.rtemsq;
        c.s4 = c.s3 * c.rtemsq;
        c.s1 = -15.0 * c.em * c.s4;
        c.s5 = x1 * x3 + x2 * x4;
        c.s6 = x2 * x3 + x1 * x4;
        c.s7 = x2 * x4 - x1 * x3;

        if (body == 0) {
            c.ss1 = c.s1; c.ss2 = c.s2; c.ss3 = c.s3; c.ss4 = c.s4;
            c.ss5 = c.s5; c.ss6 = c.s6; c.ss7 = c.s7;
            c.sz1 = c.z1; c.sz2 = c.z2; c.sz3 = c.z3;
            c.sz11 = c.z11; c.sz12 = c.z12; c.sz13 = c.z13;
            c.sz21 = c.z21; c.sz22 = c.z22; c.sz23 = c.z23;
            c.sz31 = c.z31; c.sz32 = c.z32; c.sz33 = c.z33;
            zcosg = zcosgl;
            zsing = zsingl;
            zcosi = zcosil;
            zsini = zsinil;
            zcosh = zcoshl * c.cnodm + zsinhl * c.snodm;
            zsinh = c.snodm * zcoshl - c.cnodm * zsinhl;
            cc = c1l;
        }
    }

    d.zmol = std::fmod(4.7199672 + 0.22997150 * c.day - c.gam, kTwoPi);
    d.zmos = std::fmod(6.2565837 + 0.017201977 * c.day, kTwoPi);

    // Solar periodic coefficients.
    d.se2 = 2.0 * c.ss1 * c.ss6;
    d.se3 = 2.0 * c.ss1 * c.ss7;
    d.si2 = 2.0 * c.ss2 * c.sz12;
    d.si3 = 2.0 * c.ss2 * (c.sz13 - c.sz11);
    d.sl2 = -2.0 * c.ss3 * c.sz2;
    d.sl3 = -2.0 * c.ss3 * (c.sz3 - c.sz1);
    d.sl4 = -2.0 * c.ss3 * (-21.0 - 9.0 * c.emsq) * kZes;
    d.sgh2 = 2.0 * c.ss4 * c.sz32;
    d.sgh3 = 2.0 * c.ss4 * (c.sz33 - c.sz31);
    d.sgh4 = -18.0 * c.ss4 * kZes;
    d.sh2 = -2.0 * c.ss2 * c.sz22;
    d.sh3 = -2.0 * c.ss2 * (c.sz23 - c.sz21);
    // Lunar periodic coefficients.
    d.ee2 = 2.0 * c.s1 * c.s6;
    d.e3 = 2.0 * c.s1 * c.s7;
    d.xi2 = 2.0 * c.s2 * c.z12;
    d.xi3 = 2.0 * c.s2 * (c.z13 - c.z11);
    d.xl2 = -2.0 * c.s3 * c.z2;
    d.xl3 = -2.0 * c.s3 * (c.z3 - c.z1);
    d.xl4 = -2.0 * c.s3 * (-21.0 - 9.0 * c.emsq) * kZel;
    d.xgh2 = 2.0 * c.s4 * c.z32;
    d.xgh3 = 2.0 * c.s4 * (c.z33 - c.z31);
    d.xgh4 = -18.0 * c.s4 * kZel;
    d.xh2 = -2.0 * c.s2 * c.z22;
    d.xh3 = -2.0 * c.s2 * (c.z23 - c.z21);
}

// Secular lunar-solar rates and the resonance set-up.
void deepInit(const NearCoef& n, const Common& c, double eccsq, DeepCoef& d) {
    constexpr double q22 = 1.7891679e-6, q31 = 2.1460748e-6, q33 = 2.2123015e-7;
    constexpr double root22 = 1.7891679e-6, root44 = 7.3636953e-9, root54 = 2.1765803e-9;
    constexpr double root32 = 3.7393792e-7, root52 = 1.1428639e-7;

    const double nm = c.nm, em = c.em, emsq = c.emsq, inclm = n.inclo;
    int irez = 0;
    if (nm < 0.0052359877 && nm > 0.0034906585) irez = 1;
    if (nm >= 8.26e-3 && nm <= 9.24e-3 && em >= 0.5) irez = 2;

    // Near-equatorial orbits have no meaningful node rate from these terms.
    const bool flat = inclm < 5.2359877e-2 || inclm > kPi - 5.2359877e-2;
    const double ses = c.ss1 * kZns * c.ss5;
    const double sis = c.ss2 * kZns * (c.sz11 + c.sz13);
    const double sls = -kZns * c.ss3 * (c.sz1 + c.sz3 - 14.0 - 6.0 * emsq);
    const double sghs = c.ss4 * kZns * (c.sz31 + c.sz33 - 6.0);
    double shs = flat ? 0.0 : -kZns * c.ss2 * (c.sz21 + c.sz23);
    if (c.sinim != 0.0) shs = shs / c.sinim;
    const double sgs = sghs - c.cosim * shs;

    d.dedt = ses + c.s1 * kZnl * c.s5;
    d.didt = sis + c.s2 * kZnl * (c.z11 + c.z13);
    d.dmdt = sls - kZnl * c.s3 * (c.z1 + c.z3 - 14.0 - 6.0 * emsq);
    const double sghl = c.s4 * kZnl * (c.z31 + c.z33 - 6.0);
    const double shll = flat ? 0.0 : -kZnl * c.s2 * (c.z21 + c.z23);
    d.domdt = sgs + sghl;
    d.dnodt = shs;
    if (c.sinim != 0.0) {
        d.domdt = d.domdt - c.cosim / c.sinim * shll;
        d.dnodt = d.dnodt + shll / c.sinim;
    }

    d.irez = irez;
    d.d2201 = d.d2211 = d.d3210 = d.d3222 = d.d4410 = d.d4422 = 0.0;
    d.d5220 = d.d5232 = d.d5421 = d.d5433 = 0.0;
    d.del1 = d.del2 = d.del3 = d.xfact = d.xlamo = 0.0;
    if (irez == 0) return;

    const double theta = std::fmod(d.gsto, kTwoPi);
    const double aonv = std::pow(nm / kXke, kX2o3);
    const double sinim = c.sinim, cosim = c.cosim;
    if (irez == 2) {
        // Half-day resonance: eccentricity functions at epoch.
        const double cosisq = cosim * cosim;
        const double e = n.ecco, e2 = eccsq, eoc = e * e2;
        const double g201 = -0.306 - (e - 0.64) * 0.440;
        double g211, g310, g322, g410, g422, g520, g521, g532, g533;
        if (e <= 0.65) {
            g211 = 3.616 - 13.2470 * e + 16.2900 * e2;
            g310 = -19.302 + 117.3900 * e - 228.4190 * e2 + 156.5910 * eoc;
            g322 = -18.9068 + 109.7927 * e - 214.6334 * e2 + 146.5816 * eoc;
            g410 = -41.122 + 242.6940 * e - 471.0940 * e2 + 313.9530 * eoc;
            g422 = -146.407 + 841.8800 * e - 1629.014 * e2 + 1083.4350 * eoc;
            g520 = -532.114 + 3017.977 * e - 5740.032 * e2 + 3708.2760 * eoc;
        } else {
            g211 = -72.099 + 331.819 * e - 508.738 * e2 + 266.724 * eoc;
            g310 = -346.844 + 1582.851 * e - 2415.925 * e2 + 1246.113 * eoc;
            g322 = -342.585 + 1554.908 * e - 2366.899 * e2 + 1215.972 * eoc;
            g410 = -1052.797 + 4758.686 * e - 7193.992 * e2 + 3651.957 * eoc;
            g422 = -3581.690 + 16178.110 * e - 24462.770 * e2 + 12422.520 * eoc;
            if (e > 0.715)
                g520 = -5149.66 + 29936.92 * e - 54087.36 * e2 + 31324.56 * eoc;
            else
                g520 = 1464.74 - 4664.75 * e + 3763.64 * e2;
        }
        if (e < 0.7) {
            g533 = -919.22770 + 4988.6100 * e - 9064.7700 * e2 + 5542.21 * eoc;
            g521 = -822.71072 + 4568.6173 * e - 8491.4146 * e2 + 5337.524 * eoc;
            g532 = -853.66600 + 4690.2500 * e - 8624.7700 * e2 + 5341.4 * eoc;
        } else {
            g533 = -37995.780 + 161616.52 * e - 229838.20 * e2 + 109377.94 * eoc;
            g521 = -51752.104 + 218913.95 * e - 309468.16 * e2 + 146349.42 * eoc;
            g532 = -40023.880 + 170470.89 * e - 242699.48 * e2 + 115605.82 * eoc;
        }
        const double sini2 = sinim * sinim;
        const double f220 = 0.75 * (1.0 + 2.0 * cosim + cosisq);
        const double f221 = 1.5 * sini2;
        const double f321 = 1.875 * sinim * (1.0 - 2.0 * cosim - 3.0 * cosisq);
        const double f322 = -1.875 * sinim * (1.0 + 2.0 * cosim - 3.0 * cosisq);
        const double f441 = 35.0 * sini2 * f220;
        const double f442 = 39.3750 * sini2 * sini2;
        const double f522 = 9.84375 * sinim *
                            (sini2 * (1.0 - 2.0 * cosim - 5.0 * cosisq) +
                             0.33333333 * (-2.0 + 4.0 * cosim + 6.0 * cosisq));
        const double f523 = sinim * (4.92187512 * sini2 * (-2.0 - 4.0 * cosim + 10.0 * cosisq) +
                                     6.56250012 * (1.0 + 2.0 * cosim - 3.0 * cosisq));
        const double f542 = 29.53125 * sinim *
                            (2.0 - 8.0 * cosim + cosisq * (-12.0 + 8.0 * cosim + 10.0 * cosisq));
        const double f543 = 29.53125 * sinim *
                            (-2.0 - 8.0 * cosim + cosisq * (12.0 + 8.0 * cosim - 10.0 * cosisq));
        const double xno2 = nm * nm;
        const double ainv2 = aonv * aonv;
        double temp1 = 3.0 * xno2 * ainv2;
        double temp = temp1 * root22;
        d.d2201 = temp * f220 * g201;
        d.d2211 = temp * f221 * g211;
        temp1 = temp1 * aonv;
        temp = temp1 * root32;
        d.d3210 = temp * f321 * g310;
        d.d3222 = temp * f322 * g322;
        temp1 = temp1 * aonv;
        temp = 2.0 * temp1 * root44;
        d.d4410 = temp * f441 * g410;
        d.d4422 = temp * f442 * g422;
        temp1 = temp1 * aonv;
        temp = temp1 * root52;
        d.d5220 = temp * f522 * g520;
        d.d5232 = temp * f523 * g532;
        temp = 2.0 * temp1 * root54;
        d.d5421 = temp * f542 * g521;
        d.d5433 = temp * f543 * g533;
        d.xlamo = std::fmod(n.mo + n.nodeo + n.nodeo - theta - theta, kTwoPi);
        d.xfact = n.mdot + d.dmdt + 2.0 * (n.nodedot + d.dnodt - kRptim) - n.no;
    } else {
        // One-day (geosynchronous) resonance.
        const double g200 = 1.0 + emsq * (-2.5 + 0.8125 * emsq);
        const double g310 = 1.0 + 2.0 * emsq;
        const double g300 = 1.0 + emsq * (-6.0 + 6.60937 * emsq);
        const double f220 = 0.75 * (1.0 + cosim) * (1.0 + cosim);
        const double f311 = 0.9375 * sinim * sinim * (1.0 + 3.0 * cosim) - 0.75 * (1.0 + cosim);
        double f330 = 1.0 + cosim;
        f330 = 1.875 * f330 * f330 * f330;
        double del1 = 3.0 * nm * nm * aonv * aonv;
        d.del2 = 2.0 * del1 * f220 * g200 * q22;
        d.del3 = 3.0 * del1 * f330 * g300 * q33 * aonv;
        d.del1 = del1 * f311 * g310 * q31 * aonv;
        d.xlamo = std::fmod(n.mo + n.nodeo + n.argpo - theta, kTwoPi);
        const double xpidot = n.argpdot + n.nodedot;
        d.xfact = n.mdot + xpidot - kRptim + d.dmdt + d.domdt + d.dnodt - n.no;
    }
}

// Sine and cosine together, for the angles of a propagation (well within
// 1e5 rad): the angle less the nearest multiple of pi/2, in two parts so the
// first product is exact, then Taylor series to the 17th and 18th powers
// on |r| <= pi/4 (truncation below 1e-19). Within an ulp or two of the
// library, at half its cost or less; plain arithmetic, so every build
// gives the same bits. Other angles go to the library.
inline void sinCos(double x, double& s, double& c) {
    if (!(std::fabs(x) < 1.0e5)) {
        s = std::sin(x);
        c = std::cos(x);
        return;
    }
    constexpr double kHalfPi = kPi / 2;
    // pi/2 to 33 bits (n * kP1 is exact for |n| < 2^20), and the rest.
    constexpr double kP1 = std::bit_cast<double>(std::bit_cast<uint64_t>(kHalfPi) & ~uint64_t{0xFFFFF});
    constexpr double kP1Tail = (kHalfPi - kP1) + 6.123233995736766e-17;
    constexpr double kRound = 6755399441055744.0;  // 1.5 * 2^52: adding it rounds to a whole number
    const double q = (x * (2.0 / kPi) + kRound) - kRound;
    const double r = (x - q * kP1) - q * kP1Tail;
    const double r2 = r * r;
    double ps = 1.0 / 355687428096000.0;  // 1/17!
    ps = r2 * ps - 1.0 / 1307674368000.0;
    ps = r2 * ps + 1.0 / 6227020800.0;
    ps = r2 * ps - 1.0 / 39916800.0;
    ps = r2 * ps + 1.0 / 362880.0;
    ps = r2 * ps - 1.0 / 5040.0;
    ps = r2 * ps + 1.0 / 120.0;
    ps = r2 * ps - 1.0 / 6.0;
    const double sr = r + r * r2 * ps;
    double pc = 1.0 / 6402373705728000.0;  // 1/18!
    pc = r2 * pc - 1.0 / 20922789888000.0;
    pc = r2 * pc + 1.0 / 87178291200.0;
    pc = r2 * pc - 1.0 / 479001600.0;
    pc = r2 * pc + 1.0 / 3628800.0;
    pc = r2 * pc - 1.0 / 40320.0;
    pc = r2 * pc + 1.0 / 720.0;
    pc = r2 * pc - 1.0 / 24.0;
    pc = r2 * pc + 0.5;
    const double cr = 1.0 - r2 * pc;
    switch (static_cast<int64_t>(q) & 3) {
        case 0: s = sr; c = cr; break;
        case 1: s = cr; c = -sr; break;
        case 2: s = -sr; c = -cr; break;
        default: s = -cr; c = sr; break;
    }
}

// A rotation by an angle, kept as its sine and cosine.
struct Rot {
    double s, c;
    static Rot of(double a) {
        Rot r;
        sinCos(a, r.s, r.c);
        return r;
    }
    // Series for |a| <= 0.25, within 1e-21 of the true values: far cheaper
    // than a library call when an angle is a known one plus a small turn.
    static Rot small(double a) {
        const double a2 = a * a;
        if (a2 < 4.0e-6) {
            // Below 2e-3 rad the terms from a^7 and a^8 on are under 1e-22.
            const double s = a + a * a2 * (-1.0 / 6 + a2 * (1.0 / 120));
            const double c = 1.0 + a2 * (-0.5 + a2 * (1.0 / 24 - a2 * (1.0 / 720)));
            return {s, c};
        }
        double s = 1.0 / 6227020800;  // 1/13!
        s = a2 * s - 1.0 / 39916800;
        s = a2 * s + 1.0 / 362880;
        s = a2 * s - 1.0 / 5040;
        s = a2 * s + 1.0 / 120;
        s = a2 * s - 1.0 / 6;
        s = a + a * a2 * s;
        double c = -1.0 / 87178291200;  // -1/14!
        c = a2 * c + 1.0 / 479001600;
        c = a2 * c - 1.0 / 3628800;
        c = a2 * c + 1.0 / 40320;
        c = a2 * c - 1.0 / 720;
        c = a2 * c + 1.0 / 24;
        c = a2 * c - 0.5;
        c = 1.0 + a2 * c;
        return {s, c};
    }
    Rot operator*(Rot b) const { return {s * b.c + c * b.s, c * b.c - s * b.s}; }
    Rot conj() const { return {-s, c}; }
};

uint64_t integratorCheck(const Integrator& g, uint64_t blockHash) {
    return mixHash(reinterpret_cast<const unsigned char*>(&g), offsetof(Integrator, check), blockHash);
}

// Lunar-solar periodics applied to the mean elements.
void deepPeriodics(const DeepCoef& d, double t, double& ep, double& inclp, double& nodep,
                   double& argpp, double& mp, double& sinip, double& cosip) {
    // zf is zm turned by at most 0.11 rad: one sin/cos pair per body.
    Rot z = Rot::of(d.zmos + kZns * t);
    z = z * Rot::small(2.0 * kZes * z.s);
    double sinzf = z.s;
    double f2 = 0.5 * sinzf * sinzf - 0.25;
    double f3 = -0.5 * sinzf * z.c;
    const double ses = d.se2 * f2 + d.se3 * f3;
    const double sis = d.si2 * f2 + d.si3 * f3;
    const double sls = d.sl2 * f2 + d.sl3 * f3 + d.sl4 * sinzf;
    const double sghs = d.sgh2 * f2 + d.sgh3 * f3 + d.sgh4 * sinzf;
    const double shs = d.sh2 * f2 + d.sh3 * f3;

    z = Rot::of(d.zmol + kZnl * t);
    z = z * Rot::small(2.0 * kZel * z.s);
    sinzf = z.s;
    f2 = 0.5 * sinzf * sinzf - 0.25;
    f3 = -0.5 * sinzf * z.c;
    const double sel = d.ee2 * f2 + d.e3 * f3;
    const double sil = d.xi2 * f2 + d.xi3 * f3;
    const double sll = d.xl2 * f2 + d.xl3 * f3 + d.xl4 * sinzf;
    const double sghl = d.xgh2 * f2 + d.xgh3 * f3 + d.xgh4 * sinzf;
    const double shll = d.xh2 * f2 + d.xh3 * f3;

    const double pe = ses + sel;
    const double pinc = sis + sil;
    const double pl = sls + sll;
    double pgh = sghs + sghl;
    double ph = shs + shll;

    inclp = inclp + pinc;
    ep = ep + pe;
    sinCos(inclp, sinip, cosip);
    if (inclp >= 0.2) {
        ph = ph / sinip;
        pgh = pgh - cosip * ph;
        argpp = argpp + pgh;
        nodep = nodep + ph;
        mp = mp + pl;
    } else {
        // Low inclination: perturb the node through its direction cosines so
        // the division by sin(i) is avoided (Lyddane).
        double sinop, cosop;
        sinCos(nodep, sinop, cosop);
        double alfdp = sinip * sinop;
        double betdp = sinip * cosop;
        const double dalf = ph * cosop + pinc * cosip * sinop;
        const double dbet = -ph * sinop + pinc * cosip * cosop;
        alfdp = alfdp + dalf;
        betdp = betdp + dbet;
        nodep = fmod2pi(nodep);
        double xls = mp + argpp + cosip * nodep;
        const double dls = pl + pgh - pinc * nodep * sinip;
        xls = xls + dls;
        const double xnoh = nodep;
        nodep = std::atan2(alfdp, betdp);
        // Keep the node on the same branch as before the perturbation.
        if (std::fabs(xnoh - nodep) > kPi) {
            if (nodep < xnoh)
                nodep = nodep + kTwoPi;
            else
                nodep = nodep - kTwoPi;
        }
        mp = mp + pl;
        argpp = xls - mp - cosip * nodep;
    }
}

// Secular lunar-solar drift and the resonance integration (720-minute steps).
void deepSecular(const NearCoef& n, const DeepCoef& d, Integrator& g, double t, double& em,
                 double& argpm, double& inclm, double& mm, double& nodem, double& nm) {
    constexpr double fasx2 = 0.13130908, fasx4 = 2.8843198, fasx6 = 0.37448087;
    constexpr double g22 = 5.7686396, g32 = 0.95240898, g44 = 1.8014998;
    constexpr double g52 = 1.0508330, g54 = 4.4108898;
    constexpr double stepp = 720.0, stepn = -720.0, step2 = 259200.0;

    em = em + d.dedt * t;
    inclm = inclm + d.didt * t;
    argpm = argpm + d.domdt * t;
    nodem = nodem + d.dnodt * t;
    mm = mm + d.dmdt * t;

    if (d.irez == 0.0) return;
    const double theta = fmod2pi(d.gsto + t * kRptim);
    // Restart from epoch unless the saved position lies between epoch and t.
    if (g.atime == 0.0 || t * g.atime <= 0.0 || std::fabs(t) < std::fabs(g.atime)) {
        // Rates kept at epoch stay good.
        if (g.atime != 0.0) g.rates = 0.0;
        g.atime = 0.0;
        g.xni = n.no;
        g.xli = d.xlamo;
    }
    const double delt = t > 0.0 ? stepp : stepn;
    const bool half = d.irez == 2.0;
    double ft = 0.0;
    // All resonance arguments are sums of multiples of the two angles and
    // fixed phases: two sin/cos evaluations and angle addition give them all.
    static const Rot p2 = Rot::of(-fasx2), p4 = Rot::of(-2.0 * fasx4), p6 = Rot::of(-3.0 * fasx6);
    static const Rot q22 = Rot::of(-g22), q32 = Rot::of(-g32), q44 = Rot::of(-g44);
    static const Rot q52 = Rot::of(-g52), q54 = Rot::of(-g54);
    for (;;) {
        if (g.rates == 1.0) {
            if (std::fabs(t - g.atime) < stepp) {
                ft = t - g.atime;
                break;
            }
            g.xli = g.xli + g.xldot * delt + g.xndt * step2;
            g.xni = g.xni + g.xndt * delt + g.xnddt * step2;
            g.atime = g.atime + delt;
            g.rates = 0.0;
        }
        double xndt, xnddt;
        const Rot l = Rot::of(g.xli);
        const Rot l2 = l * l;
        const double xldot = g.xni + d.xfact;
        if (!half) {
            const Rot a1 = l * p2, a2 = l2 * p4, a3 = l2 * l * p6;
            xndt = d.del1 * a1.s + d.del2 * a2.s + d.del3 * a3.s;
            xnddt = d.del1 * a1.c + 2.0 * d.del2 * a2.c + 3.0 * d.del3 * a3.c;
            xnddt = xnddt * xldot;
        } else {
            const Rot o = Rot::of(n.argpo + n.argpdot * g.atime);
            const Rot o2 = o * o, ob = o.conj();
            const Rot b1 = o2 * l * q22, b2 = l * q22, b3 = o * l * q32, b4 = ob * l * q32;
            const Rot b5 = o2 * l2 * q44, b6 = l2 * q44, b7 = o * l * q52, b8 = ob * l * q52;
            const Rot b9 = o * l2 * q54, b10 = ob * l2 * q54;
            xndt = d.d2201 * b1.s + d.d2211 * b2.s + d.d3210 * b3.s + d.d3222 * b4.s + d.d4410 * b5.s +
                   d.d4422 * b6.s + d.d5220 * b7.s + d.d5232 * b8.s + d.d5421 * b9.s + d.d5433 * b10.s;
            xnddt = d.d2201 * b1.c + d.d2211 * b2.c + d.d3210 * b3.c + d.d3222 * b4.c + d.d5220 * b7.c +
                    d.d5232 * b8.c +
                    2.0 * (d.d4410 * b5.c + d.d4422 * b6.c + d.d5421 * b9.c + d.d5433 * b10.c);
            xnddt = xnddt * xldot;
        }
        g.xldot = xldot;
        g.xndt = xndt;
        g.xnddt = xnddt;
        g.rates = 1.0;
    }
    nm = g.xni + g.xndt * ft + g.xnddt * ft * ft * 0.5;
    const double xl = g.xli + g.xldot * ft + g.xndt * ft * ft * 0.5;
    if (!half)
        mm = xl - nodem - argpm + theta;
    else
        mm = xl - 2.0 * nodem + 2.0 * theta;
    nm = n.no + (nm - n.no);
}

bool finite3(const double* v) { return std::isfinite(v[0]) && std::isfinite(v[1]) && std::isfinite(v[2]); }

}  // namespace

bool initModel(TSatRec* sat, bool deep) {
    if (sat == nullptr) return false;
    unsigned char* b = bytes(sat);
    // Any earlier initialisation is void from here on.
    std::memset(b + kTagOff, 0, 1072 - kTagOff);

    Priv0 p;
    std::memcpy(&p, sat->priv0, sizeof p);
    const double ecco = sat->ecc, inclo = sat->inclination;
    if (!std::isfinite(p.epoch50) || !std::isfinite(p.bstar) || !std::isfinite(p.noKozai) ||
        !std::isfinite(ecco) || !std::isfinite(inclo) || !std::isfinite(sat->argPerigee) ||
        !std::isfinite(sat->meanAnomaly) || !std::isfinite(sat->node))
        return false;
    if (!(p.noKozai > 0.0) || !(ecco >= 0.0 && ecco < 1.0) || !(inclo >= 0.0 && inclo <= kPi) ||
        std::fabs(p.epoch50) > 1.0e6 || std::fabs(p.bstar) > 1.0e3)
        return false;

    NearCoef n{};
    DeepCoef d{};
    n.ecco = ecco;
    n.inclo = inclo;
    n.argpo = sat->argPerigee;
    n.mo = sat->meanAnomaly;
    n.nodeo = sat->node;
    n.bstar = p.bstar;

    // Recover the original mean motion and semi-major axis.
    const double eccsq = ecco * ecco;
    const double omeosq = 1.0 - eccsq;
    const double rteosq = std::sqrt(omeosq);
    const double cosio = std::cos(inclo);
    const double cosio2 = cosio * cosio;
    double ao;
    recoverMeanMotion(p.noKozai, ecco, inclo, &n.no, &ao);
    if (!(n.no > 0.0) || !std::isfinite(ao)) return false;
    const double sinio = std::sin(inclo);
    const double po = ao * omeosq;
    const double con42 = 1.0 - 5.0 * cosio2;
    n.con41 = -con42 - cosio2 - cosio2;
    const double posq = po * po;
    const double rp = ao * (1.0 - ecco);

    // Atmosphere parameters, lowered for low perigees.
    n.isimp = rp < (220.0 / kRe + 1.0) ? 1.0 : 0.0;
    double sfour = 78.0 / kRe + 1.0;
    double qzms24;
    {
        const double q = (120.0 - 78.0) / kRe;
        qzms24 = q * q * q * q;
    }
    const double perige = (rp - 1.0) * kRe;
    if (perige < 156.0) {
        sfour = perige - 78.0;
        if (perige < 98.0) sfour = 20.0;
        const double q = (120.0 - sfour) / kRe;
        qzms24 = q * q * q * q;
        sfour = sfour / kRe + 1.0;
    }
    const double pinvsq = 1.0 / posq;
    const double tsi = 1.0 / (ao - sfour);
    n.eta = ao * ecco * tsi;
    const double etasq = n.eta * n.eta;
    const double eeta = ecco * n.eta;
    const double psisq = std::fabs(1.0 - etasq);
    const double coef = qzms24 * std::pow(tsi, 4.0);
    const double coef1 = coef / std::pow(psisq, 3.5);
    const double cc2 = coef1 * n.no *
                       (ao * (1.0 + 1.5 * etasq + eeta * (4.0 + etasq)) +
                        0.375 * kJ2 * tsi / psisq * n.con41 * (8.0 + 3.0 * etasq * (8.0 + etasq)));
    n.cc1 = n.bstar * cc2;
    double cc3 = 0.0;
    if (ecco > 1.0e-4) cc3 = -2.0 * coef * tsi * kJ3oJ2 * n.no * sinio / ecco;
    n.x1mth2 = 1.0 - cosio2;
    n.cc4 = 2.0 * n.no * coef1 * ao * omeosq *
            (n.eta * (2.0 + 0.5 * etasq) + ecco * (0.5 + 2.0 * etasq) -
             kJ2 * tsi / (ao * psisq) *
                 (-3.0 * n.con41 * (1.0 - 2.0 * eeta + etasq * (1.5 - 0.5 * eeta)) +
                  0.75 * n.x1mth2 * (2.0 * etasq - eeta * (1.0 + etasq)) * std::cos(2.0 * n.argpo)));
    n.cc5 = 2.0 * coef1 * ao * omeosq * (1.0 + 2.75 * (etasq + eeta) + eeta * etasq);
    const double cosio4 = cosio2 * cosio2;
    const double temp1 = 1.5 * kJ2 * pinvsq * n.no;
    const double temp2 = 0.5 * temp1 * kJ2 * pinvsq;
    const double temp3 = -0.46875 * kJ4 * pinvsq * pinvsq * n.no;
    n.mdot = n.no + 0.5 * temp1 * rteosq * n.con41 +
             0.0625 * temp2 * rteosq * (13.0 - 78.0 * cosio2 + 137.0 * cosio4);
    n.argpdot = -0.5 * temp1 * con42 + 0.0625 * temp2 * (7.0 - 114.0 * cosio2 + 395.0 * cosio4) +
                temp3 * (3.0 - 36.0 * cosio2 + 49.0 * cosio4);
    const double xhdot1 = -temp1 * cosio;
    n.nodedot = xhdot1 + (0.5 * temp2 * (4.0 - 19.0 * cosio2) + 2.0 * temp3 * (3.0 - 7.0 * cosio2)) * cosio;
    n.omgcof = n.bstar * cc3 * std::cos(n.argpo);
    n.xmcof = 0.0;
    if (ecco > 1.0e-4) n.xmcof = -kX2o3 * coef * n.bstar / eeta;
    n.nodecf = 3.5 * omeosq * xhdot1 * n.cc1;
    n.t2cof = 1.5 * n.cc1;
    // Guard the division for retrograde equatorial orbits.
    const double den = std::fabs(cosio + 1.0) > kTemp4 ? 1.0 + cosio : kTemp4;
    n.xlcof = -0.25 * kJ3oJ2 * sinio * (3.0 + 5.0 * cosio) / den;
    n.aycof = -0.5 * kJ3oJ2 * sinio;
    const double dm = 1.0 + n.eta * std::cos(n.mo);
    n.delmo = dm * dm * dm;
    n.sinmao = std::sin(n.mo);
    n.x7thm1 = 7.0 * cosio2 - 1.0;
    n.sinio = sinio;
    n.cosio = cosio;
    {
        const double xn = kXke / n.no;
        n.amCbrt = std::cbrt(xn * xn);
    }

    if (deep) {
        n.isimp = 1.0;
        d.gsto = greenwichSidereal(p.epoch50 + 2433281.5);
        Common c{};
        deepCommon(p.epoch50, ecco, n.argpo, inclo, n.nodeo, n.no, c, d);
        deepInit(n, c, eccsq, d);
    }
    if (n.isimp != 1.0) {
        const double cc1sq = n.cc1 * n.cc1;
        n.d2 = 4.0 * ao * tsi * cc1sq;
        const double temp = n.d2 * tsi * n.cc1 / 3.0;
        n.d3 = (17.0 * ao + sfour) * temp;
        n.d4 = 0.5 * temp * ao * tsi * (221.0 * ao + 31.0 * sfour) * n.cc1;
        n.t3cof = n.d2 + 2.0 * cc1sq;
        n.t4cof = 0.25 * (3.0 * n.d3 + n.cc1 * (12.0 * n.d2 + 10.0 * cc1sq));
        n.t5cof = 0.2 * (3.0 * n.d4 + 12.0 * n.cc1 * n.d3 + 6.0 * n.d2 * n.d2 +
                         15.0 * cc1sq * (2.0 * n.d2 + cc1sq));
    }

    // Every constant must be a number, or the block is useless.
    const double* nv = reinterpret_cast<const double*>(&n);
    for (std::size_t i = 0; i < sizeof n / sizeof(double); ++i)
        if (!std::isfinite(nv[i])) return false;
    const double* dv = reinterpret_cast<const double*>(&d);
    for (std::size_t i = 0; i < sizeof d / sizeof(double); ++i)
        if (!std::isfinite(dv[i])) return false;

    std::memcpy(b + kNearOff, &n, sizeof n);
    if (deep) std::memcpy(b + kDeepOff, &d, sizeof d);
    const uint8_t kind = deep ? kKindDeep : kKindNear;
    std::memcpy(b + kTagOff, kTag, 4);
    b[kKindOff] = kind;
    const std::size_t len = (kind == kKindDeep ? kIntegOff : kDeepOff) - kNearOff;
    const uint64_t h = mixHash(b + kNearOff, len, kind);
    std::memcpy(b + kHashOff, &h, 8);
    Integrator g{0.0, d.xlamo, n.no, 0.0, 0.0, 0.0, 0.0, 0};
    g.check = integratorCheck(g, h);
    std::memcpy(b + kIntegOff, &g, sizeof g);

    // The epoch itself must propagate, as the reference model requires.
    TVector r, v;
    if (!propagateModel(sat, deep, 0.0, &r, &v)) {
        std::memset(b + kTagOff, 0, 1072 - kTagOff);
        return false;
    }
    return true;
}

namespace {

// Private, aligned copy of a block's constants, checked against its hash.
struct Loaded {
    NearCoef n;
    DeepCoef d;
    uint64_t hash;
};
static_assert(offsetof(Loaded, hash) == kIntegOff - kNearOff);

// The block as this thread checked it last, one per model: a block whose
// bytes (tag, stored hash and constants) equal those needs no new hash,
// which would cost more than the comparison and the copy together.
struct Checked {
    bool used;
    unsigned char raw[kIntegOff - kTagOff];
    Loaded w;
};
thread_local Checked tChecked[2];

// The checked constants of sat's block for the model, or why there are none.
int32_t loadBlock(const TSatRec* sat, bool deep, double t, const Loaded*& out) {
    if (sat == nullptr) return kSatNotInitialised;
    if (!std::isfinite(t) || std::fabs(t) > kMaxMinutes) return kSatTimeOutOfRange;
    const unsigned char* b = bytes(sat);
    const uint8_t kind = deep ? kKindDeep : kKindNear;
    const std::size_t end = deep ? kIntegOff : kDeepOff;
    Checked& c = tChecked[deep ? 1 : 0];
    if (c.used && std::memcmp(b + kTagOff, c.raw, end - kTagOff) == 0) {
        out = &c.w;
        return kSatOk;
    }
    if (std::memcmp(b + kTagOff, kTag, 4) != 0 || b[kKindOff] != kind) return kSatNotInitialised;
    const std::size_t len = end - kNearOff;
    Loaded w;
    std::memcpy(&w, b + kNearOff, len);
    std::memcpy(&w.hash, b + kHashOff, 8);
    if (mixHash(reinterpret_cast<const unsigned char*>(&w), len, kind) != w.hash) return kSatNotInitialised;
    c.used = true;
    std::memcpy(c.raw, b + kTagOff, end - kTagOff);
    std::memcpy(&c.w, &w, len);
    c.w.hash = w.hash;
    out = &c.w;
    return kSatOk;
}

// A stale or damaged integrator position just restarts from epoch.
void checkIntegrator(Integrator& g, const Loaded& w) {
    if (g.check != integratorCheck(g, w.hash) || !std::isfinite(g.atime) || !std::isfinite(g.xli) ||
        !std::isfinite(g.xni) || !std::isfinite(g.xldot) || !std::isfinite(g.xndt) ||
        !std::isfinite(g.xnddt) || !(g.rates == 0.0 || g.rates == 1.0) || std::fabs(g.atime) > kMaxMinutes ||
        std::trunc(g.atime / 720.0) * 720.0 != g.atime)
        g = Integrator{0.0, w.d.xlamo, w.n.no, 0.0, 0.0, 0.0, 0.0, 0};
}

// The model at t from checked constants; g (deep only) is the integrator
// position to start from, left where this call took it, check updated.
[[gnu::always_inline]] inline int32_t propagateBody(const Loaded& w, bool deep, double t, Integrator* gp,
                                                    TVector* pos, TVector* vel) {
    const NearCoef& n = w.n;
    const DeepCoef& d = w.d;
    const uint64_t stored = w.hash;

    // Secular gravity and atmospheric drag.
    const double xmdf = n.mo + n.mdot * t;
    const double argpdf = n.argpo + n.argpdot * t;
    const double nodedf = n.nodeo + n.nodedot * t;
    double argpm = argpdf;
    double mm = xmdf;
    const double t2 = t * t;
    double nodem = nodedf + n.nodecf * t2;
    double tempa = 1.0 - n.cc1 * t;
    double tempe = n.bstar * n.cc4 * t;
    double templ = n.t2cof * t2;
    if (n.isimp != 1.0) {
        const double delomg = n.omgcof * t;
        double sinx, cosx;
        sinCos(xmdf, sinx, cosx);
        const double delmtemp = 1.0 + n.eta * cosx;
        const double delm = n.xmcof * (delmtemp * delmtemp * delmtemp - n.delmo);
        const double temp = delomg + delm;
        mm = xmdf + temp;
        argpm = argpdf - temp;
        const double t3 = t2 * t;
        const double t4 = t3 * t;
        tempa = tempa - n.d2 * t2 - n.d3 * t3 - n.d4 * t4;
        // sin(mm) from the sine and cosine already at hand while the drag
        // correction is small (series good to 1e-17 below 1e-4 rad).
        double sinmm;
        if (std::fabs(temp) < 1.0e-4) {
            const double h2 = 0.5 * temp * temp;
            sinmm = sinx * (1.0 - h2) + cosx * temp * (1.0 - h2 / 3.0);
        } else {
            sinmm = std::sin(mm);
        }
        tempe = tempe + n.bstar * n.cc5 * (sinmm - n.sinmao);
        templ = templ + n.t3cof * t3 + t4 * (n.t4cof + t * n.t5cof);
    }

    double nm = n.no;
    double em = n.ecco;
    double inclm = n.inclo;
    if (deep) {
        Integrator& g = *gp;
        const Integrator before = g;
        deepSecular(n, d, g, t, em, argpm, inclm, mm, nodem, nm);
        if (std::memcmp(&g, &before, offsetof(Integrator, check)) != 0) g.check = integratorCheck(g, stored);
    }
    if (!(nm > 0.0)) return kSatMeanMotion;

    // cbrt and sqrt instead of pow: same values to the last bits, far cheaper.
    double am;
    if (nm == n.no) {
        am = n.amCbrt * tempa * tempa;
    } else {
        const double xn = kXke / nm;
        am = std::cbrt(xn * xn) * tempa * tempa;
    }
    nm = kXke / (am * std::sqrt(am));
    em = em - tempe;
    if (!(em < 1.0 && em >= -0.001)) return kSatEccentricity;
    if (em < 1.0e-6) em = 1.0e-6;
    mm = mm + n.no * templ;
    double xlm = mm + argpm + nodem;
    nodem = fmod2pi(nodem);
    argpm = fmod2pi(argpm);
    xlm = fmod2pi(xlm);
    mm = fmod2pi(xlm - argpm - nodem);

    double ep = em, xincp = inclm, argpp = argpm, nodep = nodem, mp = mm;
    double sinip, cosip, aycof = n.aycof, xlcof = n.xlcof;
    double con41 = n.con41, x1mth2 = n.x1mth2, x7thm1 = n.x7thm1;
    if (deep) {
        deepPeriodics(d, t, ep, xincp, nodep, argpp, mp, sinip, cosip);
        if (xincp < 0.0) {
            xincp = -xincp;
            nodep = nodep + kPi;
            argpp = argpp - kPi;
            sinip = -sinip;
        }
        if (ep < 0.0 || ep > 1.0) return kSatEccentricity;
        aycof = -0.5 * kJ3oJ2 * sinip;
        const double den = std::fabs(cosip + 1.0) > kTemp4 ? 1.0 + cosip : kTemp4;
        xlcof = -0.25 * kJ3oJ2 * sinip * (3.0 + 5.0 * cosip) / den;
        const double cosisq = cosip * cosip;
        con41 = 3.0 * cosisq - 1.0;
        x1mth2 = 1.0 - cosisq;
        x7thm1 = 7.0 * cosisq - 1.0;
    } else {
        sinip = n.sinio;
        cosip = n.cosio;
    }

    // Long-period periodics.
    const Rot argp = Rot::of(argpp);
    const double axnl = ep * argp.c;
    double temp = 1.0 / (am * (1.0 - ep * ep));
    const double aynl = ep * argp.s + temp * aycof;
    const double xl = mp + argpp + nodep + temp * xlcof * axnl;

    // Kepler's equation in the equinoctial form. Halley's third-order step
    // reaches the root in fewer sin/cos evaluations than plain Newton; once
    // a step is below 1e-7 the remaining error is far below 1e-15, so the
    // last step is applied to sin/cos by series instead of another
    // evaluation; so is any step below 0.25 rad. Steps stay bounded for
    // orbits near e = 1.
    const double u = fmod2pi(xl - nodep);
    double eo1 = u, sineo1 = 0.0, coseo1 = 0.0;
    bool fresh = false;
    for (int k = 1; k <= 10; ++k) {
        if (!fresh) sinCos(eo1, sineo1, coseo1);
        fresh = false;
        const double f = u - aynl * coseo1 + axnl * sineo1 - eo1;  // minus the residual
        const double d1 = 1.0 - coseo1 * axnl - sineo1 * aynl;      // derivative
        const double d2 = axnl * sineo1 - aynl * coseo1;            // second derivative
        const double den = d1 * d1 + 0.5 * f * d2;
        double step = den > 0.0 ? f * d1 / den : f / d1;
        if (std::fabs(step) >= 0.95) step = step > 0.0 ? 0.95 : -0.95;
        if (std::fabs(step) < 1.0e-7) {
            eo1 = eo1 + step;
            const double h2 = 0.5 * step * step;
            const double s = sineo1 + coseo1 * step - sineo1 * h2;
            coseo1 = coseo1 - sineo1 * step - coseo1 * h2;
            sineo1 = s;
            break;
        }
        const double next = eo1 + step;
        if (std::fabs(step) < 0.25) {
            // Turn by the step actually taken, rounding included.
            const Rot e = Rot{sineo1, coseo1} * Rot::small(next - eo1);
            sineo1 = e.s;
            coseo1 = e.c;
            fresh = true;
        }
        eo1 = next;
    }

    // Short-period periodics.
    const double ecose = axnl * coseo1 + aynl * sineo1;
    const double esine = axnl * sineo1 - aynl * coseo1;
    const double el2 = axnl * axnl + aynl * aynl;
    const double pl = am * (1.0 - el2);
    if (!(pl >= 0.0)) return kSatSemiLatusRectum;
    const double rl = am * (1.0 - ecose);
    const double rdotl = std::sqrt(am) * esine / rl;
    const double rvdotl = std::sqrt(pl) / rl;
    const double betal = std::sqrt(1.0 - el2);
    temp = esine / (1.0 + betal);
    const double sinu = am / rl * (sineo1 - aynl - axnl * temp);
    const double cosu = am / rl * (coseo1 - axnl + aynl * temp);
    const double sin2u = (cosu + cosu) * sinu;
    const double cos2u = 1.0 - 2.0 * sinu * sinu;
    temp = 1.0 / pl;
    const double temp1 = 0.5 * kJ2 * temp;
    const double temp2 = temp1 * temp;

    const double mrt = rl * (1.0 - 1.5 * temp2 * betal * con41) + 0.5 * temp1 * x1mth2 * cos2u;
    // Turn the argument of latitude by the small correction directly on its
    // sine and cosine (series good to 1e-17 for corrections below 1e-3).
    const double du = -0.25 * temp2 * x7thm1 * sin2u;
    const double du2 = du * du;
    double sdu = du * (1.0 - du2 / 6.0 * (1.0 - du2 / 20.0));
    double cdu = 1.0 - du2 / 2.0 * (1.0 - du2 / 12.0 * (1.0 - du2 / 30.0));
    if (std::fabs(du) > 1.0e-3) {
        sdu = std::sin(du);
        cdu = std::cos(du);
    }
    const double hyp = std::sqrt(sinu * sinu + cosu * cosu);
    const double xnode = nodep + 1.5 * temp2 * cosip * sin2u;
    const double xinc = xincp + 1.5 * temp2 * cosip * sinip * cos2u;
    const double mvt = rdotl - nm * temp1 * x1mth2 * sin2u / kXke;
    const double rvdot = rvdotl + nm * temp1 * (x1mth2 * cos2u + 1.5 * con41) / kXke;

    const double sinsu = (sinu * cdu + cosu * sdu) / hyp, cossu = (cosu * cdu - sinu * sdu) / hyp;
    double snod, cnod;
    sinCos(xnode, snod, cnod);
    // The inclination correction is small: turn sin/cos of the mean one.
    Rot inc{sinip, cosip};
    if (std::fabs(xinc - xincp) < 0.25) inc = inc * Rot::small(xinc - xincp);
    else inc = Rot::of(xinc);
    const double sini = inc.s, cosi = inc.c;
    const double xmx = -snod * cosi;
    const double xmy = cnod * cosi;
    const double ux = xmx * sinsu + cnod * cossu;
    const double uy = xmy * sinsu + snod * cossu;
    const double uz = sini * sinsu;
    const double vx = xmx * cossu - cnod * sinsu;
    const double vy = xmy * cossu - snod * sinsu;
    const double vz = sini * cossu;

    const double vkmpersec = kRe * kXke / 60.0;
    double r[3] = {mrt * ux * kRe, mrt * uy * kRe, mrt * uz * kRe};
    double v[3] = {(mvt * ux + rvdot * vx) * vkmpersec, (mvt * uy + rvdot * vy) * vkmpersec,
                   (mvt * uz + rvdot * vz) * vkmpersec};
    // Below the surface the model has lost the satellite.
    if (!(mrt >= 1.0)) return kSatBelowSurface;
    if (!finite3(r) || !finite3(v)) return kSatNonFinite;
    pos->x = r[0];
    pos->y = r[1];
    pos->z = r[2];
    pos->r = std::sqrt(r[0] * r[0] + r[1] * r[1] + r[2] * r[2]);
    vel->x = v[0];
    vel->y = v[1];
    vel->z = v[2];
    vel->r = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    return kSatOk;
}

// The body built twice: for any x86-64 and for processors with AVX2 and FMA,
// where the fused remainders, roundings and square roots are single
// instructions; the library is built without contraction, so both give the
// same bits. Chosen on first use rather than by an ifunc, whose resolver
// would run before a sanitizer's start-up.
using PropagateFn = int32_t (*)(const Loaded&, bool, double, Integrator*, TVector*, TVector*);
int32_t propagatePlain(const Loaded& w, bool deep, double t, Integrator* g, TVector* pos, TVector* vel) {
    return propagateBody(w, deep, t, g, pos, vel);
}
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
[[gnu::target("arch=x86-64-v3")]] int32_t propagateV3(const Loaded& w, bool deep, double t, Integrator* g,
                                                      TVector* pos, TVector* vel) {
    return propagateBody(w, deep, t, g, pos, vel);
}
PropagateFn choosePropagate() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("x86-64-v3") ? propagateV3 : propagatePlain;
}
#else
PropagateFn choosePropagate() { return propagatePlain; }
#endif
int32_t propagateLoaded(const Loaded& w, bool deep, double t, Integrator* g, TVector* pos, TVector* vel) {
    static const PropagateFn chosen = choosePropagate();
    return chosen(w, deep, t, g, pos, vel);
}

// Integrator positions of the deep-space blocks this thread propagated last
// through the read-only call, by block hash: equal blocks integrate alike,
// and a slot taken by another block only means a restart from epoch, which
// gives the same numbers.
struct IntegratorSlot {
    uint64_t hash;
    bool used;
    Integrator g;
};
thread_local IntegratorSlot tSlots[8];

}  // namespace

bool propagateModel(TSatRec* sat, bool deep, double t, TVector* pos, TVector* vel) {
    if (pos == nullptr || vel == nullptr) return false;
    const Loaded* lw = nullptr;
    if (loadBlock(sat, deep, t, lw) != kSatOk) return false;
    const Loaded& w = *lw;
    if (!deep) return propagateLoaded(w, false, t, nullptr, pos, vel) == kSatOk;
    Integrator g;
    unsigned char* b = bytes(sat);
    std::memcpy(&g, b + kIntegOff, sizeof g);
    checkIntegrator(g, w);
    const Integrator before = g;
    const int32_t status = propagateLoaded(w, true, t, &g, pos, vel);
    if (std::memcmp(&g, &before, sizeof g) != 0) std::memcpy(b + kIntegOff, &g, sizeof g);
    return status == kSatOk;
}

int32_t propagateConst(const TSatRec* sat, bool deep, double t, TVector* pos, TVector* vel) {
    if (pos == nullptr || vel == nullptr) return kSatNotInitialised;
    const Loaded* lw = nullptr;
    const int32_t loaded = loadBlock(sat, deep, t, lw);
    if (loaded != kSatOk) return loaded;
    const Loaded& w = *lw;
    if (!deep) return propagateLoaded(w, false, t, nullptr, pos, vel);
    IntegratorSlot& slot = tSlots[w.hash & 7u];
    if (!slot.used || slot.hash != w.hash)
        slot = IntegratorSlot{w.hash, true, Integrator{0.0, w.d.xlamo, w.n.no, 0.0, 0.0, 0.0, 0.0, 0}};
    return propagateLoaded(w, true, t, &slot.g, pos, vel);
}

}  // namespace sgp

extern "C" {
SATELLITE_API bool SGP4_init(TSatRec* sat) { return sgp::initModel(sat, false); }
SATELLITE_API bool SDP4_init(TSatRec* sat) { return sgp::initModel(sat, true); }
SATELLITE_API bool SGP4(TSatRec* sat, TVector* pos, TVector* vel, double tsince) {
    return sgp::propagateModel(sat, false, tsince, pos, vel);
}
SATELLITE_API bool SDP4(TSatRec* sat, TVector* pos, TVector* vel, double tsince) {
    return sgp::propagateModel(sat, true, tsince, pos, vel);
}
SATELLITE_API int32_t sat_propagate(const TSatRec* sat, int32_t deep, double tsince, TVector* pos, TVector* vel) {
    return sgp::propagateConst(sat, deep != 0, tsince, pos, vel);
}
}
