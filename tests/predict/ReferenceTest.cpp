// AOS and LOS of the line search against an independent pass finder
// (python3-ephem, run by reference_passes.py): every edge within 2 s, no pass
// missed and none invented, sunlit and darkness filters off. The tabular
// rows' look angles against python3-sgp4 and a topocentric conversion of
// its own (reference_topocentric.py).
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "PredictTestUtil.h"
#include "uRecordOutput.h"

namespace {
struct TRefPass {
    std::string number;
    double aos, los;
    double top;  // highest elevation, degrees
};

// Runs the reference finder; false when python3 or ephem is missing.
bool ReferencePasses(const std::string& tle, double latDeg, double lonDeg, double heightM,
                     double start, double stop, double horizonDeg, std::vector<TRefPass>& out) {
    char cmd[1024];
    std::snprintf(cmd, sizeof cmd, "/usr/bin/python3 '%s/reference_passes.py' '%s' %.6f %.6f %.1f %.9f %.9f %.4f",
                  kPredictDir.c_str(), tle.c_str(), latDeg, lonDeg, heightM, start, stop, horizonDeg);
    FILE* p = popen(cmd, "r");
    if (!p) return false;
    std::string text;
    char buf[4096];
    for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;) text.append(buf, n);
    if (pclose(p) != 0) return false;
    std::istringstream in(text);
    TRefPass r;
    while (in >> r.number >> r.aos >> r.los >> r.top) out.push_back(r);
    return true;
}

struct TRefSite {
    const char* name;
    double lat, lon, heightM;
};
}  // namespace

TEST(ReferencePasses, EdgesAgreeWithAnIndependentPassFinder) {
    const double start = EncodeDayNumber(2018, 1, 21, 3, 0, 0);
    const double stop = start + 3.0;
    const double minElevDeg = 10.0;
    const std::vector<TSatRec> sats = LoadTestSats();
    const TRefSite sites[] = {{"Ottawa", 45.0, -75.0, 100.0},
                           {"Sydney", -33.87, 151.21, 40.0},
                           {"Equator", 0.0, 10.0, 0.0}};
    for (const TRefSite& site : sites) {
        SCOPED_TRACE(site.name);
        std::vector<TRefPass> ref;
        if (!ReferencePasses(kPassesTle, site.lat, site.lon, site.heightM, start, stop, minElevDeg, ref))
            FAIL() << "python3-ephem is needed for this reference (scripts/install-deps "
                      "installs it)";
        const TObserver o = TestObserver(site.lat, site.lon, site.heightM / 1000.0);
        TPredictionInputs in = TestInputs(start, stop, false, true);
        in.minElevation = minElevDeg * kDeg;
        const TPredictionResult ours = RunLineSearch(in, sats, o);

        // The reference lists passes overlapping the period; ours are cut at its ends.
        // Passes shorter than 3 s after the cut, or culminating within 0.05 degrees
        // of the minimum, are too close to call either way.
        std::vector<TRefPass> expected;
        for (TRefPass r : ref) {
            r.aos = std::max(r.aos, start);
            r.los = std::min(r.los, stop);
            if ((r.los - r.aos) * 86400.0 > 3.0 && r.top > minElevDeg + 0.05) expected.push_back(r);
        }
        ASSERT_GT(expected.size(), 20u);
        std::vector<bool> used(ours.passes.size(), false);
        double worst = 0.0;
        int missed = 0;
        for (const TRefPass& r : expected) {
            bool found = false;
            for (std::size_t i = 0; i < ours.passes.size() && !found; ++i) {
                const TPassRecord& p = ours.passes[i];
                if (used[i] || p.satellite->catNo.view() != r.number) continue;
                const double da = std::abs(p.start - r.aos) * 86400.0;
                const double dl = std::abs(p.end - r.los) * 86400.0;
                if (da < 30.0 && dl < 30.0) {
                    used[i] = true;
                    found = true;
                    worst = std::max({worst, da, dl});
                    EXPECT_LE(da, 2.0) << r.number << " AOS " << FormatDateTime("mm/dd HH:nn:ss", r.aos);
                    EXPECT_LE(dl, 2.0) << r.number << " LOS " << FormatDateTime("mm/dd HH:nn:ss", r.los);
                }
            }
            if (!found) {
                ++missed;
                ADD_FAILURE() << "missed " << r.number << " " << FormatDateTime("mm/dd HH:nn:ss", r.aos);
            }
        }
        for (std::size_t i = 0; i < ours.passes.size(); ++i) {
            const TPassRecord& p = ours.passes[i];
            if (!used[i] && (p.end - p.start) * 86400.0 > 3.0 && p.maxElevation > minElevDeg + 0.1)
                ADD_FAILURE() << "invented " << p.title.str() << " "
                              << FormatDateTime("mm/dd HH:nn:ss", p.start);
        }
        RecordProperty(std::string("worst_edge_seconds_") + site.name, std::to_string(worst));
        std::printf("%s: %zu passes, none missed: %s, worst edge difference %.2f s\n", site.name,
                    expected.size(), missed ? "no" : "yes", worst);
    }
}

