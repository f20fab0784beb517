#include "uTimeZone.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <mutex>
#include <optional>

#include "uFileIO.h"
#include "uUnits.h"

namespace {

std::string ZoneFolder() {
    const char* dir = std::getenv("TZDIR");
    return dir && *dir ? std::string(dir) : std::string("/usr/share/zoneinfo");
}

// A name is a relative path of plain words: nothing that climbs out of the
// database or reads another file.
bool PlainZoneName(const std::string& name) {
    if (name.empty() || name.front() == '/' || name.back() == '/' || name.size() > 255) return false;
    std::size_t wordStart = 0;
    for (std::size_t i = 0; i <= name.size(); ++i) {
        if (i < name.size() && name[i] != '/') {
            const char c = name[i];
            if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '-' || c == '+' || c == '.'))
                return false;
            continue;
        }
        const std::string word = name.substr(wordStart, i - wordStart);
        if (word.empty() || word == "." || word == "..") return false;
        wordStart = i + 1;
    }
    return true;
}

// The zone's offset in seconds at a Unix time, through the C library with
// TZ pointing at the zone's file; TZ is put back afterwards.
long OffsetSeconds(const std::string& path, std::time_t when) {
    static std::mutex mutex;
    std::lock_guard<std::mutex> lock(mutex);
    const char* old = std::getenv("TZ");
    const std::optional<std::string> saved = old ? std::optional<std::string>(old) : std::nullopt;
    setenv("TZ", (":" + path).c_str(), 1);
    tzset();
    std::tm local{};
    const long offset = localtime_r(&when, &local) ? local.tm_gmtoff : 0;
    if (saved)
        setenv("TZ", saved->c_str(), 1);
    else
        unsetenv("TZ");
    tzset();
    return offset;
}

std::time_t UnixTime(double dayNumber) {
    return static_cast<std::time_t>(std::llround((dayNumber - kUnixEpochDay) * 86400.0));
}

TStatus ZonePath(const std::string& name, std::string& path) {
    if (!PlainZoneName(name))
        return TStatus::Failure(TStatusKind::invalid,
                                "--tz: '" + name + "' is not a time-zone name like Europe/Berlin");
    path = ZoneFolder() + "/" + name;
    std::string head;
    // Every compiled zone file starts with this magic; anything else (a
    // folder such as "Europe", a text file of the database) is no zone.
    if (!ReadFileBytes(path, 4, head) || head != "TZif")
        return TStatus::Failure(TStatusKind::notFound, "--tz: no time zone '" + name + "' in " + ZoneFolder() +
                                                           " (names look like Europe/Berlin or America/New_York)");
    return TStatus::Success();
}
}  // namespace

TStatus CheckZoneName(const std::string& name) {
    std::string path;
    return ZonePath(name, path);
}

TStatus ZoneOffsetAt(const std::string& name, double utc, double& offsetDays) {
    std::string path;
    if (TStatus zone = ZonePath(name, path); !zone) return zone;
    offsetDays = OffsetSeconds(path, UnixTime(utc)) / 86400.0;
    return TStatus::Success();
}

TStatus ZoneLocalToUtc(const std::string& name, double local, double& utc) {
    std::string path;
    if (TStatus zone = ZonePath(name, path); !zone) return zone;
    // The offset a day before is the one in force before any change near
    // this time; if it does not give this local time back, the later does.
    const double before = OffsetSeconds(path, UnixTime(local - 1.0)) / 86400.0;
    utc = local - before;
    const double at = OffsetSeconds(path, UnixTime(utc)) / 86400.0;
    if (at != before) {
        const double later = local - at;
        if (std::fabs(OffsetSeconds(path, UnixTime(later)) / 86400.0 - at) < 1e-9) utc = later;
    }
    return TStatus::Success();
}
