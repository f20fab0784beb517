#include "uTargets.h"

#include <algorithm>
#include <cmath>

#include "Zenora.h"
#include "uDataFiles.h"
#include "uTracking.h"

namespace {
struct TEntry {
    const char* name;
    int32_t body;
};
constexpr TEntry kEntries[] = {
    {"Sun", kBodySun},         {"Moon", kBodyMoon},       {"Mercury", kBodyMercury},
    {"Venus", kBodyVenus},     {"Mars", kBodyMars},       {"Jupiter", kBodyJupiter},
    {"Saturn", kBodySaturn},   {"Uranus", kBodyUranus},   {"Neptune", kBodyNeptune},
    {"Pluto", kBodyPluto},     {kRaDecName, kBodyRaDec},  {kStarName, kBodyStar}};

// Digits and signs only: what the masked entry fields hold.
std::string EntryDigits(const char* text) {
    std::string out;
    for (const char* p = text; p && *p; ++p)
        if ((*p >= '0' && *p <= '9') || *p == '+' || *p == '-') out += *p;
    return out;
}

// Two digits at pos of text, at most max; false otherwise.
bool TwoDigits(std::string_view text, std::size_t pos, int max, int& value) {
    if (text.size() < pos + 2) return false;
    const char a = text[pos], b = text[pos + 1];
    if (a < '0' || a > '9' || b < '0' || b > '9') return false;
    value = (a - '0') * 10 + (b - '0');
    return value <= max;
}
}  // namespace

int32_t TargetBodyCode(std::string_view entry) {
    for (const TEntry& e : kEntries)
        if (entry == e.name) return e.body;
    return -1;
}

const std::vector<std::string>& TargetEntries() {
    static const std::vector<std::string> entries = [] {
        std::vector<std::string> v;
        for (const TEntry& e : kEntries) v.emplace_back(e.name);
        return v;
    }();
    return entries;
}

bool MakeBodyTarget(std::string_view entry, TTransitTarget& target) {
    const int32_t body = TargetBodyCode(entry);
    if (body < 0 || IsFixedTarget(body)) return false;
    target.state = TSatState{};
    target.state.body = body;
    target.name = std::string(entry);
    return true;
}

void SetRaDecTarget(TTransitTarget& target, double ra, double dec) {
    target.state = TSatState{};
    SetFixedTarget(target.state, kBodyRaDec, ra, dec);
    target.name = kRaDecName;
}

void SetStarTarget(TTransitTarget& target, double ra, double dec, const std::string& name) {
    target.state = TSatState{};
    SetFixedTarget(target.state, kBodyStar, ra, dec);
    target.name = name;
}

std::string RaEntryText(double ra) { return EntryDigits(Conv_to_str_hrs(true, 0, ra)); }
std::string DecEntryText(double dec) { return EntryDigits(Conv_to_str_deg(true, 0, dec)); }

bool ReadRaDecEntry(std::string_view raText, std::string_view decText, double& ra, double& dec,
                    std::string* message) {
    int h = 0, m = 0, s = 0;
    if (!TwoDigits(raText, 0, 23, h) || !TwoDigits(raText, 2, 59, m) ||
        !TwoDigits(raText, 4, 59, s)) {
        ra = 0.0;
        if (message) *message = kBadRightAscension;
        return false;
    }
    ra = Radians((h + m / 60.0 + s / 3600.0) * 15.0);

    int d = 0;
    const char sign = decText.empty() ? '\0' : decText[0];
    if ((sign != '+' && sign != '-') || !TwoDigits(decText, 1, 89, d) ||
        !TwoDigits(decText, 3, 59, m) || !TwoDigits(decText, 5, 59, s)) {
        dec = 0.0;
        if (message) *message = kBadDeclination;
        return false;
    }
    dec = Radians(d + m / 60.0 + s / 3600.0);
    if (sign == '-') dec = -dec;
    if (message) message->clear();
    return true;
}

std::vector<std::string> StarListNames(const std::vector<std::string>& lines) {
    std::vector<std::string> names;
    for (const std::string& line : lines) {
        std::string name(TrimText(DataColumns(line, 37, 56)));
        if (!name.empty()) names.push_back(std::move(name));
    }
    std::sort(names.begin(), names.end());
    return names;
}

bool FindStar(const std::vector<std::string>& lines, std::string_view selected, double epoch,
              TStarChoice& choice) {
    if (selected.empty()) return false;
    bool found = false;
    for (const std::string& line : lines) {
        if (line.find(selected) == std::string::npos) continue;
        TStarEntry star;
        if (!ParseStarLine(line, star)) continue;
        TRaDec p{Radians(star.raDeg), Radians(star.decDeg), kAstronomicalUnit};
        J2000_to_epoch(&p, epoch + kJulianOffset);
        choice.ra = p.ra;
        choice.dec = p.dec;
        choice.raText = Conv_to_str_hrs(true, 0, p.ra);
        choice.decText = Conv_to_str_deg(true, 0, p.dec);
        choice.magText = star.magText;
        choice.catalogueName = star.catalogueName;
        choice.commonName = star.shownName;
        found = true;
    }
    return found;
}

bool ReadStarFile(const std::string& path, std::vector<std::string>& lines) {
    return ReadDataLines(path, lines);
}
