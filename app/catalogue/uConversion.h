// Element files turned into the program's data: common-name files and the
// Iridium and sky-satellite catalogues.
#pragma once
#include <string>
#include <vector>

#include "uNetFiles.h"
#include "uOmm.h"
#include "uVarDef.h"

inline constexpr const char* kCommonNamePrefix = "Common_Name_";

// Path of the common-name file beside an element file.
std::string CommonNamePath(const std::string& elementPath);

// Writes the common-name file beside an element file; the source is never
// touched. A failure says why: notFound for a file that cannot be read,
// invalid for one without element sets, ioError when the common-name file
// cannot be written. read, when given, says what the element reader skipped.
TStatus ConvertToCommonNames(const std::string& elementPath, const std::string& magPath,
                             TElementReadReport* read = nullptr);
// The message of "File Conversion": on success it names the written path and
// what was skipped; on failure its second line says why.
TNetMessage ConvertFileTask(const std::string& elementPath, const std::string& magPath);

// The first Iridium NEXT satellite (2017); the first generation, launched
// 1997-2002, is numbered far below.
inline constexpr long kFirstIridiumNextNumber = 41917;

// The iridium flag leaves out names holding '?', an upper-case 'T' or "DEB"
// (debris) and numbers from kFirstIridiumNextNumber on. When
// no entry gives a record nothing is written (an empty list never replaces a
// catalogue) and notFound comes back with *made 0; otherwise SaveCatalogue's
// status. *made: the records made.
TStatus WriteCatalogueFile(std::vector<TElementEntry> entries, const std::string& path, bool iridium,
                        std::size_t* made = nullptr);

// Builds irdPath from "Iridium.tle" (or its common-name file) in folder; the
// loaded result is put in iridiumSats when the file was written.
TNetMessage CreateIridiumFile(const std::string& folder, const std::string& iridPath,
                              std::vector<TSatRec>& iridiumSats, bool& written);

// Sky catalogue: the element sets of sourcePath that have a magnitude line,
// with that line's magnitude. No message on success (empty title).
TNetMessage CreateSkySatFile(const std::string& sourcePath, const std::string& magPath,
                             const std::string& skyPath, std::vector<TSatRec>& skySats, bool& written);
// The merge alone: entries sorted by number, magnitude lines without the URL line.
std::vector<TElementEntry> MergeSkyEntries(const std::vector<TElementEntry>& sorted,
                                           const std::vector<std::string>& magLines);
void SortEntriesByNumber(std::vector<TElementEntry>& entries);

// When skyPath is older than ageDays whole days at nowDay (a day number): its
// list, updated from folder. Nothing is written: the caller, on the UI thread,
// writes the file back when the list changed.
struct TSkyRefresh {
    std::vector<TSatRec> sats;  // empty when the file is fresh or missing
    bool changed = false;       // some element set in folder was newer
};
TSkyRefresh RefreshSkySats(const std::string& skyPath, const std::string& folder, double nowDay, int ageDays);
