// The magnitude file Mag.dat: common names and standard magnitudes by
// catalogue number, one fixed-column line each, after a first line holding
// the URL of the names archive.
//
// A line: number in columns 1-5 (five-character form: digits or Alpha-5),
// name in 9-32, standard magnitude in 34-38 ("%4.1f"). After column 38 a
// line may carry, from column 40, the word saying where its magnitude came
// from (observed, rcs, rule, user, unknown) and, for a number past the
// five-character form (up to nine digits), that number after one blank;
// columns 1-5 then hold "*****". An unknown magnitude is written as 8.0 so
// that readers of the plain columns keep the placeholder they always had.
// A line without the word is an older one: its 8.0 (or an unreadable field)
// is unknown, any other value counts as observed.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "uNetFiles.h"
#include "uStatus.h"
#include "uVarDef.h"

// Where a standard magnitude came from. The numbers are stored (the spare
// byte of a satellite record): never renumber.
enum class TMagSource : uint8_t {
    kNotRecorded = 0,  // older records and lines: decided by the value (8.0 is unknown)
    kUnknown = 1,
    kObserved = 2,     // imported from observers' lists
    kRcs = 3,          // estimated from the radar cross-section
    kNameRule = 4,     // a family's constant
    kUser = 5,         // typed in the editor
};
inline constexpr double kPlaceholderStdMag = 8.0;
inline constexpr long kMaxMagNumber = 999999999;

const char* MagSourceWord(TMagSource s);          // "observed", ...; "" for kNotRecorded
TMagSource MagSourceFromWord(std::string_view w);  // kNotRecorded for anything else
// The source as it counts: kNotRecorded resolved by the value.
TMagSource ResolvedMagSource(TMagSource s, double stdMag);
inline bool MagnitudeKnown(TMagSource s, double stdMag) {
    return ResolvedMagSource(s, stdMag) != TMagSource::kUnknown;
}

// The source a satellite record carries for its stdMag.
TMagSource SatMagSource(const TSatRec& sat);
void SetSatMagSource(TSatRec& sat, TMagSource s);
inline bool SatMagnitudeKnown(const TSatRec& sat) { return MagnitudeKnown(SatMagSource(sat), sat.stdMag); }

inline constexpr const char* kDefaultNamesUrl = "http://example.org/qmnames.zip";
inline constexpr double kMagRangeLimitKm = 300000.0;

// Index of the last line containing key anywhere, or -1 (also for an empty key).
int FindMagLine(const std::string& key, const std::vector<std::string>& lines);

// Catalogue numbers looked up by value on one list: the last line whose
// number (MagNumberValue) is the key's. A key that is no catalogue number
// falls back to FindMagLine. A number never matches inside a name or
// inside a longer number, as a text search would.
class TMagIndex {
public:
    explicit TMagIndex(const std::vector<std::string>& lines);
    int Find(const std::string& key) const;
    int FindNumber(long number) const;

private:
    const std::vector<std::string>& lines_;
    std::unordered_map<long, int> last_;
};

// "%0:-6s  %1:-24s %2:5s"
std::string FormatMagLine(const std::string& number, const std::string& name, const std::string& magText);
// A line with its source word; number up to nine digits.
std::string FormatMagLine(long number, const std::string& name, const std::string& magText, TMagSource source);
std::string MagNumber(const std::string& line);  // columns 1-5, trimmed
long MagNumberValue(const std::string& line);    // the full number, -1 when none
TMagSource MagLineSource(const std::string& line);  // the word after column 39, or kNotRecorded
// The line's standard magnitude as it counts; false when unknown.
bool MagLineValue(const std::string& line, double& mag, TMagSource* source = nullptr);
// The same line with another source word (and the placeholder for unknown).
std::string WithMagSource(const std::string& line, TMagSource source);
// Entries by number (lines without a number last, by text).
void SortMagLines(std::vector<std::string>& lines);
struct TMagSourceCounts {
    int observed = 0, rcs = 0, rule = 0, user = 0, unknown = 0;
};
TMagSourceCounts CountMagSources(const std::vector<std::string>& lines);
std::string MagName(const std::string& line);    // columns 9-32, trimmed
std::string MagText(const std::string& line);    // columns 34-38, trimmed
std::string FormatMagnitude(double mag);         // "%0:4.1f"

struct TMagFile {
    std::string url;
    std::vector<std::string> lines;  // entries only, sorted as text
    bool hadUrl = false;             // the file had its URL line
};

// Missing file: no entries and the built-in URL. The URL line is taken out.
bool LoadMagFile(const std::string& path, TMagFile& mag);
// URL line first, then the entries; replaces the file atomically
// (WriteFileAtomic's status).
TStatus SaveMagFile(const std::string& path, const TMagFile& mag);

// Magnitude seen at rangeKm reduced to the standard range of 1000 km.
double StandardMagnitude(double magnitude, double rangeKm);

struct TMagEntryInput {
    bool isNew = false;
    std::string number;     // up to nine digits, or Alpha-5
    std::string name;       // as typed
    std::string magnitude;  // as typed
    std::string range;      // as typed, in the display unit
    double distanceFactor = 1.0;
    TMagSource source = TMagSource::kUser;  // kUnknown saves the placeholder, whatever was typed
};

struct TMagSaveResult {
    bool ok = false;
    std::string message;  // the refusal, or "Satellite entry saved."
    int index = -1;       // the saved line after sorting
    std::string magText;  // the standard magnitude as shown
};

// Checks an entry, reduces its magnitude and puts its line into the sorted list.
// An edited entry replaces the line of its number.
TMagSaveResult SaveMagEntry(std::vector<std::string>& lines, const TMagEntryInput& in);

// Merges the lines of the names file into the entry lines (numbers ascending).
std::vector<std::string> MergeNamesLines(const std::vector<std::string>& entries,
                                         const std::vector<std::string>& names);
// Removes a line that repeats the number of the line before it, one per pair
// (by number, so "*****" lines of different numbers stay).
void RemoveDuplicateMagLines(std::vector<std::string>& lines);

// Every record whose number has a line gets that line's magnitude and source
// (an unknown line gives the placeholder and says it is unknown).
int CopyMagnitudes(std::vector<TSatRec>& sats, const std::vector<std::string>& lines);

// Element files carry no brightness: every entry whose catalogue number has
// a line gets that line's magnitude (a blank or unreadable field leaves the
// entry's own). Returns how many got one.
int CopyMagnitudes(std::vector<TElementEntry>& entries, const std::vector<std::string>& lines);

// The element sets a search takes from an element file: ReadElementsForSearch,
// then the standard magnitudes of magPath (Mag.dat). A missing Mag.dat
// leaves every set at 8.0 and says so in *warning (with what the reader
// skipped, "; " between). ReadElementsForSearch's status. made, when given, gets the records of
// the sets, entry for entry, magnitudes included.
TStatus ReadSearchElements(std::vector<TElementEntry>& entries, const std::string& path,
                           const std::string& magPath, std::string* warning = nullptr,
                           std::vector<TSatRec>* made = nullptr);
