// Orbit Mean-Elements Messages (OMM): CSV with the keyword header, JSON (an
// array of keyword objects) and CCSDS XML (an ndm of omm, or one bare omm).
// Every record becomes an element entry whose two element lines carry the
// same values, so the rest of the program sees only element lines. Records
// that the lines cannot carry are skipped and counted with their reason.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "uStatus.h"
#include "uVarDef.h"

enum class TElementFormat { kTwoLine, kOmmCsv, kOmmJson, kOmmXml };
const char* ElementFormatName(TElementFormat format);  // "two-line", "OMM CSV", ...

// What reading one file met besides the entries it gave.
struct TElementReadReport {
    TElementFormat format = TElementFormat::kTwoLine;
    std::size_t records = 0;  // OMM records met (two-line text counts none)
    std::size_t skipped = 0;  // records that gave no entry
    std::size_t strayLines = 0;  // two-line text: non-blank lines that belong to no element set
    std::vector<std::pair<std::string, std::size_t>> reasons;  // why, how often; first seen first
    std::string error;        // why the file (or its rest) could not be read; "" when it could

    void Skip(std::string_view reason);
    // One line for the user: "" when every record was taken and nothing failed.
    std::string Summary() const;
};

// The keywords the element lines need or can carry.
enum TOmmKey : int {
    kOmmObjectName, kOmmObjectId, kOmmCenterName, kOmmRefFrame, kOmmTimeSystem, kOmmTheory,
    kOmmEpoch, kOmmMeanMotion, kOmmEccentricity, kOmmInclination, kOmmRaOfAscNode,
    kOmmArgOfPericenter, kOmmMeanAnomaly, kOmmEphemerisType, kOmmClassification, kOmmNoradCatId,
    kOmmElementSetNo, kOmmRevAtEpoch, kOmmBstar, kOmmMeanMotionDot, kOmmMeanMotionDdot,
    kOmmKeyCount
};
std::string_view OmmKeyName(int key);
// The key of a keyword, or -1. hint: the key found last, so records that
// list their keywords in one order cost one comparison per field.
int OmmKeyOf(std::string_view name, int hint = -1);

// One record's values as text, by key; absent keys are empty and not present.
struct TOmmFields {
    std::string_view value[kOmmKeyCount];
    bool present[kOmmKeyCount] = {};
    void Set(int key, std::string_view text) {
        value[key] = text;
        present[key] = true;
    }
};

// The entry of one record: both lines written and checked, magnitude 8.0.
// Invalid, with the reason ("without EPOCH"), when the lines cannot carry the record.
TStatus OmmToEntry(const TOmmFields& fields, TElementEntry& entry);

// The format of a text, judged from its first characters and its first line.
TElementFormat DetectElementFormat(std::string_view text);

// The three readers append to entries (up to kMaxElementEntries) and fill
// report. The JSON and XML readers work in the caller's buffer, which they
// may grow (padding) or change (parsing in place): pass a copy to keep.
void ReadOmmCsv(std::string_view text, std::vector<TElementEntry>& entries, TElementReadReport& report);
void ReadOmmJson(std::string& text, std::vector<TElementEntry>& entries, TElementReadReport& report);
// Files with a document type declaration are refused: entities are never expanded.
void ReadOmmXml(std::string& text, std::vector<TElementEntry>& entries, TElementReadReport& report);
