#include "uNetFiles.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

#include "uFileIO.h"
#include "uFormat.h"

namespace netfiles {

bool ReadLines(const std::string& path, std::vector<std::string>& lines) {
    bool truncated = false;
    if (ReadFileLines(path, kMaxTextFileBytes, lines, &truncated) && !truncated) return true;
    lines.clear();
    return false;
}

TStatus WriteLinesAtomic(const std::string& path, const std::vector<std::string>& lines, const char* eol) {
    std::string text;
    for (const auto& l : lines) {
        text += l;
        text += eol;
    }
    return ::WriteFileAtomic(path, text);
}

bool FileExists(const std::string& path) {
    struct stat st{};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string FolderOf(const std::string& path) {
    auto p = path.find_last_of('/');
    return p == std::string::npos ? std::string() : path.substr(0, p + 1);
}

std::string FileNameOf(const std::string& path) {
    auto p = path.find_last_of('/');
    return p == std::string::npos ? path : path.substr(p + 1);
}

}  // namespace netfiles
