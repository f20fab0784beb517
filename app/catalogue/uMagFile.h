// The magnitude file Mag.dat: common names and standard magnitudes by
// catalogue number, one fixed-column line each, after a first line holding
// the URL of the names archive.
#pragma once
#include <string>
#include <unordered_map>
#include <vector>

#include "uNetFiles.h"
#include "uVarDef.h"

inline constexpr const char* kDefaultNamesUrl = "http://example.org/qmnames.zip";
inline constexpr double kMagRangeLimitKm = 300000.0;

// Index of the last line containing key anywhere, or -1 (also for an empty key).
int FindMagLine(const std::string& key, const std::vector<std::string>& lines);

// FindMagLine for many five-character keys (catalogue numbers) on one list:
// every five-character window of every line is indexed once.
class TMagIndex {
public:
    explicit TMagIndex(const std::vector<std::string>& lines);
    int Find(const std::string& key) const;  // same answer as FindMagLine

private:
    const std::vector<std::string>& lines_;
    std::unordered_map<std::string, int> last_;
};

// "%0:-6s  %1:-24s %2:5s"
std::string FormatMagLine(const std::string& number, const std::string& name, const std::string& magText);
std::string MagNumber(const std::string& line);  // columns 1-5, trimmed
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
// URL line first, then the entries; replaces the file atomically.
bool SaveMagFile(const std::string& path, const TMagFile& mag);

// Magnitude seen at rangeKm reduced to the standard range of 1000 km.
double StandardMagnitude(double magnitude, double rangeKm);

struct TMagEntryInput {
    bool isNew = false;
    std::string number;     // five digits
    std::string name;       // as typed
    std::string magnitude;  // as typed
    std::string range;      // as typed, in the display unit
    double distanceFactor = 1.0;
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
// Removes a line that repeats the number of the line before it, one per pair.
void RemoveDuplicateMagLines(std::vector<std::string>& lines);

// Every record whose number has a line gets that line's magnitude.
int CopyMagnitudes(std::vector<TSatRec>& sats, const std::vector<std::string>& lines);

// Element files carry no brightness: every entry whose catalogue number has
// a line gets that line's magnitude (a blank or unreadable field leaves the
// entry's own). Returns how many got one.
int CopyMagnitudes(std::vector<TElementEntry>& entries, const std::vector<std::string>& lines);

// The element sets a search takes from an element file: ReadElementsForSearch,
// then the standard magnitudes of magPath (Mag.dat). A missing Mag.dat
// leaves every set at 8.0 and says so in *warning (with what the reader
// skipped, "; " between).
bool ReadSearchElements(std::vector<TElementEntry>& entries, const std::string& path,
                        const std::string& magPath, std::string& error, std::string* warning = nullptr);
