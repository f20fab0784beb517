// The per-satellite runner every search stands on: picks the satellites to
// search, runs one job per satellite on a few threads, reports progress,
// stops early on request and merges the jobs' records in list order, so the
// result does not depend on the thread count.
#pragma once
#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstddef>
#include <exception>
#include <functional>
#include <iterator>
#include <limits>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>
#include <type_traits>
#include <vector>

#include "uElementGroups.h"
#include "uSearchTypes.h"
#include "uTracking.h"

// What the caller of a long search holds to watch and stop it. The search
// reads `cancel` between passes; `progress` is called from the worker
// threads (so it must be safe to call from any thread), one call at a time,
// after each satellite with the satellites done so far (rising by one each
// call) and the total; it reaches the total once, last, and only when
// nothing was cancelled.
struct TSearchControl {
    std::atomic<bool> cancel{false};
    std::function<void(std::size_t done, std::size_t total)> progress;
    // Runs write(), which puts out part of the search's output while the
    // search runs (from a worker thread), so that a progress display can
    // step aside for it first (may be empty).
    std::function<void(const std::function<void()>& write)> output;
};

// The stop test a satellite's job calls between passes: a cancel, or
// another job's failure.
class TStop {
public:
    explicit TStop(const TSearchControl* control, const std::atomic<bool>* failed = nullptr)
        : control_(control), failed_(failed) {}
    bool operator()() const {
        return (control_ && control_->cancel.load(std::memory_order_relaxed)) ||
               (failed_ && failed_->load(std::memory_order_relaxed));
    }

private:
    const TSearchControl* control_;
    const std::atomic<bool>* failed_;
};

// Takes a satellite's records as soon as it and every satellite before it
// in list order are searched: index into the list, records to keep or drop.
// Called on a worker thread, one call at a time.
template <typename Record>
using TSatelliteSink = std::function<void(std::size_t satellite, std::vector<Record>& records)>;

// Whether wanted(index, item), or wanted(item), takes the item at index.
template <typename Wanted, typename Item>
bool Wants(Wanted& wanted, std::size_t index, const Item& item) {
    if constexpr (std::is_invocable_v<Wanted&, std::size_t, const Item&>)
        return wanted(index, item);
    else
        return wanted(item);
}

// RunPerSatellite over the list indexes in work, in that order.
template <typename Record, typename Job>
TSearchStatus RunPerSatelliteOf(const std::vector<std::size_t>& work, unsigned threads,
                                TSearchControl* control, Job job, std::vector<Record>& merged,
                                const TSatelliteSink<Record>& sink = {}) {
    const std::size_t total = work.size();
    std::atomic<bool> failed{false};
    const TStop stop(control, &failed);

    struct TSlot {
        std::vector<Record> records;
        bool complete = false;
    };
    std::vector<TSlot> perSatellite(total);
    std::atomic<std::size_t> next{0};
    std::mutex progressMutex;
    std::size_t done = 0;  // under progressMutex
    std::mutex order;            // the slots' complete flags and the sink, with a sink
    std::size_t handedOver = 0;  // slots before this one went to the sink
    auto handOver = [&](TSlot& slot, std::size_t k) {
        sink(work[k], slot.records);
        std::vector<Record>().swap(slot.records);
    };
    std::mutex failureMutex;
    std::string failure;  // the first one, under failureMutex
    auto fail = [&](const char* what) {
        std::lock_guard<std::mutex> lock(failureMutex);
        if (!failed.exchange(true)) failure = what && *what ? what : "unknown error";
    };
    auto loop = [&]() {
        for (std::size_t k = next++; k < total && !stop(); k = next++) {
            job(work[k], stop, perSatellite[k].records);
            if (stop()) break;
            if (sink) {
                // A sink that throws fails the search before the lock is let go:
                // else another thread could hand the same slot over again.
                std::lock_guard<std::mutex> lock(order);
                perSatellite[k].complete = true;
                for (; !failed && handedOver < total && perSatellite[handedOver].complete; ++handedOver) {
                    try {
                        handOver(perSatellite[handedOver], handedOver);
                    } catch (const std::exception& e) {
                        fail(e.what());
                    } catch (...) {
                        fail(nullptr);
                    }
                }
            } else {
                perSatellite[k].complete = true;
            }
            // Counted and told under one lock, so the counts arrive in order
            // and nothing follows the total.
            std::lock_guard<std::mutex> lock(progressMutex);
            const std::size_t n = ++done;
            if (control && control->progress) control->progress(n, total);
        }
    };
    auto worker = [&]() {
        try {
            loop();
        } catch (const std::exception& e) {
            fail(e.what());
        } catch (...) {
            fail(nullptr);
        }
    };

    if (threads == 0) threads = std::max(1u, std::thread::hardware_concurrency());
    threads = static_cast<unsigned>(std::min<std::size_t>(threads, std::max<std::size_t>(total, 1)));
    // A thread that cannot be started just leaves its share to the others.
    std::vector<std::thread> pool;
    for (unsigned t = 1; t < threads; ++t) {
        try {
            pool.emplace_back(worker);
        } catch (const std::system_error&) {
            break;
        }
    }
    worker();
    for (std::thread& th : pool) th.join();

    TSearchStatus status;
    status.satellitesTotal = total;
    for (std::size_t k = 0; k < total; ++k) {
        TSlot& slot = perSatellite[k];
        if (!slot.complete) continue;
        ++status.satellitesDone;
        if (sink) {
            if (k >= handedOver && !failed) {  // after a gap a cancel left
                try {
                    handOver(slot, k);
                } catch (const std::exception& e) {
                    fail(e.what());
                } catch (...) {
                    fail(nullptr);
                }
            }
            continue;
        }
        merged.insert(merged.end(), std::make_move_iterator(slot.records.begin()),
                      std::make_move_iterator(slot.records.end()));
    }
    status.cutShort = status.satellitesDone < total || failed;
    status.failure = std::move(failure);
    return status;
}

