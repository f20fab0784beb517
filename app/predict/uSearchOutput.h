// An outcome of RunSearch as its text report or its records (CSV/JSON), in
// the display settings: the distance unit, the offset of shown times and
// the header's observer, produced time and element ages.
#pragma once
#include "uRecordOutput.h"
#include "uReport.h"
#include "uSearch.h"

struct TOutputSettings {
    TReportSettings report;
    TReportOrder order = TReportOrder::kBySatellite;  // kByTime: passes, transits and paths in time order
};

// The report of the outcome of request (run on satellites).
TReportLines OutcomeReport(const TSearchRequest& request, const TSearchOutcome& outcome,
                           const TSearchSatellites& satellites, const TOutputSettings& settings);
// Its records, with the search's "about" block (program, mode, observer,
// period, unit, counts, and the target or the element date where the mode
// has one).
TRecordTable OutcomeRecords(const TSearchRequest& request, const TSearchOutcome& outcome,
                            const TSearchSatellites& satellites, const TOutputSettings& settings);
// The period a search covered, as the records' "about" gives it (a
// moment's analysis: start and stop at the moment).
TPredictionInputs OutcomePeriod(const TSearchRequest& request, const TSearchOutcome& outcome);
