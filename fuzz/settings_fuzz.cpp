// libFuzzer target: the settings files (Options.bin, Observer.bin, the
// provider's query record) and the fixed-column lines of the data files on
// arbitrary bytes. The first byte picks what the rest is.
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <numbers>
#include <string>
#include <string_view>
#include <vector>

#include "uDataFiles.h"
#include "uInitialize.h"
#include "uMagFile.h"
#include "uRateLimit.h"

namespace {

// Every save syncs its file and folder: on tmpfs that costs nothing.
const std::string& Folder() {
    static const std::string folder = [] {
        struct stat st {};
        const std::string base = ::stat("/dev/shm", &st) == 0 && S_ISDIR(st.st_mode) ? "/dev/shm/" : "/tmp/";
        std::string f = base + "orbisk_settingsfuzz_" + std::to_string(::getpid()) + "/";
        ::mkdir(f.c_str(), 0700);
        return f;
    }();
    return folder;
}

void Put(const char* name, std::string_view bytes) {
    std::FILE* f = std::fopen((Folder() + name).c_str(), "wb");
    if (!f) std::abort();
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

// Whatever a file held, what is read lies in range, and what we write of it
// reads back without a single complaint.
void Options(std::string_view bytes) {
    Put(kOptionsFile, bytes);
    TOptions o{};
    TMenuSettings m{};
    std::vector<std::string> warnings;
    LoadOptions(Folder(), "/p/", o, m, &warnings);
    if (o.viewMode < 1 || o.viewMode > 3 || o.fontSize < 4 || o.fontSize > 72 || !std::isfinite(o.magLimit) ||
        !std::isfinite(m.skyCentreAlt) || !std::isfinite(m.skyCentreAz))
        std::abort();
    if (!SaveOptions(Folder(), o, m)) std::abort();
    warnings.clear();
    if (!LoadOptions(Folder(), "/p/", o, m, &warnings) || !warnings.empty()) std::abort();
}

void Observer(std::string_view bytes) {
    Put(kObserverFile, bytes);
    TObserver obs{};
    std::vector<std::string> warnings;
    ReadObserverFile(Folder(), obs, &warnings);
    const double halfPi = std::numbers::pi / 2 + 1e-12;
    if (!std::isfinite(obs.pos.lat) || std::fabs(obs.pos.lat) > halfPi || !std::isfinite(obs.pos.lon) ||
        !std::isfinite(obs.pos.height) || !std::isfinite(obs.utcOffset) || !std::isfinite(obs.rhoCos) ||
        !std::isfinite(obs.rhoSin))
        std::abort();
    if (!SaveObserver(Folder(), obs)) std::abort();
    warnings.clear();
    if (!ReadObserverFile(Folder(), obs, &warnings) || !warnings.empty()) std::abort();
}

// A record of any content leaves a wait between none and one hour.
void GpRecord(std::string_view bytes) {
    Put(kGpRecordFile, bytes);
    TLimiterClock clock{[] { return 1000.0; }, [](double) {}, [] { return 1.7e9; }};
    TProviderLimiter limiter(clock);
    limiter.KeepGpRecord(Folder() + kGpRecordFile);
    const double wait = limiter.GpWait();
    if (!(wait >= 0.0 && wait <= kGpClassInterval)) std::abort();
}

void FixedColumnLines(std::string_view text) {
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view line = text.substr(start, end - start);
        TMapCity city;
        ParseMapLocationLine(line, city);
        TLocation loc;
        if (ParseLocationLine(line, loc) && !(std::isfinite(loc.lat) && std::isfinite(loc.lon))) std::abort();
        TTimeZone zone;
        ParseTimezoneLine(line, zone);
        TStarEntry star;
        ParseStarLine(line, star);
        TDownloadEntry entry;
        ParseDownloadLine(line, entry);
        TMagEntry mag;
        ParseMagEntryLine(line, mag);
        start = end + 1;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
    switch (data[0] % 4) {
        case 0: Options(rest); break;
        case 1: Observer(rest); break;
        case 2: GpRecord(rest); break;
        default: FixedColumnLines(rest); break;
    }
    return 0;
}
