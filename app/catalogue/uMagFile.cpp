#include "uMagFile.h"

#include <algorithm>
#include <charconv>
#include <cctype>
#include <cmath>
#include <cstdio>

#include "uCatNumber.h"
#include "uFileIO.h"
#include "uFormat.h"
#include "uLoadSave.h"


namespace {

constexpr std::size_t kNameWidth = 24;
constexpr double kMagLimit = 19.9;

std::string PadLeft(const std::string& s, std::size_t width) {
    return s.size() >= width ? s : std::string(width - s.size(), ' ') + s;
}

// Number of a names line; -1 when columns 1-5 are not a number.
long LineNumber(const std::string& line) { return CatalogueNumberValue(DataColumns(line, 1, 5)); }

constexpr const char* kWideNumberField = "*****";
constexpr std::size_t kSourceColumn = 40;  // 1-based

// The words after column 39: the source word, then maybe the full number.
std::vector<std::string_view> TailWords(const std::string& line) {
    std::vector<std::string_view> words;
    if (line.size() < kSourceColumn) return words;
    std::string_view rest = std::string_view(line).substr(kSourceColumn - 1);
    while (!rest.empty()) {
        const auto b = rest.find_first_not_of(" \t");
        if (b == std::string_view::npos) break;
        rest.remove_prefix(b);
        const auto e = rest.find_first_of(" \t");
        words.push_back(rest.substr(0, e));
        if (e == std::string_view::npos) break;
        rest.remove_prefix(e);
    }
    return words;
}

long WideNumber(std::string_view w) {
    if (w.empty() || w.size() > 9) return -1;
    long v = 0;
    for (char c : w) {
        if (c < '0' || c > '9') return -1;
        v = v * 10 + (c - '0');
    }
    return v;
}

std::string NumberField(long number) {
    if (number >= 0 && number <= kMaxCatalogueNumber) return CatalogueNumberField(number);
    return kWideNumberField;
}

bool IsUrlLine(const std::string& line) {
    return line.find("http:") != std::string::npos || line.find("https:") != std::string::npos;
}

}  // namespace

const char* MagSourceWord(TMagSource s) {
    switch (s) {
    case TMagSource::kUnknown: return "unknown";
    case TMagSource::kObserved: return "observed";
    case TMagSource::kRcs: return "rcs";
    case TMagSource::kNameRule: return "rule";
    case TMagSource::kUser: return "user";
    case TMagSource::kNotRecorded: break;
    }
    return "";
}

TMagSource MagSourceFromWord(std::string_view w) {
    for (TMagSource s : {TMagSource::kUnknown, TMagSource::kObserved, TMagSource::kRcs, TMagSource::kNameRule,
                         TMagSource::kUser})
        if (w == MagSourceWord(s)) return s;
    return TMagSource::kNotRecorded;
}

TMagSource ResolvedMagSource(TMagSource s, double stdMag) {
    if (s != TMagSource::kNotRecorded) return s;
    return stdMag == kPlaceholderStdMag ? TMagSource::kUnknown : TMagSource::kObserved;
}

TMagSource SatMagSource(const TSatRec& sat) {
    // Older catalogues may hold anything in the spare byte.
    const uint8_t b = sat.pad[0];
    return b <= static_cast<uint8_t>(TMagSource::kUser) ? static_cast<TMagSource>(b) : TMagSource::kNotRecorded;
}

void SetSatMagSource(TSatRec& sat, TMagSource s) { sat.pad[0] = static_cast<uint8_t>(s); }

int FindMagLine(const std::string& key, const std::vector<std::string>& lines) {
    if (key.empty()) return -1;
    for (std::size_t i = lines.size(); i-- > 0;)
        if (lines[i].find(key) != std::string::npos) return static_cast<int>(i);
    return -1;
}

TMagIndex::TMagIndex(const std::vector<std::string>& lines) : lines_(lines) {
    last_.reserve(lines.size());
    for (std::size_t i = 0; i < lines.size(); ++i)
        if (const long n = MagNumberValue(lines[i]); n >= 0) last_[n] = static_cast<int>(i);
}

int TMagIndex::Find(const std::string& key) const {
    const long n = CatalogueNumberValue(UpperText(std::string(TrimText(key))));
    if (n < 0) return FindMagLine(key, lines_);
    return FindNumber(n);
}

