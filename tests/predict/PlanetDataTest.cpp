// The Sun, Moon and planet tables against an independent computation
// (python3-ephem, run by reference_sky.py): rise, transit and set times, the
// Moon's illuminated percentage and the positions of every body.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <sstream>

#include "PredictTestUtil.h"
#include "uPlanetData.h"

namespace {
std::vector<std::vector<std::string>> Reference(const std::string& args) {
    const std::string cmd = "/usr/bin/python3 '" + kPredictDir + "/reference_sky.py' " + args;
    std::vector<std::vector<std::string>> rows;
    FILE* p = popen(cmd.c_str(), "r");
    if (!p) return rows;
    std::string text;
    char buf[4096];
    for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;) text.append(buf, n);
    if (pclose(p) != 0) return {};
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream words(line);
        rows.emplace_back();
        for (std::string w; words >> w;) rows.back().push_back(w);
    }
    return rows;
}

struct TCase {
    const char* name;
    double lat, lon;
    int32_t body;
    double horizon;
    bool utc;
    double utcOffsetHours;
    int year, month, day;
};

// Seconds ours may be early or late: the models' difference (an arc second
// or two for the Sun, and ephem's Sun is seen from the observer, ours from
// the Earth's centre; a few for the Moon), and for the transit the walk's
// last step.
void CompareEvent(bool has, double ours, double ref, const char* what, int day, double early, double late) {
    ASSERT_EQ(has, ref >= 0.0) << what << " of row " << day;
    if (!has) return;
    const double off = (ours - ref) * 86400.0;
    EXPECT_GT(off, -early) << what << " of row " << day;
    EXPECT_LT(off, late) << what << " of row " << day;
}
}  // namespace

TEST(PlanetData, RiseTransitSetAndPhaseAsEphemHasThem) {
    const TCase cases[] = {
        {"London, Sun", 51.48, 0.0, kBodySun, kHorizonNormal, true, 0.0, 2018, 1, 22},
        // East of Greenwich in UTC: the transit walk starts near the date line of hour angles.
        {"Berlin, Moon", 52.52, 13.40, kBodyMoon, kHorizonMoon, true, 1.0, 2018, 1, 22},
        {"Sydney local, Sun civil", -33.87, 151.21, kBodySun, kHorizonCivil, false, 10.0, 2018, 6, 20},
        // Polar night: no rise and no set, but the Sun still crosses the meridian.
        {"Tromso, Sun", 69.65, 18.96, kBodySun, kHorizonNormal, true, 1.0, 2018, 12, 15},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.name);
        TRiseSetInputs in;
        in.body = c.body;
        in.title = c.body == kBodyMoon ? "  Moon Rise/Set " : "  Sun Rise/Set ";
        in.observer = TestObserver(c.lat, c.lon, 0.0);
        in.observer.utcOffset = c.utcOffsetHours / 24.0;
        in.utcMode = c.utc;
        in.horizon = c.horizon;
        in.days = 3;
        in.date = EncodeDayNumber(c.year, c.month, c.day, 15, 0, 0);
        const TRiseSetTable table = RiseSetTable(in);
        ASSERT_EQ(table.rows.size(), 3u) << "as many days as asked for";
        ASSERT_EQ(table.lines.size(), 9u);
        const double firstDay = EncodeDayNumber(c.year, c.month, c.day) - (c.utc ? 0.0 : in.observer.utcOffset);
        EXPECT_DOUBLE_EQ(table.rows[0].dayStart, firstDay);

        // Rows hold the events shown with their minute: from 30 s before midnight.
        char args[256];
        std::snprintf(args, sizeof args, "days %.6f %.6f 0 %s %.9f 3 %.9f %.9f %d", c.lat, c.lon,
                      c.body == kBodyMoon ? "moon" : "sun", firstDay, c.horizon / kDeg, -30.0 / 86400.0,
                      c.body == kBodyMoon ? 1 : 0);
        const auto ref = Reference(args);
        ASSERT_EQ(ref.size(), 4u) << "python3-ephem is needed for this reference (scripts/install-deps installs it)";
        for (int i = 0; i < 3; ++i) {
            const TRiseSetRow& row = table.rows[i];
            if (!row.hasRise) {
                EXPECT_EQ(table.lines[6 + i].substr(14, 5), "--:--") << "a day without a rise";
            }
            CompareEvent(row.hasRise, row.rise, std::stod(ref[i][0]), "rise", i, 6.0, 6.0);
            CompareEvent(row.hasTransit, row.transit, std::stod(ref[i][1]), "transit", i, 4.0, 19.0);
            CompareEvent(row.hasSet, row.set, std::stod(ref[i][2]), "set", i, 6.0, 6.0);
            if (c.body == kBodyMoon) {
                EXPECT_NEAR(row.illuminated, std::stod(ref[i][3]), 1.0) << i;
            }
        }
    }
}

