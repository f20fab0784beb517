#include "uSelectorList.h"

#include "uMagFile.h"

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "uCatNumber.h"
#include "uDataFiles.h"
#include "uElementGroups.h"
#include "uFormat.h"
#include "uInitialize.h"
#include "uLoadSave.h"
#include "uText.h"

namespace {

std::string FileNameOf(const std::string& path) { return std::filesystem::path(path).filename().string(); }

// Readable values first, smallest first; the unreadable after them.
bool ValueBefore(double x, double y) {
    if (std::isnan(x) || std::isnan(y)) return !std::isnan(x) && std::isnan(y);
    return x < y;
}

// The position of each entry in order, so that any set of entries can be put
// in that order without a second comparison.
std::vector<uint32_t> Ranks(const std::vector<uint32_t>& order) {
    std::vector<uint32_t> rank(order.size());
    for (std::size_t i = 0; i < order.size(); ++i) rank[order[i]] = static_cast<uint32_t>(i);
    return rank;
}

}  // namespace

const std::vector<TElementEntry>& TSelectorFile::others(uint32_t entry) const {
    static const std::vector<TElementEntry> none;
    const auto it = std::lower_bound(otherSets.begin(), otherSets.end(), entry,
                                     [](const auto& item, uint32_t e) { return item.first < e; });
    return it != otherSets.end() && it->first == entry ? it->second : none;
}

std::shared_ptr<const TSelectorFile> LoadSelectorFile(const std::string& path, double clock) {
    auto f = std::make_shared<TSelectorFile>();
    f->path = path;
    f->problem = ReadElementsForSearch(f->entries, path, &f->warning).message;
    {
        std::vector<TElementEntry> all = std::move(f->entries);
        f->entries.clear();
        const double at = std::isnan(clock) ? NowDayNumber() : clock;
        for (const std::vector<std::size_t>& group : GroupSetsByObject(all)) {
            const std::size_t nearest = NearestEpochSet(all, group, at);
            const auto listed = static_cast<uint32_t>(f->entries.size());
            f->entries.push_back(all[nearest]);
            if (group.size() == 1) continue;
            std::vector<TElementEntry> others;
            for (std::size_t i : group)
                if (i != nearest) others.push_back(all[i]);
            f->otherSets.emplace_back(listed, std::move(others));
        }
    }
    const std::size_t n = f->entries.size();
    f->names.reserve(n);
    f->upperNames.reserve(n);
    f->numbers.reserve(n);
    for (const TElementEntry& e : f->entries) {
        const std::string_view number = TrimText(e.catNo.view());
        const std::string_view name = TrimText(e.name.view());
        f->numbers.push_back(CatalogueNumberText(number));
        f->names.emplace_back(name.empty() ? f->numbers.back() : std::string(name));
        f->upperNames.push_back(UpperText(name));
        const double jd = ElementEpochJulian(e.line1.view());
        f->epochDays.push_back(std::isfinite(jd) ? JulianToDayNumber(jd) : std::nan(""));
        f->epochs.push_back(std::isfinite(jd) ? FormatDateTime("yyyy-mm-dd hh:nn", f->epochDays.back()) : "");
        double incl = std::nan("");
        const std::string_view l2 = e.line2.view();
        if (l2.size() < 16 || !ParseNumber(l2.substr(8, 8), incl) || incl < 0 || incl > 180) incl = std::nan("");
        f->inclinationValues.push_back(incl);
        f->inclinations.push_back(std::isnan(incl) ? "" : FormatFloat("0.0000", incl));
    }
    f->byName.resize(n);
    for (std::size_t i = 0; i < n; ++i) f->byName[i] = static_cast<uint32_t>(i);
    f->byNumber = f->byName;
    // Stable, so sets of one satellite keep their file order.
    std::stable_sort(f->byName.begin(), f->byName.end(),
                     [&](uint32_t a, uint32_t b) { return f->upperNames[a] < f->upperNames[b]; });
    std::vector<long> values(n);
    for (std::size_t i = 0; i < n; ++i) values[i] = CatalogueNumberValue(f->entries[i].catNo.view());
    std::stable_sort(f->byNumber.begin(), f->byNumber.end(), [&](uint32_t a, uint32_t b) {
        const long x = values[a], y = values[b];
        if (x >= 0 && y >= 0) return x < y;
        if (x >= 0 || y >= 0) return x >= 0;
        return f->entries[a].catNo.view() < f->entries[b].catNo.view();
    });
    f->byEpoch = f->byInclination = f->byName;
    std::stable_sort(f->byEpoch.begin(), f->byEpoch.end(),
                     [&](uint32_t a, uint32_t b) { return ValueBefore(f->epochDays[a], f->epochDays[b]); });
    std::stable_sort(f->byInclination.begin(), f->byInclination.end(), [&](uint32_t a, uint32_t b) {
        return ValueBefore(f->inclinationValues[a], f->inclinationValues[b]);
    });
    return f;
}

