#include "uText.h"

#include <cctype>
#include <charconv>
#include <cmath>

namespace {
// The trimmed text without a leading '+', which from_chars refuses.
std::string_view NumberText(std::string_view text) {
    text = TrimText(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    return text;
}

template <typename Int>
bool ParseWhole(std::string_view text, Int& value) {
    text = NumberText(text);
    if (text.empty()) return false;
    Int v = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc() || end != text.data() + text.size()) return false;
    value = v;
    return true;
}
}  // namespace

std::string UpperText(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

std::string_view TrimText(std::string_view s) {
    while (!s.empty() && static_cast<unsigned char>(s.front()) <= ' ') s.remove_prefix(1);
    while (!s.empty() && static_cast<unsigned char>(s.back()) <= ' ') s.remove_suffix(1);
    return s;
}

std::string_view DataColumns(std::string_view line, std::size_t first, std::size_t last) {
    if (first < 1 || last < first || first > line.size()) return {};
    return line.substr(first - 1, last - first + 1);
}

// from_chars, unlike strtod, ignores the process locale (a GUI toolkit may
// set one with a decimal comma).
bool ParseNumber(std::string_view text, double& value) {
    text = NumberText(text);
    if (text.empty()) return false;
    double v = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(v)) return false;
    value = v;
    return true;
}

bool ParseInteger(std::string_view text, int64_t& value) { return ParseWhole(text, value); }
bool ParseInteger(std::string_view text, int32_t& value) { return ParseWhole(text, value); }
