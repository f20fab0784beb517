// Horizon masks: what an observer's surroundings hide. A mask is an azimuth
// -> altitude table, linear between its points and wrapping at north, plus a
// floor; the limit a satellite must clear at an azimuth is the larger of the
// two (and of a search's own minimum elevation). No mask is no change at all.
#pragma once
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "uStatus.h"

struct THorizonPoint {
    double azimuth = 0.0;   // degrees, 0 <= az < 360, north 0, east 90
    double altitude = 0.0;  // degrees, -90..90
    bool operator==(const THorizonPoint&) const = default;
};

class THorizonMask {
public:
    THorizonMask() = default;
    // Points are taken in order and kept sorted by azimuth (stably, so a
    // vertical step given as two points at one azimuth keeps its sense).
    explicit THorizonMask(std::vector<THorizonPoint> points, double floorDegrees = 0.0);

    const std::vector<THorizonPoint>& Points() const { return points_; }
    double FloorDegrees() const { return floor_; }
    // Neither points nor a floor above 0: hides nothing.
    bool Empty() const { return points_.empty() && !(floor_ > 0.0); }

    // The table's altitude at an azimuth, degrees (the floor left out);
    // -90 without points. At an azimuth given twice, the higher.
    double TableDegrees(double azimuthDegrees) const;
    // The limit at an azimuth in radians: table, floor and minElevation
    // (rad), the largest of them.
    double Limit(double azimuthRad, double minElevation) const;
    // The lowest and highest limit over all azimuths, rad.
    double LowestLimit(double minElevation) const;
    double HighestLimit(double minElevation) const;

    bool operator==(const THorizonMask&) const = default;

private:
    double At(double azimuthDegrees) const;
    std::vector<THorizonPoint> points_;
    double floor_ = 0.0;
};

using THorizonHandle = std::shared_ptr<const THorizonMask>;

// The limit at an azimuth with or without a mask: minElevation without.
inline double HorizonLimit(const THorizonHandle& mask, double azimuthRad, double minElevation) {
    return mask ? mask->Limit(azimuthRad, minElevation) : minElevation;
}
// A mask that changes a search: null for none, or for one that hides
// nothing above minElevation anywhere.
THorizonHandle EffectiveHorizon(const THorizonHandle& mask, double minElevation);

// How the numbers of a horizon list are to be read.
enum class THorizonAngles {
    kAltitude,          // azimuth and altitude
    kZenithDistance,    // azimuth and zenith distance (altitude = 90 - z)
};
struct THorizonFormat {
    THorizonAngles angles = THorizonAngles::kAltitude;
    bool radians = false;  // both numbers in radians
    bool csv = false;      // "az,alt" with an optional header row
};

// What a read found. ok false: the file cannot be used at all (missing,
// unreadable, too large, not text, or no usable point), kind says which
// (notFound, ioError, invalid) and error why; the mask is then empty and
// must not be used. ok true: badLines are the 1-based numbers of the lines
// skipped.
struct THorizonRead {
    bool ok = false;
    TStatusKind kind = TStatusKind::invalid;
    THorizonMask mask;
    std::vector<std::size_t> badLines;
    std::string error;
};

// Largest file read as a mask.
inline constexpr std::size_t kMaxHorizonBytes = 1 << 20;

THorizonRead ParseHorizonText(const std::string& text, const THorizonFormat& format = {});
THorizonRead ReadHorizonFile(const std::string& path, const THorizonFormat& format = {});
// The format a file name suggests: CSV for ".csv", else the list in degrees.
THorizonFormat HorizonFormatForName(const std::string& path);

// "N lines skipped (3, 7, 12)" for a read with bad lines ("" without); the
// numbers after the tenth are left out.
std::string SkippedLinesText(const THorizonRead& read);

// The list as ParseHorizonText reads it back (degrees, altitude; the floor
// in a "# floor:" comment that other readers pass over).
std::string HorizonText(const THorizonMask& mask);
// Written atomically (WriteFileAtomic's status).
TStatus WriteHorizonFile(const std::string& path, const THorizonMask& mask);

// The observer's own mask file in a data folder (ending with '/'): one per
// observer name, so another place never takes this one's obstacles.
std::string ObserverHorizonPath(const std::string& dataFolder, const std::string& observerName);

// A mask file made ready for the searches in mask. A failure ("The horizon
// mask PATH cannot be read: why") leaves mask null: a mask that cannot be
// used at all is never half-used. Skipped lines leave the rest in use and
// are told in *note ("" without).
TStatus LoadHorizonMask(const std::string& path, const THorizonFormat& format, THorizonHandle& mask,
                        std::string* note = nullptr);
// The observer's mask of a data folder: ok with a null mask when there is
// none (no file), else as LoadHorizonMask.
TStatus LoadObserverHorizon(const std::string& dataFolder, const std::string& observerName, THorizonHandle& mask,
                            std::string* note = nullptr);
// The report's header line for a mask in use: "  Horizon mask: 4 points up
// to 30.0 deg, floor 5.0 deg".
std::string HorizonHeaderLine(const THorizonMask& mask);
