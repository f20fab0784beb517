// Supplemental element files hold several sets for one object, fitted over
// successive spans. Every set is kept; a computation takes the one whose
// epoch is nearest the time it computes for, and lists show one line per
// object.
#pragma once
#include <cstddef>
#include <vector>

#include "SatTypes.h"
#include "uVarDef.h"

// Indexes into entries, one group per object (its catalogue number, or its
// text when that is no number), groups in the order of each object's first
// set, each group's sets in file order.
std::vector<std::vector<std::size_t>> GroupSetsByObject(const std::vector<TElementEntry>& entries);

// The set of group whose epoch (line 1) is nearest t, a UTC day number; on
// a tie the later epoch; a set with an unreadable epoch only when no other is.
std::size_t NearestEpochSet(const std::vector<TElementEntry>& entries, const std::vector<std::size_t>& group,
                            double t);

// One set per object, each the nearest t, in the order of the objects' first sets.
std::vector<TElementEntry> SetsNearestEpoch(const std::vector<TElementEntry>& entries, double t);

// The same for records: of the records of one catalogue number the one
// whose epoch is nearest t is kept, in the place of the first.
void KeepNearestEpoch(std::vector<TSatRec>& sats, double t);
