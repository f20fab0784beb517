// Small file helpers shared by the download, conversion and magnitude modules.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "uFormat.h"
#include "uVarDef.h"

// A message for the user: the window layer shows it as an OK-only box.
struct TNetMessage {
    std::string title;
    std::string text;
};

namespace netfiles {

constexpr std::uint64_t kMaxTextFileBytes = 256ull << 20;

// Reads a text file as lines without their CR/LF; false when it cannot be read.
bool ReadLines(const std::string& path, std::vector<std::string>& lines);
// Lines joined by eol, written through a temporary file renamed over path.
bool WriteLinesAtomic(const std::string& path, const std::vector<std::string>& lines, const char* eol);
bool FileExists(const std::string& path);
std::string FolderOf(const std::string& path);  // with its trailing '/', or "" for a bare name
std::string FileNameOf(const std::string& path);
std::string Trim(const std::string& s);
// Columns are 1-based and inclusive; a short line yields what is there.
std::string Columns(const std::string& line, std::size_t first, std::size_t last);
// Whole-text number parsing: false on garbage instead of a partial value.
bool ParseInt(const std::string& text, long& value);
bool ParseDouble(const std::string& text, double& value);

// Day number (days since 1899-12-30) of the epoch in columns 19-32 of line 1.
bool EpochDayNumber(const std::string& line1, double& dayNumber);
constexpr double kJulianOffset = kJulianDayNumberOffset;

}  // namespace netfiles
