// Pass search: the edge searches (AOS/LOS), the line search and the tabular
// search of the prediction window, and the date check of its period.
// No UI here: a search takes its inputs, a satellite list and an observer
// copy, and returns the report lines and the pass records.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "SatTypes.h"
#include "ShortString.h"
#include "uReport.h"
#include "uTracking.h"
#include "uVarDef.h"

// In memory only (never a file), so naturally aligned: callers may bind
// references to its numbers.
struct TPassRecord {
    ShortString<30> title;   // see PassTitle
    double magnitude;        // line: at the middle; table: brightest row (20.0 if none)
    double maxElevation;     // degrees; line: at the middle; table: highest row
    double start;            // UTC day number: AOS or first sunlit second
    double end;              // UTC day number: LOS or last sunlit second
    TSatRec elements;        // lets the charts recompute the track
};

// The prediction window's inputs, read once before a search starts.
struct TPredictionInputs {
    double start = 0.0;          // UTC day number
    double stop = 0.0;           // UTC day number
    double minElevation = 0.0;   // rad
    double sunAltitude = 0.0;    // rad
    double minRevs = 13.0;       // revolutions per day
    int tableStep = 60;          // s
    bool sunlitOnly = true;
    bool dayAndNight = false;
    bool utcMode = true;
    double displayOffset = 0.0;  // days: observer's UTC offset in local mode, else 0
};

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

// The period check: "" when the search may start, else the message to show.
inline constexpr const char* kEndBeforeStart = "The End Date is set prior to Start Date";
inline constexpr const char* kPeriodTooLong =
    "Prediction period between Start and End Dates exceeds 15 days";
std::string CheckDates(double stop, double start);

// First time at or after t at which the elevation is at least minElevation,
// late by less than one second; limit when that does not happen by then or
// the satellite is decayed. Uses state.mode 0 (position only).
double SearchAOS(TSatRec& satellite, TSatState& state, double minElevation, double t,
                 double limit, TObserver& observer);
// First time after t at which the elevation falls to minElevation or below;
// limit likewise.
double SearchLOS(TSatRec& satellite, TSatState& state, double minElevation, double t,
                 double limit, TObserver& observer);

// The intervals to search: darkness (Sun below the limit) from start to stop,
// or the whole period with "day and night".
std::vector<TTimeInterval> PredictionIntervals(const TPredictionInputs& inputs,
                                               TObserver observer);

// Searched at all: selected, and mean motion above the minimum and below 20.
bool IsSearched(const TSatRec& satellite, double minRevs);

struct TPredictionResult {
    TReportLines lines;
    std::vector<TPassRecord> passes;
    bool skyCharts = false;  // "Prediction Sky Charts" is to be enabled
};

// The two listing searches. Satellites are searched in parallel on `threads`
// workers (0: one per core) and merged in list order, so the result does not
// depend on the thread count.
TPredictionResult RunLineSearch(const TPredictionInputs& inputs,
                                const std::vector<TSatRec>& satellites,
                                const TObserver& observer, const TReportSettings& settings,
                                unsigned threads = 0);
TPredictionResult RunTabularSearch(const TPredictionInputs& inputs,
                                   const std::vector<TSatRec>& satellites,
                                   const TObserver& observer, const TReportSettings& settings,
                                   unsigned threads = 0);

// Satellite evaluations (observer vector, propagation, elevation) made by the
// listing searches of this process so far; for measurements.
uint64_t PassSearchEvaluations();

// One satellite's tabular search, exposed for its parts.
struct TTabularSearch {
    const TPredictionInputs& inputs;
    const TReportSettings& settings;
    TSatRec satellite;
    TObserver observer;
    TSatState state{};
    TSatState sun{};
    double intervalEnd = 0.0;
    bool headerWritten = false;
    double brightest = 20.0;
    double highest = -kHalfPi;  // degrees once a row is written
    double passStart = 0.0;
    TReportLines lines;
    std::vector<TPassRecord> passes;
    bool skyCharts = false;

    TTabularSearch(const TPredictionInputs& in, const TReportSettings& rs, const TSatRec& sat,
                   const TObserver& obs);
};
void ListPassAll(TTabularSearch& search, double& t);
void ListPassSunlit(TTabularSearch& search, double& t);
void WriteTableRow(TTabularSearch& search, double t);
void WritePassHeader(TTabularSearch& search, double t);
