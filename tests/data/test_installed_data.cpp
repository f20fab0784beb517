// The installed program folder: every data file parses with its own reader
// and holds plausible values.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "Satellite.h"
#include "uDataFiles.h"
#include "uLoadSave.h"
#include "uMagFile.h"
#include "uSkyData.h"
#include "uVarDef.h"

namespace {

const std::string kProgram = std::string(ORBISK_PROGRAM_DIR) + "/";
const std::string kData = kProgram + "data/";

std::vector<std::string> Lines(const std::string& path) {
    std::vector<std::string> lines;
    EXPECT_TRUE(ReadDataLines(path, lines)) << path;
    EXPECT_FALSE(lines.empty()) << path;
    return lines;
}

class SkyDataTest : public ::testing::Test {
protected:
    bool Load(std::string* message = nullptr) {
        return LoadSkyData(kData, StarList, ConstellationList, message);
    }
    std::vector<TSkyRecord> StarList, ConstellationList;
};

TEST_F(SkyDataTest, StarsCoverTheNakedEyeSkyWithNamesAndPlausibleValues) {
    std::string message;
    ASSERT_TRUE(Load(&message)) << message;
    EXPECT_GT(StarList.size(), 8000u);
    EXPECT_LT(StarList.size(), 9200u);
    double faintest = -10, brightest = 10;
    std::size_t named = 0;
    for (const TSkyRecord& s : StarList) {
        ASSERT_TRUE(std::isfinite(s.ra) && std::isfinite(s.dec) && std::isfinite(s.mag));
        ASSERT_GE(s.ra, 0.0);
        ASSERT_LT(s.ra, 2 * M_PI);
        ASSERT_LE(std::fabs(s.dec), M_PI / 2);
        faintest = std::max(faintest, s.mag);
        brightest = std::min(brightest, s.mag);
        named += s.name.size() > 0;
    }
    EXPECT_NEAR(brightest, -1.46, 1e-9);  // Sirius
    EXPECT_LE(faintest, 6.5);
    EXPECT_GT(faintest, 6.3);
    EXPECT_GT(named, 1000u);

    // Sirius, J2000: 6h 45m 09s, -16° 42' 58" (published catalogue position).
    auto sirius = std::find_if(StarList.begin(), StarList.end(), [](const TSkyRecord& s) { return s.name == "Sirius"; });
    ASSERT_NE(sirius, StarList.end());
    EXPECT_NEAR(sirius->ra * 12 / M_PI, 6 + 45 / 60.0 + 9 / 3600.0, 2e-4);
    EXPECT_NEAR(sirius->dec * 180 / M_PI, -(16 + 42 / 60.0 + 58 / 3600.0), 2e-3);
}

TEST_F(SkyDataTest, ConstellationFiguresComeInNamedPairs) {
    ASSERT_TRUE(Load());
    ASSERT_FALSE(ConstellationList.empty());
    EXPECT_EQ(ConstellationList.size() % 2, 0u);
    std::set<std::string> names;
    for (std::size_t i = 0; i < ConstellationList.size(); ++i) {
        const TSkyRecord& r = ConstellationList[i];
        ASSERT_TRUE(std::isfinite(r.ra) && std::isfinite(r.dec));
        ASSERT_LE(std::fabs(r.dec), M_PI / 2);
        if (r.name.size() == 0) continue;
        EXPECT_EQ(i % 2, 0u) << "name on the second point of a line: " << r.name.str();
        EXPECT_GT(r.name.size(), 2u);  // shorter names are never drawn
        EXPECT_TRUE(names.insert(r.name.str()).second) << "named twice: " << r.name.str();
    }
    EXPECT_EQ(names.size(), 88u);  // every IAU constellation
    EXPECT_TRUE(names.count("Orion") && names.count("Ursa Major") && names.count("Crux"));
}

TEST_F(SkyDataTest, LoadingTwiceReplacesTheLists) {
    ASSERT_TRUE(Load());
    const std::size_t stars = StarList.size(), points = ConstellationList.size();
    ASSERT_TRUE(Load());
    EXPECT_EQ(StarList.size(), stars);
    EXPECT_EQ(ConstellationList.size(), points);
}

TEST(StarDat, EveryLineParsesAndNamesAreUniqueAndConsistent) {
    std::set<std::string> names;
    for (const std::string& line : Lines(kData + "star.dat")) {
        TStarEntry s;
        ASSERT_TRUE(ParseStarLine(line, s)) << line;
        double mag = 0;
        EXPECT_TRUE(ParseNumber(s.magText, mag)) << line;
        EXPECT_LT(mag, 6.5);
        EXPECT_FALSE(s.listName.empty());
        // The picker finds a line by its listed name and shows the other column.
        EXPECT_EQ(s.listName, s.shownName) << line;
        EXPECT_TRUE(names.insert(s.listName).second) << line;
    }
    EXPECT_GT(names.size(), 100u);
    EXPECT_TRUE(names.count("Vega") && names.count("Polaris"));
}

TEST(MapLocations, EveryCityParses) {
    std::size_t n = 0;
    for (const std::string& line : Lines(kData + "MapLocations.dat")) {
        TMapCity c;
        ASSERT_TRUE(ParseMapLocationLine(line, c)) << line;
        EXPECT_FALSE(c.name.empty()) << line;
        ++n;
    }
    EXPECT_GT(n, 50u);
}

std::set<std::string> ZoneNames() {
    std::set<std::string> names;
    for (const std::string& line : Lines(kData + "Timezone.dat")) {
        TTimeZone z;
        if (ParseTimezoneLine(line, z)) names.insert(z.name);
    }
    return names;
}

TEST(Timezones, OffsetsInRangeAndNamesFoundWithTheirLeadingBlank) {
    std::set<std::string> names;
    for (const std::string& line : Lines(kData + "Timezone.dat")) {
        TTimeZone z;
        ASSERT_TRUE(ParseTimezoneLine(line, z)) << line;
        EXPECT_GE(z.offsetHours, -12.0) << line;
        EXPECT_LE(z.offsetHours, 14.0) << line;
        ASSERT_FALSE(z.listText.empty());
        EXPECT_EQ(z.listText, " " + z.name) << line;
        EXPECT_TRUE(names.insert(z.name).second) << "duplicate " << z.name;
    }
    EXPECT_GT(names.size(), 300u);
    EXPECT_TRUE(names.count("Greenwich (Coordinated Universal) Time"));  // default observer's zone
}

TEST(Locations, EveryLineInRangeSortedAndZonesKnown) {
    const std::set<std::string> zones = ZoneNames();
    for (const char* file : {"Locations.dat", "UserLocations.dat"}) {
        const auto lines = Lines(kData + file);
        EXPECT_TRUE(std::is_sorted(lines.begin(), lines.end())) << file;
        for (const std::string& line : lines) {
            TLocation loc;
            ASSERT_TRUE(ParseLocationLine(line, loc)) << file << ": " << line;
            EXPECT_FALSE(loc.name.empty()) << line;
            EXPECT_GT(loc.height, -500.0) << line;
            EXPECT_LT(loc.height, 9000.0) << line;
            EXPECT_TRUE(zones.count(loc.zone)) << "unknown zone in " << line;
            EXPECT_LE(line.size(), 117u);
        }
    }
}

TEST(DownloadList, FixedColumnsLoginEntriesFirstAndDisabled) {
    const auto lines = Lines(kData + "dwnlist.dat");
    ASSERT_GT(lines.size(), kDownloadLoginEntries);
    ASSERT_LE(lines.size(), kDownloadMaxEntries);
    std::set<std::string> stems;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        TDownloadEntry e;
        ASSERT_TRUE(ParseDownloadLine(line, e)) << line;
        EXPECT_LE(line.size(), kDownloadLastColumn);
        EXPECT_EQ(line[1], ' ');
        EXPECT_EQ(line[3], ' ');
        EXPECT_EQ(line[38], ' ') << line;
        EXPECT_EQ(e.url.find(' '), std::string::npos);
        EXPECT_EQ(e.url.rfind("https://", 0), 0u) << line;
        EXPECT_TRUE(stems.insert(e.stem()).second) << "two entries write " << e.stem();
        if (i < kDownloadLoginEntries) {
            EXPECT_FALSE(e.enabled) << line;
            // Both file-name rules must name the same file for these entries.
            EXPECT_EQ(e.displayName, e.shortStem) << line;
            EXPECT_NE(e.url.find("space-track.org"), std::string::npos);
            // Only objects in orbit with recent elements, in a form that carries six-digit numbers.
            EXPECT_NE(e.url.find("/decay_date/null-val/epoch/%3Enow-10/"), std::string::npos) << line;
            EXPECT_TRUE(e.url.ends_with("/format/csv") || e.url.ends_with("/format/json")) << line;
        } else {
            EXPECT_EQ(e.url.find("space-track.org"), std::string::npos) << "login entry after the first twelve";
            // OMM CSV is the form that carries objects numbered above 99999.
            EXPECT_NE(e.url.find("FORMAT=csv"), std::string::npos) << line;
        }
    }
    EXPECT_TRUE(stems.count("Iridium"));
    for (const char* group : {"last-30-days", "amateur", "starlink"}) EXPECT_TRUE(stems.count(group)) << group;
    for (const std::string& line : lines)  // groups the provider no longer has
        for (const char* dead : {"GROUP=noaa&", "GROUP=iridium&"}) EXPECT_EQ(line.find(dead), std::string::npos) << line;  // the Iridium file creation reads Iridium.tle
}

