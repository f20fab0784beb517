// The next passes of the tracked satellites, for the main window's list and
// its timeline: every pass above a minimum elevation from a moment on, or
// only those a naked eye can see (sunlit satellite, dark sky). Built on the
// line search; no UI here.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "uChoice.h"
#include "uSearchPool.h"
#include "uVarDef.h"
#include "SatTypes.h"

struct TUpcomingInputs {
    double from = 0.0;             // UTC day number: passes ending before it are left out
    double hours = 24.0;           // how far ahead
    double minElevationDeg = 10.0;
    bool visibleOnly = false;      // sunlit parts in darkness (Sun below -6 degrees) only
    TChoice tracked;               // which satellites of the list (default: all)
};

struct TUpcomingPass {
    std::size_t satellite = 0;     // index into the list searched
    std::string name, catNo;
    double aos = 0, middle = 0, los = 0;  // UTC day numbers; middle: highest point
    double maxElevation = 0;       // degrees
    double aosAzimuth = 0, losAzimuth = 0;  // degrees
    double magnitude = 0;          // at the highest point, when lit
    bool shadowed = false;         // in the Earth's shadow at the highest point
};

// Searches the tracked satellites of list (at most 20 rev/day, more than
// 2). A pass already under way at from is kept with its true AOS when it
// rose within the half hour before. Sorted by AOS, then by list order.
// control may be null.
std::vector<TUpcomingPass> FindUpcomingPasses(const TUpcomingInputs& inputs, const std::vector<TSatRec>& list,
                                              const TSite& site, TSearchControl* control = nullptr);

// A value that changes when anything the search reads changes: the tracked
// satellites' elements and the observer's place.
uint64_t UpcomingKey(const std::vector<TSatRec>& list, const TChoice& tracked, const TSite& site);
