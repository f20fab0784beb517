#include "uMagImport.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>

#include "uCatNumber.h"
#include "uCsv.h"
#include "uFileIO.h"
#include "uFormat.h"
#include "uLoadSave.h"
#include "uText.h"

namespace {

constexpr std::size_t kMaxImportBytes = 64u << 20;  // a full SATCAT is about 10 MB
constexpr std::size_t kNameWidth = 24;

int Rank(TMagSource s) {
    switch (s) {
    case TMagSource::kRcs: return 1;
    case TMagSource::kNameRule: return 2;
    case TMagSource::kObserved: return 3;
    case TMagSource::kUser: return 4;
    default: return 0;
    }
}

const char* KeptReason(TMagSource s) {
    switch (s) {
    case TMagSource::kUser: return "the user's own value";
    case TMagSource::kObserved: return "an observed value";
    case TMagSource::kNameRule: return "a name-rule value";
    default: return "an estimate from the RCS";
    }
}

// Offers one value to the lines, by number.
class TMerger {
public:
    TMerger(std::vector<std::string>& lines, TMagImportReport& report) : lines_(lines), report_(report) {
        for (std::size_t i = 0; i < lines.size(); ++i)
            if (const long n = MagNumberValue(lines[i]); n >= 0) at_[n] = i;
    }
    ~TMerger() { SortMagLines(lines_); }