// Runs job(index, stop, records) for every satellite of sats that `wanted`
// accepts (asked with the index and the item, or the item alone), on `threads` threads (0: one per core; the calling thread is one of
// them), and appends the records to merged in list order, or, with a sink,
// hands them to it in list order instead (memory then holds only the
// satellites done ahead of a slower one). A satellite whose job saw a cancel
// is left out whole, so what comes back is every satellite searched to the
// end and nothing half-searched. The items may be satellite records or
// element entries still to be made into records. An exception from a job or
// the sink fails the search instead of ending the program: the other jobs
// stop as on a cancel and the status carries the message.
template <typename Record, typename Item, typename Wanted, typename Job>
TSearchStatus RunPerSatellite(const std::vector<Item>& sats, Wanted wanted, unsigned threads,
                              TSearchControl* control, Job job, std::vector<Record>& merged,
                              const TSatelliteSink<Record>& sink = {}) {
    std::vector<std::size_t> work;
    for (std::size_t i = 0; i < sats.size(); ++i)
        if (Wants(wanted, i, sats[i])) work.push_back(i);
    return RunPerSatelliteOf(work, threads, control, job, merged, sink);
}

// The part of a period one set is searched over; whole by default.
struct TSetWindow {
    double from = -std::numeric_limits<double>::infinity();
    double to = std::numeric_limits<double>::infinity();
    bool Whole() const { return std::isinf(from) && std::isinf(to) && from < to; }
};

// The parts of intervals inside the window (all of them when it is whole).
inline std::vector<TTimeInterval> ClipIntervals(const std::vector<TTimeInterval>& intervals,
                                                const TSetWindow& window) {
    if (window.Whole()) return intervals;
    std::vector<TTimeInterval> clipped;
    for (const TTimeInterval& i : intervals) {
        TTimeInterval c = i;
        c.start = std::max(i.start, window.from);
        c.end = std::min(i.end, window.to);
        if (c.start < c.end) clipped.push_back(c);
    }
    return clipped;
}

// How far past its own span a set's search first looks (days), and the most
// it looks when a record runs on to the window's end.
inline constexpr double kSetWindowMargin = 1.0 / 12.0;
inline constexpr double kSetWindowMarginMost = 64.0;