TEST(MagnitudeFile, UrlFirstThenSortedFixedColumnEntries) {
    auto lines = Lines(kData + "Mag.dat");
    ASSERT_FALSE(lines.empty());
    EXPECT_NE(lines[0].find("http:"), std::string::npos);
    lines.erase(lines.begin());
    EXPECT_TRUE(std::is_sorted(lines.begin(), lines.end()));
    std::set<std::string> numbers;
    std::map<std::string, int> sources;
    for (const std::string& line : lines) {
        EXPECT_EQ(line.find("http:"), std::string::npos);
        TMagEntry e;
        ASSERT_TRUE(ParseMagEntryLine(line, e)) << line;
        EXPECT_EQ(e.number.size(), 5u) << line;
        EXPECT_TRUE(std::all_of(e.number.begin(), e.number.end(), ::isdigit)) << line;
        EXPECT_TRUE(e.magGiven) << line;
        EXPECT_GE(e.mag, -19.9);
        EXPECT_LE(e.mag, 19.9);
        // The fixed columns, then the word saying where the value came from.
        ASSERT_GT(line.size(), 39u) << line;
        const TMagSource source = MagLineSource(line);
        EXPECT_NE(source, TMagSource::kNotRecorded) << line;
        EXPECT_EQ(source == TMagSource::kUnknown, e.mag == kPlaceholderStdMag) << line;
        ++sources[MagSourceWord(source)];
        EXPECT_EQ(line.substr(5, 3), "   ") << line;
        std::string upper = e.name;
        std::transform(upper.begin(), upper.end(), upper.begin(), ::toupper);
        EXPECT_EQ(e.name, upper);
        EXPECT_TRUE(numbers.insert(e.number).second) << "duplicate " << e.number;
    }
    EXPECT_TRUE(numbers.count("25544"));
    EXPECT_EQ(sources["observed"], 14);
    EXPECT_EQ(sources["rule"], 86);
}

