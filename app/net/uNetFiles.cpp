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

bool WriteLinesAtomic(const std::string& path, const std::vector<std::string>& lines, const char* eol) {
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

std::string Trim(const std::string& s) {
    std::size_t b = 0, e = s.size();
    while (b < e && static_cast<unsigned char>(s[b]) <= ' ') ++b;
    while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ') --e;
    return s.substr(b, e - b);
}

std::string Columns(const std::string& line, std::size_t first, std::size_t last) {
    if (first < 1 || last < first || first > line.size()) return {};
    return line.substr(first - 1, last - first + 1);
}

bool ParseInt(const std::string& text, long& value) {
    std::string t = Trim(text);
    if (t.empty()) return false;
    errno = 0;
    char* end = nullptr;
    long v = std::strtol(t.c_str(), &end, 10);
    if (errno != 0 || *end != '\0') return false;
    value = v;
    return true;
}

// from_chars, unlike strtod, ignores the process locale (a GUI toolkit may set
// one with a decimal comma).
bool ParseDouble(const std::string& text, double& value) {
    const std::string t = Trim(text);
    const char* first = t.data();
    const char* last = first + t.size();
    if (first != last && *first == '+') ++first;
    if (first == last) return false;
    double v = 0;
    const auto [end, ec] = std::from_chars(first, last, v);
    if (ec != std::errc() || end != last || !std::isfinite(v)) return false;
    value = v;
    return true;
}

bool EpochDayNumber(const std::string& line1, double& dayNumber) {
    if (line1.size() < 32) return false;
    long yy = 0;
    double day = 0;
    const std::string yText = line1.substr(18, 2);
    if (yText.find_first_not_of("0123456789") != std::string::npos) return false;
    if (!ParseInt(yText, yy) || !ParseDouble(line1.substr(20, 12), day)) return false;
    long year = yy + 1900;
    if (year < 1957) year += 100;
    dayNumber = EncodeDayNumber(static_cast<int>(year), 1, 1) - 1.0 + day;
    return true;
}

}  // namespace netfiles
