#include "uArgValues.h"

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "uFormat.h"
#include "uText.h"

#ifndef ORBISK_VERSION
#define ORBISK_VERSION "0"
#endif

namespace {
bool ParseDigits(std::string_view s, int& value) {
    if (s.empty()) return false;
    for (char c : s)
        if (c < '0' || c > '9') return false;
    int32_t v = 0;
    if (!ParseInteger(s, v)) return false;
    value = v;
    return true;
}

// "Z", "+HH:MM", "+HHMM" or "+HH" (or '-') as minutes east of UTC.
bool ParseZone(std::string_view zone, int& minutes) {
    if (zone == "Z" || zone == "z") {
        minutes = 0;
        return true;
    }
    if (zone.size() < 3 || (zone[0] != '+' && zone[0] != '-')) return false;
    const int sign = zone[0] == '-' ? -1 : 1;
    zone.remove_prefix(1);
    int hours = 0, mins = 0;
    if (!ParseDigits(zone.substr(0, 2), hours)) return false;
    zone.remove_prefix(2);
    if (!zone.empty() && zone[0] == ':') zone.remove_prefix(1);
    if (!zone.empty() && (zone.size() != 2 || !ParseDigits(zone, mins))) return false;
    if (hours > 14 || mins > 59) return false;
    minutes = sign * (hours * 60 + mins);
    return true;
}

}  // namespace

bool ParseArgNumber(std::string_view text, double& value) {
    return !text.empty() && TrimText(text).size() == text.size() && ParseNumber(text, value);
}

bool ParseDateTimeArg(std::string_view text, TDateTimeArg& out) {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, msec = 0, zoneMinutes = 0;
    bool zoned = false;
    if (text.size() < 10 || text[4] != '-' || text[7] != '-') return false;
    if (!ParseDigits(text.substr(0, 4), year) || !ParseDigits(text.substr(5, 2), month) ||
        !ParseDigits(text.substr(8, 2), day))
        return false;
    std::string_view rest = text.substr(10);
    if (!rest.empty()) {
        if (rest[0] != ' ' && rest[0] != 'T' && rest[0] != 't') return false;
        rest.remove_prefix(1);
        if (rest.size() < 5 || rest[2] != ':' || !ParseDigits(rest.substr(0, 2), hour) ||
            !ParseDigits(rest.substr(3, 2), minute))
            return false;
        rest.remove_prefix(5);
        if (!rest.empty() && rest[0] == ':') {
            if (rest.size() < 3 || !ParseDigits(rest.substr(1, 2), second)) return false;
            rest.remove_prefix(3);
            if (!rest.empty() && (rest[0] == '.' || rest[0] == ',')) {
                rest.remove_prefix(1);
                std::size_t n = 0;
                double fraction = 0.0, scale = 0.1;
                for (; n < rest.size() && rest[n] >= '0' && rest[n] <= '9'; ++n, scale /= 10.0)
                    fraction += (rest[n] - '0') * scale;
                if (n == 0) return false;
                rest.remove_prefix(n);
                msec = std::min(999, static_cast<int>(std::lround(fraction * 1000.0)));
            }
        }
        if (!rest.empty()) {
            if (!ParseZone(rest, zoneMinutes)) return false;
            zoned = true;
        }
    }
    double t = 0.0;
    if (!TryEncodeDayNumber(year, month, day, hour, minute, second, msec, &t)) return false;
    out.dayNumber = t - zoneMinutes / 1440.0;
    out.zoned = zoned;
    return true;
}

bool ParseDateTimeArg(std::string_view text, double& utcDayNumber) {
    TDateTimeArg arg;
    if (!ParseDateTimeArg(text, arg)) return false;
    utcDayNumber = arg.dayNumber;
    return true;
}

std::string DateTimeArgError(const std::string& option, const std::string& text) {
    return option + " must be a date and time like \"2018-01-22 18:00:00\" or \"2018-01-22T18:00Z\", not '" +
           text + "'";
}

std::string VersionLine(const std::string& program) { return program + " (Orbisk) " ORBISK_VERSION; }

std::string ProgramVersion() { return ORBISK_VERSION; }

std::string ExecutableFolder() {
    std::vector<char> buf(4096);
    const ssize_t n = readlink("/proc/self/exe", buf.data(), buf.size() - 1);
    if (n <= 0) return "./";
    std::string path(buf.data(), static_cast<std::size_t>(n));
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? "./" : path.substr(0, slash + 1);
}
