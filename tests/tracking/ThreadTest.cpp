// Searches on worker threads each use their own observer copy and ΔT cache.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "TrackingTestUtil.h"

namespace {

struct Track {
    std::vector<double> values;
    bool operator==(const Track&) const = default;
};

Track Compute(TObserver obs, TSatRec sat) {
    Track out;
    TSatState s{};
    const double t0 = sat.epoch - kJulianOffset;
    for (int i = 0; i < 2000; ++i) {
        const double t = t0 + i * 10.0 / kSecondsPerDay;
        if (PropagateSatellite(sat, s, ObserverFrame(obs, t), kFillLookAngles)) {
            out.values.push_back(s.altaz.alt);
            out.values.push_back(s.altaz.az);
            out.values.push_back(s.radec.dist);
        }
    }
    TSatState sun{};
    sun.body = kBodySun;
    std::vector<TTimeInterval> days;
    BodyIntervals(sun, true, false, t0, t0 + 3.0, -6.0 * kDeg, days, obs);
    for (const TTimeInterval& iv : days) {
        out.values.push_back(iv.start);
        out.values.push_back(iv.end);
    }
    return out;
}

TEST(Threads, TwoObserversAtOnceMatchEachAlone) {
    TSatRec sat;
    ASSERT_TRUE(MakeSat(kTle06251[0], kTle06251[1], sat));
    const TObserver north = MakeObserver(52.0, 13.4, 0.05);
    const TObserver south = MakeObserver(-34.6, -58.4, 0.02);

    // Each alone on a fresh thread, so each starts with an empty ΔT cache.
    Track aloneN, aloneS, bothN, bothS;
    std::thread([&] { aloneN = Compute(north, sat); }).join();
    std::thread([&] { aloneS = Compute(south, sat); }).join();

    std::thread a([&] { bothN = Compute(north, sat); });
    std::thread b([&] { bothS = Compute(south, sat); });
    a.join();
    b.join();

    ASSERT_FALSE(aloneN.values.empty());
    EXPECT_FALSE(aloneN == aloneS);
    EXPECT_TRUE(bothN == aloneN);
    EXPECT_TRUE(bothS == aloneS);
}

}  // namespace
