// The KML documents (well-formed XML checked by xmllint, defined styles,
// coordinate forms, limit lines) and the transit target entries.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>
#include <unistd.h>

#include "SearchTestUtil.h"
#include "uFlares.h"
#include "uGoogle.h"
#include "uReport.h"
#include "uSearchModes.h"
#include "uTargets.h"

namespace {
std::string TempPath(const char* name) {
    return "/tmp/orbisk_kml_" + std::to_string(getpid()) + "_" + name;
}

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

bool WellFormed(const std::string& path) {
    const std::string cmd = "xmllint --noout '" + path + "' 2>/dev/null";
    return std::system(cmd.c_str()) == 0;
}

// The texts between each `open` and the next `close`.
std::set<std::string> Between(const std::string& doc, const std::string& open,
                              const std::string& close) {
    std::set<std::string> found;
    for (auto p = doc.find(open); p != std::string::npos; p = doc.find(open, p + 1)) {
        const auto from = p + open.size();
        found.insert(doc.substr(from, doc.find(close, from) - from));
    }
    return found;
}

// Every "#Name" a styleUrl points at has a Style with that id.
void ExpectStylesDefined(const std::string& doc) {
    const std::set<std::string> defined = Between(doc, "<Style id=\"", "\">");
    const std::set<std::string> used = Between(doc, "<styleUrl>#", "</styleUrl>");
    ASSERT_FALSE(used.empty());
    for (const std::string& u : used) EXPECT_TRUE(defined.count(u)) << u;
}

// "-?d{1,maxInt}.dddd" exactly.
bool FourDecimals(const std::string& s, std::size_t maxInt) {
    const std::size_t start = !s.empty() && s[0] == '-' ? 1 : 0;
    const auto dot = s.find('.');
    if (dot == std::string::npos || dot == start || dot - start > maxInt || s.size() != dot + 5)
        return false;
    for (std::size_t i = start; i < s.size(); ++i)
        if (i != dot && !std::isdigit(static_cast<unsigned char>(s[i]))) return false;
    return true;
}

// Coordinate lines: seven or eight blanks, then "lon,lat" with four decimals.
int CountCoordinates(const std::string& doc) {
    std::istringstream in(doc);
    int n = 0;
    for (std::string line; std::getline(in, line);) {
        if (line.find('<') != std::string::npos || line.find_first_not_of(' ') == std::string::npos)
            continue;
        const auto first = line.find_first_not_of(' ');
        const std::string pair = line.substr(first);
        const auto comma = pair.find(',');
        EXPECT_TRUE((first == 7 || first == 8) && comma != std::string::npos &&
                    FourDecimals(pair.substr(0, comma), 4) &&
                    FourDecimals(pair.substr(comma + 1), 3))
            << "'" << line << "'";
        ++n;
    }
    return n;
}

int Count(const std::string& doc, const std::string& what) {
    int n = 0;
    for (auto p = doc.find(what); p != std::string::npos; p = doc.find(what, p + 1)) ++n;
    return n;
}

// One path of six rows heading north across the site, the strip widthKm
// wide (records hold km).
TGroundPathResult PathRecords(double widthKm) {
    TGroundPath path;
    for (int i = 0; i < 6; ++i) {
        TPathRow r;
        r.widthKm = widthKm;
        TGroundPathRow& row = r.row;
        row.t = EncodeDayNumber(2018, 1, 21, 12, 0, i);
        row.latitude = 44.95 + 0.06 * i;
        row.longitude = -75.0012;
        r.point = TLatLon{row.latitude * kDeg, row.longitude * kDeg, 0.0};
        row.width = widthKm;
        row.distance = std::abs(i - 2.5) * 6.7;
        row.range = 800;
        row.elevation = 70;
        path.rows.push_back(r);
    }
    TGroundPathResult result;
    result.paths.push_back(path);
    result.google = true;
    return result;
}

std::vector<TSatRec> PathSatellite() {
    TSatRec sat{};
    sat.name = "IRIDIUM 5 [-]";
    sat.catNo = "24795";
    return {sat};
}

// Longitude of the first point of the named limit line.
double FirstLimitLongitude(const std::string& doc, const char* name) {
    const auto at = doc.find(std::string("<name>") + name + "</name>");
    if (at == std::string::npos) return NAN;
    const auto first = doc.find("        ", doc.find("<coordinates>", at)) + 8;
    return std::stod(doc.substr(first, 9));
}
}  // namespace

