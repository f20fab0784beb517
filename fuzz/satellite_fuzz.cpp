// libFuzzer target: element lines through tle_valid, parse_elements, the
// initialisation and one propagation; raw records as they come from files;
// the mirror geometry with arbitrary vectors.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include "Satellite.h"

namespace {

void checkOutput(bool ok, const TVector& r, const TVector& v) {
    if (ok && !(std::isfinite(r.r) && std::isfinite(v.r) && r.r > 0.0)) __builtin_trap();
}

void lines(const uint8_t* data, size_t size) {
    // Layout: 8 bytes of time, then line 1 '\n' line 2.
    double t = 0.0;
    if (size >= 8) {
        std::memcpy(&t, data, 8);
        data += 8;
        size -= 8;
    }
    std::string text(reinterpret_cast<const char*>(data), size);
    const std::size_t nl = text.find('\n');
    const std::string l1 = text.substr(0, nl);
    const std::string l2 = nl == std::string::npos ? std::string() : text.substr(nl + 1);
    const bool valid = tle_valid(l1.c_str(), l2.c_str());
    TSatRec s;
    std::memset(&s, 0x5A, sizeof s);
    const bool parsed = parse_elements(l1.c_str(), l2.c_str(), &s);
    if (valid && !parsed) __builtin_trap();  // whatever tle_valid accepts must parse
    TVector r{}, v{};
    const bool init = s.deepSpace ? SDP4_init(&s) : SGP4_init(&s);
    bool ok = s.deepSpace ? SDP4(&s, &r, &v, t) : SGP4(&s, &r, &v, t);
    checkOutput(ok, r, v);
    if (!init && ok) __builtin_trap();  // an uninitialised block never propagates
    ok = s.deepSpace ? SDP4(&s, &r, &v, t * 0.5) : SGP4(&s, &r, &v, t * 0.5);
    checkOutput(ok, r, v);
}

void record(const uint8_t* data, size_t size) {
    TSatRec s{};
    std::memcpy(&s, data, size < sizeof s ? size : sizeof s);
    double t = 0.0;
    if (size >= sizeof s + 8) std::memcpy(&t, data + sizeof s, 8);
    TVector r{}, v{};
    checkOutput(SGP4(&s, &r, &v, t), r, v);
    checkOutput(SDP4(&s, &r, &v, t), r, v);
}

void mirrors(const uint8_t* data, size_t size) {
    double d[14] = {};
    std::memcpy(d, data, size < sizeof d ? size : sizeof d);
    const TVector obs{d[0], d[1], d[2], 0}, pos{d[3], d[4], d[5], 0}, vel{d[6], d[7], d[8], 0};
    TSatState sun{};
    sun.pos = TVector{d[9], d[10], d[11], 0};
    TVector refl, ground;
    double angle, range;
    int32_t used;
    const int32_t mirror = static_cast<int32_t>(size > 0 ? data[size - 1] % 5 : 0);
    IridiumCalc(&obs, &pos, &vel, &sun, &refl, &angle, &used, mirror);
    if (!(angle >= 0.0 && angle <= 180.0) || used < 0 || used > 3) __builtin_trap();
    IridTrkVect(&refl, &pos, &ground, d[12], &range);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    switch (data[0] % 3) {
        case 0: lines(data + 1, size - 1); break;
        case 1: record(data + 1, size - 1); break;
        default: mirrors(data + 1, size - 1); break;
    }
    return 0;
}
