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
// The object of each of count items, numbered in the order the objects
// first appear; *objects gets how many there are. Numbered objects are
// keyed by their number, others by their trimmed text (never taken for a
// number). Numbers are grouped by a sort: a map node per set cost more than
// the rest of grouping a big catalogue.
template <typename CatNo>
std::vector<std::size_t> ObjectIds(std::size_t count, CatNo catNo, std::size_t* objects) {
    std::vector<std::size_t> first(count);  // the first item of the item's object
    std::vector<std::pair<long, std::size_t>> numbered;
    numbered.reserve(count);
    std::unordered_map<std::string, std::size_t> byText;
    for (std::size_t k = 0; k < count; ++k) {
        const std::string_view trimmed = TrimText(catNo(k));
        if (const long n = CatalogueNumberValue(trimmed); n >= 0)
            numbered.emplace_back(n, k);
        else
            first[k] = byText.emplace(std::string(trimmed), k).first->second;
    }
    std::sort(numbered.begin(), numbered.end());
    for (std::size_t a = 0, b = 0; a < numbered.size(); a = b) {
        while (b < numbered.size() && numbered[b].first == numbered[a].first) ++b;
        for (std::size_t j = a; j < b; ++j) first[numbered[j].second] = numbered[a].second;
    }
    std::vector<std::size_t> id(count);
    std::size_t next = 0;
    for (std::size_t k = 0; k < count; ++k) id[k] = first[k] == k ? next++ : id[first[k]];
    *objects = next;
    return id;
}

// Groups of the items an object's sets share, in the order the objects
// first appear, each in item order.
template <typename CatNo>
std::vector<std::vector<std::size_t>> ObjectGroups(std::size_t count, CatNo catNo) {
    std::size_t objects = 0;
    const std::vector<std::size_t> id = ObjectIds(count, catNo, &objects);
    std::vector<std::vector<std::size_t>> groups(objects);
    for (std::size_t k = 0; k < count; ++k) groups[id[k]].push_back(k);
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
    return ObjectGroups(entries.size(), [&](std::size_t i) { return entries[i].catNo.view(); });
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
    return ObjectGroups(sats.size(), [&](std::size_t i) { return sats[i].catNo.view(); });
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
    std::size_t objects = 0;
    const std::vector<std::size_t> id =
        ObjectIds(indices.size(), [&](std::size_t k) { return sats[indices[k]].catNo.view(); }, &objects);
    std::vector<std::vector<TSetSpan>> spans(objects);
    std::vector<std::size_t> sets(objects, 0);
    for (std::size_t g : id) ++sets[g];
    // An object of one set: that set serves the whole time.
    std::vector<std::vector<std::size_t>> groups(objects);
    for (std::size_t k = 0; k < id.size(); ++k)
        if (sets[id[k]] == 1)
            spans[id[k]].push_back({indices[k], -kForever, kForever});
        else
            groups[id[k]].push_back(indices[k]);
    for (std::size_t g = 0; g < objects; ++g) {
        if (sets[g] == 1) continue;
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