int TMagIndex::FindNumber(long number) const {
    auto it = last_.find(number);
    return it == last_.end() ? -1 : it->second;
}

std::string FormatMagLine(const std::string& number, const std::string& name, const std::string& magText) {
    return FormatArgs("%0:-6s  %1:-24s %2:5s", {number, name, magText});
}

std::string FormatMagLine(long number, const std::string& name, const std::string& magText, TMagSource source) {
    const bool unknown = source == TMagSource::kUnknown;
    std::string line = FormatMagLine(NumberField(number), name, unknown ? FormatMagnitude(kPlaceholderStdMag) : magText);
    if (line.size() < kSourceColumn - 1) line.resize(kSourceColumn - 1, ' ');
    else line += ' ';
    line += MagSourceWord(source == TMagSource::kNotRecorded ? TMagSource::kObserved : source);
    if (number > kMaxCatalogueNumber) {
        line += ' ';
        line += std::to_string(number);
    }
    return line;
}

long MagNumberValue(const std::string& line) {
    const auto words = TailWords(line);
    if (words.size() >= 2 && DataColumns(line, 1, 5) == kWideNumberField) return WideNumber(words[1]);
    return CatalogueNumberValue(DataColumns(line, 1, 5));
}

TMagSource MagLineSource(const std::string& line) {
    const auto words = TailWords(line);
    return words.empty() ? TMagSource::kNotRecorded : MagSourceFromWord(words[0]);
}

bool MagLineValue(const std::string& line, double& mag, TMagSource* source) {
    double v = 0;
    const bool readable = ParseNumber(MagText(line), v);
    TMagSource s = MagLineSource(line);
    if (!readable) s = TMagSource::kUnknown;
    s = ResolvedMagSource(s, v);
    if (source) *source = s;
    if (s == TMagSource::kUnknown) return false;
    mag = v;
    return true;
}

std::string WithMagSource(const std::string& line, TMagSource source) {
    const long n = MagNumberValue(line);
    return FormatMagLine(n, MagName(line), MagText(line), source);
}

void SortMagLines(std::vector<std::string>& lines) {
    std::vector<std::pair<long, std::string>> keyed;
    keyed.reserve(lines.size());
    for (auto& l : lines) {
        const long n = MagNumberValue(l);
        keyed.emplace_back(n < 0 ? kMaxMagNumber + 1 : n, std::move(l));
    }
    std::sort(keyed.begin(), keyed.end());
    for (std::size_t i = 0; i < lines.size(); ++i) lines[i] = std::move(keyed[i].second);
}

TMagSourceCounts CountMagSources(const std::vector<std::string>& lines) {
    TMagSourceCounts c;
    for (const auto& l : lines) {
        TMagSource s = TMagSource::kUnknown;
        double mag = 0;
        MagLineValue(l, mag, &s);
        switch (s) {
        case TMagSource::kObserved: ++c.observed; break;
        case TMagSource::kRcs: ++c.rcs; break;
        case TMagSource::kNameRule: ++c.rule; break;
        case TMagSource::kUser: ++c.user; break;
        default: ++c.unknown; break;
        }
    }
    return c;
}

std::string MagNumber(const std::string& line) { return std::string(TrimText(DataColumns(line, 1, 5))); }
std::string MagName(const std::string& line) { return std::string(TrimText(DataColumns(line, 9, 32))); }
std::string MagText(const std::string& line) { return std::string(TrimText(DataColumns(line, 34, 38))); }

std::string FormatMagnitude(double mag) {
    // to_chars ignores the process locale, which a GUI toolkit may have changed.
    char buf[32];
    auto r = std::to_chars(buf, buf + sizeof buf, mag, std::chars_format::fixed, 1);
    return PadLeft(std::string(buf, r.ptr), 4);
}