TEST(GroundPathKml, SunPathHasCentreLineStartPointAndBothLimits) {
    const TObserver site = SiteAt(45.0, -75.0, 0.1, "Home & <Garden>");
    const std::string path = TempPath("sun.kml");
    ASSERT_TRUE(ExportGroundPathKml(PathRecords(3.2), PathSatellite(), "Sun Transit", path, site, 0.0, 1.0));
    const std::string doc = Slurp(path);
    EXPECT_TRUE(WellFormed(path)) << doc;
    ExpectStylesDefined(doc);
    EXPECT_EQ(CountCoordinates(doc), 6 + 1 + 6 + 6);  // centre, start point, two limits
    EXPECT_NE(doc.find("<name>Sun Transit</name>"), std::string::npos);
    EXPECT_NE(doc.find("<description>IRIDIUM 5 [-]  -  24795</description>"), std::string::npos);
    EXPECT_NE(doc.find("Start Point Time - 01/21 12:00:00"), std::string::npos);
    EXPECT_NE(doc.find("<coordinates>-75.0000,45.0000</coordinates>"), std::string::npos);
    EXPECT_NE(doc.find("Home &amp; &lt;Garden&gt;"), std::string::npos);
    // Heading north, the right limit lies east of the track, the left west.
    const double rightLon = FirstLimitLongitude(doc, "Right Limit");
    const double leftLon = FirstLimitLongitude(doc, "Left Limit");
    // 3.2 km along the parallel at 44.95 degrees north on a 6367 km sphere.
    const double expected = 3.2 / (6367.5 * std::cos(44.95 * kDeg)) / kDeg;
    EXPECT_NEAR(rightLon + 75.0012, expected, 0.0005);
    EXPECT_NEAR(-75.0012 - leftLon, expected, 0.0005);
    std::remove(path.c_str());
}

// A report in miles prints the widths in miles; the limits still lie the
// strip's width in kilometres from the centre line.
TEST(GroundPathKml, MilesReportPutsLimitsAtTheSameDistance) {
    const TObserver site = SiteAt(45.0, -75.0);
    const std::string km = TempPath("km.kml"), mi = TempPath("mi.kml");
    ASSERT_TRUE(ExportGroundPathKml(PathRecords(3.2), PathSatellite(), "Sun Transit", km, site, 0.0, 1.0));
    ASSERT_TRUE(ExportGroundPathKml(PathRecords(3.2), PathSatellite(), "Sun Transit", mi, site, 0.0,
                                    0.621371));
    const double expected = 3.2 / (6367.5 * std::cos(44.95 * kDeg)) / kDeg;
    EXPECT_NEAR(FirstLimitLongitude(Slurp(mi), "Right Limit") + 75.0012, expected, 0.0005);
    EXPECT_EQ(Slurp(mi), Slurp(km));
    std::remove(km.c_str());
    std::remove(mi.c_str());
}

TEST(GroundPathKml, PlanetPathHasNoLimitPlacemarks) {
    const TObserver site = SiteAt(45.0, -75.0);
    const std::string path = TempPath("venus.kml");
    ASSERT_TRUE(ExportGroundPathKml(PathRecords(0.1), PathSatellite(), "Venus Transit", path, site, 0.0, 1.0));
    const std::string doc = Slurp(path);
    EXPECT_TRUE(WellFormed(path));
    ExpectStylesDefined(doc);
    EXPECT_EQ(Count(doc, "Limit</name>"), 0);
    EXPECT_EQ(CountCoordinates(doc), 6 + 1);
    std::remove(path.c_str());
}

TEST(GroundPathKml, EmptyResultOrUnwritableFile) {
    const TObserver site = SiteAt(45.0, -75.0);
    const std::string path = TempPath("empty.kml");
    ASSERT_TRUE(ExportGroundPathKml({}, {}, "Moon Transit", path, site, 0.0, 1.0));
    EXPECT_TRUE(WellFormed(path));
    std::remove(path.c_str());
    const TStatus unwritable = ExportGroundPathKml(PathRecords(2.0), PathSatellite(), "Moon Transit",
                                                   "/nonexistent/dir/x.kml", site, 0.0, 1.0);
    EXPECT_EQ(unwritable.kind, TStatusKind::ioError) << "not the no-track status: the user must see why";
}

TEST(FlareKml, TracksCrossTheCentreLinePointsAndDefineTheirStyle) {
    const std::vector<TSatRec> sats = IridiumCatalogue();
    const TObserver site = SiteAt(45.0, -75.0, 0.1);
    TFlareInputs in;
    in.start = EncodeDayNumber(2018, 1, 20);
    in.stop = in.start + 2.0;
    const TFlareResult r = RunFlareSearch(in, sats, site);
    ASSERT_FALSE(r.passes.empty());
    const std::string path = TempPath("flares.kml");
    ASSERT_TRUE(ExportFlareKml(r.passes, path, site, 0.0));
    const std::string doc = Slurp(path);
    EXPECT_TRUE(WellFormed(path)) << doc;
    ExpectStylesDefined(doc);
    EXPECT_EQ(CountCoordinates(doc), static_cast<int>(r.passes.size()) * 11);
    // Sample 5 of each track is the flare time itself.
    for (const TFlare& f : r.flares) {
        const std::string pair = KmlCoordinate(f.row.centreLon, f.row.centreLat);
        const std::string lon3 = pair.substr(0, pair.find('.') + 3);
        EXPECT_NE(doc.find("        " + lon3), std::string::npos) << pair;
    }
    EXPECT_EQ(ExportFlareKml({}, path, site, 0.0).kind, TStatusKind::notFound);
    std::remove(path.c_str());
}

