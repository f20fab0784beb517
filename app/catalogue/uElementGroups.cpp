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
// The key an object's sets share.
std::string ObjectKey(std::string_view catNo) {
    const long n = CatalogueNumberValue(TrimText(catNo));
    if (n >= 0) return std::to_string(n);
    std::string key(1, '#');
    key.append(TrimText(catNo));
    return key;
}

// Which of two epochs (UTC day numbers, NaN when unreadable) lies nearer t.
bool Nearer(double a, double b, double t) {
    if (std::isnan(a) || std::isnan(b)) return !std::isnan(a) && std::isnan(b);
    const double da = std::abs(a - t), db = std::abs(b - t);
    return da < db || (da == db && a > b);
}

template <typename Item, typename Key>
std::vector<std::vector<std::size_t>> Groups(const std::vector<Item>& items, Key key) {
    std::vector<std::vector<std::size_t>> groups;
    std::unordered_map<std::string, std::size_t> where;
    for (std::size_t i = 0; i < items.size(); ++i) {
        const auto [it, fresh] = where.emplace(key(items[i]), groups.size());
        if (fresh) groups.emplace_back();
        groups[it->second].push_back(i);
    }
    return groups;
}
}  // namespace

std::vector<std::vector<std::size_t>> GroupSetsByObject(const std::vector<TElementEntry>& entries) {
    return Groups(entries, [](const TElementEntry& e) { return ObjectKey(e.catNo.view()); });
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
    return Groups(sats, [](const TSatRec& s) { return ObjectKey(s.catNo.view()); });
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
    std::vector<std::vector<std::size_t>> groups;
    std::unordered_map<std::string, std::size_t> where;
    for (std::size_t i : indices) {
        const auto [it, fresh] = where.emplace(ObjectKey(sats[i].catNo.view()), groups.size());
        if (fresh) groups.emplace_back();
        groups[it->second].push_back(i);
    }
    std::vector<std::vector<TSetSpan>> spans(groups.size());
    for (std::size_t g = 0; g < groups.size(); ++g) {
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