    void Offer(long number, std::string_view name, double mag, TMagSource source) {
        if (number < 0 || number > kMaxMagNumber) return Skip("unreadable number");
        if (!std::isfinite(mag) || std::fabs(mag) > 19.9) return Skip("magnitude out of range");
        const std::string magText = FormatMagnitude(mag);
        auto it = at_.find(number);
        if (it == at_.end()) {
            std::string n = UpperText(std::string(TrimText(name)));
            if (n.size() > kNameWidth) n.resize(kNameWidth);
            if (TrimText(n).empty()) n = std::to_string(number);
            at_[number] = lines_.size();
            lines_.push_back(FormatMagLine(number, std::string(TrimText(n)), magText, source));
            ++report_.added;
            return;
        }
        std::string& line = lines_[it->second];
        double old = 0;
        TMagSource had = TMagSource::kUnknown;
        MagLineValue(line, old, &had);
        if (had == TMagSource::kUser || Rank(had) > Rank(source)) return Skip(std::string("kept ") + KeptReason(had));
        const std::string fresh = FormatMagLine(number, MagName(line), magText, source);
        if (fresh == line) return Skip("already the same");
        line = fresh;
        ++report_.updated;
    }
    void Skip(const std::string& why) { ++report_.skipped[why]; }

private:
    std::vector<std::string>& lines_;
    TMagImportReport& report_;
    std::unordered_map<long, std::size_t> at_;
};

std::vector<std::string_view> SplitLines(std::string_view text) {
    std::vector<std::string_view> out;
    while (!text.empty()) {
        const auto e = text.find('\n');
        std::string_view l = text.substr(0, e);
        if (!l.empty() && l.back() == '\r') l.remove_suffix(1);
        out.push_back(l);
        if (e == std::string_view::npos) break;
        text.remove_prefix(e + 1);
    }
    return out;
}

bool AllDigits(std::string_view s) {
    return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// A qs.mag entry line: five digits, then a blank.
bool IsQsMagLine(std::string_view l) { return l.size() >= 7 && AllDigits(l.substr(0, 5)) && l[5] == ' '; }

std::string Upper(std::string_view s) { return UpperText(std::string(s)); }

// The number after "STARLINK-" (or a blank), -1 when none.
long NameNumber(std::string_view upperName, std::size_t from) {
    while (from < upperName.size() && (upperName[from] == '-' || upperName[from] == ' ')) ++from;
    std::size_t e = from;
    while (e < upperName.size() && e - from < 9 && upperName[e] >= '0' && upperName[e] <= '9') ++e;
    if (e == from) return -1;
    return std::stol(std::string(upperName.substr(from, e - from)));
}

}  // namespace

double RcsStandardMagnitude(double rcs) { return kRcsMagConstant - 2.5 * std::log10(rcs); }

int TMagImportReport::SkippedCount() const {
    int n = 0;
    for (const auto& [why, count] : skipped) n += count;
    return n;
}

std::string TMagImportReport::Summary() const {
    std::string s = kind + ": " + std::to_string(read) + " read, " + std::to_string(added) + " added, " +
                    std::to_string(updated) + " updated, " + std::to_string(SkippedCount()) + " skipped";
    if (!skipped.empty()) {
        s += " (";
        bool first = true;
        for (const auto& [why, count] : skipped) {
            if (!first) s += ", ";
            s += std::to_string(count) + " " + why;
            first = false;
        }
        s += ")";
    }
    return s;
}

TMagImportKind DetectMagImport(std::string_view text) {
    std::string_view head = text.substr(0, std::min<std::size_t>(text.size(), 4096));
    const std::string upperHead = Upper(head.substr(0, head.find('\n')));
    if (upperHead.find("NORAD_CAT_ID") != std::string::npos && upperHead.find("OBJECT_NAME") != std::string::npos &&
        upperHead.find("RCS") != std::string::npos)
        return TMagImportKind::kSatcat;
    std::vector<TElementEntry> entries;
    ReadElementText(entries, text.substr(0, std::min<std::size_t>(text.size(), 1u << 20)));
    if (!entries.empty()) return TMagImportKind::kElements;
    for (std::string_view l : SplitLines(head))
        if (IsQsMagLine(l)) return TMagImportKind::kQsMag;
    return TMagImportKind::kNone;
}

TMagImportReport ImportQsMag(std::vector<std::string>& lines, std::string_view text) {
    TMagImportReport report;
    report.kind = "qs.mag";
    {
        TMerger merge(lines, report);
        for (std::string_view l : SplitLines(text)) {
            if (TrimText(l).empty()) continue;
            ++report.read;
            if (!IsQsMagLine(l)) {
                merge.Skip("not a qs.mag line");
                continue;
            }
            const std::string_view field = TrimText(DataColumns(l, 38, 42));
            double full = 0;
            if (field.empty()) {
                merge.Skip("no magnitude");
                continue;
            }
            if (!ParseNumber(field, full)) {
                merge.Skip("unreadable magnitude");
                continue;
            }
            merge.Offer(std::stol(std::string(l.substr(0, 5))), DataColumns(l, 7, 22), full + kFullToHalfPhase,
                        TMagSource::kObserved);
        }
    }
    return report;
}

TMagImportReport ImportSatcat(std::vector<std::string>& lines, std::string_view text) {
    TMagImportReport report;
    report.kind = "SATCAT";
    TCsvReader csv(text);
    std::vector<std::string_view> f;
    if (!csv.Next(f)) return report;
    int num = -1, name = -1, rcs = -1, decay = -1;
    for (std::size_t i = 0; i < f.size(); ++i) {
        const std::string h = Upper(TrimText(f[i]));
        if (h == "NORAD_CAT_ID") num = static_cast<int>(i);
        else if (h == "OBJECT_NAME") name = static_cast<int>(i);
        else if (h == "RCS") rcs = static_cast<int>(i);
        else if (h == "DECAY_DATE") decay = static_cast<int>(i);
    }
    if (num < 0 || name < 0 || rcs < 0) return report;
    TMerger merge(lines, report);
    auto field = [&](int k) { return k >= 0 && static_cast<std::size_t>(k) < f.size() ? TrimText(f[k]) : std::string_view(); };
    while (csv.Next(f)) {
        ++report.read;
        if (*csv.Fault()) {
            merge.Skip("malformed record");
            continue;
        }
        const std::string_view n = field(num);
        if (!AllDigits(n) || n.size() > 9) {
            merge.Skip("unreadable number");
            continue;
        }
        if (!field(decay).empty()) {
            merge.Skip("decayed");
            continue;
        }
        const std::string_view r = field(rcs);
        double area = 0;
        if (r.empty()) {
            merge.Skip("no RCS");
            continue;
        }
        if (!ParseNumber(r, area) || !(area > 0)) {
            merge.Skip("unreadable RCS");
            continue;
        }
        merge.Offer(std::stol(std::string(n)), field(name), RcsStandardMagnitude(area), TMagSource::kRcs);
    }
    return report;
}

bool NameRuleMagnitude(std::string_view name, long number, double& mag, std::string* rule) {
    const std::string n = Upper(TrimText(name));
    auto say = [&](double m, const char* what) {
        mag = m;
        if (rule) *rule = what;
        return true;
    };
    if (n.rfind("STARLINK", 0) == 0) {
        // Generation 2 "Mini" satellites are named from STARLINK-30000 on.
        const long k = NameNumber(n, 8);
        if (k >= 30000) return say(7.9, "Starlink generation 2 Mini");
        if (k >= 0) return say(6.8, "Starlink generation 1");
        return false;
    }
    // The first generation, launched 1997-2002; the later ones are numbered past 41000.
    if (n.rfind("IRIDIUM", 0) == 0 && number >= 0 && number < 30000) return say(6.0, "Iridium first generation");
    return false;
}

TMagImportReport ApplyNameRules(std::vector<std::string>& lines, const std::vector<TNamedObject>& objects) {
    TMagImportReport report;
    report.kind = "name rules";
    TMerger merge(lines, report);
    for (const TNamedObject& o : objects) {
        ++report.read;
        double mag = 0;
        if (!NameRuleMagnitude(o.name, o.number, mag)) {
            merge.Skip("no rule for the name");
            continue;
        }
        merge.Offer(o.number, o.name, mag, TMagSource::kNameRule);
    }
    return report;
}

bool ParseMagImportKind(std::string_view text, TMagImportKind& kind) {
    if (text == "qsmag") kind = TMagImportKind::kQsMag;
    else if (text == "satcat") kind = TMagImportKind::kSatcat;
    else if (text == "rules") kind = TMagImportKind::kElements;
    else return false;
    return true;
}

TStatus ImportMagnitudeFile(const std::string& path, const std::string& magPath, TMagImportReport& report,
                            TMagImportKind kind) {
    std::string text;
    bool truncated = false;
    if (!ReadFileBytes(path, kMaxImportBytes, text, &truncated)) return FileReadFailure(path);
    if (truncated)
        return TStatus::Failure(TStatusKind::invalid, "File: " + path + " is larger than " +
                                                          std::to_string(kMaxImportBytes >> 20) + " MB");
    TMagFile mag;
    // A Mag.dat that exists but cannot be read must not be replaced by the import alone.
    if (!LoadMagFile(magPath, mag) && IsUnreadableFile(magPath)) return FileReadFailure(magPath);
    const std::vector<std::string> before = mag.lines;
    if (kind == TMagImportKind::kNone) kind = DetectMagImport(text);
    switch (kind) {
    case TMagImportKind::kQsMag: report = ImportQsMag(mag.lines, text); break;
    case TMagImportKind::kSatcat: report = ImportSatcat(mag.lines, text); break;
    case TMagImportKind::kElements: {
        std::vector<TElementEntry> entries;
        ReadElementText(entries, text);
        if (entries.empty())
            return TStatus::Failure(TStatusKind::invalid, "File: " + path + " holds no element sets for the name rules");
        std::vector<TNamedObject> objects;
        objects.reserve(entries.size() + mag.lines.size());
        for (const auto& e : entries) objects.push_back({CatalogueNumberValue(e.catNo.view()), std::string(e.name.view())});
        for (const auto& l : mag.lines) objects.push_back({MagNumberValue(l), MagName(l)});
        report = ApplyNameRules(mag.lines, objects);
        break;
    }
    case TMagImportKind::kNone:
        return TStatus::Failure(TStatusKind::invalid,
                                "File: " + path + " is neither a qs.mag list, SATCAT CSV nor an element file");
    }
    if (mag.lines == before) return TStatus::Success();
    if (TStatus saved = SaveMagFile(magPath, mag); !saved)
        return TStatus::Failure(saved.kind, "File: " + magPath + " could not be written");
    return TStatus::Success();
}
