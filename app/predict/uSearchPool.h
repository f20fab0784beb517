// Runs one job per satellite on a few threads. Each job writes only its own
// output slot, so merging the slots in list order gives the same report
// whatever the thread count.
#pragma once
#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstddef>
#include <system_error>
#include <thread>
#include <vector>

#include "uTracking.h"

// Keys this thread's ΔT cache to the search start, so every thread uses the
// same ΔT whatever it computed before.
inline void KeySearchDeltaT(double start) {
    DeltaTKey = 0.0;
    DeltaTDays = 0.0;
    TVector sun{};
    PlanetVector(kBodySun, sun, start);
}

template <typename Job>
void ForEachSatellite(std::size_t count, unsigned threads, double start, Job job) {
    if (threads == 0) threads = std::max(1u, std::thread::hardware_concurrency());
    threads = static_cast<unsigned>(std::min<std::size_t>(threads, count));
    std::atomic<std::size_t> next{0};
    auto worker = [&]() {
        KeySearchDeltaT(start);
        for (std::size_t i = next++; i < count; i = next++) job(i);
    };
    // The calling thread is one of the workers; a thread that cannot be
    // started just leaves its share to the others.
    std::vector<std::thread> pool;
    for (unsigned k = 1; k < threads; ++k) {
        try {
            pool.emplace_back(worker);
        } catch (const std::system_error&) {
            break;
        }
    }
    worker();
    for (std::thread& th : pool) th.join();
}

// A garbage period still moves a search forward.
inline double SafePeriodDays(const TSatRec& sat) {
    double days = sat.period / kMinutesPerDay;
    if (!(days > 0.0) || !std::isfinite(days)) days = 1.0 / sat.meanMotion;
    if (!(days > 0.0) || !std::isfinite(days)) days = 0.1;
    return days;
}