// RunPerSatellite over objects: the records of one catalogue number are the
// sets of one object (a supplemental file), each serving its span (the
// moments nearer its epoch than any other's, SetSpansByObject). An object
// is one job; job(index, window, stop, records) searches the set at index
// over the window alone. A record belongs to the span holding its start
// (times(record): its first and last moments, UTC day numbers): each set is
// searched from a little before its span (a record under way there starts
// in the window's first moment, before the span, and is left to the set
// before) to a little after it, so that a record starting in the span ends
// in the window; one that reaches the window's end is searched again with a
// wider window, up to kSetWindowMarginMost. So a pass across a midpoint is
// listed once, whole, by the set serving its start; an object's records come
// in time order, each naming its own set, and a sink gets each run of one
// set's records apart. An object with one set is searched over the whole
// period (window whole), exactly as RunPerSatellite does.
template <typename Record, typename Wanted, typename Job, typename Times>
TSearchStatus RunPerObject(const std::vector<TSatRec>& sats, Wanted wanted, unsigned threads,
                           TSearchControl* control, Job job, Times times, std::vector<Record>& merged,
                           const TSatelliteSink<Record>& sink = {}) {
    std::vector<std::size_t> wantedSets;
    for (std::size_t i = 0; i < sats.size(); ++i)
        if (Wants(wanted, i, sats[i])) wantedSets.push_back(i);
    const std::vector<std::vector<TSetSpan>> objects = SetSpansByObject(sats, wantedSets);
    const bool lone = std::all_of(objects.begin(), objects.end(),
                                  [](const std::vector<TSetSpan>& o) { return o.size() == 1; });
    if (lone && objects.size() == wantedSets.size())
        return RunPerSatelliteOf(
            wantedSets, threads, control,
            [&](std::size_t i, const TStop& stop, std::vector<Record>& out) { job(i, TSetWindow{}, stop, out); },
            merged, sink);

    // Each object is the job of its first serving set.
    std::vector<std::size_t> work, objectAt(sats.size(), objects.size());
    for (std::size_t o = 0; o < objects.size(); ++o) {
        std::size_t leader = objects[o].front().set;
        for (const TSetSpan& span : objects[o]) leader = std::min(leader, span.set);
        objectAt[leader] = o;
        work.push_back(leader);
    }

    auto searchObject = [&](std::size_t i, const TStop& stop, std::vector<Record>& out) {
        const std::vector<TSetSpan>& spans = objects[objectAt[i]];
        if (spans.size() == 1) {
            job(spans.front().set, TSetWindow{}, stop, out);
            return;
        }
        constexpr double kEndSlack = 2.0 / 86400.0;  // a cut record's last moment, rounded to seconds
        for (const TSetSpan& span : spans) {
            for (double margin = kSetWindowMargin;; margin *= 4.0) {
                const TSetWindow window{span.from - margin, span.to + margin};
                std::vector<Record> found;
                job(span.set, window, stop, found);
                if (stop()) return;
                bool cut = false;
                std::size_t kept = 0;
                for (Record& r : found) {
                    const auto [start, end] = times(r);
                    if (!(start >= span.from && start < span.to)) continue;
                    cut |= end >= window.to - kEndSlack;
                    if (&found[kept] != &r) found[kept] = std::move(r);
                    ++kept;
                }
                if (cut && margin < kSetWindowMarginMost) continue;
                std::stable_sort(found.begin(), found.begin() + static_cast<std::ptrdiff_t>(kept),
                                 [&](const Record& a, const Record& b) { return times(a).first < times(b).first; });
                out.insert(out.end(), std::make_move_iterator(found.begin()),
                           std::make_move_iterator(found.begin() + static_cast<std::ptrdiff_t>(kept)));
                break;
            }
        }
    };
    TSatelliteSink<Record> runs;
    if (sink)
        runs = [&sink](std::size_t object, std::vector<Record>& records) {
            if (records.empty()) sink(object, records);  // as a satellite without records is told
            for (std::size_t a = 0, b = 0; a < records.size(); a = b) {
                while (b < records.size() && records[b].satellite == records[a].satellite) ++b;
                std::vector<Record> run(std::make_move_iterator(records.begin() + static_cast<std::ptrdiff_t>(a)),
                                        std::make_move_iterator(records.begin() + static_cast<std::ptrdiff_t>(b)));
                sink(run.front().satellite, run);
            }
        };
    return RunPerSatelliteOf(work, threads, control, searchObject, merged, runs);
}

// A garbage period still moves a search forward.
inline double SafePeriodDays(const TSatRec& sat) {
    double days = sat.period / kMinutesPerDay;
    if (!(days > 0.0) || !std::isfinite(days)) days = 1.0 / sat.meanMotion;
    if (!(days > 0.0) || !std::isfinite(days)) days = 0.1;
    return days;
}
