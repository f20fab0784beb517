// The satellite selector's view of an element file: its entries in file
// order, both sort orders, the labels shown, the pages and the search. Made
// once per file on a worker and never changed afterwards, so any thread may
// read it.
#pragma once
#include <cstddef>
#include <cmath>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "uVarDef.h"

inline constexpr std::size_t kSelectorPageSize = 1000;
// Satellites the selector lets the list hold (the tracked maximum).
inline constexpr std::size_t kSelectorMaxList = 15;

// The columns of the file list, each a sort order of the whole file.
enum class TSelectorColumn { Number, Name, Epoch, Inclination };
inline constexpr int kSelectorColumns = 4;

struct TSelectorFile {
    std::string path;
    std::vector<TElementEntry> entries;  // file order
    std::vector<std::string> names;      // shown in name mode (the number when a set has no name)
    std::vector<std::string> upperNames; // searched in name mode
    std::vector<std::string> numbers;    // shown in number mode: six digits for Alpha-5
    std::vector<uint32_t> byName;        // entry indexes, by name without regard to case
    std::vector<uint32_t> byNumber;      // entry indexes, by catalogue number as a number
    std::vector<std::string> epochs;     // "yyyy-mm-dd hh:nn" UTC ("" when unreadable)
    std::vector<std::string> inclinations;  // degrees as in line 2 ("" when unreadable)
    std::vector<double> epochDays, inclinationValues;  // NaN when unreadable
    std::vector<uint32_t> byEpoch;       // entry indexes, oldest first, unreadable last
    std::vector<uint32_t> byInclination; // entry indexes, least inclined first, unreadable last
    // The other sets of objects with several (a supplemental file), by the
    // entry listed for the object, in entry order; most files have none.
    std::vector<std::pair<uint32_t, std::vector<TElementEntry>>> otherSets;
    std::string problem;                 // why the file gave no sets ("" when it gave some)
    std::string warning;                 // what the reader skipped ("" when nothing)

    std::size_t size() const { return entries.size(); }
    const std::vector<uint32_t>& order(bool numberMode) const { return numberMode ? byNumber : byName; }
    const std::vector<uint32_t>& order(TSelectorColumn column) const;
    const std::string& label(uint32_t entry, bool numberMode) const {
        return numberMode ? numbers[entry] : names[entry];
    }
    const std::string& text(uint32_t entry, TSelectorColumn column) const;
    // The other sets of the entry's object (none for most).
    const std::vector<TElementEntry>& others(uint32_t entry) const;
};

// Reads and sorts an element file (any format the element reader knows).
// Several sets of one object (a supplemental file) give one entry: the set
// whose epoch is nearest clock (UTC day number; NaN: the computer's clock);
// the others are kept in otherSets, so that choosing the object takes all.
std::shared_ptr<const TSelectorFile> LoadSelectorFile(const std::string& path, double clock = std::nan(""));

// One page: entries pageStart .. pageStart + 999 of the sort order.
struct TSelectorPage {
    std::vector<uint32_t> entries;
    std::size_t first = 0, last = 0;  // 1-based numbers of the first and last shown; 0, 0 when none
    bool more = false;                // entries remain after the page
};
TSelectorPage SelectorPage(const TSelectorFile& file, bool numberMode, std::size_t pageStart);
// The same of the order of a column, last first when descending.
TSelectorPage SelectorPage(const TSelectorFile& file, TSelectorColumn column, bool descending, std::size_t pageStart);
// entries (search matches) put in the order of a column, as a page would show them.
void SortSelectorEntries(const TSelectorFile& file, std::vector<uint32_t>& entries, TSelectorColumn column,
                         bool descending);

// Entries matching text, in the current sort order and without paging.
// Names: text (any case) occurs in the upper-case name. Numbers: a word of
// text is the whole catalogue number. Empty text matches nothing.
std::vector<uint32_t> SearchSelectorFile(const TSelectorFile& file, bool numberMode, std::string_view text);

// "Orbisk - <file> -  (<first> to <last>) - <count> Satellites"
std::string SelectorPageCaption(const std::string& path, const TSelectorPage& page, std::size_t total);
// "Orbisk - <file>  - <count> Satellites"
std::string SelectorSearchCaption(const std::string& path, std::size_t matches);

// The satellite record made from a file entry: selected, with the standard
// magnitude magLines give its number (8.0 when none). False (sat marked
// rejected) when its lines do not make a usable record.
bool SelectorRecord(TSatRec& sat, const TElementEntry& entry, const std::vector<std::string>& magLines);