TEST(KmlText, CoordinatesAndEscaping) {
    EXPECT_EQ(KmlCoordinate(-75.0, 45.0), "-75.0000,45.0000");
    EXPECT_EQ(KmlCoordinate(0.00004, -0.5), "0.0000,-0.5000");
    EXPECT_EQ(KmlCoordinate(179.99996, 89.9), "180.0000,89.9000");
    EXPECT_EQ(KmlText("a&b<c>\"d\""), "a&amp;b&lt;c&gt;&quot;d&quot;");
    EXPECT_EQ(KmlText("\xB0"), "\xC2\xB0");  // Latin-1 degree sign in UTF-8
}

TEST(RaDecEntry, RangesAndMessages) {
    double ra = 1, dec = 1;
    std::string message;
    EXPECT_TRUE(ReadRaDecEntry("235959", "-895959", ra, dec, &message));
    EXPECT_NEAR(ra, (23 + 59 / 60.0 + 59 / 3600.0) * 15 * kDeg, 1e-12);
    EXPECT_NEAR(dec, -(89 + 59 / 60.0 + 59 / 3600.0) * kDeg, 1e-12);
    EXPECT_EQ(message, "");

    EXPECT_FALSE(ReadRaDecEntry("240000", "+100000", ra, dec, &message));
    EXPECT_EQ(message, kBadRightAscension);
    EXPECT_EQ(ra, 0.0);
    EXPECT_FALSE(ReadRaDecEntry("126000", "+100000", ra, dec, &message));
    EXPECT_EQ(message, kBadRightAscension);

    EXPECT_FALSE(ReadRaDecEntry("120000", "+900000", ra, dec, &message));
    EXPECT_EQ(message, kBadDeclination);
    EXPECT_NEAR(ra, 180 * kDeg, 1e-12);
    EXPECT_EQ(dec, 0.0);
    EXPECT_FALSE(ReadRaDecEntry("120000", "100000", ra, dec, &message));  // no sign
    EXPECT_EQ(message, kBadDeclination);
    EXPECT_FALSE(ReadRaDecEntry("120000", "+1060", ra, dec, &message));
    EXPECT_FALSE(ReadRaDecEntry("12 000", "+100000", ra, dec, &message));

    // The fields filled for a position read back as that position.
    const double r0 = (5 + 35 / 60.0 + 17 / 3600.0) * 15 * kDeg;
    const double d0 = -(5 + 23 / 60.0 + 28 / 3600.0) * kDeg;
    EXPECT_EQ(RaEntryText(r0), "053517");
    EXPECT_EQ(DecEntryText(d0), "-052328");
    ASSERT_TRUE(ReadRaDecEntry(RaEntryText(r0), DecEntryText(d0), ra, dec));
    EXPECT_NEAR(ra, r0, 1e-9);
    EXPECT_NEAR(dec, d0, 1e-9);

    TTransitTarget target;
    SetRaDecTarget(target, ra, dec);
    EXPECT_EQ(target.name, "Ra/Dec");
    EXPECT_EQ(target.state.body, kBodyRaDec);
    EXPECT_NEAR(target.state.pos.r, kAstronomicalUnit, 1e-3);
}

TEST(StarTargets, LastMatchingLineWinsAndPositionIsPrecessed) {
    const std::vector<std::string> lines{
        " 279.2340    38.7836  0.03SAO 67174  Vega",
        " 101.2875   -16.7161 -1.46SAO151881  Sirius",
        " 100.0000    10.0000  3.50SAO000001  Sirius B companion",
        "garbage",
    };
    const std::vector<std::string> names = StarListNames(lines);
    EXPECT_EQ(names, (std::vector<std::string>{"Sirius", "Sirius B companion", "Vega"}));

    TStarChoice star;
    const double epoch = EncodeDayNumber(2018, 1, 20);
    ASSERT_TRUE(FindStar(lines, "Sirius", epoch, star));
    EXPECT_EQ(star.commonName, "Sirius B companion");  // the later line containing the text
    EXPECT_EQ(star.magText, " 3.50");
    ASSERT_TRUE(FindStar(lines, "Vega", epoch, star));
    EXPECT_EQ(star.catalogueName, "SAO 67174");
    // 18 years of precession move Vega by roughly 0.2 degrees in right ascension.
    EXPECT_NEAR(star.ra / kDeg, 279.2340, 0.3);
    EXPECT_GT(std::abs(star.ra / kDeg - 279.2340), 0.05);
    EXPECT_FALSE(FindStar(lines, "Polaris", epoch, star));
    EXPECT_FALSE(FindStar(lines, "", epoch, star));

    std::vector<std::string> bundled;
    ASSERT_TRUE(ReadStarFile(std::string(ORBISK_PROGRAM_DIR) + "/data/star.dat", bundled));
    EXPECT_GT(StarListNames(bundled).size(), 50u);
    EXPECT_FALSE(ReadStarFile("/nonexistent/star.dat", bundled));
}

