// Passes of high and eccentric orbits (Molniya, GPS-like, transfer) against a
// plain 10-second scan of the elevation made here: every pass the scan sees
// is listed by the line and tabular searches from its rise, and a transit
// placed on each pass is found, however soon after the last pass it comes.
#include <gtest/gtest.h>

#include <cmath>

#include "SearchTestUtil.h"
#include "uTargets.h"
#include "uTransit.h"

namespace {
constexpr double kScanStep = 10.0 * kSec;
constexpr double kMinElevDeg = 10.0;

std::vector<TSatRec> LongPeriodOrbits() {
    const elsets::TOrbit kinds[] = {
        {63.4, 120.0, 0.72, 270.0, 0.0, 2.006},   // Molniya
        {55.0, 40.0, 0.005, 10.0, 0.0, 2.0056},   // GPS-like
        {27.0, 200.0, 0.60, 180.0, 0.0, 3.1},     // transfer
    };
    std::string text;
    int number = 91001;
    for (const elsets::TOrbit& k : kinds)
        for (double anomaly : {0.0, 130.0, 250.0}) {
            elsets::TOrbit o = k;
            o.anomaly = anomaly;
            text += elsets::MadeUpSet("HIGH " + std::to_string(number), number, 21.0, o);
            ++number;
        }
    std::vector<TElementEntry> entries;
    ReadElementText(entries, text);
    return elsets::SelectedRecords(entries);
}

// Topocentric direction of the satellite, from the ellipsoid normal.
struct TLook {
    double elevation = 0;  // degrees
    V3 line;               // observer to satellite, km
};
TLook LookAt(TSatRec sat, TObserver o, double t) {
    const TFrame at = ObserverFrame(o, t);
    o.vect = at.pos;
    TSatState st{};
    PropagateSatellite(sat, st, at, kFillPosition);
    const double lat = o.pos.lat, lon = o.pos.lon + at.gha;
    const V3 up{std::cos(lat) * std::cos(lon), std::cos(lat) * std::sin(lon), std::sin(lat)};
    const V3 line = Of(st.pos) - Of(o.vect);
    return {90.0 - AngleDeg(line, up), line};
}

struct TScanPass {
    double rise, set;  // first and last scan samples at or above the level
};
std::vector<TScanPass> Scan(const TSatRec& sat, const TObserver& o, double from, double to) {
    std::vector<TScanPass> passes;
    bool up = false;
    for (double t = from; t <= to; t += kScanStep) {
        const bool now = LookAt(sat, o, t).elevation >= kMinElevDeg;
        if (now && !up) passes.push_back({t, t});
        if (now) passes.back().set = t;
        up = now;
    }
    return passes;
}

// A listed start matches a scanned rise when it lies in the scan step
// before it (late by under a second); one at the period's start matches it.
bool StartsAt(double listed, const TScanPass& p, double from) {
    if (p.rise == from) return std::abs(listed - from) < 1.5 * kSec;
    return listed > p.rise - kScanStep - kSec && listed <= p.rise + 1.5 * kSec;
}
}  // namespace

TEST(LongPeriodOrbits, EveryScannedPassIsListedFromItsRise) {
    const std::vector<TSatRec> sats = LongPeriodOrbits();
    ASSERT_EQ(sats.size(), 9u);
    const TObserver o = SiteAt(48.0, 11.0, 0.5);
    const double from = EncodeDayNumber(2018, 1, 21), to = from + 2.0;
    TPredictionInputs in = Period(from, to, kMinElevDeg, true);
    in.sunlitOnly = false;
    const TPredictionResult line = RunLineSearch(in, sats, o);
    const TPredictionResult table = RunTabularSearch(in, sats, o);
    std::size_t scanned = 0;
    for (std::size_t i = 0; i < sats.size(); ++i) {
        SCOPED_TRACE(sats[i].name.str());
        std::vector<double> aos, first;
        for (const TLinePass& p : line.linePasses)
            if (p.satellite == i) aos.push_back(p.aos);
        for (const TTablePass& p : table.tablePasses)
            if (p.satellite == i) first.push_back(p.rows.front().t);
        const std::vector<TScanPass> truth = Scan(sats[i], o, from, to);
        scanned += truth.size();
        ASSERT_EQ(aos.size(), truth.size());
        ASSERT_EQ(first.size(), truth.size());
        for (std::size_t k = 0; k < truth.size(); ++k) {
            EXPECT_TRUE(StartsAt(aos[k], truth[k], from)) << FormatDateTime("dd HH:nn:ss", aos[k]);
            EXPECT_TRUE(StartsAt(first[k], truth[k], from)) << FormatDateTime("dd HH:nn:ss", first[k]);
        }
    }
    EXPECT_GT(scanned, 20u);
}

TEST(LongPeriodOrbits, TransitOnEveryPassIsFound) {
    const std::vector<TSatRec> sats = LongPeriodOrbits();
    const TObserver o = SiteAt(48.0, 11.0, 0.5);
    const TReportSettings rs = SettingsFor(o);
    const double from = EncodeDayNumber(2018, 1, 21), to = from + 2.0;
    const TPredictionInputs in = Period(from, to, kMinElevDeg, true);
    std::size_t placed = 0;
    for (std::size_t i = 0; i < sats.size(); i += 2) {
        for (const TScanPass& p : Scan(sats[i], o, from, to)) {
            // A fixed position the satellite crosses a while after its rise.
            const double at = std::min(p.rise + 600.0 * kSec, (p.rise + p.set) / 2.0);
            if (!(p.rise > from) || !(at - p.rise > 60.0 * kSec)) continue;
            const V3 line = LookAt(sats[i], o, at).line;
            TTransitTarget target;
            SetRaDecTarget(target, std::atan2(line.y, line.x), std::asin(line.z / Len(line)));
            const TTransitResult r = RunTransitSearch(in, 0.5, target, {sats[i]}, o);
            bool found = false;
            for (const TTransit& tr : r.transits) found = found || std::abs(tr.t - at) < 5.0 * kSec;
            EXPECT_TRUE(found) << sats[i].name.str() << " " << FormatDateTime("dd HH:nn:ss", at);
            ++placed;
        }
    }
    EXPECT_GT(placed, 6u);
}
