#include "uSearchOutput.h"

namespace {
template <class... F>
struct TOverload : F... {
    using F::operator()...;
};
template <class... F>
TOverload(F...) -> TOverload<F...>;

TPredictionInputs MomentPeriod(const TAnalysisInputs& moment) {
    TPredictionInputs period;
    period.start = period.stop = moment.time;
    period.utcMode = moment.utcMode;
    period.displayOffset = moment.displayOffset;
    return period;
}

TPredictionInputs FlarePeriod(const TFlareInputs& flares) {
    TPredictionInputs period;
    period.start = flares.start;
    period.stop = flares.stop;
    period.utcMode = flares.utcMode;
    period.displayOffset = flares.displayOffset;
    return period;
}
}  // namespace

TPredictionInputs OutcomePeriod(const TSearchRequest& request, const TSearchOutcome& outcome) {
    return std::visit(TOverload{
                          [](const TLineRequest& r) { return r.period; },
                          [](const TTableRequest& r) { return r.period; },
                          [](const TFlareRequest& r) { return FlarePeriod(r.flares); },
                          [](const TTransitRequest& r) { return r.period; },
                          [](const TPathRequest& r) { return r.period; },
                          [](const TVisibleRequest& r) { return MomentPeriod(r.moment); },
                          [](const TDecayedRequest& r) { return MomentPeriod(r.moment); },
                          [&](const TAnalysisTransitRequest& r) {
                              const auto* result = std::get_if<TAnalysisTransitResult>(&outcome.records);
                              return result ? result->period : MomentPeriod(r.moment);
                          },
                      },
                      request.kind);
}

TReportLines OutcomeReport(const TSearchRequest& request, const TSearchOutcome& outcome,
                           const TSearchSatellites& satellites, const TOutputSettings& settings) {
    const std::vector<TSatRec>& sats = satellites.Records();
    const TReportSettings& rs = settings.report;
    const TSearchRecords& records = outcome.records;
    return std::visit(
        TOverload{
            [&](const TLineRequest& r) {
                return LineReport(std::get<TPredictionResult>(records), sats, r.period, rs, settings.order);
            },
            [&](const TTableRequest& r) {
                return TabularReport(std::get<TPredictionResult>(records), sats, r.period, rs, settings.order);
            },
            [&](const TFlareRequest& r) { return FlareReport(std::get<TFlareResult>(records), r.flares, rs); },
            [&](const TTransitRequest& r) {
                return TransitReport(std::get<TTransitResult>(records), sats, r.target, r.period, rs);
            },
            [&](const TPathRequest& r) {
                return GroundPathReport(std::get<TGroundPathResult>(records), sats, r.target, r.period, rs);
            },
            [&](const TVisibleRequest& r) { return VisibleReport(std::get<TVisibleResult>(records), r.moment, rs); },
            [&](const TDecayedRequest& r) { return DecayedReport(std::get<TDecayedResult>(records), r.moment, rs); },
            [&](const TAnalysisTransitRequest& r) {
                return AnalysisTransitReport(std::get<TAnalysisTransitResult>(records), r.target, rs);
            },
        },
        request.kind);
}

TRecordTable OutcomeRecords(const TSearchRequest& request, const TSearchOutcome& outcome,
                            const TSearchSatellites& satellites, const TOutputSettings& settings) {
    const std::vector<TSatRec>& sats = satellites.Records();
    const TReportSettings& rs = settings.report;
    const TSearchRecords& records = outcome.records;
    const bool byTime = settings.order == TReportOrder::kByTime;
    TRecordTable t = std::visit(
        TOverload{
            [&](const TLineRequest&) { return LinePassRecords(std::get<TPredictionResult>(records), sats, byTime); },
            [&](const TTableRequest&) {
                return TablePassRecords(std::get<TPredictionResult>(records), sats, byTime);
            },
            [&](const TFlareRequest&) { return FlareRecords(std::get<TFlareResult>(records), sats, rs); },
            [&](const TTransitRequest&) {
                return TransitRecords(std::get<TTransitResult>(records), sats, rs, byTime);
            },
            [&](const TPathRequest&) {
                return GroundPathRecords(std::get<TGroundPathResult>(records), sats, rs, byTime);
            },
            [&](const TVisibleRequest&) {
                return VisibleRecords(std::get<TVisibleResult>(records), satellites.Entries(), rs);
            },
            [&](const TDecayedRequest&) { return DecayedRecords(std::get<TDecayedResult>(records), rs); },
            [&](const TAnalysisTransitRequest&) {
                return AnalysisTransitRecords(std::get<TAnalysisTransitResult>(records), rs);
            },
        },
        request.kind);
    t.about = SearchAbout(SearchModeName(request.kind), OutcomePeriod(request, outcome), rs, outcome.status);
    if (std::holds_alternative<TFlareRequest>(request.kind))
        t.about.emplace_back("element_date", TCell::Time(rs.elementAges.newestEpoch));
    if (const auto* r = std::get_if<TTransitRequest>(&request.kind)) t.about.emplace_back("target", TCell::Text(r->target.name));
    if (const auto* r = std::get_if<TPathRequest>(&request.kind)) t.about.emplace_back("target", TCell::Text(r->target.name));
    return t;
}
