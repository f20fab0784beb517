// The analysis searches over a whole element file: the satellites in a part
// of the sky at one moment, the transits of a target within a short span,
// and the satellites whose estimated decay date has passed by a moment.
// Element entries are made into satellite records as they are searched, on
// the per-satellite runner, so a full catalogue never needs all its records
// at once.
#pragma once
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "ShortString.h"
#include "uMagFile.h"
#include "uReport.h"
#include "uSearchPool.h"
#include "uTargets.h"

// Standard magnitude of a satellite the magnitude list does not name.
inline constexpr double kUnknownStdMag = 10.0;
// Revolution limits of the decay list: every orbit the propagator takes.
inline constexpr double kDecayMinRevs = 1.0, kDecayMaxRevs = 20.0;

// The window's settings, read once. Every limit is exclusive.
struct TAnalysisInputs {
    double time = 0.0;           // UTC day number
    bool utcMode = true;
    double displayOffset = 0.0;  // days: the observer's UTC offset in local mode, else 0
    double minRevs = 14.0, maxRevs = 18.0;  // rev/day
    double minAz = 0.0, maxAz = 360.0;      // degrees
    double minAlt = 10.0, maxAlt = 90.0;    // degrees
    THorizonHandle horizon;                 // null: none; else hidden behind it is not visible
    TMagModel magModel;
};

// The magnitude list (lines of Mag.dat) with its catalogue-number index.
class TMagList {
public:
    explicit TMagList(std::vector<std::string> lines);
    TMagList(const TMagList&) = delete;
    TMagList& operator=(const TMagList&) = delete;
    // The magnitude of the last line naming catNo, kUnknownStdMag when no
    // line names it or its magnitude column is not a number.
    double StdMag(const std::string& catNo) const;
    // A line names catNo with a standard magnitude that is more than a placeholder.
    bool Known(const std::string& catNo) const;
    std::size_t size() const { return lines_.size(); }

private:
    std::vector<std::string> lines_;
    TMagIndex index_;
};

// ---- visible now -------------------------------------------------------------

struct TVisibleSat {
    std::size_t entry = 0;  // index into the searched entries
    TVisibleRow row;
};
struct TVisibleResult {
    double sunElevation = 0.0;  // degrees
    std::vector<TVisibleSat> sats;
    TSearchStatus status;
};
// Satellites whose azimuth and elevation lie strictly inside the limits at
// inputs.time, among the entries within the revolution limits whose decay
// estimate is later. mags may be null (every satellite then rated
// kUnknownStdMag).
TVisibleResult RunVisibleSearch(const TAnalysisInputs& inputs, const std::vector<TElementEntry>& entries,
                                const TSite& site, const TMagList* mags, unsigned threads = 0,
                                TSearchControl* control = nullptr);
TReportLines VisibleReport(const TVisibleResult& result, const TAnalysisInputs& inputs,
                           const TReportSettings& settings);

// ---- decayed by the search time ---------------------------------------------------

struct TDecayedSat {
    std::size_t entry = 0;
    ShortString<20> name;
    ShortString<5> catNo;
    double epoch = 0.0;      // Julian date
    double apogee = 0.0, perigee = 0.0;  // km
    double decayDate = 0.0;  // UTC day number
};
struct TDecayedResult {
    std::vector<TDecayedSat> sats;
    TSearchStatus status;
};
// Entries between kDecayMinRevs and kDecayMaxRevs whose estimated decay date
// lies before inputs.time (the other limits are not used).
TDecayedResult RunDecayedSearch(const TAnalysisInputs& inputs, const std::vector<TElementEntry>& entries,
                                unsigned threads = 0, TSearchControl* control = nullptr);
TReportLines DecayedReport(const TDecayedResult& result, const TAnalysisInputs& inputs,
                           const TReportSettings& settings);

// ---- transits within a span ---------------------------------------------------------

struct TAnalysisTransitInputs {
    double spanMinutes = 90.0;
    double separation = 15.0;   // arc minutes
    double minElevation = 10.0; // degrees, of the target and the satellites
    bool dayAndNight = false;
};
struct TAnalysisTransitResult {
    std::vector<TSatRec> sats;  // the satellites with a transit (the transits index them)
    TTransitResult transits;
    TPredictionInputs period;   // the search's period as the transit search took it
};
TAnalysisTransitResult RunAnalysisTransitSearch(const TAnalysisInputs& inputs,
                                                const TAnalysisTransitInputs& transit,
                                                const TTransitTarget& target,
                                                const std::vector<TElementEntry>& entries,
                                                const TSite& site, unsigned threads = 0,
                                                TSearchControl* control = nullptr);
TReportLines AnalysisTransitReport(const TAnalysisTransitResult& result, const TTransitTarget& target,
                                   const TReportSettings& settings);

// "  Search cut short: 12 of 40 satellites searched", for a report whose
// search was cancelled, "  Search failed: <why>; 12 of 40 satellites
// searched" for one that failed; "" for one that ran to the end.
std::string CutShortLine(const TSearchStatus& status);
