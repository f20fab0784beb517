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

// The same grouping of records, by catalogue number.
std::vector<std::vector<std::size_t>> GroupRecordsByObject(const std::vector<TSatRec>& sats);

// The same for records: of the records of one catalogue number the one
// whose epoch is nearest t is kept, in the place of the first.
void KeepNearestEpoch(std::vector<TSatRec>& sats, double t);

// The stretch of time one of an object's sets serves: from the midpoint
// between its epoch and the one before to the midpoint with the one after
// (from inclusive, to exclusive, unbounded at either end), so at every
// moment the set nearest it serves, a tie going to the later epoch as above.
struct TSetSpan {
    std::size_t set = 0;  // index into the records
    double from = 0.0, to = 0.0;  // UTC day numbers, +-infinity at the ends
};

// The records listed in `indices`, one group per object (its catalogue
// number, or its text when that is no number), in the order of each object's
// first record; each group's spans in time order. Of sets with the same
// epoch the first serves; a set with an unreadable epoch only when its
// object has no other (its span is then the whole of time).
std::vector<std::vector<TSetSpan>> SetSpansByObject(const std::vector<TSatRec>& sats,
                                                    const std::vector<std::size_t>& indices);
