// The "Max" of a pass is the whole second from AOS at which it stands
// highest, with shortcuts and without: checked against its neighbours for
// every pass of an eccentric low orbit, whose tops are lopsided (a pass of it
// once had its top put a second early).
#include <gtest/gtest.h>

#include "../common/ElementSets.h"
#include "PredictTestUtil.h"
#include "uInitialize.h"

TEST(TopSecond, MaxIsTheHighestWholeSecondOfEveryPass) {
    std::vector<TElementEntry> entries;
    ReadElementText(entries, "ECCENTRIC COPY\n"
                             "1 71416U 72023E   18021.21204673  .00015542  60058-5  75309-4 0  9999\n"
                             "2 71416  52.0573 157.7025 1502179  87.6588 179.6847 12.74206277388736\n");
    std::vector<TSatRec> sats = elsets::SelectedRecords(entries);
    ASSERT_EQ(sats.size(), 1u);
    TObserver o = DefaultObserver();
    const double start = EncodeDayNumber(2018, 1, 21, 0, 0, 0);
    auto elevation = [&](double t) {
        TSatState st{};
        const TFrame at = ObserverFrame(o, t);
        EXPECT_TRUE(PropagateSatellite(sats[0], st, at, kFillLookAngles));
        return st.altaz.alt;
    };
    for (bool shortcuts : {true, false}) {
        TPredictionInputs in = TestInputs(start, start + 15.0, false, true);
        in.minRevs = 11.0;
        in.minElevation = 0.0;
        in.shortcuts = shortcuts;
        const TPredictionResult r = RunLineSearch(in, sats, o, 1);
        ASSERT_GT(r.linePasses.size(), 50u);
        for (const TLinePass& p : r.linePasses) {
            if (!(p.middle > p.aos) || !(p.middle < p.los)) continue;
            const double top = elevation(p.middle);
            EXPECT_GE(top, elevation(p.middle - 1.0 / 86400.0)) << "shortcuts " << shortcuts << " aos " << p.aos;
            if (p.middle + 1.5 / 86400.0 < p.los)
                EXPECT_GE(top, elevation(p.middle + 1.0 / 86400.0)) << "shortcuts " << shortcuts << " aos " << p.aos;
        }
    }
}
