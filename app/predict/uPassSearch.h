// Pass search: the edge search (AOS/LOS), the line search and the tabular
// search of the prediction window, and the date check of its period.
// No UI here: a search takes its inputs, a satellite list and the observer's
// site, and returns result records (uReport renders them).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "SatTypes.h"
#include "uCrossing.h"
#include "ShortString.h"
#include "uReport.h"
#include "uSearchPool.h"
#include "uSearchTypes.h"
#include "uTracking.h"
#include "uVarDef.h"

// The window's controls as they stand: picker times as shown, spin values in
// degrees, seconds or revolutions per day.
struct TPredictionControls {
    double shownStart = 0.0;
    double shownStop = 0.0;
    double satAlt = 10.0;    // 0..45
    double sunAlt = -6.0;    // -18..0
    double revs = 13.0;      // 2..18
    int steps = 60;          // 10..300, multiple of 10
    bool sunlitOnly = true;
    bool dayNight = false;
    bool utcMode = true;
};

// Always succeeds: values outside a control's range are taken at the nearest
// end of it, as the spin edits would. utcOffset: the observer's, in days.
TPredictionInputs ReadPredictionInputs(const TPredictionControls& controls, double utcOffset);

// The period check: ok when the search may start, else invalid with the
// message to show.
inline constexpr const char* kEndBeforeStart = "The End Date is set prior to Start Date";
inline constexpr const char* kPeriodTooLong =
    "Prediction period between Start and End Dates exceeds 15 days";
TStatus CheckDates(double stop, double start);

// Which way an edge search looks: for the satellite rising to the minimum
// elevation (AOS) or setting to it (LOS).
enum class TEdge { kRise, kSet };
// How an edge search starts: by evaluating at t, or from the state as it
// stands, propagated to t already.
enum class TStart { kEvaluate, kStateAtT };

// The edge search, on FindCrossing (uCrossing.h). kRise: the first time at
// or after t at which the elevation is at least minElevation; kSet: the
// first time after t at which it is at most minElevation. Late by less than
// one second. Found at most at `limit`; else not found by then, decayed, or a
// propagator failure (with the time that failed), t being the limit. Coarse
// steps of 100 s (25 s within 0.5 rad of the level), then fine steps of 5 s
// (1 s within 0.1 rad). A failed propagation ends the coarse walk as if the
// level were passed. With shortcuts, steps the satellite's orbit shows cannot
// reach past a threshold of the walk are passed without evaluating them (the
// result is the same). Leaves state as evaluated last, at the result when
// found before the limit (position and velocity only; the other groups are left).
TCrossing SearchCrossing(TEdge edge, const TSatRec& satellite, TSatState& state, double minElevation, double t,
                         double limit, const TSite& site, bool shortcuts = true, TStart start = TStart::kEvaluate);

// The first part of a pass at or after `from` that clears the horizon mask
// (its limit with minElevation as the floor), as the line search lists it:
// AOS at its first clear second, LOS at the first second after that is not
// clear. Parts over by `after` are passed over (a pass under way from
// `from` still shows). Both `to` when none begins before `to`.
struct TClearPass {
    double aos = 0.0, los = 0.0;
};
TClearPass NextClearPass(const TSatRec& satellite, const TSite& site, const THorizonMask& mask, double minElevation,
                         double from, double to, double after);

// The intervals to search: darkness (Sun below the limit) from start to stop,
// or the whole period with "day and night".
std::vector<TTimeInterval> PredictionIntervals(const TPredictionInputs& inputs, const TSite& site);

// Searchable at all: mean motion above the minimum and below 20.
bool IsSearched(const TSatRec& satellite, double minRevs);
// Searched by a search of these inputs: chosen, and searchable.
bool IsSearched(const TPredictionInputs& inputs, std::size_t index, const TSatRec& satellite);
// False when, with shortcuts, the satellite cannot rise to the minimum
// elevation for the observer at all: its search is over at once (it still
// counts as searched).
bool MayRise(const TSatRec& satellite, const TPredictionInputs& inputs, const TSite& site);

// The two listing searches. Satellites are searched in parallel on `threads`
// workers (0: one per core) and merged in list order, so the result does not
// depend on the thread count. control (may be null): cancel and progress.
// With a sink, each satellite's passes go to it in list order as soon as
// they and all before them are found, and the result keeps none of them
// (its status and skyCharts still tell how the search went).
TPredictionResult RunLineSearch(const TPredictionInputs& inputs,
                                const std::vector<TSatRec>& satellites,
                                const TSite& site, unsigned threads = 0,
                                TSearchControl* control = nullptr,
                                const TSatelliteSink<TLinePass>& sink = {});
TPredictionResult RunTabularSearch(const TPredictionInputs& inputs,
                                   const std::vector<TSatRec>& satellites,
                                   const TSite& site, unsigned threads = 0,
                                   TSearchControl* control = nullptr,
                                   const TSatelliteSink<TTablePass>& sink = {});

// Fills result.passes from its line or tabular passes, as the searches do
// (and sets skyCharts when there are any): for passes a sink collected.
void MakePassRecords(TPredictionResult& result, const std::vector<TSatRec>& satellites);

// Satellite evaluations (observer vector, propagation, elevation) made by the
// listing searches of this process so far; for measurements.
uint64_t PassSearchEvaluations();

