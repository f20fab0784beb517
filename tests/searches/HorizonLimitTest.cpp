// Flares and transits behind a horizon mask: dropped exactly when the
// satellite, looked up again here at the listed moment, stands below the
// mask; everything else listed as without one.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "SearchTestUtil.h"
#include "uFlares.h"
#include "uHorizonMask.h"
#include "uReport.h"
#include "uTargets.h"
#include "uTransit.h"

namespace {
// The southern half of the sky hidden up to 60 degrees.
THorizonHandle SouthWall() {
    return std::make_shared<const THorizonMask>(
        std::vector<THorizonPoint>{{0, 0}, {90, 0}, {90, 60}, {270, 60}, {270, 0}});
}
// A 30-degree wall from azimuth 90 to 180: the January Sun stands behind
// it in the morning only.
THorizonHandle EastWall() {
    return std::make_shared<const THorizonMask>(
        std::vector<THorizonPoint>{{0, 0}, {90, 0}, {90, 30}, {180, 30}, {180, 0}});
}

// Whether the satellite is behind the mask at t, from its own look angles.
bool Hidden(const TSatRec& original, TObserver observer, double t, const THorizonMask& mask, double minEl) {
    TSatRec sat = original;
    TSatState state{};
    const TFrame at = ObserverFrame(observer, t);
    EXPECT_TRUE(PropagateSatellite(sat, state, at, kFillLookAngles));
    return state.altaz.alt < mask.Limit(state.altaz.az, minEl);
}

// Splits the plain list by the mask: every masked record must be a plain
// one unchanged, and the plain ones missing must be those behind it.
template <typename Record, typename Same, typename IsHidden>
void ExpectFiltered(const std::vector<Record>& plain, const std::vector<Record>& masked, Same same,
                    IsHidden hidden) {
    std::size_t k = 0, dropped = 0;
    for (const Record& p : plain) {
        const bool kept = k < masked.size() && same(p, masked[k]);
        EXPECT_EQ(kept, !hidden(p)) << "at " << p.t;
        if (kept) ++k;
        else ++dropped;
    }
    EXPECT_EQ(k, masked.size()) << "a record listed only with the mask";
    EXPECT_GT(dropped, 0u);
    EXPECT_GT(k, 0u);
}
}  // namespace

TEST(HorizonLimit, FlaresBehindTheMaskAreDroppedAndTheRestKept) {
    const std::vector<TSatRec> sats = IridiumCatalogue();
    const TObserver site = SiteAt(45.0, -75.0, 0.1);
    TFlareInputs in;
    in.start = EncodeDayNumber(2018, 1, 20);
    in.stop = in.start + 3.0;
    in.magLimit = 0.0;
    const TFlareResult plain = RunFlareSearch(in, sats, site, 1);
    in.horizon = SouthWall();
    const TFlareResult masked = RunFlareSearch(in, sats, site, 1);
    ExpectFiltered(
        plain.flares, masked.flares,
        [](const TFlare& a, const TFlare& b) {
            return a.satellite == b.satellite && a.t == b.t && a.row.magnitude == b.row.magnitude;
        },
        [&](const TFlare& f) { return Hidden(sats[f.satellite], site, f.t, *in.horizon, kFlareMinElevation); });
    ASSERT_EQ(masked.passes.size(), masked.flares.size());
}

TEST(HorizonLimit, TransitsBehindTheMaskAreDroppedAndTheRestKept) {
    std::vector<TSatRec> sats = IridiumCatalogue();
    for (TSatRec& sat : sats) sat.selected = 1;
    const TObserver site = SiteAt(45.0, -75.0, 0.1);
    TPredictionControls c;
    c.shownStart = EncodeDayNumber(2018, 1, 20);
    c.shownStop = c.shownStart + 2.0;
    c.dayNight = true;
    c.revs = 2.0;
    c.utcMode = true;
    TPredictionInputs in = ReadPredictionInputs(c, 0.0);
    TTransitTarget sun;
    ASSERT_TRUE(MakeBodyTarget("Sun", sun));
    const TTransitResult plain = RunTransitSearch(in, 8.0, sun, sats, site, 1);
    in.horizon = EastWall();
    const TTransitResult masked = RunTransitSearch(in, 8.0, sun, sats, site, 1);
    ExpectFiltered(
        plain.transits, masked.transits,
        [](const TTransit& a, const TTransit& b) {
            return a.satellite == b.satellite && a.t == b.t && a.separation == b.separation;
        },
        [&](const TTransit& t) { return Hidden(sats[t.satellite], site, t.t, *in.horizon, in.minElevation); });
}
