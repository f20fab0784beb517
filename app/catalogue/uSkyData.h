// Star and constellation files (SaoStar.bin, Constellation.bin): plain runs
// of 56-byte records, no header, little-endian.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "ShortString.h"
#include "uStatus.h"

#pragma pack(push, 1)
struct TSkyRecord {
    double ra;              // 0  rad
    double dec;             // 8  rad
    double extra;           // 16 not read by the program; our star file keeps the SAO number here
    double mag;             // 24 visual magnitude (stars only)
    ShortString<23> name;   // 32 star name, or constellation name on a figure's first point
};
#pragma pack(pop)

static_assert(sizeof(TSkyRecord) == 56);
static_assert(offsetof(TSkyRecord, dec) == 8);
static_assert(offsetof(TSkyRecord, extra) == 16);
static_assert(offsetof(TSkyRecord, mag) == 24);
static_assert(offsetof(TSkyRecord, name) == 32);

inline constexpr std::size_t kSkyRecordSize = sizeof(TSkyRecord);
// A file bigger than this is not one of ours; reading stops there.
inline constexpr std::size_t kMaxSkyFileBytes = 64u << 20;

// Reads every whole record of a file into list (replacing it); trailing bytes
// that do not make a record are ignored. A missing or unreadable file leaves
// the list empty: FileReadFailure ("File: <path> not found").
TStatus ReadSkyFile(const std::string& path, std::vector<TSkyRecord>& list);

// Loads dataFolder's SaoStar.bin into stars and Constellation.bin into
// figures. Each list is replaced, so opening the radar window in sky mode
// does not double the lists. False when either file was missing; *message
// then names the missing file(s), one line each.
bool LoadSkyData(const std::string& dataFolder, std::vector<TSkyRecord>& stars,
                 std::vector<TSkyRecord>& figures, std::string* message = nullptr);

// Number of complete figure lines (record pairs); an unpaired last record of
// an odd-sized file is never drawn.
std::size_t ConstellationLineCount(const std::vector<TSkyRecord>& list);

// Record from catalogue values in degrees; the name is cut to 23 characters.
TSkyRecord MakeSkyRecord(double raDeg, double decDeg, double mag, std::string_view name, double extra = 0.0);

// Writes the records byte for byte to a temporary file beside path and
// renames it over path. WriteFileAtomic's status (on failure the old file is
// untouched).
TStatus WriteSkyFile(const std::string& path, const std::vector<TSkyRecord>& list);
