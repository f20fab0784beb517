// Element sets shared by the satellite tests.
#pragma once
#include <string>

namespace tl {
// A published example set (valid checksums): near-earth, period ~133 min.
inline const std::string kNear1 = "1 00005U 58002B   00179.78495062  .00000023  00000-0  28098-4 0  4753";
inline const std::string kNear2 = "2 00005  34.2682 348.7242 1859667 331.7664  19.3264 10.82419157413667";
// Half-day resonant, deep space.
inline const std::string kDeep1 = "1 08195U 75081A   06176.33215444  .00000099  00000-0  11873-3 0   813";
inline const std::string kDeep2 = "2 08195  64.1586 279.0717 6877146 264.7651  20.2257  2.00491383225656";

inline int checksum(const std::string& s) {
    int sum = 0;
    for (std::size_t i = 0; i < 68 && i < s.size(); ++i) {
        if (s[i] >= '0' && s[i] <= '9') sum += s[i] - '0';
        if (s[i] == '-') ++sum;
    }
    return sum % 10;
}
// Replaces columns [first, first + text.size()) (1-based) and repairs column 69.
inline std::string edit(std::string line, std::size_t first, const std::string& text) {
    line.replace(first - 1, text.size(), text);
    line[68] = static_cast<char>('0' + checksum(line));
    return line;
}
}  // namespace tl