bool LoadMagFile(const std::string& path, TMagFile& mag) {
    mag.url = kDefaultNamesUrl;
    mag.hadUrl = false;
    mag.lines.clear();
    std::vector<std::string> lines;
    if (!netfiles::ReadLines(path, lines)) return false;
    // The URL is the line FindMagLine gives for "http:"; an https address counts too.
    int urlIndex = -1;
    for (std::size_t i = lines.size(); i-- > 0;)
        if (IsUrlLine(lines[i])) { urlIndex = static_cast<int>(i); break; }
    if (urlIndex >= 0) {
        mag.url = std::string(TrimText(lines[urlIndex]));
        mag.hadUrl = true;
        lines.erase(lines.begin() + urlIndex);
    }
    for (auto& l : lines)
        if (!TrimText(l).empty()) mag.lines.push_back(std::move(l));
    SortMagLines(mag.lines);
    return true;
}

TStatus SaveMagFile(const std::string& path, const TMagFile& mag) {
    std::vector<std::string> out;
    out.reserve(mag.lines.size() + 1);
    out.push_back(mag.url.empty() ? std::string(kDefaultNamesUrl) : mag.url);
    out.insert(out.end(), mag.lines.begin(), mag.lines.end());
    return netfiles::WriteLinesAtomic(path, out, "\r\n");
}

double StandardMagnitude(double magnitude, double rangeKm) {
    return magnitude + 15.75 - 2.5 * std::log10(rangeKm * rangeKm / 0.5);
}

TMagSaveResult SaveMagEntry(std::vector<std::string>& lines, const TMagEntryInput& in) {
    TMagSaveResult res;
    const std::string number = UpperText(std::string(TrimText(in.number)));
    if (number.empty()) {
        res.message = "A Satellite Number is required.";
        return res;
    }
    // Nine digits at most; a five-character Alpha-5 field is read as its number.
    const bool digits = std::all_of(number.begin(), number.end(), [](char c) { return c >= '0' && c <= '9'; });
    long value = -1;
    if (digits && number.size() <= 9)
        value = std::stol(number);
    else if (!digits)
        value = CatalogueNumberValue(number);
    if (value < 0) {
        res.message = "Satellite Number " + number + " is out of range: numbers run from 0 to " +
                      std::to_string(kMaxMagNumber) + ".";
        return res;
    }
    auto sameNumber = [&](const std::string& l) { return MagNumberValue(l) == value; };
    if (in.isNew && std::any_of(lines.begin(), lines.end(), sameNumber)) {
        res.message = "Satellite Number already exists, Cancel or Enter new number.";
        return res;
    }
    const std::string name = UpperText(std::string(TrimText(in.name)));
    if (name.empty() || name.size() > kNameWidth) {
        res.message = "Enter the Satellite Name, max 24 characters";
        return res;
    }
    double range = 0;
    const double factor = in.distanceFactor > 0 ? in.distanceFactor : 1.0;
    // A range that is not a positive number would make the reduction meaningless.
    if (!ParseNumber(in.range, range) || range <= 0 || range / factor > kMagRangeLimitKm) {
        res.message = "Invalid Range entry  \" " + in.range + " \"";
        return res;
    }
    const bool unknown = in.source == TMagSource::kUnknown;
    double mag = 0;
    if (unknown) {
        // Nothing typed counts: the line keeps the placeholder.
        res.magText = FormatMagnitude(kPlaceholderStdMag);
    } else if (!ParseNumber(in.magnitude, mag) || mag < -kMagLimit || mag > kMagLimit) {
        res.message = "Magnitude must be between -19.9 to 19.9";
        return res;
    } else {
        res.magText = FormatMagnitude(StandardMagnitude(mag, range / factor));
    }
    const TMagSource source = in.source == TMagSource::kNotRecorded ? TMagSource::kUser : in.source;
    const std::string line = FormatMagLine(value, name, res.magText, source);
    auto it = in.isNew ? lines.end() : std::find_if(lines.begin(), lines.end(), sameNumber);
    if (it != lines.end())
        *it = line;
    else
        lines.push_back(line);
    SortMagLines(lines);
    res.index = static_cast<int>(std::find(lines.begin(), lines.end(), line) - lines.begin());
    res.ok = true;
    res.message = "Satellite entry saved.";
    return res;
}

