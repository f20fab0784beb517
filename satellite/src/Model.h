// Private layout of the element block and the model entry points shared by
// the library's source files. Nothing here is exported.
#pragma once
#include <cmath>
#include <cstdint>
#include <cstring>
#include "SatTypes.h"
#include "Satellite.h"

namespace sgp {

// WGS-72, the constants the element sets are fitted with.
inline constexpr double kMu = 398600.8;          // km^3/s^2
inline constexpr double kRe = 6378.135;          // km
inline constexpr double kJ2 = 0.001082616;
inline constexpr double kJ3 = -0.00000253881;
inline constexpr double kJ4 = -0.00000165597;
inline constexpr double kJ3oJ2 = kJ3 / kJ2;
inline constexpr double kPi = 3.14159265358979323846;
inline constexpr double kTwoPi = 2.0 * kPi;
inline constexpr double kDeg = kPi / 180.0;
inline constexpr double kMinPerDay = 1440.0;
inline const double kXke = 60.0 / std::sqrt(kRe * kRe * kRe / kMu);  // sqrt(mu) in er^1.5/min
inline constexpr double kDeepPeriod = 225.0;    // minutes

// Element values parse_elements keeps for the initialisation calls
// (bytes 8..31 of the block).
struct Priv0 {
    double epoch50;   // days since 1950 Jan 0.0 UTC
    double bstar;     // 1/earth radii
    double noKozai;   // rad/min as published in the element set
};
static_assert(sizeof(Priv0) == 24);

// Near-earth constants: everything SGP4 needs, including its own copy of the
// elements so a propagation never depends on the public fields.
struct NearCoef {
    double no, ecco, inclo, argpo, mo, nodeo, bstar;
    double isimp;
    double aycof, con41, cc1, cc4, cc5, d2, d3, d4, delmo, eta, argpdot, omgcof, sinmao,
        t2cof, t3cof, t4cof, t5cof, x1mth2, x7thm1, mdot, nodedot, xlcof, xmcof, nodecf;
    double sinio, cosio;
    double amCbrt;    // cbrt((xke/no)^2): the semi-major axis factor while n stays no
};

// Lunar-solar and resonance constants of the deep-space model.
struct DeepCoef {
    double gsto;
    double e3, ee2, se2, se3, sgh2, sgh3, sgh4, sh2, sh3, si2, si3, sl2, sl3, sl4,
        xgh2, xgh3, xgh4, xh2, xh3, xi2, xi3, xl2, xl3, xl4, zmol, zmos;
    double irez;
    double d2201, d2211, d3210, d3222, d4410, d4422, d5220, d5232, d5421, d5433,
        dedt, del1, del2, del3, didt, dmdt, dnodt, domdt, xfact, xlamo;
};

// Resonance integrator position, reused between calls; it carries its own
// check word because it changes with every deep-space propagation. The
// rates at that position are kept too (valid when `rates` is 1) so a call
// that takes no step needs no trigonometry.
struct Integrator {
    double atime, xli, xni;
    double xldot, xndt, xnddt, rates;
    uint64_t check;
};

// Byte offsets inside TSatRec.
inline constexpr std::size_t kTagOff = 129;    // 4 tag bytes + model kind
inline constexpr std::size_t kKindOff = 133;
inline constexpr std::size_t kHashOff = 136;
inline constexpr std::size_t kNearOff = 144;
inline constexpr std::size_t kDeepOff = kNearOff + sizeof(NearCoef);
inline constexpr std::size_t kIntegOff = kDeepOff + sizeof(DeepCoef);
static_assert(kIntegOff + sizeof(Integrator) <= 1072, "private storage must stay in the element block");

inline constexpr uint8_t kKindNear = 1;
inline constexpr uint8_t kKindDeep = 2;
inline constexpr char kTag[4] = {'S', 'G', 'P', '4'};

// Folds two words per 64x64->128 multiply in four independent lanes: strong
// enough to reject damaged storage, cheap enough to run on every call. The
// lanes are named variables so they stay in registers; word k of the tail
// goes to lane k mod 4.
inline uint64_t hashFold(uint64_t a, uint64_t b) {
    const unsigned __int128 m = static_cast<unsigned __int128>(a) * b;
    return static_cast<uint64_t>(m) ^ static_cast<uint64_t>(m >> 64);
}

inline uint64_t mixHash(const unsigned char* p, std::size_t n, uint64_t seed) {
    constexpr uint64_t k0 = 0xA0761D6478BD642Full, k1 = 0xE7037ED1A0B428DBull;
    uint64_t h0 = seed ^ 0x243F6A8885A308D3ull, h1 = seed ^ 0x13198A2E03707344ull,
             h2 = seed ^ 0xA4093822299F31D0ull, h3 = seed ^ 0x082EFA98EC4E6C89ull;
    auto word = [p](std::size_t at) {
        uint64_t w;
        std::memcpy(&w, p + at, 8);
        return w;
    };
    std::size_t i = 0;
    for (; i + 64 <= n; i += 64) {
        h0 = hashFold(word(i) ^ h0 ^ k0, word(i + 8) ^ k1);
        h1 = hashFold(word(i + 16) ^ h1 ^ k0, word(i + 24) ^ k1);
        h2 = hashFold(word(i + 32) ^ h2 ^ k0, word(i + 40) ^ k1);
        h3 = hashFold(word(i + 48) ^ h3 ^ k0, word(i + 56) ^ k1);
    }
    const uint64_t kn = k1 ^ n;
    for (; i + 32 <= n; i += 32) {
        h0 = hashFold(word(i) ^ h0 ^ k0, kn);
        h1 = hashFold(word(i + 8) ^ h1 ^ k0, kn);
        h2 = hashFold(word(i + 16) ^ h2 ^ k0, kn);
        h3 = hashFold(word(i + 24) ^ h3 ^ k0, kn);
    }
    if (i + 8 <= n) {
        h0 = hashFold(word(i) ^ h0 ^ k0, kn);
        i += 8;
    }
    if (i + 8 <= n) {
        h1 = hashFold(word(i) ^ h1 ^ k0, kn);
        i += 8;
    }
    if (i + 8 <= n) h2 = hashFold(word(i) ^ h2 ^ k0, kn);
    const uint64_t a = hashFold(h0 ^ k0, h1 ^ k1), b = hashFold(h2 ^ k1, h3 ^ k0 ^ n);
    return hashFold(a ^ k0, b ^ k1);
}

inline unsigned char* bytes(TSatRec* s) { return reinterpret_cast<unsigned char*>(s); }
inline const unsigned char* bytes(const TSatRec* s) { return reinterpret_cast<const unsigned char*>(s); }

// Initialisation and propagation (Sgp4.cpp).
bool initModel(TSatRec* sat, bool deep);
bool propagateModel(TSatRec* sat, bool deep, double tsince, TVector* pos, TVector* vel);
// The same without writing the record: a TSatStatus code.
int32_t propagateConst(const TSatRec* sat, bool deep, double tsince, TVector* pos, TVector* vel);

// Element-set helpers (Elements.cpp), exposed for the initialisation.
// Recovers the un-Kozai mean motion (rad/min) and semi-major axis (earth radii).
void recoverMeanMotion(double noKozai, double ecc, double incl, double* no, double* ao);

}  // namespace sgp