const std::vector<uint32_t>& TSelectorFile::order(TSelectorColumn column) const {
    switch (column) {
    case TSelectorColumn::Number: return byNumber;
    case TSelectorColumn::Epoch: return byEpoch;
    case TSelectorColumn::Inclination: return byInclination;
    case TSelectorColumn::Name: break;
    }
    return byName;
}

const std::string& TSelectorFile::text(uint32_t entry, TSelectorColumn column) const {
    switch (column) {
    case TSelectorColumn::Number: return numbers[entry];
    case TSelectorColumn::Epoch: return epochs[entry];
    case TSelectorColumn::Inclination: return inclinations[entry];
    case TSelectorColumn::Name: break;
    }
    return names[entry];
}

TSelectorPage SelectorPage(const TSelectorFile& file, bool numberMode, std::size_t pageStart) {
    return SelectorPage(file, numberMode ? TSelectorColumn::Number : TSelectorColumn::Name, false, pageStart);
}

TSelectorPage SelectorPage(const TSelectorFile& file, TSelectorColumn column, bool descending, std::size_t pageStart) {
    TSelectorPage page;
    const std::vector<uint32_t>& order = file.order(column);
    if (pageStart >= order.size()) return page;
    const std::size_t end = std::min(order.size(), pageStart + kSelectorPageSize);
    if (descending)
        page.entries.assign(order.rbegin() + static_cast<std::ptrdiff_t>(pageStart),
                            order.rbegin() + static_cast<std::ptrdiff_t>(end));
    else
        page.entries.assign(order.begin() + static_cast<std::ptrdiff_t>(pageStart),
                            order.begin() + static_cast<std::ptrdiff_t>(end));
    page.first = pageStart + 1;
    page.last = end;
    page.more = end < order.size();
    return page;
}

std::vector<uint32_t> SearchSelectorFile(const TSelectorFile& file, bool numberMode, std::string_view text) {
    std::vector<uint32_t> out;
    const std::string want = UpperText(text);
    if (TrimText(want).empty()) return out;
    for (uint32_t i : file.order(numberMode)) {
        const bool match = numberMode ? SearchTextHasNumber(want, file.entries[i].catNo.view())
                                      : file.upperNames[i].find(want) != std::string::npos;
        if (match) out.push_back(i);
    }
    return out;
}

void SortSelectorEntries(const TSelectorFile& file, std::vector<uint32_t>& entries, TSelectorColumn column,
                         bool descending) {
    const std::vector<uint32_t> rank = Ranks(file.order(column));
    std::sort(entries.begin(), entries.end(), [&](uint32_t a, uint32_t b) {
        return descending ? rank[a] > rank[b] : rank[a] < rank[b];
    });
}

std::string SelectorPageCaption(const std::string& path, const TSelectorPage& page, std::size_t total) {
    return FormatArgs("Orbisk - %0s -  (%1d to %2d) - %3d Satellites",
                      {FileNameOf(path), page.first, page.last, total});
}

std::string SelectorSearchCaption(const std::string& path, std::size_t matches) {
    return FormatArgs("Orbisk - %0s  - %1d Satellites", {FileNameOf(path), matches});
}

bool SelectorRecord(TSatRec& sat, const TElementEntry& entry, const std::vector<std::string>& magLines) {
    // The last line of the number counts, as in every other magnitude lookup.
    double mag = kPlaceholderStdMag;
    TMagSource source = TMagSource::kUnknown;
    const long want = CatalogueNumberValue(entry.catNo.view());
    for (auto it = magLines.rbegin(); want >= 0 && it != magLines.rend(); ++it) {
        if (MagNumberValue(*it) != want) continue;
        if (!MagLineValue(*it, mag, &source)) mag = kPlaceholderStdMag;
        break;
    }
    sat = TSatRec{};
    const bool ok = MakeSatelliteRecord(sat, entry.name.view(), entry.catNo.view(), mag, entry.line1.str(),
                                        entry.line2.str(), static_cast<uint8_t>(source));
    sat.selected = 1;
    return ok;
}
