// Catalogue files (MainSat.bin, IridSat.bin, SkySat.bin: plain runs of
// 1112-byte TSatRec records) and element (TLE) text files.
#pragma once
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "uFileIO.h"
#include "uOmm.h"
#include "uStatus.h"
#include "uText.h"
#include "uVarDef.h"

// Loading stops here: more cannot be saved again, and a bigger file is not
// a catalogue of ours.
inline constexpr std::size_t kMaxCatalogueRecords = 65536;
// Element sets read from one text file at most (the public catalogue holds
// well under a tenth of this); the rest of a bigger file is ignored.
inline constexpr std::size_t kMaxElementEntries = 250000;
// Element files larger than this are refused whole (the full public
// catalogue as OMM XML is well under a fifth of it).
inline constexpr std::size_t kMaxElementFileBytes = 256u << 20;

// Reads the whole file and replaces list with its records, in order
// (count = size / 1112; trailing bytes ignored). A missing, unreadable or
// empty file gives an empty list. Each record's model is rebuilt from its
// element fields (RebuildSatModel), whatever the file's work area holds;
// records whose rebuilt model fails CheckSatRec are kept as found (so a save
// writes them back) but marked kDecayedRejected and are never propagated.
// True when at least one record was read.
bool LoadCatalogue(std::vector<TSatRec>& list, const std::string& path);

// LoadCatalogue for a job that needs satellites: ok when at least one record
// can be used; when only some can, *warning says how many were left out.
// Else FileReadFailure when the file cannot be read, invalid when it holds
// no records ("File: <path> holds no satellite records") or none usable
// ("every one of the 3 records of <path> is unusable ...").
TStatus LoadCatalogueForSearch(std::vector<TSatRec>& list, const std::string& path,
                               std::string* warning = nullptr);

// LoadCatalogue for a window, which keeps every record: one line per thing
// the user should know goes to *warnings (the file cannot be read, holds
// unusable records or a part record), and *whole says whether the file was
// read whole (false when it is there but cannot be read, or its size is not
// a whole number of records), for the guard of its save.
bool LoadCatalogueFile(std::vector<TSatRec>& list, const std::string& path, std::vector<std::string>* warnings,
                       bool* whole);

// Writes all records byte for byte to a new file that replaces path
// atomically; an empty list writes an empty file. Invalid when the list is
// longer than kMaxCatalogueRecords, WriteFileAtomic's status when the file
// cannot be written; both messages read "cannot write <path>: <reason>".
// With a guard that says the file could not be read, nothing is written
// (and success comes back) while the list is the one that stood in for it.
TStatus SaveCatalogue(const std::vector<TSatRec>& list, const std::string& path, const TReadGuard* guard = nullptr);
// The bytes SaveCatalogue writes.
std::string CatalogueBytes(const std::vector<TSatRec>& list);

// Empties entries, then appends one entry per element set in the file, in
// file order. True when at least one set was found. The format is judged
// from the content (DetectElementFormat): two-line and three-line text, or
// OMM as CSV, JSON or XML, whose records become entries with the same values
// (uOmm.h). report, when given, says what was skipped and why, and why a
// file could not be read at all (missing, not a file, over
// kMaxElementFileBytes, not valid JSON or XML ...).
// The name rules of two-line text: a name line directly before line 1 is
// used when it has at most 25 characters (its first 24, trimmed); a longer
// one, or none, gives the catalogue number; the first set of a file without
// name lines gets "".
bool ReadElementFile(std::vector<TElementEntry>& entries, const std::string& path,
                     TElementReadReport* report = nullptr);
// ReadElementFile for a job that needs element sets, less the sets the propagator cannot start:
// ok when some are left, and *warning, when given, says what was skipped, those sets counted too
// ("" when nothing). Else FileReadFailure ("File: <path> is a folder") when the file cannot be
// read, invalid ("no element sets in <path>: ...") when it can. made, when given, gets the records
// of the kept sets (MakeSatelliteRecord), entry for entry: they are made for the check anyway.
TStatus ReadElementsForSearch(std::vector<TElementEntry>& entries, const std::string& path,
                              std::string* warning = nullptr, std::vector<TSatRec>* made = nullptr);
// True when the file holds at least one element set in any format: the
// test a new download must pass before it may replace an element file.
bool HoldsElementSets(const std::string& path);
// The same on text already in memory.
void ReadElementText(std::vector<TElementEntry>& entries, std::string_view text,
                     TElementReadReport* report = nullptr);

// Makes sat from entry when entry's mean motion lies strictly between nLow
// and nHigh; otherwise false and sat untouched. False also when the lines
// do not parse or the initialisation fails (sat is then marked rejected).
bool InitSatelliteFromEntry(TSatRec& sat, const TElementEntry& entry, double nLow, double nHigh);
// The records InitSatelliteFromEntry makes of entries, in entry order, each
// made in place (a big catalogue on a few threads).
std::vector<TSatRec> SatellitesFromEntries(const std::vector<TElementEntry>& entries, double nLow, double nHigh);
// Of entries and the records made of them (entry for entry), keeps those
// whose mean motion lies strictly between nLow and nHigh, as
// InitSatelliteFromEntry would.
void KeepMeanMotions(std::vector<TElementEntry>& entries, std::vector<TSatRec>& sats, double nLow, double nHigh);

// The common steps every maker of satellite records takes: name, catalogue
// number and magnitude into sat, parse_elements, then SGP4_init or
// SDP4_init by the deep-space flag. True when both calls succeeded; on
// failure sat is marked kDecayedRejected so it is never propagated.
// magSource (a TMagSource, uMagFile.h) goes into the record's spare byte.
bool MakeSatelliteRecord(TSatRec& sat, std::string_view name, std::string_view catNo, double stdMag,
                         const std::string& line1, const std::string& line2, uint8_t magSource = 0);

// Builds the propagator's work area of sat afresh from its element fields
// (bytes 0..128): SDP4_init or SGP4_init by the deep-space flag. False when
// the elements cannot be propagated; the work area is then void.
bool RebuildSatModel(TSatRec& sat);

// True when a record's public fields are finite and physically plausible and
// a trial propagation at its epoch (on a copy) lands between its perigee and
// apogee. A record from a file that fails this was not made by our parser.
bool CheckSatRec(const TSatRec& sat);

// Epoch of an element set from line 1, columns 19-32, as a Julian date;
// NaN when the columns do not hold a number.
double ElementEpochJulian(std::string_view line1);
// Columns 53-63 of line 2 as revolutions per day; 0 when not a number.
double ElementMeanMotion(std::string_view line2);

// Ok when path names an existing regular file; else notFound with the text
// "File: <path> not found" (or what stands there instead: "File: <path> is a
// folder"), for the caller to show through its diagnostics.
TStatus FileStatus(const std::string& path);
inline bool CheckFile(const std::string& path) { return FileStatus(path).Ok(); }
