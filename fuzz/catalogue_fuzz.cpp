// libFuzzer target: the catalogue loader, the element reader (two-line text
// and the three OMM encodings), catalogue numbers and the formatter's three
// pattern languages on arbitrary bytes.
#include <cstddef>
#include <cstdlib>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <unistd.h>
#include <vector>

#include "Satellite.h"
#include "uCatNumber.h"
#include "uFormat.h"
#include "uLoadSave.h"
#include "uOmm.h"

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

// Every entry a reader gives must be a valid set the propagator can start
// or refuse; an OMM entry whose lines fail tle_valid is a writer bug.
void CheckEntries(const std::vector<TElementEntry>& entries) {
    for (const TElementEntry& e : entries) {
        if (!tle_valid(e.line1.str().c_str(), e.line2.str().c_str())) std::abort();
        TSatRec s{};
        if (InitSatelliteFromEntry(s, e, 0.0, 20.0)) {
            TVector p{}, v{};
            if (s.deepSpace) SDP4(&s, &p, &v, -720.0);
            else SGP4(&s, &p, &v, -720.0);
        }
    }
}

void ReadOmm(int kind, std::string_view bytes) {
    std::vector<TElementEntry> entries;
    TElementReadReport report;
    std::string text(bytes);
    if (kind == 0) ReadOmmCsv(text, entries, report);
    else if (kind == 1) ReadOmmJson(text, entries, report);
    else ReadOmmXml(text, entries, report);
    if (report.skipped > report.records) std::abort();
    report.Summary();
    CheckEntries(entries);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
    switch (data[0] % 8) {
        case 0: {
            std::vector<TElementEntry> entries;
            ReadElementText(entries, rest);
            CheckEntries(entries);
            break;
        }
        case 4: case 5: case 6: ReadOmm(data[0] % 8 - 4, rest); break;
        case 7: {
            // Any six digits are a number; only 0..339999 have a five-character field.
            const long n = CatalogueNumberValue(rest);
            const std::string field = CatalogueNumberField(n);
            if (n > 999999 || (n > kMaxCatalogueNumber) != (n >= 0 && field.empty())) std::abort();
            if (n >= 0 && n <= kMaxCatalogueNumber && CatalogueNumberValue(field) != n) std::abort();
            SearchTextHasNumber(rest, rest.substr(0, 5));
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