namespace {
TRiseSetTable AlmanacTable(int32_t body, double lat, double lon, double utcOffsetHours, int y, int m, int d, int days,
                           double horizon) {
    TRiseSetInputs in;
    in.body = body;
    in.title = body == kBodyMoon ? "  Moon Rise/Set " : "  Sun Rise/Set ";
    in.observer = TestObserver(lat, lon, 0.0);
    in.observer.utcOffset = utcOffsetHours / 24.0;
    in.utcMode = utcOffsetHours == 0.0;
    in.horizon = horizon;
    in.days = days;
    in.date = EncodeDayNumber(y, m, d);
    return RiseSetTable(in);
}

// Column of a table row ("  MM/DD/YYYY  Rise    Mid     Set"): 0 rise, 1 mid, 2 set.
std::string Column(const TRiseSetTable& table, std::size_t row, int column) {
    return table.lines.at(6 + row).substr(14 + 8 * column, 5);
}

// Minutes from the almanac's "hh:mm" to ours.
int MinutesOff(const std::string& ours, const std::string& almanac) {
    auto minutes = [](const std::string& t) { return std::stoi(t.substr(0, 2)) * 60 + std::stoi(t.substr(3, 2)); };
    if (ours.find_first_not_of(" :") == std::string::npos) return 9999;
    return minutes(ours) - minutes(almanac);
}
}  // namespace

// Figures printed by the US Naval Observatory (data/SOURCES.md). The
// mid-latitude site is given there to a tenth of a degree, worth up to 24 s.
TEST(PlanetData, RiseSetAndTwilightAsTheAlmanacPrintsThem) {
    const TRiseSetTable washington = AlmanacTable(kBodySun, 38.9, -77.0, -5.0, 2002, 3, 20, 1, kHorizonNormal);
    EXPECT_LE(std::abs(MinutesOff(Column(washington, 0, 0), "06:12")), 1);
    EXPECT_LE(std::abs(MinutesOff(Column(washington, 0, 1), "12:16")), 1);
    EXPECT_LE(std::abs(MinutesOff(Column(washington, 0, 2), "18:21")), 1);
    const TRiseSetTable civil = AlmanacTable(kBodySun, 38.9, -77.0, -5.0, 2002, 3, 20, 1, kHorizonCivil);
    EXPECT_LE(std::abs(MinutesOff(Column(civil, 0, 0), "05:45")), 1);
    EXPECT_LE(std::abs(MinutesOff(Column(civil, 0, 2), "18:47")), 1);
    // Civil dawn to the second, as python3-ephem has it for the Sun's centre at -6 degrees.
    const TRiseSetTable dawn = AlmanacTable(kBodySun, 48.0, 11.0, 0.0, 2018, 1, 21, 1, kHorizonCivil);
    EXPECT_NEAR((dawn.rows[0].rise - EncodeDayNumber(2018, 1, 21, 6, 21, 49)) * 86400.0, 0.0, 5.0);

    // At the pole a second of arc of horizon is a minute of time: the
    // equinox sunrise is the one event of the week.
    const TRiseSetTable pole = AlmanacTable(kBodySun, 90.0, 0.0, 0.0, 2022, 3, 15, 6, kHorizonNormal);
    for (std::size_t i = 0; i < pole.rows.size(); ++i) {
        EXPECT_EQ(pole.rows[i].hasRise, i == 3) << i;
        EXPECT_FALSE(pole.rows[i].hasSet) << i;
    }
    EXPECT_LE(std::abs(MinutesOff(Column(pole, 3, 0), "13:02")), 6);

    // A moonrise seconds before midnight is the next day's 00:00; the day
    // before has none.
    const TRiseSetTable moon = AlmanacTable(kBodyMoon, -45.0, 150.0, 0.0, 2050, 5, 23, 2, kHorizonMoon);
    EXPECT_EQ(Column(moon, 0, 0), "--:--");
    EXPECT_EQ(Column(moon, 1, 0), "00:00");
}

