// The analysis searches over a whole element file: the visible-now list
// against elevations and azimuths worked out here from the propagated
// positions, its exclusive limits, its magnitude source, and the decayed
// list against a decay estimate computed here from the element lines.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>

#include "PredictTestUtil.h"
#include "uAnalysis.h"
#include "uAnalysisModes.h"
#include "uLoadSave.h"

namespace {
std::vector<TElementEntry> BundledEntries() {
    std::vector<TElementEntry> all;
    for (const char* file : {"visual.tle", "stations.tle"}) {
        std::vector<TElementEntry> part;
        ReadElementFile(part, std::string(ORBISK_SOURCE_DIR) + "/data/install/tle/" + file);
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

// Elevation and azimuth (degrees) of a geocentric position (km, true-of-date
// frame) from a site on the WGS-84 ellipsoid, with gha the hour angle of
// Greenwich: the site's position and its local up, north and east here.
void LookAngles(const TVector& p, const TObserver& site, double gha, double& el, double& az) {
    const double a = 6378.137, f = 1.0 / 298.257223563, e2 = f * (2.0 - f);
    const double lat = site.pos.lat, lst = gha + site.pos.lon, h = site.pos.height;
    const double n = a / std::sqrt(1.0 - e2 * std::sin(lat) * std::sin(lat));
    const double ox = (n + h) * std::cos(lat) * std::cos(lst), oy = (n + h) * std::cos(lat) * std::sin(lst);
    const double oz = (n * (1.0 - e2) + h) * std::sin(lat);
    const double dx = p.x - ox, dy = p.y - oy, dz = p.z - oz;
    const double up = std::cos(lat) * std::cos(lst) * dx + std::cos(lat) * std::sin(lst) * dy + std::sin(lat) * dz;
    const double north =
        -std::sin(lat) * std::cos(lst) * dx - std::sin(lat) * std::sin(lst) * dy + std::cos(lat) * dz;
    const double east = -std::sin(lst) * dx + std::cos(lst) * dy;
    el = std::asin(up / std::sqrt(dx * dx + dy * dy + dz * dz)) / kDeg;
    az = std::fmod(std::atan2(east, north) / kDeg + 360.0, 360.0);
}

// Decay estimate from the element lines: the semi-major axis shrinks at
// 2/3 a n'/n a day; the orbit is down when it has lost one scale height
// (15 km + a tenth of the perigee height, 20 to 80 km) of it.
double DecayEstimate(const TElementEntry& e) {
    const std::string l1 = e.line1.str(), l2 = e.line2.str();
    double ndotHalf = 0.0, mm = 0.0, ecc = 0.0;
    ParseNumber(DataColumns(l1, 34, 43), ndotHalf);
    ParseNumber(DataColumns(l2, 53, 63), mm);
    ParseNumber("0." + std::string(TrimText(DataColumns(l2, 27, 33))), ecc);
    const double epoch = JulianToDayNumber(ElementEpochJulian(l1));
    const double nRadPerMin = mm * 2.0 * M_PI / 1440.0;
    const double aKm = std::cbrt(398600.8 / std::pow(nRadPerMin / 60.0, 2.0));
    const double perigee = aKm * (1.0 - ecc) - 6378.135;
    if (!(ndotHalf > 0.0)) return epoch + 100000.0;
    if (perigee < 100.0) return epoch;
    const double scale = std::clamp(15.0 + 0.1 * perigee, 20.0, 80.0);
    const double life = scale / (2.0 / 3.0 * aKm * 2.0 * ndotHalf / mm);
    return epoch + (life < 15000.0 ? life : 100000.0);
}

TAnalysisInputs At(double t) {
    TAnalysisInputs in;
    in.time = t;
    return in;
}
}  // namespace

TEST(AnalysisSearch, VisibleListHoldsExactlyTheSatellitesInsideTheLimits) {
    const std::vector<TElementEntry> entries = BundledEntries();
    const TObserver site = TestObserver();
    TAnalysisInputs in = At(EncodeDayNumber(2018, 1, 22, 3));
    in.minRevs = 1.0;
    in.minAlt = 5.0;
    in.minAz = 20.0;
    in.maxAz = 300.0;
    const TVisibleResult r = RunVisibleSearch(in, entries, site, nullptr, 2);
    ASSERT_FALSE(r.status.cutShort);

    std::set<std::size_t> expected;
    const TFrame frame = ObserverFrame(site, in.time);
    const double gha = frame.gha;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        TSatRec sat{};
        if (!InitSatelliteFromEntry(sat, entries[i], in.minRevs, in.maxRevs) || !(sat.decayDate > in.time)) continue;
        TSatState s{};
        if (!PropagateSatellite(sat, s, frame, kFillPosition)) continue;
        double el = 0, az = 0;
        LookAngles(s.pos, site, gha, el, az);
        // Nothing lies so close to a limit that the two computations could part.
        for (double limit : {in.minAlt, in.maxAlt}) ASSERT_GT(std::fabs(el - limit), 0.01);
        for (double limit : {in.minAz, in.maxAz}) ASSERT_GT(std::fabs(az - limit), 0.01);
        if (el > in.minAlt && el < in.maxAlt && az > in.minAz && az < in.maxAz) expected.insert(i);
    }
    std::set<std::size_t> listed;
    for (const TVisibleSat& v : r.sats) listed.insert(v.entry);
    EXPECT_EQ(listed, expected);
    ASSERT_GE(expected.size(), 3u);

    const TReportLines lines = VisibleReport(r, in, TestSettings(site, 0.0));
    // Without a magnitude list every magnitude is an estimate: a last line says so.
    const bool anyLit = std::any_of(r.sats.begin(), r.sats.end(), [](const TVisibleSat& v) { return v.row.sunlit; });
    ASSERT_EQ(lines.size(), 10 + r.sats.size() + (anyLit ? 1 : 0));
    if (anyLit) EXPECT_EQ(lines.back(), kEstimatedFootnote);
    EXPECT_EQ(lines[7], VisibleSunLine(r.sunElevation));
    EXPECT_EQ(lines[9], VisibleColumnLine());
    // A satellite in the Earth's shadow has no magnitude to show; the columns stay.
    for (std::size_t i = 0; i < r.sats.size(); ++i) {
        TVisibleRow lit = r.sats[i].row;
        lit.sunlit = true;
        lit.estimated = false;
        std::string line = lines[10 + i];
        EXPECT_EQ(line.ends_with(kEstimatedMark), r.sats[i].row.sunlit) << line;
        if (line.ends_with(kEstimatedMark)) line.resize(line.size() - std::string(kEstimatedMark).size());
        ASSERT_EQ(line.size(), VisibleRowLine(lit, 1.0).size());
        const std::string mag = line.substr(VisibleColumnLine().find("Mag") - 1, 4);
        EXPECT_EQ(mag == "    ", !r.sats[i].row.sunlit) << line;
    }
}

TEST(AnalysisSearch, LimitsAreExclusiveAndAnUnlistedSatelliteRatesTen) {
    const std::vector<TElementEntry> entries = BundledEntries();
    const TObserver site = TestObserver();
    TAnalysisInputs in = At(EncodeDayNumber(2018, 1, 22, 3));
    in.minRevs = 1.0;
    in.minAlt = 0.0;
    const TVisibleResult all = RunVisibleSearch(in, entries, site, nullptr, 1);
    ASSERT_FALSE(all.sats.empty());
    const TVisibleSat& one = all.sats.front();
    auto listed = [&](const TAnalysisInputs& limits) {
        for (const TVisibleSat& v : RunVisibleSearch(limits, entries, site, nullptr, 1).sats)
            if (v.entry == one.entry) return true;
        return false;
    };
    TAnalysisInputs at = in;
    at.minAlt = one.row.elevation;
    EXPECT_FALSE(listed(at)) << "a satellite exactly at the lower elevation limit";
    at = in;
    at.minAz = one.row.azimuth;
    EXPECT_FALSE(listed(at)) << "a satellite exactly at the lower azimuth limit";
    at = in;
    at.maxAlt = one.row.elevation;
    EXPECT_FALSE(listed(at));
    at.maxAlt = std::nextafter(one.row.elevation, 90.0);
    EXPECT_TRUE(listed(at));
    const TElementEntry& e = entries[one.entry];
    TAnalysisInputs revs = in;
    revs.maxRevs = e.meanMotion;
    EXPECT_FALSE(listed(revs)) << "mean motion exactly at the upper limit";

    // A magnitude line for it: 4.0 instead of 10.0 makes it exactly 6 brighter;
    // a line whose magnitude is not a number rates 10 again.
    const std::string number = e.catNo.str();
    const TMagList mags({FormatMagLine(number, "LISTED", "4.0")});
    const TMagList garbage({FormatMagLine(number, "LISTED", "x.y")});
    double rated = 0, fallback = 0;
    for (const TVisibleSat& v : RunVisibleSearch(in, entries, site, &mags, 1).sats)
        if (v.entry == one.entry) rated = v.row.magnitude;
    for (const TVisibleSat& v : RunVisibleSearch(in, entries, site, &garbage, 1).sats)
        if (v.entry == one.entry) fallback = v.row.magnitude;
    EXPECT_NEAR(one.row.magnitude - rated, 6.0, 1e-9);
    EXPECT_EQ(fallback, one.row.magnitude);
}

TEST(AnalysisSearch, DecayedListMatchesTheDecayEstimateOfTheElementLines) {
    const std::vector<TElementEntry> entries = BundledEntries();
    for (const double t : {EncodeDayNumber(2018, 6, 1), EncodeDayNumber(2021, 1, 1), EncodeDayNumber(2040, 1, 1)}) {
        const TDecayedResult r = RunDecayedSearch(At(t), entries, 2);
        std::set<std::string> expected, listed;
        for (const TElementEntry& e : entries) {
            const double decay = DecayEstimate(e);
            // The two semi-major axes differ slightly; stay clear of the edge.
            if (std::fabs(decay - t) < 0.01 * std::fabs(decay - JulianToDayNumber(ElementEpochJulian(e.line1.str()))))
                continue;
            if (e.meanMotion > 1.0 && e.meanMotion < 20.0 && t > decay) expected.insert(e.catNo.str());
        }
        for (const TDecayedSat& d : r.sats) listed.insert(d.catNo.str());
        EXPECT_EQ(listed, expected) << FormatDateTime("yyyy-mm-dd", t);
    }
    // The row: stripped title, then epoch and decay date.
    const double t = EncodeDayNumber(2040, 1, 1);
    const TDecayedResult r = RunDecayedSearch(At(t), entries, 1);
    ASSERT_FALSE(r.sats.empty());
    const TReportLines lines = DecayedReport(r, At(t), TReportSettings{});
    ASSERT_EQ(lines.size(), 8 + r.sats.size());
    EXPECT_EQ(lines[7], DecayColumnLine());
    EXPECT_NE(lines[8].find(FormatDateTime("mm/dd/yyyy HH:nn:ss", r.sats[0].decayDate)), std::string::npos);
}

TEST(AnalysisSearch, CommandLineModesTakeTheirOwnOptions) {
    std::vector<std::string> args = {"--utc", "--mode", "visible", "--alt", "20,80", "--tle", "--az"};
    TAnalysisModeArgs m;
    EXPECT_EQ(ExtractAnalysisModeArgs(args, m), "");
    EXPECT_EQ(m.mode, TAnalysisMode::kVisible);
    EXPECT_EQ(m.limits.minAlt, 20.0);
    EXPECT_EQ(m.limits.maxAlt, 80.0);
    EXPECT_EQ(args, (std::vector<std::string>{"--utc", "--tle", "--az"})) << "another option's value is not ours";

    for (const char* bad : {"--alt 80,20", "--revs 0,18", "--span 10", "--sep 20"}) {
        std::vector<std::string> a = {"--mode", "visible"};
        const std::string text = bad;
        a.push_back(text.substr(0, text.find(' ')));
        a.push_back(text.substr(text.find(' ') + 1));
        TAnalysisModeArgs out;
        EXPECT_NE(ExtractAnalysisModeArgs(a, out), "") << bad;
    }
    std::vector<std::string> transit = {"--mode", "analysis-transit", "--target", "Moon", "--sep", "30"};
    TAnalysisModeArgs t;
    EXPECT_EQ(ExtractAnalysisModeArgs(transit, t), "");
    EXPECT_EQ(t.target, "Moon");
    EXPECT_EQ(t.transit.separation, 30.0);
    EXPECT_TRUE(transit.empty());
}
