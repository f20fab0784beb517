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
#include <mutex>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "uSearchTypes.h"
#include "uTracking.h"

// What the caller of a long search holds to watch and stop it. The search
// reads `cancel` between passes; `progress` is called from the worker
// threads (so it must be safe to call from any thread) after each satellite
// with the satellites done so far and the total; it reaches the total once,
// and only when nothing was cancelled.
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

// Runs job(index, stop, records) for every satellite of sats that `wanted`
// accepts, on `threads` threads (0: one per core; the calling thread is one of
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
        if (wanted(sats[i])) work.push_back(i);
    const std::size_t total = work.size();
    std::atomic<bool> failed{false};
    const TStop stop(control, &failed);

    struct TSlot {
        std::vector<Record> records;
        bool complete = false;
    };
    std::vector<TSlot> perSatellite(total);
    std::atomic<std::size_t> next{0}, done{0};
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
                std::lock_guard<std::mutex> lock(order);
                perSatellite[k].complete = true;
                for (; handedOver < total && perSatellite[handedOver].complete; ++handedOver)
                    handOver(perSatellite[handedOver], handedOver);
            } else {
                perSatellite[k].complete = true;
            }
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

// A garbage period still moves a search forward.
inline double SafePeriodDays(const TSatRec& sat) {
    double days = sat.period / kMinutesPerDay;
    if (!(days > 0.0) || !std::isfinite(days)) days = 1.0 / sat.meanMotion;
    if (!(days > 0.0) || !std::isfinite(days)) days = 0.1;
    return days;
}