// Near the pole the Moon skims the horizon: every rise and set of the week
// against ephem's upper limb sampled each minute, and nothing more.
TEST(PlanetData, PolarMoonCrossesTheHorizonAsEphemHasIt) {
    const TRiseSetTable table = AlmanacTable(kBodyMoon, 83.0, 105.0, 0.0, 2030, 4, 12, 5, kHorizonMoon);
    const double first = table.rows.front().dayStart - 30.0 / 86400.0;
    char args[160];
    std::snprintf(args, sizeof args, "crossings 83 105 0 moon %.9f %.9f %.9f 1", first, first + 6.0,
                  kHorizonMoon / kDeg);
    const auto crossings = Reference(args);
    ASSERT_GE(crossings.size(), 4u) << "python3-ephem is needed for this reference";
    for (const TRiseSetRow& row : table.rows) {
        const double a = row.dayStart - 30.0 / 86400.0, b = a + 1.0;
        double rise = -1.0, set = -1.0;
        for (const auto& c : crossings) {
            const double t = std::stod(c[1]);
            double& slot = c[0] == "rise" ? rise : set;
            if (t >= a && t < b && slot < 0.0) slot = t;
        }
        CompareEvent(row.hasRise, row.rise, rise, "rise", static_cast<int>(row.dayStart), 10.0, 10.0);
        CompareEvent(row.hasSet, row.set, set, "set", static_cast<int>(row.dayStart), 10.0, 10.0);
    }
}

TEST(PlanetData, PositionsAsEphemHasThemWithTheMoonLast) {
    TPlanetInputs in;
    in.observer = TestObserver(52.52, 13.40, 0.0);
    in.observer.utcOffset = 1.0 / 24.0;
    in.utcMode = false;
    in.time = EncodeDayNumber(2018, 1, 22, 20, 0, 0);
    const TPlanetTable table = PlanetTable(in);
    EXPECT_DOUBLE_EQ(table.t, EncodeDayNumber(2018, 1, 22, 19, 0, 0));
    ASSERT_EQ(table.rows.size(), 10u);
    EXPECT_EQ(table.lines[3], "  Date:  Jan 22 2018 20:00:00  LOC");
    EXPECT_EQ(table.lines.back().substr(0, 12), "  Moon      ");

    char args[128];
    std::snprintf(args, sizeof args, "planets 52.52 13.40 0 %.9f", table.t);
    const auto ref = Reference(args);
    ASSERT_EQ(ref.size(), 10u) << "python3-ephem is needed for this reference";
    for (std::size_t i = 0; i < ref.size(); ++i) {
        const TPlanetRow& row = table.rows[i];
        SCOPED_TRACE(row.name);
        ASSERT_EQ(row.name, ref[i][0]);
        // Ours are mean places of date, ephem's apparent ones (nutation and
        // aberration, and the light time: up to an arc minute); the Moon seen from the
        // observer is a degree from the geocentric Moon, so parallax is checked.
        const double ra = std::remainder(row.ra - std::stod(ref[i][1]), 2.0 * M_PI) * std::cos(row.dec) / kDeg * 60.0;
        const double dec = (row.dec - std::stod(ref[i][2])) / kDeg * 60.0;
        EXPECT_LT(std::fabs(ra), 1.5);
        EXPECT_LT(std::fabs(dec), 1.5);
        EXPECT_NEAR(row.altitude, std::stod(ref[i][3]), 1.0 / 60.0);
        EXPECT_NEAR(std::remainder(row.azimuth - std::stod(ref[i][4]), 360.0) * std::cos(row.altitude * kDeg), 0.0,
                    1.0 / 60.0);
    }
}

// orbisk-sky gives the Moon's altitude as the observer sees it: the
// geocentric one is most of a degree off.
TEST(PlanetData, SkyProgramShowsTheMoonFromTheObserver) {
    const std::string program = std::string(ORBISK_PROGRAM_DIR) + "/orbisk-sky";
    const std::string cmd = "'" + program + "' --lat 52.52 --lon 13.40 --time 2018-01-22T19:00Z --utc 2>&1";
    FILE* p = popen(cmd.c_str(), "r");
    ASSERT_NE(p, nullptr);
    std::string out;
    char buf[4096];
    for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;) out.append(buf, n);
    ASSERT_EQ(pclose(p), 0) << out;
    const auto moon = out.find("\n  Moon ");
    ASSERT_NE(moon, std::string::npos) << out;
    // "  Moon  RA  Dec  Alt° Az° Distance": the altitude follows the declination's seconds.
    const std::string line = out.substr(moon + 1, out.find('\n', moon + 1) - moon - 1);
    const double altitude = std::stod(line.substr(line.find('"') + 1));
    const auto ref = Reference("planets 52.52 13.40 0 " + std::to_string(EncodeDayNumber(2018, 1, 22, 19, 0, 0)));
    ASSERT_EQ(ref.size(), 10u);
    EXPECT_NEAR(altitude, std::stod(ref[9][3]), 0.02) << line;
}
