// Readers of the installation's fixed-column text files: MapLocations.dat,
// Locations.dat / UserLocations.dat, Timezone.dat, star.dat, dwnlist.dat and
// the entry lines of Mag.dat. Columns are 1-based and inclusive; a short line
// simply has blank columns. Numbers use '.' whatever the locale.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "uText.h"

// Text files larger than this are not ours; reading stops there.
inline constexpr std::size_t kMaxDataFileBytes = 16u << 20;

// Lines of a text file without their CR/LF ends. False (lines empty) when
// the file is missing or unreadable.
bool ReadDataLines(const std::string& path, std::vector<std::string>& lines);


// MapLocations.dat: latitude 1-8, longitude 9-16, name 18-37.
inline constexpr std::size_t kCityLatFirst = 1, kCityLatLast = 8;
inline constexpr std::size_t kCityLonFirst = 9, kCityLonLast = 16;
inline constexpr std::size_t kCityNameFirst = 18, kCityNameLast = 37;
struct TMapCity {
    double lat = 0, lon = 0;  // degrees, north and east positive
    std::string name;
};
bool ParseMapLocationLine(std::string_view line, TMapCity& city);

// Locations.dat and UserLocations.dat, written with
// "%0:-32s %1:9s %2:11s %3:9s %4:42s %5:9s".
inline constexpr std::size_t kLocNameFirst = 1, kLocNameLast = 32;
inline constexpr std::size_t kLocLatFirst = 34, kLocLatLast = 42;
inline constexpr std::size_t kLocLonFirst = 44, kLocLonLast = 54;
inline constexpr std::size_t kLocGeoidFirst = 56, kLocGeoidLast = 64;
inline constexpr std::size_t kLocZoneFirst = 66, kLocZoneLast = 107;
inline constexpr std::size_t kLocHeightFirst = 109, kLocHeightLast = 117;
struct TLocation {
    std::string name, latText, lonText, zone;
    double lat = 0, lon = 0;        // degrees
    double geoidHeight = 0;         // metres
    double height = 0;              // metres above mean sea level
};
// False when a number field does not parse or an angle is out of range
// (latitude strictly inside ±90, longitude inside ±180).
bool ParseLocationLine(std::string_view line, TLocation& loc);
// Texts longer than their field are cut so every field stays in its columns.
std::string FormatLocationLine(std::string_view name, std::string_view latText, std::string_view lonText,
                               std::string_view geoidText, std::string_view zone, std::string_view heightText);

// Timezone.dat: offset in hours 1-5, then columns 8-47 hold a blank and the name.
inline constexpr std::size_t kZoneOffsetFirst = 1, kZoneOffsetLast = 5;
inline constexpr std::size_t kZoneListFirst = 8, kZoneListLast = 47;
struct TTimeZone {
    double offsetHours = 0;
    std::string offsetText;  // columns 1-5, trimmed
    std::string listText;    // columns 8-47 as the list shows them
    std::string name;        // listText trimmed
};
bool ParseTimezoneLine(std::string_view line, TTimeZone& zone);

// star.dat: RA 1-9 and Dec 11-20 (J2000 degrees), magnitude 22-26,
// catalogue name 27-35, common name 37-56 (list) and 38-57 (shown).
struct TStarEntry {
    double raDeg = 0, decDeg = 0;
    std::string magText, catalogueName, listName, shownName;
};
bool ParseStarLine(std::string_view line, TStarEntry& star);

// dwnlist.dat: flag 1, kind 3, display name 5-38 (gzip stem 13-38), URL from 40:
// 80 columns once, up to kDownloadLastColumn now that filtered provider
// queries are longer (older lists read the same).
inline constexpr std::size_t kDownloadLastColumn = 551;
inline constexpr std::size_t kDownloadLoginEntries = 12;
inline constexpr std::size_t kDownloadMaxEntries = 256;
struct TDownloadEntry {
    bool enabled = false;
    int kind = 0;              // 0 plain, 1 gzip, 2 zip
    std::string displayName;   // columns 5-38, trimmed
    std::string shortStem;     // columns 13-38, trimmed
    std::string url;           // columns 40-kDownloadLastColumn, trimmed
    // File stem of the download target: columns 13-38 for gzip, else 5-38.
    const std::string& stem() const { return kind == 1 ? shortStem : displayName; }
};
// False when the flag or kind column is not a digit, the kind is not 0-2,
// or the name or URL is empty.
bool ParseDownloadLine(std::string_view line, TDownloadEntry& entry);

// Mag.dat entry lines, "%0:-6s  %1:-24s %2:5s": number 1-5, name 9-32,
// magnitude 34-38. The first line of the file is the names-archive URL.
struct TMagEntry {
    std::string number, name;
    double mag = 8.0;   // standard magnitude; blank or not a number gives 8.0
    bool magGiven = false;
};
bool ParseMagEntryLine(std::string_view line, TMagEntry& entry);
