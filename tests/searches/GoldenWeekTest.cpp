// Every report of the bundled element sets for one fixed week, compared byte
// for byte with the reports stored in golden/. Run with ORBISK_WRITE_GOLDEN=1
// to store them again (only after checking that a change is meant).
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "SearchTestUtil.h"
#include "uFlares.h"
#include "uGoogle.h"
#include "uTransit.h"

namespace {
const std::string kGoldenDir = std::string(ORBISK_SOURCE_DIR) + "/tests/searches/golden/";
const double kWeekStart = EncodeDayNumber(2018, 1, 22, 0, 0, 0);
const double kWeekStop = kWeekStart + 7.0;

// Per-process names, so two builds' test runs can share the temporary folder.
std::string UniqueTemp(const std::string& name) {
    return (std::filesystem::temp_directory_path() / (std::to_string(::getpid()) + "_" + name)).string();
}

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

std::string Joined(const TReportLines& lines) {
    std::string s;
    for (const std::string& l : lines) s += l + "\n";
    return s;
}

void ExpectGolden(const std::string& name, const std::string& text) {
    const std::string path = kGoldenDir + name;
    if (std::getenv("ORBISK_WRITE_GOLDEN")) {
        std::ofstream(path, std::ios::binary) << text;
        return;
    }
    const std::string golden = Slurp(path);
    ASSERT_FALSE(golden.empty()) << path << " is missing";
    EXPECT_TRUE(text == golden) << name << " differs from the stored report";
}

std::vector<TSatRec> VisualList() { return BundledSets({"visual.tle"}); }

TObserver Greenwich() {
    TObserver o = SiteAt(51.4779, -0.0015, 0.046, "Greenwich");
    o.utcOffset = 1.0 / 24.0;
    return o;
}

TPredictionInputs Week(bool utc, bool sunlitOnly, bool dayNight, const TObserver& o) {
    TPredictionControls c;
    c.utcMode = utc;
    c.shownStart = kWeekStart + (utc ? 0.0 : o.utcOffset);
    c.shownStop = kWeekStop + (utc ? 0.0 : o.utcOffset);
    c.sunlitOnly = sunlitOnly;
    c.dayNight = dayNight;
    return ReadPredictionInputs(c, o.utcOffset);
}

TReportSettings Settings(const TObserver& o, const TPredictionInputs& in, bool miles) {
    TReportSettings s = SettingsFor(o);
    s.displayOffset = in.displayOffset;
    if (miles) {
        s.metric = false;
        s.distanceFactor = 0.621371;
    }
    return s;
}

TTransitTarget Target(const char* name) {
    TTransitTarget t;
    MakeBodyTarget(name, t);
    return t;
}
}  // namespace

TEST(GoldenWeek, LineAndTabularReports) {
    const TObserver o = Greenwich();
    const std::vector<TSatRec> sats = VisualList();
    ASSERT_GT(sats.size(), 50u);
    TPredictionInputs in = Week(true, true, false, o);
    ExpectGolden("line_sunlit.txt",
                 Joined(LineReport(RunLineSearch(in, sats, o), sats, in, Settings(o, in, false))));
    in = Week(false, false, true, o);
    ExpectGolden("line_all_local_miles.txt",
                 Joined(LineReport(RunLineSearch(in, sats, o), sats, in, Settings(o, in, true))));
    in = Week(true, true, false, o);
    ExpectGolden("table_sunlit.txt", Joined(TabularReport(RunTabularSearch(in, sats, o), sats, in,
                                                          Settings(o, in, false))));
    in = Week(false, false, false, o);
    in.tableStep = 120;
    ExpectGolden("table_all_local.txt", Joined(TabularReport(RunTabularSearch(in, sats, o), sats,
                                                             in, Settings(o, in, false))));
}

TEST(GoldenWeek, FlareReportsAndKml) {
    const TObserver o = Greenwich();
    const std::vector<TSatRec> iridium = IridiumCatalogue();
    for (bool day : {false, true}) {
        TFlareInputs fi;
        fi.start = kWeekStart;
        fi.stop = kWeekStop;
        fi.utcMode = !day;
        fi.displayOffset = day ? o.utcOffset : 0.0;
        fi.dayFlares = day;
        fi.magLimit = day ? kDayFlareMagLimit : 0.0;
        fi.elementDate = "2018-01-21 10:00:00";
        TReportSettings rs = SettingsFor(o);
        rs.displayOffset = fi.displayOffset;
        const TFlareResult r = RunFlareSearch(fi, iridium, o);
        ExpectGolden(day ? "flares_day_local.txt" : "flares_night.txt",
                     Joined(FlareReport(r, fi, rs)));
        const std::string kml = UniqueTemp("orbisk_golden_flares.kml");
        ASSERT_TRUE(ExportFlareKml(r.passes, kml, o, fi.displayOffset));
        ExpectGolden(day ? "flares_day_local.kml" : "flares_night.kml", Slurp(kml));
        std::remove(kml.c_str());
    }
}

TEST(GoldenWeek, TransitReports) {
    const TObserver o = Greenwich();
    const std::vector<TSatRec> sats = VisualList();
    TPredictionInputs in = Week(true, true, true, o);
    in.minRevs = 2.0;
    for (const char* body : {"Sun", "Moon", "Jupiter"}) {
        const TReportSettings rs = Settings(o, in, false);
        const TTransitResult r = RunTransitSearch(in, 2.0, Target(body), sats, o);
        ExpectGolden(std::string("transit_") + body + ".txt",
                     Joined(TransitReport(r, sats, Target(body), in, rs)));
    }
    TTransitTarget radec;
    SetRaDecTarget(radec, 5.9 * kDeg * 15.0, 7.4 * kDeg);
    in = Week(false, true, false, o);
    in.minRevs = 2.0;
    const TReportSettings rs = Settings(o, in, true);
    ExpectGolden("transit_radec_local.txt",
                 Joined(TransitReport(RunTransitSearch(in, 3.0, radec, sats, o), sats, radec,
                                      in, rs)));
}

TEST(GoldenWeek, GroundPathReportsAndKml) {
    const TObserver o = Greenwich();
    const std::vector<TSatRec> sats = VisualList();
    TPredictionInputs in = Week(true, true, true, o);
    in.minRevs = 2.0;
    for (const char* body : {"Sun", "Moon"}) {
        for (bool miles : {false, true}) {
            if (miles && body[0] == 'M') continue;
            const TReportSettings rs = Settings(o, in, miles);
            const double track = miles ? 100.0 : body[0] == 'S' ? 160.0 : 40.0;
            const TGroundPathResult r = RunGroundPathSearch(in, track, rs.distanceFactor, Target(body), sats, o);
            const std::string name = std::string("path_") + body + (miles ? "_miles" : "");
            ExpectGolden(name + ".txt", Joined(GroundPathReport(r, sats, Target(body), in, rs)));
            const std::string kml = UniqueTemp("orbisk_golden_path.kml");
            ASSERT_TRUE(ExportGroundPathKml(r, sats, GroundPathTitle(body), kml, o, in.displayOffset, rs.distanceFactor));
            ExpectGolden(name + ".kml", Slurp(kml));
            std::remove(kml.c_str());
        }
    }
}
