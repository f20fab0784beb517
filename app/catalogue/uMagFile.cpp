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

// Number of an entry or names line; -1 when columns 1-5 are not a number.
long LineNumber(const std::string& line) { return CatalogueNumberValue(DataColumns(line, 1, 5)); }

bool IsUrlLine(const std::string& line) {
    return line.find("http:") != std::string::npos || line.find("https:") != std::string::npos;
}

}  // namespace

int FindMagLine(const std::string& key, const std::vector<std::string>& lines) {
    if (key.empty()) return -1;
    for (std::size_t i = lines.size(); i-- > 0;)
        if (lines[i].find(key) != std::string::npos) return static_cast<int>(i);
    return -1;
}

TMagIndex::TMagIndex(const std::vector<std::string>& lines) : lines_(lines) {
    for (std::size_t i = 0; i < lines.size(); ++i)
        for (std::size_t k = 0; k + 5 <= lines[i].size(); ++k) last_[lines[i].substr(k, 5)] = static_cast<int>(i);
}

int TMagIndex::Find(const std::string& key) const {
    if (key.size() != 5) return FindMagLine(key, lines_);
    auto it = last_.find(key);
    return it == last_.end() ? -1 : it->second;
}

std::string FormatMagLine(const std::string& number, const std::string& name, const std::string& magText) {
    return FormatArgs("%0:-6s  %1:-24s %2:5s", {number, name, magText});
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
    std::sort(mag.lines.begin(), mag.lines.end());
    return true;
}

bool SaveMagFile(const std::string& path, const TMagFile& mag) {
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
    std::string number(TrimText(in.number));
    // Numbers are kept in their five-character form, as in the element lines
    // (zero-padded; Alpha-5 above 99999), so the sorted file stays in number order.
    if (number.empty()) {
        res.message = "A Satellite Number is required.";
        return res;
    }
    // A plain number past the last one the five-character form can hold.
    const bool digits = std::all_of(number.begin(), number.end(), [](char c) { return c >= '0' && c <= '9'; });
    if (digits && (number.size() > 6 || std::stol(number) > kMaxCatalogueNumber)) {
        res.message = "Satellite Number " + number + " is out of range: numbers run from 0 to " +
                      std::to_string(kMaxCatalogueNumber) + ".";
        return res;
    }
    if (const long value = CatalogueNumberValue(UpperText(number)); value >= 0) number = CatalogueNumberField(value);
    auto sameNumber = [&](const std::string& l) { return l.compare(0, 5, number) == 0 && l.size() >= 5; };
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
    double mag = 0;
    if (!ParseNumber(in.magnitude, mag) || mag < -kMagLimit || mag > kMagLimit) {
        res.message = "Magnitude must be between -19.9 to 19.9";
        return res;
    }
    res.magText = FormatMagnitude(StandardMagnitude(mag, range / factor));
    const std::string line = FormatMagLine(number, name, res.magText);
    auto it = in.isNew ? lines.end() : std::find_if(lines.begin(), lines.end(), sameNumber);
    if (it != lines.end())
        *it = line;
    else
        lines.push_back(line);
    std::sort(lines.begin(), lines.end());
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
        while (j < entries.size() && LineNumber(entries[j]) < n) out.push_back(entries[j++]);
        const std::string mag = std::string(TrimText(DataColumns(nl, 37, 41)));
        if (j < entries.size() && LineNumber(entries[j]) == n) {
            const std::string& e = entries[j++];
            out.push_back(mag.empty() ? e : FormatMagLine(MagNumber(e), MagName(e), mag));
        } else if (!mag.empty()) {
            std::string name = std::string(TrimText(DataColumns(nl, 6, 21)));
            if (j >= entries.size()) name = UpperText(name);
            out.push_back(FormatMagLine(std::string(TrimText(DataColumns(nl, 1, 5))), name, mag));
        }
    }
    // Entries the names file does not reach (the user's own 9xxxx numbers among
    // them) are kept rather than silently dropped.
    out.insert(out.end(), entries.begin() + static_cast<std::ptrdiff_t>(j), entries.end());
    return out;
}

void RemoveDuplicateMagLines(std::vector<std::string>& lines) {
    std::size_t i = 0;
    while (i < lines.size()) {
        const std::string key = lines[i].substr(0, 5);
        ++i;
        if (i < lines.size() && lines[i].substr(0, 5) == key) lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(i));
    }
}

int CopyMagnitudes(std::vector<TSatRec>& sats, const std::vector<std::string>& lines) {
    int copied = 0;
    for (auto& s : sats) {
        const int idx = FindMagLine(std::string(s.catNo.view()), lines);
        double mag = 0;
        if (idx >= 0 && ParseNumber(MagText(lines[idx]), mag)) {
            s.stdMag = mag;
            ++copied;
        }
    }
    return copied;
}

int CopyMagnitudes(std::vector<TElementEntry>& entries, const std::vector<std::string>& lines) {
    const TMagIndex index(lines);
    int copied = 0;
    for (TElementEntry& e : entries) {
        const int idx = index.Find(std::string(e.catNo.view()));
        double mag = 0;
        if (idx >= 0 && ParseNumber(MagText(lines[idx]), mag)) {
            e.stdMag = mag;
            ++copied;
        }
    }
    return copied;
}

bool ReadSearchElements(std::vector<TElementEntry>& entries, const std::string& path,
                        const std::string& magPath, std::string& error, std::string* warning) {
    if (!ReadElementsForSearch(entries, path, error, warning)) return false;
    TMagFile mag;
    std::string problem;
    if (!LoadMagFile(magPath, mag)) {
        problem = FileProblemText(magPath);
    } else {
        CopyMagnitudes(entries, mag.lines);
        return true;
    }
    if (warning) {
        if (!warning->empty()) *warning += "; ";
        *warning += problem + "; the element sets keep standard magnitude 8.0";
    }
    return true;
}
