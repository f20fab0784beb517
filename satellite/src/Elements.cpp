// Two-line element sets: validation and parsing into the element block.
// Our own locale-independent field parsers: the program may run under a
// locale whose decimal separator is not '.'.
#include <cmath>
#include <cstring>
#include "Model.h"
#include "Satellite.h"

namespace sgp {

void recoverMeanMotion(double noKozai, double ecc, double incl, double* no, double* ao) {
    constexpr double x2o3 = 2.0 / 3.0;
    const double omeosq = 1.0 - ecc * ecc;
    const double rteosq = std::sqrt(omeosq);
    const double cosio = std::cos(incl);
    const double cosio2 = cosio * cosio;
    const double ak = std::pow(kXke / noKozai, x2o3);
    const double d1 = 0.75 * kJ2 * (3.0 * cosio2 - 1.0) / (rteosq * omeosq);
    double del = d1 / (ak * ak);
    const double adel = ak * (1.0 - del * del - del * (1.0 / 3.0 + 134.0 * del * del / 81.0));
    del = d1 / (adel * adel);
    *no = noKozai / (1.0 + del);
    *ao = std::pow(kXke / *no, x2o3);
}

namespace {

constexpr std::size_t kLineLen = 69;

// A line as seen by the checks: trailing blanks and line ends do not count.
std::size_t effectiveLength(const char* s, std::size_t cap) {
    std::size_t n = 0;
    while (n < cap && s[n] != '\0') ++n;
    while (n > 0 && (s[n - 1] == ' ' || s[n - 1] == '\r' || s[n - 1] == '\n' || s[n - 1] == '\t')) --n;
    return n;
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Column field [first, last], 1-based inclusive, of a line of length len.
struct Field {
    const char* p;
    std::size_t n;
};
Field field(const char* s, std::size_t len, std::size_t first, std::size_t last) {
    if (first > len) return {s, 0};
    if (last > len) last = len;
    return {s + first - 1, last - first + 1};
}

Field trim(Field f) {
    while (f.n > 0 && f.p[0] == ' ') { ++f.p; --f.n; }
    while (f.n > 0 && f.p[f.n - 1] == ' ') --f.n;
    return f;
}

// Decimal number: optional sign, digits, optional '.', digits; blanks around.
// Digits are gathered as an integer and scaled once, which rounds correctly
// for the lengths element sets use.
bool parseDecimal(Field f, double* out) {
    f = trim(f);
    if (f.n == 0) return false;
    std::size_t i = 0;
    bool neg = false;
    if (f.p[0] == '+' || f.p[0] == '-') {
        neg = f.p[0] == '-';
        ++i;
    }
    uint64_t mant = 0;
    int digits = 0, frac = 0;
    bool point = false;
    for (; i < f.n; ++i) {
        const char c = f.p[i];
        if (c == '.') {
            if (point) return false;
            point = true;
        } else if (isDigit(c)) {
            if (digits >= 18) return false;
            mant = mant * 10 + static_cast<uint64_t>(c - '0');
            ++digits;
            if (point) ++frac;
        } else {
            return false;
        }
    }
    if (digits == 0) return false;
    static const double kPow10[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9,
                                    1e10, 1e11, 1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18};
    double v = static_cast<double>(mant) / kPow10[frac];
    *out = neg ? -v : v;
    return true;
}

// Unsigned integer with optional leading blanks; all blanks is allowed when
// blankOk (then 0).
bool parseUnsigned(Field f, bool blankOk, uint64_t* out) {
    std::size_t i = 0;
    while (i < f.n && f.p[i] == ' ') ++i;
    if (i == f.n) {
        *out = 0;
        return blankOk;
    }
    uint64_t v = 0;
    for (; i < f.n; ++i) {
        if (!isDigit(f.p[i])) return false;
        v = v * 10 + static_cast<uint64_t>(f.p[i] - '0');
    }
    *out = v;
    return true;
}

// Mantissa with an assumed leading decimal point and a signed exponent digit:
// " 12345-3" = 0.12345e-3. Blank means zero.
bool parseExponent(Field f, double* out) {
    f = trim(f);
    if (f.n == 0) {
        *out = 0.0;
        return true;
    }
    if (f.n < 3) return false;
    const char es = f.p[f.n - 2], ed = f.p[f.n - 1];
    if ((es != '-' && es != '+') || !isDigit(ed)) return false;
    Field m{f.p, f.n - 2};
    bool neg = false;
    if (m.n > 0 && (m.p[0] == '-' || m.p[0] == '+')) {
        neg = m.p[0] == '-';
        ++m.p;
        --m.n;
    }
    if (m.n == 0 || m.n > 9) return false;
    uint64_t v = 0;
    for (std::size_t i = 0; i < m.n; ++i) {
        if (!isDigit(m.p[i])) return false;
        v = v * 10 + static_cast<uint64_t>(m.p[i] - '0');
    }
    const int e = (ed - '0') * (es == '-' ? -1 : 1);
    double x = static_cast<double>(v) / std::pow(10.0, static_cast<double>(m.n)) * std::pow(10.0, e);
    *out = neg ? -x : x;
    return true;
}

// Catalogue number, columns 3-7: five digits (leading blanks allowed) or the
// Alpha-5 form, a letter other than I and O for the two leading digits.
bool parseCatalogue(Field f, long* out) {
    if (f.n != 5) return false;
    const char c = f.p[0];
    if (c >= 'A' && c <= 'Z') {
        if (c == 'I' || c == 'O') return false;
        int lead = 10 + (c - 'A');
        if (c > 'I') --lead;
        if (c > 'O') --lead;
        uint64_t rest = 0;
        for (std::size_t i = 1; i < 5; ++i)
            if (!isDigit(f.p[i])) return false;
        parseUnsigned({f.p + 1, 4}, false, &rest);
        *out = lead * 10000L + static_cast<long>(rest);
        return true;
    }
    uint64_t v;
    if (!parseUnsigned(f, false, &v)) return false;
    *out = static_cast<long>(v);
    return true;
}

// Digits count their value, '-' counts one, everything else nothing.
int checksum(const char* s) {
    int sum = 0;
    for (std::size_t i = 0; i < kLineLen - 1; ++i) {
        if (isDigit(s[i])) sum += s[i] - '0';
        else if (s[i] == '-') sum += 1;
    }
    return sum % 10;
}

bool blankAt(const char* s, std::initializer_list<int> cols) {
    for (int c : cols)
        if (s[c - 1] != ' ') return false;
    return true;
}

bool inRange(double v, double lo, double hi) { return v >= lo && v <= hi; }

struct Parsed {
    long catalogue;
    int year;
    double day, ndot, nddot, bstar, incl, node, ecc, argp, mo, mm, rev;
};

// Shared by both entry points; strict adds the fixed layout of a clean set.
bool parseLines(const char* l1, const char* l2, bool strict, Parsed* p) {
    if (l1 == nullptr || l2 == nullptr) return false;
    const std::size_t n1 = effectiveLength(l1, 200), n2 = effectiveLength(l2, 200);
    if (strict ? (n1 != kLineLen || n2 != kLineLen) : (n1 < 61 || n2 < 63)) return false;
    if (l1[0] != '1' || l2[0] != '2' || l1[1] != ' ' || l2[1] != ' ') return false;

    long cat2;
    if (!parseCatalogue(field(l1, n1, 3, 7), &p->catalogue) || !parseCatalogue(field(l2, n2, 3, 7), &cat2) ||
        p->catalogue != cat2)
        return false;

    uint64_t yy;
    Field y = field(l1, n1, 19, 20);
    if (!isDigit(y.p[0]) || !isDigit(y.p[1]) || !parseUnsigned(y, false, &yy)) return false;
    p->year = static_cast<int>(yy) < 57 ? 2000 + static_cast<int>(yy) : 1900 + static_cast<int>(yy);
    if (!parseDecimal(field(l1, n1, 21, 32), &p->day) || !(p->day >= 0.0 && p->day < 367.0)) return false;
    // Drag terms may be left blank in hand-made sets.
    if (trim(field(l1, n1, 34, 43)).n == 0) p->ndot = 0.0;
    else if (!parseDecimal(field(l1, n1, 34, 43), &p->ndot)) return false;
    if (!parseExponent(field(l1, n1, 45, 52), &p->nddot)) return false;
    if (!parseExponent(field(l1, n1, 54, 61), &p->bstar)) return false;

    if (!parseDecimal(field(l2, n2, 9, 16), &p->incl) || !inRange(p->incl, 0.0, 180.0)) return false;
    if (!parseDecimal(field(l2, n2, 18, 25), &p->node) || !inRange(p->node, 0.0, 360.0)) return false;
    {
        Field e = field(l2, n2, 27, 33);
        uint64_t v;
        if (e.n != 7 || !parseUnsigned(e, false, &v)) return false;
        for (std::size_t i = 0; i < 7; ++i)
            if (e.p[i] != ' ' && !isDigit(e.p[i])) return false;
        p->ecc = static_cast<double>(v) / 1.0e7;
    }
    if (!parseDecimal(field(l2, n2, 35, 42), &p->argp) || !inRange(p->argp, 0.0, 360.0)) return false;
    if (!parseDecimal(field(l2, n2, 44, 51), &p->mo) || !inRange(p->mo, 0.0, 360.0)) return false;
    if (!parseDecimal(field(l2, n2, 53, 63), &p->mm) || !(p->mm > 0.0)) return false;
    {
        uint64_t rev = 0;
        Field r = field(l2, n2, 64, 68);
        if (r.n > 0 && !parseUnsigned(r, true, &rev)) {
            if (strict) return false;
            rev = 0;  // the verification layout puts other text here
        }
        p->rev = static_cast<double>(rev);
    }

    if (strict) {
        if (!blankAt(l1, {9, 18, 33, 44, 53, 62, 64}) || !blankAt(l2, {8, 17, 26, 34, 43, 52})) return false;
        const char cls = l1[7];
        if (!(cls == ' ' || (cls >= 'A' && cls <= 'Z'))) return false;
        if (!(l1[62] == ' ' || isDigit(l1[62]))) return false;
        uint64_t elset;
        if (!parseUnsigned(field(l1, n1, 65, 68), true, &elset)) return false;
        if (!isDigit(l1[68]) || !isDigit(l2[68])) return false;
        if (checksum(l1) != l1[68] - '0' || checksum(l2) != l2[68] - '0') return false;
    }
    return true;
}

// Julian date of 1 January of a Gregorian year, 0h.
double julianJan1(int year) {
    const long y = year - 1;
    return 1721425.5 + 365.0 * y + static_cast<double>(y / 4 - y / 100 + y / 400);
}

// Rough remaining lifetime from the mean-motion derivative: in an exponential
// atmosphere of scale height H the orbit lasts about H / |da/dt|.
double lifetimeDays(double ndot2, double meanMotion, double aKm, double perigeeKm) {
    if (!(ndot2 > 0.0)) return HUGE_VAL;
    if (perigeeKm < 100.0) return 0.0;
    double h = 15.0 + 0.1 * perigeeKm;  // rough scale height, km
    if (h < 20.0) h = 20.0;
    if (h > 80.0) h = 80.0;
    const double adot = 2.0 / 3.0 * aKm * ndot2 / meanMotion;  // km/day
    return h / adot;
}

}  // namespace
}  // namespace sgp

extern "C" {

SATELLITE_API bool tle_valid(const char* line1, const char* line2) {
    sgp::Parsed p;
    return sgp::parseLines(line1, line2, true, &p);
}

SATELLITE_API bool parse_elements(const char* line1, const char* line2, TSatRec* sat) {
    using namespace sgp;
    if (sat == nullptr) return false;
    // A failed parse leaves a block that no initialisation or propagation accepts.
    std::memset(sat, 0, 1072);
    Parsed p;
    if (!parseLines(line1, line2, false, &p) || !(p.ecc < 1.0)) return false;

    const double jan1 = julianJan1(p.year);
    Priv0 pv;
    // Derived from the Julian date, rounding included, like the published
    // model: far orbits (e.g. e = 0.97) feel the difference at the mm level.
    sat->epoch = jan1 - 1.0 + p.day;
    pv.epoch50 = sat->epoch - 2433281.5;
    pv.bstar = p.bstar;
    pv.noKozai = p.mm / (kMinPerDay / kTwoPi);
    sat->node = p.node * kDeg;
    sat->ecc = p.ecc;
    sat->argPerigee = p.argp * kDeg;
    sat->meanAnomaly = p.mo * kDeg;
    sat->inclination = p.incl * kDeg;
    sat->meanMotion = p.mm;
    sat->revNumber = p.rev;

    double no, ao;
    recoverMeanMotion(pv.noKozai, p.ecc, sat->inclination, &no, &ao);
    if (!(no > 0.0) || !std::isfinite(ao)) {
        std::memset(sat, 0, 1072);
        return false;
    }
    sat->period = kTwoPi / no;
    sat->apogee = (ao * (1.0 + p.ecc) - 1.0) * kRe;
    sat->perigee = (ao * (1.0 - p.ecc) - 1.0) * kRe;
    sat->deepSpace = sat->period >= kDeepPeriod ? 1 : 0;

    const double epochDay = sat->epoch - 2415018.5;
    const double life = lifetimeDays(2.0 * p.ndot, p.mm, ao * kRe, sat->perigee);
    sat->decayDate = epochDay + (life < 15000.0 ? life : 100000.0);

    std::memcpy(sat->priv0, &pv, sizeof pv);
    std::memcpy(sat->priv1, &p.ndot, sizeof(double));
    return true;
}
}
