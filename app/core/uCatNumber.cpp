#include "uCatNumber.h"

#include "uText.h"

#include <cctype>

namespace {

constexpr char kAlpha5Letters[] = "ABCDEFGHJKLMNPQRSTUVWXYZ";  // 10 .. 33

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string_view TrimSpaces(std::string_view s) {
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    return s;
}

int Alpha5Lead(char c) {
    for (int i = 0; kAlpha5Letters[i] != '\0'; ++i)
        if (kAlpha5Letters[i] == c) return 10 + i;
    return -1;
}

}  // namespace

long CatalogueNumberValue(std::string_view field) {
    field = TrimSpaces(field);
    if (field.empty() || field.size() > 6) return -1;
    long value = 0;
    std::size_t i = 0;
    if (!IsDigit(field[0])) {
        const int lead = Alpha5Lead(field[0]);
        if (lead < 0 || field.size() != 5) return -1;
        value = lead;
        i = 1;
    }
    for (; i < field.size(); ++i) {
        if (!IsDigit(field[i])) return -1;
        value = value * 10 + (field[i] - '0');
    }
    return value;
}

std::string CatalogueNumberField(long value) {
    if (value < 0 || value > kMaxCatalogueNumber) return {};
    std::string out(5, '0');
    long rest = value % 10000;
    for (int i = 4; i >= 1; --i, rest /= 10) out[static_cast<std::size_t>(i)] = static_cast<char>('0' + rest % 10);
    const long lead = value / 10000;
    out[0] = lead < 10 ? static_cast<char>('0' + lead) : kAlpha5Letters[lead - 10];
    return out;
}

std::string CatalogueNumberText(std::string_view field) {
    const std::string_view t = TrimSpaces(field);
    if (!t.empty() && !IsDigit(t[0])) {
        const long v = CatalogueNumberValue(t);
        if (v >= 0) return std::to_string(v);
    }
    return std::string(field);
}

bool CatalogueNumberLess(std::string_view a, std::string_view b) {
    const long x = CatalogueNumberValue(a), y = CatalogueNumberValue(b);
    if (x >= 0 && y >= 0) return x < y;
    if (x >= 0 || y >= 0) return x >= 0;
    return a < b;
}

bool SearchTextHasNumber(std::string_view text, std::string_view field) {
    const long want = CatalogueNumberValue(field);
    if (want < 0) return false;
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && !std::isalnum(static_cast<unsigned char>(text[i]))) ++i;
        std::size_t j = i;
        while (j < text.size() && std::isalnum(static_cast<unsigned char>(text[j]))) ++j;
        if (j > i) {
            if (CatalogueNumberValue(UpperText(text.substr(i, j - i))) == want) return true;
        }
        i = j;
    }
    return false;
}
