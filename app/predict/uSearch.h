// One path from a request to an outcome for every search mode: a request
// names the mode and carries its inputs; RunSearch runs it on a satellite
// list for a site and returns the mode's records with the search's status.
// Records are in km, radians or degrees as their fields say, times UTC day
// numbers; uSearchOutput renders an outcome in the display settings.
#pragma once
#include <cstddef>
#include <string>
#include <variant>
#include <vector>

#include "uAnalysis.h"
#include "uFlares.h"
#include "uPassSearch.h"
#include "uTransit.h"

// Passes, one line each. With a sink, each satellite's passes go to it in
// list order as they are found and the outcome keeps none of them.
struct TLineRequest {
    TPredictionInputs period;
    TSatelliteSink<TLinePass> sink;
};
// Passes as rows every period.tableStep seconds; sink as for lines.
struct TTableRequest {
    TPredictionInputs period;
    TSatelliteSink<TTablePass> sink;
};
// Iridium flares of the list searched (the Iridium catalogue).
struct TFlareRequest {
    TFlareInputs flares;
};
// Closest approaches to a target within maxSeparation degrees.
struct TTransitRequest {
    TPredictionInputs period;
    TTransitTarget target;
    double maxSeparation = 0.5;  // degrees
};
// Ground paths within track of the site; track counts in trackUnit units
// per km (1: km, 0.621371: miles), as the walk's distance steps do.
struct TPathRequest {
    TPredictionInputs period;
    TTransitTarget target;
    double track = 25.0;
    double trackUnit = 1.0;
};
// The analysis of an element file at one moment: what is up, within limits
// (standard magnitudes from TSearchSatellites::mags).
struct TVisibleRequest {
    TAnalysisInputs moment;
};
// Entries whose estimated decay date lies before the moment.
struct TDecayedRequest {
    TAnalysisInputs moment;
};
// Transits of a target within a span after the moment.
struct TAnalysisTransitRequest {
    TAnalysisInputs moment;
    TAnalysisTransitInputs transit;
    TTransitTarget target;
};

using TSearchKind = std::variant<TLineRequest, TTableRequest, TFlareRequest, TTransitRequest, TPathRequest,
                                 TVisibleRequest, TDecayedRequest, TAnalysisTransitRequest>;

struct TSearchRequest {
    TSearchKind kind;
    unsigned threads = 0;  // 0: one per core; the outcome does not depend on it
};

// What a search runs on. records: line to path (those the period's
// `chosen` takes are searched; flares: the whole Iridium list); entries: the analysis modes (every
// entry of an element file); mags: the visible mode's standard magnitudes
// (null: every satellite rated kUnknownStdMag). Missing lists are empty.
struct TSearchSatellites {
    const std::vector<TSatRec>* records = nullptr;
    const std::vector<TElementEntry>* entries = nullptr;
    const TMagList* mags = nullptr;

    const std::vector<TSatRec>& Records() const;
    const std::vector<TElementEntry>& Entries() const;
};

// The records of the request's mode: TPredictionResult for lines and tables.
using TSearchRecords = std::variant<TPredictionResult, TFlareResult, TTransitResult, TGroundPathResult,
                                    TVisibleResult, TDecayedResult, TAnalysisTransitResult>;

struct TSearchOutcome {
    TSearchRecords records;
    TSearchStatus status;  // the same as the records' own
};

// Runs the request. control (may be null): cancel and progress; a search
// that fails keeps what it found and says why in status.failure.
TSearchOutcome RunSearch(const TSearchRequest& request, const TSearchSatellites& satellites,
                         const TSite& site, TSearchControl* control = nullptr);

// The mode's name in records and messages: "line", "table", "flares",
// "transit", "path", "visible", "decayed", "analysis-transit".
std::string SearchModeName(const TSearchKind& kind);
