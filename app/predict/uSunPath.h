// The Sun's geocentric place over a search's period, worked out at nodes an
// hour apart and interpolated between them: it is the same Sun for every
// satellite, and working it out anew for each pass cost a tenth of a
// whole-catalogue search. Cubic through the four nearest nodes agrees with
// the full theory to the metre or two its Julian-date time argument is good
// for (the theory's terms are far slower than an hour).
#pragma once
#include <vector>

#include "uVarDef.h"

class TSunPath {
public:
    TSunPath() = default;  // no nodes: every place worked out in full
    // Nodes covering from..to (days), with room for one node either side.
    TSunPath(double from, double to);
    // The place at t as PlanetVector(kBodySun, ...) gives it, r included;
    // outside the nodes worked out in full.
    TVector At(double t) const;

private:
    double first_ = 0.0;  // time of nodes_[0]
    std::vector<TVector> nodes_;
};
