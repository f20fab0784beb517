#include "uElementGroups.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <unordered_map>

#include "uCatNumber.h"
#include "uFormat.h"
#include "uLoadSave.h"
#include "uText.h"

namespace {
// Groups of the items an object's sets share, in the order the objects
// first appear. Numbered objects are keyed by their number, others by their
// trimmed text (never taken for a number).
template <typename CatNo>
std::vector<std::vector<std::size_t>> ObjectGroups(std::size_t count, CatNo catNo) {
    std::vector<std::vector<std::size_t>> groups;
    std::unordered_map<long, std::size_t> byNumber;
    std::unordered_map<std::string, std::size_t> byText;
    byNumber.reserve(count);
    for (std::size_t k = 0; k < count; ++k) {
        const auto [i, field] = catNo(k);
        const std::string_view trimmed = TrimText(field);
        const long n = CatalogueNumberValue(trimmed);
        const std::size_t slot = n >= 0 ? byNumber.emplace(n, groups.size()).first->second
                                        : byText.emplace(std::string(trimmed), groups.size()).first->second;
        if (slot == groups.size()) groups.emplace_back();
        groups[slot].push_back(i);
    }
    return groups;
}

// Which of two epochs (UTC day numbers, NaN when unreadable) lies nearer t.
bool Nearer(double a, double b, double t) {
    if (std::isnan(a) || std::isnan(b)) return !std::isnan(a) && std::isnan(b);
    const double da = std::abs(a - t), db = std::abs(b - t);
    return da < db || (da == db && a > b);
}

}  // namespace

std::vector<std::vector<std::size_t>> GroupSetsByObject(const std::vector<TElementEntry>& entries) {
    return ObjectGroups(entries.size(), [&](std::size_t i) { return std::pair{i, entries[i].catNo.view()}; });
}

std::size_t NearestEpochSet(const std::vector<TElementEntry>& entries, const std::vector<std::size_t>& group,
                            double t) {
    std::size_t best = group.front();
    double bestEpoch = std::nan("");
    bool first = true;
    for (std::size_t i : group) {
        const double jd = ElementEpochJulian(entries[i].line1.view());
        const double epoch = std::isfinite(jd) ? JulianToDayNumber(jd) : std::nan("");
        if (first || Nearer(epoch, bestEpoch, t)) best = i, bestEpoch = epoch;
        first = false;
    }
    return best;
}

std::vector<TElementEntry> SetsNearestEpoch(const std::vector<TElementEntry>& entries, double t) {
    std::vector<TElementEntry> out;
    const auto groups = GroupSetsByObject(entries);
    out.reserve(groups.size());
    for (const auto& g : groups) out.push_back(entries[NearestEpochSet(entries, g, t)]);
    return out;
}

std::vector<std::vector<std::size_t>> GroupRecordsByObject(const std::vector<TSatRec>& sats) {
    return ObjectGroups(sats.size(), [&](std::size_t i) { return std::pair{i, sats[i].catNo.view()}; });
}

void KeepNearestEpoch(std::vector<TSatRec>& sats, double t) {
    const auto groups = GroupRecordsByObject(sats);
    if (groups.size() == sats.size()) return;
    std::vector<TSatRec> out;
    out.reserve(groups.size());
    for (const auto& g : groups) {
        std::size_t best = g.front();
        for (std::size_t i : g)
            if (Nearer(JulianToDayNumber(sats[i].epoch), JulianToDayNumber(sats[best].epoch), t)) best = i;
        out.push_back(sats[best]);
    }
    sats = std::move(out);
}

std::vector<std::vector<TSetSpan>> SetSpansByObject(const std::vector<TSatRec>& sats,
                                                    const std::vector<std::size_t>& indices) {
    constexpr double kForever = std::numeric_limits<double>::infinity();
    const std::vector<std::vector<std::size_t>> groups = ObjectGroups(
        indices.size(), [&](std::size_t k) { return std::pair{indices[k], sats[indices[k]].catNo.view()}; });
    std::vector<std::vector<TSetSpan>> spans(groups.size());
    for (std::size_t g = 0; g < groups.size(); ++g) {
        if (groups[g].size() == 1) {  // one set serves the whole time
            spans[g].push_back({groups[g].front(), -kForever, kForever});
            continue;
        }
        std::vector<std::pair<double, std::size_t>> dated;  // epoch, set
        for (std::size_t i : groups[g]) {
            const double epoch = JulianToDayNumber(sats[i].epoch);
            if (std::isfinite(epoch)) dated.emplace_back(epoch, i);
        }
        if (dated.empty()) {
            spans[g].push_back({groups[g].front(), -kForever, kForever});
            continue;
        }
        std::stable_sort(dated.begin(), dated.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        dated.erase(std::unique(dated.begin(), dated.end(),
                                [](const auto& a, const auto& b) { return a.first == b.first; }),
                    dated.end());
        for (std::size_t k = 0; k < dated.size(); ++k) {
            const double from = k == 0 ? -kForever : (dated[k - 1].first + dated[k].first) / 2.0;
            const double to = k + 1 == dated.size() ? kForever : (dated[k].first + dated[k + 1].first) / 2.0;
            spans[g].push_back({dated[k].second, from, to});
        }
    }
    return spans;
}
