// libFuzzer target: the catalogue loader, the element reader and the
// formatter's three pattern languages on arbitrary bytes.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <unistd.h>
#include <vector>

#include "Satellite.h"
#include "uFormat.h"
#include "uLoadSave.h"

namespace {

std::string TempPath() {
    static const std::string path = "/tmp/orbisk_fuzz_" + std::to_string(::getpid()) + ".bin";
    return path;
}

void LoadFromBytes(std::string_view bytes) {
    std::FILE* f = std::fopen(TempPath().c_str(), "wb");
    if (!f) return;
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
    std::vector<TSatRec> list;
    LoadCatalogue(list, TempPath());
    for (TSatRec& s : list) {
        if (s.decayed == kDecayedRejected) continue;
        TVector p{}, v{};
        if (s.deepSpace) SDP4(&s, &p, &v, 1440.0);
        else SGP4(&s, &p, &v, 1440.0);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
    switch (data[0] % 4) {
        case 0: {
            std::vector<TElementEntry> entries;
            ReadElementText(entries, rest);
            for (const TElementEntry& e : entries) {
                TSatRec s{};
                if (InitSatelliteFromEntry(s, e, 0.0, 20.0)) {
                    TVector p{}, v{};
                    if (s.deepSpace) SDP4(&s, &p, &v, -720.0);
                    else SGP4(&s, &p, &v, -720.0);
                }
            }
            break;
        }
        case 1: LoadFromBytes(rest); break;
        case 2: {
            double x = 0;
            if (rest.size() >= 8) std::memcpy(&x, rest.data() + rest.size() - 8, 8);
            std::string pattern(rest.substr(0, rest.size() >= 8 ? rest.size() - 8 : rest.size()));
            FormatArgs(pattern, {x, "text", 42, -x});
            FormatFloat(pattern, x);
            FormatDateTime(pattern, x);
            FloatToStrFixed(x, static_cast<int>(rest.size() % 20), static_cast<int>(rest.size() % 9));
            FormatGeneral(x);
            break;
        }
        default: ElementEpochJulian(rest); ElementMeanMotion(rest); break;
    }
    return 0;
}
