// Transit targets: the Sun, the Moon, a planet, a fixed right ascension and
// declination, or a star of star.dat. The dialogs that pick a star or enter a
// position live in the windows; this module holds what they compute.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "SatTypes.h"

inline constexpr const char* kRaDecName = "Ra/Dec";
inline constexpr const char* kStarName = "STAR";
inline constexpr const char* kBadRightAscension = "Not a valid Right Ascension";
inline constexpr const char* kBadDeclination = "Not a valid Declination";

// A target: its body state (body code, fixed position for 50/51) and the
// name the reports show.
struct TTransitTarget {
    TSatState state{};
    std::string name = "Sun";
};

// Body code of an entry of the target list ("Sun" 0, "Moon" 31, "Mercury" 1,
// ... "Pluto" 9, "Ra/Dec" 50, "STAR" 51); -1 for anything else. Exact names.
int32_t TargetBodyCode(std::string_view entry);
// The twelve entries in list order.
const std::vector<std::string>& TargetEntries();

// Target of a list entry that needs no dialog: the Sun, the Moon, a planet.
bool MakeBodyTarget(std::string_view entry, TTransitTarget& target);

// A fixed position (radians, of date) at one astronomical unit.
void SetRaDecTarget(TTransitTarget& target, double ra, double dec);
void SetStarTarget(TTransitTarget& target, double ra, double dec, const std::string& name);

// The Ra/Dec entry fields for a position: "HHMMSS" and "+DDMMSS" (the angle
// texts of the library without their unit marks and blanks).
std::string RaEntryText(double ra);
std::string DecEntryText(double dec);

// Reads the two fields of the Ra/Dec entry. The right ascension is HHMMSS
// (hours at most 23, minutes and seconds at most 59); only when it is valid
// is the declination read: a sign, then DDMMSS (degrees at most 89, minutes
// and seconds at most 59). A field that fails leaves its value 0 and puts
// its message in *message; the other value keeps what was read. True when
// both were valid. Values in radians.
bool ReadRaDecEntry(std::string_view raText, std::string_view decText, double& ra, double& dec,
                    std::string* message = nullptr);

// star.dat.
struct TStarChoice {
    double ra = 0.0, dec = 0.0;   // radians, precessed to the epoch
    std::string raText, decText;  // as the picker shows them
    std::string magText;          // columns 22-26
    std::string catalogueName;    // columns 27-35
    std::string commonName;       // columns 38-57, trimmed
};
// The picker's list: columns 37-56 of every line, trimmed, sorted. Empty for
// a missing or unreadable file.
std::vector<std::string> StarListNames(const std::vector<std::string>& lines);
// The values for a selected list text: the last line that contains it wins.
// epoch: day number the position is precessed to (from J2000). False when no
// line holds the text (or the text is empty).
bool FindStar(const std::vector<std::string>& lines, std::string_view selected, double epoch,
              TStarChoice& choice);
// Reads star.dat's lines (false when missing or unreadable).
bool ReadStarFile(const std::string& path, std::vector<std::string>& lines);
