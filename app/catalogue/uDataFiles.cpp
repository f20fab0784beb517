#include "uDataFiles.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "uFileIO.h"

bool ReadDataLines(const std::string& path, std::vector<std::string>& lines) {
    // Bounded read: a huge file or one endless line never exhausts memory.
    return ReadFileLines(path, kMaxDataFileBytes, lines);
}

bool ParseMapLocationLine(std::string_view line, TMapCity& city) {
    double lat = 0, lon = 0;
    if (!ParseNumber(DataColumns(line, kCityLatFirst, kCityLatLast), lat) ||
        !ParseNumber(DataColumns(line, kCityLonFirst, kCityLonLast), lon))
        return false;
    if (std::fabs(lat) > 90.0 || std::fabs(lon) > 180.0) return false;
    city.lat = lat;
    city.lon = lon;
    city.name = std::string(TrimText(DataColumns(line, kCityNameFirst, kCityNameLast)));
    return true;
}

bool ParseLocationLine(std::string_view line, TLocation& loc) {
    TLocation l;
    l.name = std::string(TrimText(DataColumns(line, kLocNameFirst, kLocNameLast)));
    l.latText = std::string(TrimText(DataColumns(line, kLocLatFirst, kLocLatLast)));
    l.lonText = std::string(TrimText(DataColumns(line, kLocLonFirst, kLocLonLast)));
    l.zone = std::string(TrimText(DataColumns(line, kLocZoneFirst, kLocZoneLast)));
    if (!ParseNumber(l.latText, l.lat) || !ParseNumber(l.lonText, l.lon) ||
        !ParseNumber(DataColumns(line, kLocGeoidFirst, kLocGeoidLast), l.geoidHeight) ||
        !ParseNumber(DataColumns(line, kLocHeightFirst, kLocHeightLast), l.height))
        return false;
    if (!(std::fabs(l.lat) < 90.0) || !(std::fabs(l.lon) < 180.0)) return false;
    loc = std::move(l);
    return true;
}

namespace {
std::string Field(std::string_view text, std::size_t width, bool left) {
    text = text.substr(0, std::min(text.size(), width));
    const std::string pad(width - text.size(), ' ');
    return left ? std::string(text) + pad : pad + std::string(text);
}
}  // namespace

std::string FormatLocationLine(std::string_view name, std::string_view latText, std::string_view lonText,
                               std::string_view geoidText, std::string_view zone, std::string_view heightText) {
    return Field(name, 32, true) + ' ' + Field(latText, 9, false) + ' ' + Field(lonText, 11, false) + ' ' +
           Field(geoidText, 9, false) + ' ' + Field(zone, 42, false) + ' ' + Field(heightText, 9, false);
}

bool ParseTimezoneLine(std::string_view line, TTimeZone& zone) {
    TTimeZone z;
    z.offsetText = std::string(TrimText(DataColumns(line, kZoneOffsetFirst, kZoneOffsetLast)));
    if (!ParseNumber(z.offsetText, z.offsetHours)) return false;
    z.listText = std::string(DataColumns(line, kZoneListFirst, kZoneListLast));
    z.name = std::string(TrimText(z.listText));
    if (z.name.empty()) return false;
    zone = std::move(z);
    return true;
}

bool ParseStarLine(std::string_view line, TStarEntry& star) {
    TStarEntry s;
    if (!ParseNumber(DataColumns(line, 1, 9), s.raDeg) || !ParseNumber(DataColumns(line, 11, 20), s.decDeg))
        return false;
    if (s.raDeg < 0.0 || s.raDeg >= 360.0 || std::fabs(s.decDeg) > 90.0) return false;
    s.magText = std::string(DataColumns(line, 22, 26));
    s.catalogueName = std::string(DataColumns(line, 27, 35));
    s.listName = std::string(TrimText(DataColumns(line, 37, 56)));
    s.shownName = std::string(TrimText(DataColumns(line, 38, 57)));
    star = std::move(s);
    return true;
}

bool ParseDownloadLine(std::string_view line, TDownloadEntry& entry) {
    if (line.size() < 5) return false;
    const unsigned char flag = static_cast<unsigned char>(line[0]);
    const unsigned char kind = static_cast<unsigned char>(line[2]);
    if (!std::isdigit(flag) || !std::isdigit(kind) || kind > '2') return false;
    TDownloadEntry e;
    e.enabled = flag != '0';
    e.kind = kind - '0';
    e.displayName = std::string(TrimText(DataColumns(line, 5, 38)));
    e.shortStem = std::string(TrimText(DataColumns(line, 13, 38)));
    e.url = std::string(TrimText(DataColumns(line, 40, kDownloadLastColumn)));
    if (e.stem().empty() || e.url.empty()) return false;
    entry = std::move(e);
    return true;
}

bool ParseMagEntryLine(std::string_view line, TMagEntry& entry) {
    TMagEntry e;
    e.number = std::string(TrimText(DataColumns(line, 1, 5)));
    if (e.number.empty()) return false;
    e.name = std::string(TrimText(DataColumns(line, 9, 32)));
    double mag = 0;
    if (ParseNumber(DataColumns(line, 34, 38), mag)) {
        e.mag = mag;
        e.magGiven = true;
    }
    entry = std::move(e);
    return true;
}