TEST(ElementFiles, InstalledSetsReadAndDateFromAroundJanuary2018) {
    const std::pair<const char*, std::size_t> files[] = {{"visual.tle", 100}, {"Iridium.tle", 60}, {"stations.tle", 1}};
    for (const auto& [file, minimum] : files) {
        std::vector<TElementEntry> entries;
        ASSERT_TRUE(ReadElementFile(entries, kProgram + "tle/" + file)) << file;
        EXPECT_GE(entries.size(), minimum) << file;
        for (const TElementEntry& e : entries) {
            EXPECT_FALSE(e.name.view().empty()) << file;
            const double jd = ElementEpochJulian(e.line1.view());
            EXPECT_GT(jd, 2458088.5) << file;  // 2017-11-30: a few dead bodies had older sets
            EXPECT_LT(jd, 2458150.5) << file;  // 2018-02-01
        }
    }
}

TEST(MapImage, IsAJpeg) {
    std::vector<std::string> lines;
    ASSERT_TRUE(ReadDataLines(kProgram + "map/Real_Color_x.jpg", lines));
    ASSERT_FALSE(lines.empty());
    ASSERT_GE(lines[0].size(), 3u);
    EXPECT_EQ(static_cast<unsigned char>(lines[0][0]), 0xFF);
    EXPECT_EQ(static_cast<unsigned char>(lines[0][1]), 0xD8);
}