TEST(BodyTargets, ListEntriesAndCodes) {
    EXPECT_EQ(TargetEntries().size(), 12u);
    EXPECT_EQ(TargetBodyCode("Moon"), 31);
    EXPECT_EQ(TargetBodyCode("Pluto"), 9);
    EXPECT_EQ(TargetBodyCode("STAR"), 51);
    EXPECT_EQ(TargetBodyCode("Earth"), -1);
    TTransitTarget t;
    EXPECT_TRUE(MakeBodyTarget("Mars", t));
    EXPECT_EQ(t.state.body, 4);
    EXPECT_EQ(t.name, "Mars");
    EXPECT_FALSE(MakeBodyTarget("Ra/Dec", t));  // needs its position
}

TEST(SearchModeArgs, ModeOptionsAreTakenOutAndCheckedTheRestPassesOn) {
    std::vector<std::string> args{"--mode", "flares", "--day-flares", "--lat", "45", "--kml", "f.kml"};
    TSearchModeArgs m;
    ASSERT_EQ(ExtractSearchModeArgs(args, m), "");
    EXPECT_EQ(m.mode, TSearchMode::kFlares);
    EXPECT_DOUBLE_EQ(m.mag, kDayFlareMagLimit);  // day flares list only the brightest
    EXPECT_EQ(m.kml, "f.kml");
    EXPECT_EQ(args, (std::vector<std::string>{"--lat", "45"}));

    args = {"--mode", "table", "--utc"};
    m = {};
    ASSERT_EQ(ExtractSearchModeArgs(args, m), "");
    EXPECT_EQ(m.mode, TSearchMode::kPasses);
    EXPECT_EQ(args.size(), 3u);

    args = {"--mode", "transit", "--target", "radec:053517,-052328", "--sep", "45"};
    m = {};
    ASSERT_EQ(ExtractSearchModeArgs(args, m), "");
    EXPECT_DOUBLE_EQ(m.sep, 45.0);
    TTransitTarget target;
    EXPECT_EQ(ParseTargetArg(m.target, "/nonexistent/", 0.0, target), "");
    EXPECT_EQ(target.state.body, kBodyRaDec);
    EXPECT_EQ(ParseTargetArg("radec:245959,+100000", "/x/", 0.0, target), kBadRightAscension);
    EXPECT_EQ(ParseTargetArg("jupiter", "/x/", 0.0, target), "");
    EXPECT_EQ(target.state.body, 5);
    EXPECT_NE(ParseTargetArg("STAR", "/x/", 0.0, target), "");
    EXPECT_NE(ParseTargetArg("star:Vega", "/nonexistent/", 0.0, target), "");
    EXPECT_EQ(ParseTargetArg("star:Vega", std::string(ORBISK_PROGRAM_DIR) + "/data/", 0.0, target),
              "");
    EXPECT_EQ(target.name, "Vega");

    for (std::vector<std::string> bad : {std::vector<std::string>{"--mode", "orbit"},
                                         {"--mag", "-3"},                          // not flares
                                         {"--mode", "path", "--sep", "30"},        // transit only
                                         {"--mode", "transit", "--track", "20"},   // path only
                                         {"--mode", "transit", "--kml", "x.kml"},  // no tracks
                                         {"--mode", "flares", "--mag", "5"},
                                         {"--mode", "path", "--track"}}) {
        m = {};
        EXPECT_NE(ExtractSearchModeArgs(bad, m), "") << bad[1];
    }
    EXPECT_TRUE(IsIridiumCatalogueName("IRIDIUM 7 [+]"));
    EXPECT_FALSE(IsIridiumCatalogueName("IRIDIUM 7 [T]"));
    EXPECT_FALSE(IsIridiumCatalogueName("IRIDIUM ?"));
    EXPECT_TRUE(IsIridiumCatalogueName("Iridium t"));
}
