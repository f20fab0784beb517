// Moon from the truncated lunar theory: 60 terms in longitude and
// distance, 60 in latitude, referred to the ecliptic of date and then
// turned to the J2000.0 equator.
#include "Moon.h"

#include <cmath>
#include <cstdint>

#include "uAstro.h"
#include "uPrecession.h"

namespace zenora {

namespace {
// D, M, M', F, Σl (0.000001°), Σr (0.001 km)
const int32_t kLonDist[60][6] = {
    {0, 0, 1, 0, 6288774, -20905355},
    {2, 0, -1, 0, 1274027, -3699111},
    {2, 0, 0, 0, 658314, -2955968},
    {0, 0, 2, 0, 213618, -569925},
    {0, 1, 0, 0, -185116, 48888},
    {0, 0, 0, 2, -114332, -3149},
    {2, 0, -2, 0, 58793, 246158},
    {2, -1, -1, 0, 57066, -152138},
    {2, 0, 1, 0, 53322, -170733},
    {2, -1, 0, 0, 45758, -204586},
    {0, 1, -1, 0, -40923, -129620},
    {1, 0, 0, 0, -34720, 108743},
    {0, 1, 1, 0, -30383, 104755},
    {2, 0, 0, -2, 15327, 10321},
    {0, 0, 1, 2, -12528, 0},
    {0, 0, 1, -2, 10980, 79661},
    {4, 0, -1, 0, 10675, -34782},
    {0, 0, 3, 0, 10034, -23210},
    {4, 0, -2, 0, 8548, -21636},
    {2, 1, -1, 0, -7888, 24208},
    {2, 1, 0, 0, -6766, 30824},
    {1, 0, -1, 0, -5163, -8379},
    {1, 1, 0, 0, 4987, -16675},
    {2, -1, 1, 0, 4036, -12831},
    {2, 0, 2, 0, 3994, -10445},
    {4, 0, 0, 0, 3861, -11650},
    {2, 0, -3, 0, 3665, 14403},
    {0, 1, -2, 0, -2689, -7003},
    {2, 0, -1, 2, -2602, 0},
    {2, -1, -2, 0, 2390, 10056},
    {1, 0, 1, 0, -2348, 6322},
    {2, -2, 0, 0, 2236, -9884},
    {0, 1, 2, 0, -2120, 5751},
    {0, 2, 0, 0, -2069, 0},
    {2, -2, -1, 0, 2048, -4950},
    {2, 0, 1, -2, -1773, 4130},
    {2, 0, 0, 2, -1595, 0},
    {4, -1, -1, 0, 1215, -3958},
    {0, 0, 2, 2, -1110, 0},
    {3, 0, -1, 0, -892, 3258},
    {2, 1, 1, 0, -810, 2616},
    {4, -1, -2, 0, 759, -1897},
    {0, 2, -1, 0, -713, -2117},
    {2, 2, -1, 0, -700, 2354},
    {2, 1, -2, 0, 691, 0},
    {2, -1, 0, -2, 596, 0},
    {4, 0, 1, 0, 549, -1423},
    {0, 0, 4, 0, 537, -1117},
    {4, -1, 0, 0, 520, -1571},
    {1, 0, -2, 0, -487, -1739},
    {2, 1, 0, -2, -399, 0},
    {0, 0, 2, -2, -381, -4421},
    {1, 1, 1, 0, 351, 0},
    {3, 0, -2, 0, -340, 0},
    {4, 0, -3, 0, 330, 0},
    {2, -1, 2, 0, 327, 0},
    {0, 2, 1, 0, -323, 1165},
    {1, 1, -1, 0, 299, 0},
    {2, 0, 3, 0, 294, 0},
    {2, 0, -1, -2, 0, 8752},
};

// D, M, M', F, Σb (0.000001°)
const int32_t kLat[60][5] = {
    {0, 0, 0, 1, 5128122},
    {0, 0, 1, 1, 280602},
    {0, 0, 1, -1, 277693},
    {2, 0, 0, -1, 173237},
    {2, 0, -1, 1, 55413},
    {2, 0, -1, -1, 46271},
    {2, 0, 0, 1, 32573},
    {0, 0, 2, 1, 17198},
    {2, 0, 1, -1, 9266},
    {0, 0, 2, -1, 8822},
    {2, -1, 0, -1, 8216},
    {2, 0, -2, -1, 4324},
    {2, 0, 1, 1, 4200},
    {2, 1, 0, -1, -3359},
    {2, -1, -1, 1, 2463},
    {2, -1, 0, 1, 2211},
    {2, -1, -1, -1, 2065},
    {0, 1, -1, -1, -1870},
    {4, 0, -1, -1, 1828},
    {0, 1, 0, 1, -1794},
    {0, 0, 0, 3, -1749},
    {0, 1, -1, 1, -1565},
    {1, 0, 0, 1, -1491},
    {0, 1, 1, 1, -1475},
    {0, 1, 1, -1, -1410},
    {0, 1, 0, -1, -1344},
    {1, 0, 0, -1, -1335},
    {0, 0, 3, 1, 1107},
    {4, 0, 0, -1, 1021},
    {4, 0, -1, 1, 833},
    {0, 0, 1, -3, 777},
    {4, 0, -2, 1, 671},
    {2, 0, 0, -3, 607},
    {2, 0, 2, -1, 596},
    {2, -1, 1, -1, 491},
    {2, 0, -2, 1, -451},
    {0, 0, 3, -1, 439},
    {2, 0, 2, 1, 422},
    {2, 0, -3, -1, 421},
    {2, 1, -1, 1, -366},
    {2, 1, 0, 1, -351},
    {4, 0, 0, 1, 331},
    {2, -1, 1, 1, 315},
    {2, -2, 0, -1, 302},
    {0, 0, 1, 3, -283},
    {2, 1, 1, -1, -229},
    {1, 1, 0, -1, 223},
    {1, 1, 0, 1, 223},
    {0, 1, -2, -1, -220},
    {2, 1, -1, -1, -220},
    {1, 0, 1, 1, -185},
    {2, -1, -2, -1, 181},
    {0, 1, 2, 1, -177},
    {4, 0, -2, -1, 176},
    {4, -1, -1, -1, 166},
    {1, 0, 1, -1, -164},
    {4, 0, 1, -1, 132},
    {1, 0, -1, -1, -119},
    {4, -1, 0, -1, 115},
    {2, -2, 0, 1, 107},
};

// Stored as reciprocals of the published divisors.
constexpr double kL3 = 1.0 / 538841, kL4 = 1.0 / 65194000;
constexpr double kD3 = 1.0 / 545868, kD4 = 1.0 / 113065000;
constexpr double kM3 = 1.0 / 24490000;
constexpr double kMp3 = 1.0 / 69699, kMp4 = 1.0 / 14712000;
constexpr double kF3 = 1.0 / 3526000, kF4 = 1.0 / 863310000;

// Terms that depend on the Sun's anomaly shrink with the eccentricity E.
inline double EccentricityFactor(int32_t m, double e) {
    if (m == 1 || m == -1) return e;
    if (m == 2 || m == -2) return e * e;
    return 1;
}
}  // namespace

void MoonPosition(double jde, TVector& v) {
    const double t = (jde - kJ2000) / kDaysPerCentury;
    const double t2 = t * t, t3 = t2 * t, t4 = t3 * t;
    const double lpDeg = 218.3164591 + 481267.88134236 * t - 0.0013268 * t2 + t3 * kL3 - t4 * kL4;
    const double lp = lpDeg * kDegToRad;
    const double d = (297.8502042 + 445267.1115168 * t - 0.00163 * t2 + t3 * kD3 - t4 * kD4) * kDegToRad;
    const double m = (357.5291092 + 35999.0502909 * t - 0.0001536 * t2 + t3 * kM3) * kDegToRad;
    const double mp = (134.9634114 + 477198.8676313 * t + 0.008997 * t2 + t3 * kMp3 - t4 * kMp4) * kDegToRad;
    const double f = (93.2720993 + 483202.0175273 * t - 0.0034029 * t2 - t3 * kF3 + t4 * kF4) * kDegToRad;
    const double a1 = (119.75 + 131.849 * t) * kDegToRad;
    const double a2 = (53.09 + 479264.29 * t) * kDegToRad;
    const double a3 = (313.45 + 481266.484 * t) * kDegToRad;
    const double e = 1 - 0.002516 * t - 0.0000074 * t2;

    double sumL = 0, sumR = 0, sumB = 0;
    for (const auto& row : kLonDist) {
        const double a = row[0] * d + row[1] * m + row[2] * mp + row[3] * f;
        const double k = EccentricityFactor(row[1], e);
        sumL += row[4] * std::sin(a) * k;
        sumR += row[5] * std::cos(a) * k;
    }
    for (const auto& row : kLat) {
        const double a = row[0] * d + row[1] * m + row[2] * mp + row[3] * f;
        sumB += row[4] * std::sin(a) * EccentricityFactor(row[1], e);
    }
    // Venus, Jupiter and the Earth's flattening
    sumL += 3958 * std::sin(a1) + 1962 * std::sin(lp - f) + 318 * std::sin(a2);
    sumB += -2235 * std::sin(lp) + 382 * std::sin(a3) + 175 * std::sin(a1 - f) + 175 * std::sin(a1 + f) +
            127 * std::sin(lp - mp) - 115 * std::sin(lp + mp);

    const double lambda = (lpDeg + 0.000001 * sumL) * kDegToRad;
    const double beta = 0.000001 * sumB * kDegToRad;
    const double dist = 385000.56 + 0.001 * sumR;
    TVector ecl;
    Lat_lon_to_vect(TLatLon{beta, lambda, dist}, ecl);
    TVector equ;
    Rot_to_obliq(ecl, equ, kEps0 - 6.981317e-9 * (jde - kJ2000));
    Precession(equ, kPrecessToJ2000, v, jde);
}

}  // namespace zenora