namespace {
struct TLook {
    double el, az, range;
};

// Runs reference_topocentric.py for the given times; false when python3-sgp4
// is missing or the script fails.
bool ReferenceLooks(const std::string& line1, const std::string& line2, double latDeg,
                    double lonDeg, double heightKm, const std::vector<double>& times,
                    std::vector<TLook>& out) {
    const std::string input = ::testing::TempDir() + "orbisk_topocentric_times_" + std::to_string(::getpid()) + ".txt";
    {
        std::FILE* f = std::fopen(input.c_str(), "w");
        if (!f) return false;
        for (double t : times) std::fprintf(f, "%.12f\n", t);
        std::fclose(f);
    }
    char cmd[2048];
    std::snprintf(cmd, sizeof cmd, "/usr/bin/python3 '%s/reference_topocentric.py' '%s' '%s' %.6f %.6f %.4f < '%s'",
                  kPredictDir.c_str(), line1.c_str(), line2.c_str(), latDeg, lonDeg, heightKm,
                  input.c_str());
    FILE* p = popen(cmd, "r");
    if (!p) return false;
    std::string text;
    char buf[4096];
    for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;) text.append(buf, n);
    std::remove(input.c_str());
    if (pclose(p) != 0) return false;
    std::istringstream in(text);
    TLook l{};
    while (in >> l.el >> l.az >> l.range) out.push_back(l);
    return out.size() == times.size();
}

std::vector<std::string> ElementLines(const std::string& number, const std::string& path = kPassesTle) {
    std::ifstream in(path);
    for (std::string l; std::getline(in, l);) {
        while (!l.empty() && (l.back() == '\r' || l.back() == ' ')) l.pop_back();
        if (l.rfind("1 " + number, 0) == 0) {
            std::string l2;
            std::getline(in, l2);
            while (!l2.empty() && (l2.back() == '\r' || l2.back() == ' ')) l2.pop_back();
            return {l, l2};
        }
    }
    return {};
}
}  // namespace

namespace {
// A CSV row as printed: its time and its angles and range.
struct TCsvRow {
    double t = 0, elevation = 0, azimuth = 0, range = 0;
};
std::vector<TCsvRow> CsvRows(const std::string& csv) {
    std::vector<TCsvRow> rows;
    std::istringstream in(csv);
    std::string line;
    std::getline(in, line);  // the column names
    while (std::getline(in, line)) {
        // ...,time,elevation_deg,azimuth_deg,magnitude,sunlit,range_km: read from the right
        std::vector<std::string> f;
        for (std::size_t end = line.size(), k = 0; k < 6; ++k) {
            const std::size_t comma = line.rfind(',', end - 1);
            f.push_back(line.substr(comma + 1, end - comma - 1));
            end = comma;
        }
        int y, mo, d, h, mi, sec;
        if (std::sscanf(f[5].c_str(), "%d-%d-%dT%d:%d:%dZ", &y, &mo, &d, &h, &mi, &sec) != 6) continue;
        rows.push_back({EncodeDayNumber(y, mo, d, h, mi, sec), std::stod(f[4]), std::stod(f[3]), std::stod(f[0])});
    }
    return rows;
}
}  // namespace

// The rows as the CSV prints them, at the second it prints (darkness
// intervals start at any fraction of a second, passes after the first too).
TEST(ReferenceTable, RowsAgreeWithSgp4AndAnIndependentTopocentricConversion) {
    const double start = EncodeDayNumber(2018, 1, 21, 0, 0, 0);
    const TRefSite site{"Ottawa", 45.0, -75.0, 100.0};
    const TObserver o = TestObserver(site.lat, site.lon, site.heightM / 1000.0);
    double worstAngle = 0.0, worstRange = 0.0;
    std::size_t rows = 0;
    for (const char* number : {"25544", "33591"})
        for (bool dayNight : {true, false}) {
        SCOPED_TRACE(std::string(number) + (dayNight ? " day and night" : " darkness"));
        const std::vector<TSatRec> sats = {ByNumber(LoadTestSats(), number)};
        TPredictionInputs in = TestInputs(start, start + 2.0, false, dayNight);
        in.tableStep = 30;
        const TPredictionResult r = RunTabularSearch(in, sats, o);
        ASSERT_FALSE(r.tablePasses.empty());
        const std::vector<TCsvRow> listed = CsvRows(RecordsCsv(TablePassRecords(r, sats, false)));
        std::vector<double> times;
        for (const TCsvRow& row : listed) times.push_back(row.t);
        const std::vector<std::string> lines = ElementLines(number);
        ASSERT_EQ(lines.size(), 2u);
        std::vector<TLook> ref;
        if (!ReferenceLooks(lines[0], lines[1], site.lat, site.lon, site.heightM / 1000.0, times, ref))
            FAIL() << "python3-sgp4 is needed for this reference (scripts/install-deps installs it)";
        for (std::size_t i = 0; i < listed.size(); ++i) {
            ASSERT_TRUE(std::isfinite(ref[i].el) && std::isfinite(listed[i].elevation));
            // The listed elevation never goes below the minimum (10 degrees).
            if (ref[i].el > 10.05) {
                EXPECT_NEAR(listed[i].elevation, ref[i].el, 0.005) << FormatDateTime("mm/dd HH:nn:ss", times[i]);
                worstAngle = std::max(worstAngle, std::abs(listed[i].elevation - ref[i].el));
            } else {
                EXPECT_NEAR(listed[i].elevation, 10.0, 0.06);
            }
            if (ref[i].el < 85.0) {
                const double daz = std::remainder(listed[i].azimuth - ref[i].az, 360.0);
                EXPECT_NEAR(daz, 0.0, 0.005) << FormatDateTime("mm/dd HH:nn:ss", times[i]);
                worstAngle = std::max(worstAngle, std::abs(daz));
            }
            EXPECT_NEAR(listed[i].range, ref[i].range, 0.01);
            worstRange = std::max(worstRange, std::abs(listed[i].range - ref[i].range));
            ++rows;
        }
    }
    std::printf("table rows: %zu, worst angle %.4f deg, worst range %.4f km\n", rows, worstAngle,
                worstRange);
}

