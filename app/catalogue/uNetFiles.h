// Small file helpers shared by the download, conversion and magnitude modules.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "uFormat.h"
#include "uStatus.h"
#include "uText.h"
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
// Lines joined by eol, written through a temporary file renamed over path
// (WriteFileAtomic's status).
TStatus WriteLinesAtomic(const std::string& path, const std::vector<std::string>& lines, const char* eol);
bool FileExists(const std::string& path);
std::string FolderOf(const std::string& path);  // with its trailing '/', or "" for a bare name
std::string FileNameOf(const std::string& path);

}  // namespace netfiles
