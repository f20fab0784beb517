#include "uSearch.h"

#include <type_traits>

namespace {
template <class... F>
struct TOverload : F... {
    using F::operator()...;
};
template <class... F>
TOverload(F...) -> TOverload<F...>;

const std::vector<TSatRec> kNoRecords;
const std::vector<TElementEntry> kNoEntries;

template <class Result>
TSearchOutcome Outcome(Result&& result, const TSearchStatus& status) {
    TSearchOutcome outcome;
    outcome.status = status;
    outcome.records = std::forward<Result>(result);
    return outcome;
}
}  // namespace

const std::vector<TSatRec>& TSearchSatellites::Records() const { return records ? *records : kNoRecords; }
const std::vector<TElementEntry>& TSearchSatellites::Entries() const { return entries ? *entries : kNoEntries; }

TSearchOutcome RunSearch(const TSearchRequest& request, const TSearchSatellites& satellites, const TSite& site,
                         TSearchControl* control) {
    const unsigned threads = request.threads;
    const std::vector<TSatRec>& sats = satellites.Records();
    const std::vector<TElementEntry>& entries = satellites.Entries();
    return std::visit(
        TOverload{
            [&](const TLineRequest& r) {
                TPredictionResult result = RunLineSearch(r.period, sats, site, threads, control, r.sink);
                const TSearchStatus status = result.status;
                return Outcome(std::move(result), status);
            },
            [&](const TTableRequest& r) {
                TPredictionResult result = RunTabularSearch(r.period, sats, site, threads, control, r.sink);
                const TSearchStatus status = result.status;
                return Outcome(std::move(result), status);
            },
            [&](const TFlareRequest& r) {
                TFlareResult result = RunFlareSearch(r.flares, sats, site, threads, control);
                const TSearchStatus status = result.status;
                return Outcome(std::move(result), status);
            },
            [&](const TTransitRequest& r) {
                TTransitResult result =
                    RunTransitSearch(r.period, r.maxSeparation, r.target, sats, site, threads, control);
                const TSearchStatus status = result.status;
                return Outcome(std::move(result), status);
            },
            [&](const TPathRequest& r) {
                TGroundPathResult result =
                    RunGroundPathSearch(r.period, r.track, r.trackUnit, r.target, sats, site, threads, control);
                const TSearchStatus status = result.status;
                return Outcome(std::move(result), status);
            },
            [&](const TVisibleRequest& r) {
                TVisibleResult result = RunVisibleSearch(r.moment, entries, site, satellites.mags, threads, control);
                const TSearchStatus status = result.status;
                return Outcome(std::move(result), status);
            },
            [&](const TDecayedRequest& r) {
                TDecayedResult result = RunDecayedSearch(r.moment, entries, threads, control);
                const TSearchStatus status = result.status;
                return Outcome(std::move(result), status);
            },
            [&](const TAnalysisTransitRequest& r) {
                TAnalysisTransitResult result =
                    RunAnalysisTransitSearch(r.moment, r.transit, r.target, entries, site, threads, control);
                const TSearchStatus status = result.transits.status;
                return Outcome(std::move(result), status);
            },
        },
        request.kind);
}

std::string SearchModeName(const TSearchKind& kind) {
    static const char* const names[] = {"line",    "table",   "flares",  "transit",
                                        "path",    "visible", "decayed", "analysis-transit"};
    static_assert(std::size(names) == std::variant_size_v<TSearchKind>);
    return names[kind.index()];
}