namespace {
struct TRefTop {
    double seconds;    // after the start of the stretch
    double elevation;  // degrees
};

// Runs reference_culmination.py over stretches "LINE1|LINE2|START|STOP";
// false when python3-sgp4 is missing or the script fails.
bool ReferenceTops(const std::vector<std::string>& stretches, double latDeg, double lonDeg,
                   double heightKm, std::vector<TRefTop>& out) {
    const std::string input = ::testing::TempDir() + "orbisk_culmination_stretches_" + std::to_string(::getpid()) + ".txt";
    {
        std::ofstream f(input);
        for (const std::string& s : stretches) f << s << "\n";
    }
    char cmd[1024];
    std::snprintf(cmd, sizeof cmd, "/usr/bin/python3 '%s/reference_culmination.py' %.6f %.6f %.4f < '%s'",
                  kPredictDir.c_str(), latDeg, lonDeg, heightKm, input.c_str());
    FILE* p = popen(cmd, "r");
    if (!p) return false;
    TRefTop r{};
    while (std::fscanf(p, "%lf %lf", &r.seconds, &r.elevation) == 2) out.push_back(r);
    std::remove(input.c_str());
    return pclose(p) == 0 && out.size() == stretches.size();
}
}  // namespace

// "Max" is the highest point of the listed part of each pass (sunlit only,
// in darkness) of the bundled visual list for a day, found to a second:
// against a one-second scan of python3-sgp4 look angles over the same part.
TEST(ReferenceMax, HighestPointOfEveryListedPass) {
    const std::string visual = std::string(ORBISK_SOURCE_DIR) + "/data/install/tle/visual.tle";
    const std::vector<TSatRec> sats = LoadTestSats(visual);
    const TRefSite site{"48N 11E", 48.0, 11.0, 500.0};
    const TObserver o = TestObserver(site.lat, site.lon, site.heightM / 1000.0);
    const double start = EncodeDayNumber(2018, 1, 21, 12, 0, 0);
    TPredictionInputs in = TestInputs(start, start + 1.0, true, false);
    in.minRevs = 2.0;
    const TPredictionResult r = RunLineSearch(in, sats, o);
    ASSERT_GT(r.linePasses.size(), 50u);

    std::vector<std::string> stretches;
    for (const TLinePass& p : r.linePasses) {
        const std::vector<std::string> lines = ElementLines(sats[p.satellite].catNo.str(), visual);
        ASSERT_EQ(lines.size(), 2u);
        char text[64];
        std::snprintf(text, sizeof text, "|%.12f|%.12f", p.aos, p.los);
        stretches.push_back(lines[0] + "|" + lines[1] + text);
    }
    std::vector<TRefTop> ref;
    if (!ReferenceTops(stretches, site.lat, site.lon, site.heightM / 1000.0, ref))
        FAIL() << "python3-sgp4 is needed for this reference (scripts/install-deps installs it)";
    int trimmed = 0;
    double worst = 0.0;
    for (std::size_t i = 0; i < ref.size(); ++i) {
        const TLinePass& p = r.linePasses[i];
        const double second = (p.middle - p.aos) * 86400.0;
        SCOPED_TRACE(sats[p.satellite].name.str() + " " + FormatDateTime("mm/dd HH:nn:ss", p.aos));
        EXPECT_NEAR(second, ref[i].seconds, 1e-3);
        EXPECT_NEAR(p.maxElevation, ref[i].elevation, 0.01);
        EXPECT_GE(p.maxElevation, std::max(p.aosElevation, p.losElevation) - 0.01);
        EXPECT_DOUBLE_EQ(r.passes[i].maxElevation, p.maxElevation);
        if (ref[i].seconds < 1e-3 || std::abs(ref[i].seconds - p.seconds) < 1.0) ++trimmed;
        worst = std::max(worst, std::abs(p.maxElevation - ref[i].elevation));
    }
    EXPECT_GT(trimmed, 0);  // some passes are listed from or to a shadow boundary only
    std::printf("highest points: %zu passes (%d at an end), worst elevation %.4f deg\n", ref.size(),
                trimmed, worst);
}