std::vector<std::string> MergeNamesLines(const std::vector<std::string>& entries,
                                         const std::vector<std::string>& names) {
    std::vector<std::string> out;
    out.reserve(entries.size() + names.size());
    std::size_t j = 0;
    for (const auto& nl : names) {
        const long n = LineNumber(nl);
        if (n < 0) continue;
        if (n >= 90000) break;
        while (j < entries.size() && MagNumberValue(entries[j]) < n) out.push_back(entries[j++]);
        const std::string mag = std::string(TrimText(DataColumns(nl, 37, 41)));
        if (j < entries.size() && MagNumberValue(entries[j]) == n) {
            const std::string& e = entries[j++];
            // The user's own value is not replaced by a list's.
            const bool keep = mag.empty() || MagLineSource(e) == TMagSource::kUser;
            out.push_back(keep ? e : FormatMagLine(n, MagName(e), mag, TMagSource::kObserved));
        } else if (!mag.empty()) {
            std::string name = std::string(TrimText(DataColumns(nl, 6, 21)));
            if (j >= entries.size()) name = UpperText(name);
            out.push_back(FormatMagLine(n, name, mag, TMagSource::kObserved));
        }
    }
    // Entries the names file does not reach (the user's own 9xxxx numbers among
    // them) are kept rather than silently dropped.
    out.insert(out.end(), entries.begin() + static_cast<std::ptrdiff_t>(j), entries.end());
    return out;
}

void RemoveDuplicateMagLines(std::vector<std::string>& lines) {
    std::size_t i = 0;
    // By number; lines without one by their first five characters.
    auto same = [](const std::string& a, const std::string& b) {
        const long na = MagNumberValue(a), nb = MagNumberValue(b);
        if (na >= 0 || nb >= 0) return na == nb;
        return a.compare(0, 5, b, 0, 5) == 0;
    };
    while (i < lines.size()) {
        const std::size_t k = i++;
        if (i < lines.size() && same(lines[k], lines[i])) lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(i));
    }
}

namespace {
// A line's magnitude and source into a record; false when the line has no
// usable field (the record keeps its own).
template <class Rec, class SetSource>
bool TakeMagnitude(Rec& r, const std::string& line, SetSource set) {
    TMagSource source = TMagSource::kUnknown;
    double mag = 0;
    if (MagLineValue(line, mag, &source)) {
        r.stdMag = mag;
        set(r, source);
        return true;
    }
    // An unknown line: the placeholder, said to be unknown.
    if (!ParseNumber(MagText(line), mag)) return false;
    r.stdMag = kPlaceholderStdMag;
    set(r, TMagSource::kUnknown);
    return true;
}
}  // namespace

int CopyMagnitudes(std::vector<TSatRec>& sats, const std::vector<std::string>& lines) {
    const TMagIndex index(lines);
    int copied = 0;
    for (auto& s : sats) {
        const int idx = index.Find(std::string(s.catNo.view()));
        if (idx >= 0 && TakeMagnitude(s, lines[idx], SetSatMagSource)) ++copied;
    }
    return copied;
}

int CopyMagnitudes(std::vector<TElementEntry>& entries, const std::vector<std::string>& lines) {
    const TMagIndex index(lines);
    int copied = 0;
    auto set = [](TElementEntry& e, TMagSource s) { e.magSource = static_cast<uint8_t>(s); };
    for (TElementEntry& e : entries) {
        const int idx = index.Find(std::string(e.catNo.view()));
        if (idx >= 0 && TakeMagnitude(e, lines[idx], set)) ++copied;
    }
    return copied;
}

TStatus ReadSearchElements(std::vector<TElementEntry>& entries, const std::string& path,
                           const std::string& magPath, std::string* warning, std::vector<TSatRec>* made) {
    if (TStatus read = ReadElementsForSearch(entries, path, warning, made); !read) return read;
    TMagFile mag;
    if (LoadMagFile(magPath, mag)) {
        CopyMagnitudes(entries, mag.lines);
        if (made)
            for (std::size_t i = 0; i < entries.size(); ++i) {
                (*made)[i].stdMag = entries[i].stdMag;
                SetSatMagSource((*made)[i], static_cast<TMagSource>(entries[i].magSource));
            }
    } else if (warning) {
        if (!warning->empty()) *warning += "; ";
        *warning += FileProblemText(magPath) + "; the element sets keep standard magnitude 8.0";
    }
    return TStatus::Success();
}