TEST(ProgramFolder, LicenseAndHelpAreInstalled) {
    for (const char* file : {"license.txt", "Orbisk.html"}) {
        std::vector<std::string> lines;
        EXPECT_TRUE(ReadDataLines(kProgram + file, lines)) << file;
        EXPECT_GT(lines.size(), 10u) << file;
    }
}

// Position at the record's own epoch: a geocentric distance between the
// perigee and apogee radii, and a finite speed.
void ExpectPropagatesAtEpoch(TSatRec sat) {
    TVector pos{}, vel{};
    const bool ok = sat.deepSpace ? SDP4(&sat, &pos, &vel, 0.0) : SGP4(&sat, &pos, &vel, 0.0);
    ASSERT_TRUE(ok) << sat.name.str();
    const double r = std::sqrt(pos.x * pos.x + pos.y * pos.y + pos.z * pos.z);
    const double v = std::sqrt(vel.x * vel.x + vel.y * vel.y + vel.z * vel.z);
    EXPECT_GT(r, 6378.0 + 100.0) << sat.name.str();  // a dead Iridium body was near re-entry
    EXPECT_LT(r, 6378.0 + 40000.0) << sat.name.str();
    EXPECT_GT(v, 1.0) << sat.name.str();
    EXPECT_LT(v, 11.0) << sat.name.str();
}

TEST(Catalogues, MainListHoldsTheIssAndAtMostFifteenSelected) {
    std::vector<TSatRec> sats;
    ASSERT_TRUE(LoadCatalogue(sats, kData + "MainSat.bin"));
    ASSERT_GT(sats.size(), 5u);
    ASSERT_LT(sats.size(), 256u);  // list indexes fit in a byte
    EXPECT_LT(sats.size(), 15u) << "the selector adds up to 15: the shipped list leaves room";
    int selected = 0;
    bool iss = false;
    for (const TSatRec& s : sats) {
        EXPECT_EQ(s.decayed, 0) << s.name.str();
        selected += s.selected;
        if (s.catNo == "25544") {
            iss = true;
            EXPECT_TRUE(s.selected);
            EXPECT_LT(s.stdMag, 0.0);  // from Mag.dat, not the 8.0 default
        }
        ExpectPropagatesAtEpoch(s);
    }
    EXPECT_TRUE(iss);
    EXPECT_GT(selected, 0);
    EXPECT_LE(selected, 15);
}

TEST(Catalogues, IridiumListHoldsFirstGenerationBodiesAtTheirAltitude) {
    std::vector<TSatRec> sats;
    ASSERT_TRUE(LoadCatalogue(sats, kData + "IridSat.bin"));
    EXPECT_GT(sats.size(), 60u);
    for (const TSatRec& s : sats) {
        EXPECT_EQ(s.name.view().rfind("IRIDIUM", 0), 0u) << s.name.str();
        EXPECT_EQ(s.name.view().find('T'), std::string_view::npos);
        EXPECT_NEAR(s.inclination * 180 / M_PI, 86.4, 1.0) << s.name.str();
        EXPECT_EQ(s.deepSpace, 0);
        ExpectPropagatesAtEpoch(s);
    }
}

}  // namespace
