// Report layouts and print paging. Expected lines were laid out by hand
// column by column (and cross-checked with C printf widths).
#include <unistd.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "PredictTestUtil.h"
#include "uReport.h"
#include "uSearchOutput.h"

namespace {
TSatRec Iss() {
    TSatRec sat{};
    sat.name = "ISS (ZARYA)";
    sat.catNo = "25544";
    sat.epoch = 2458139.39808844;  // 2018-01-20 21:33:14.841 UTC
    sat.apogee = 406.32;
    sat.perigee = 401.04;
    return sat;
}
}  // namespace

TEST(ReportHeader, UtcAndLocalMarkers) {
    const TObserver o = TestObserver();
    TReportSettings s = TestSettings(o, 0.0);
    TReportLines utc;
    WriteReportHeader(true, utc, EncodeDayNumber(2018, 1, 21), EncodeDayNumber(2018, 1, 24), s);
    const TReportLines expected = {
        "   ",
        "  Produced:  Jan 20 2018 12:00:00  (LOC)",
        "  Location: Test Site Lat: 45.0000  Lon: -75.0000",
        "  Start: Jan 21 2018 00:00:00(Z)  Stop: Jan 24 2018 00:00:00(Z)",
        "  ",
        "  All Times are \"UTC\"",
        "  "};
    EXPECT_EQ(utc, expected);

    // Local times name their offset, and the element ages follow the period.
    s.displayOffset = o.utcOffset;
    s.elementAges = ElementAges({Iss()}, EncodeDayNumber(2018, 1, 21), EncodeDayNumber(2018, 1, 24),
                                [](std::size_t, const TSatRec&) { return true; });
    TReportLines local;
    WriteReportHeader(false, local, EncodeDayNumber(2018, 1, 20, 19), EncodeDayNumber(2018, 1, 23, 19),
                      s);
    ASSERT_EQ(local.size(), 8u);
    EXPECT_EQ(local[3], "  Start: Jan 20 2018 19:00:00(L)  Stop: Jan 23 2018 19:00:00(L)");
    EXPECT_EQ(local[4], "  Element age: 0.1 days at the start");
    EXPECT_EQ(local[6], "  All Times are \"Local, UTC-05:00\"");
    EXPECT_EQ(UtcOffsetText(5.75 / 24.0), "UTC+05:45");
    EXPECT_EQ(UtcOffsetText(-3.5 / 24.0), "UTC-03:30");
}

TEST(ReportHeader, SatelliteHeaderInKilometresAndMiles) {
    TReportSettings s;
    TReportLines km;
    WriteSatelliteHeader(Iss(), km, s);
    const TReportLines expected = {
        "  ----------------------------------------------------------------------",
        "  Satellite: ISS (ZARYA)  -  25544",
        "  TLE Date: Jan 20 2018  21:33:14 (Z)",
        "  Apoge:  406.3 km  Perige:  401.0 km"};
    EXPECT_EQ(km, expected);

    s.metric = false;
    s.distanceFactor = 0.621371;
    TReportLines mi;
    WriteSatelliteHeader(Iss(), mi, s);
    EXPECT_EQ(mi[3], "  Apoge:  252.5 mi.  Perige:  249.2 mi.");
}

TEST(LineReport, ColumnsLineUpWithTheHeader) {
    EXPECT_EQ(LineColumnHeader(true),
              "  MM/DD AOS       Alt Az  Max       Alt Az   Mag  LOS       Alt Az   TT(Sec) ");
    const std::string all = LineColumnHeader(false);
    EXPECT_EQ(all,
              "  MM/DD AOS       Alt Az  Max       Alt Az   Mag  LOS       Alt Az   TT(Sec)  "
              "Enter Shd/Slt");

    TLinePass p;
    p.aos = EncodeDayNumber(2018, 1, 21, 5, 12, 3);
    p.middle = EncodeDayNumber(2018, 1, 21, 5, 16, 30);
    p.los = EncodeDayNumber(2018, 1, 21, 5, 20, 57);
    p.aosElevation = 10.2;
    p.aosAzimuth = 301.6;
    p.maxElevation = 45.7;
    p.maxAzimuth = 220.0;
    p.magnitude = -1.26;
    p.losElevation = 10.0;
    p.losAzimuth = 140.4;
    p.seconds = 534.0;
    p.shadow = TShadowNote::kEntersShadow;
    p.shadowTime = EncodeDayNumber(2018, 1, 21, 5, 19, 1);
    const std::string line = LinePassLine(p, 0.0);
    EXPECT_EQ(line,
              "  01/21 05:12:03  10 302  05:16:30  46 220  -1.3  05:20:57  10 140  00:08:54   "
              "Shd 05:19:01");
    EXPECT_EQ(line.size(), all.size());

    // Local display: every time moves by the offset, the date with it.
    const std::string local = LinePassLine(p, -6.0 / 24.0);
    EXPECT_EQ(local.substr(0, 16), "  01/20 23:12:03");
    EXPECT_EQ(local.substr(local.size() - 12), "Shd 23:19:01");  // the note's time moves too

    // The note column is right-aligned in 14 places whatever the note.
    p.shadow = TShadowNote::kSunlit;
    EXPECT_EQ(LinePassLine(p, 0.0).substr(line.size() - 14), "       SunLite");
    p.shadow = TShadowNote::kNone;
    EXPECT_EQ(LinePassLine(p, 0.0).substr(line.size() - 14), std::string(14, ' '));
    // In the Earth's shadow at the highest point: no magnitude, nothing moves.
    std::string dark = LinePassLine(p, 0.0);
    dark.replace(dark.find(" -1.3 "), 6, std::string(6, ' '));
    p.shadowed = true;
    EXPECT_EQ(LinePassLine(p, 0.0), dark);
}

TEST(TabularReport, PassHeaderAndRows) {
    TReportLines lines;
    WriteTabularPassHeader(lines, 109577, false);
    const TReportLines expected = {"  ", "  Rev# : 109577        ",
                                   "  MM/DD Time      Alt  Az   Mag    Slt"};
    EXPECT_EQ(lines, expected);
    lines.clear();
    WriteTabularPassHeader(lines, 7, true);
    EXPECT_EQ(lines[2], "  MM/DD Time      Alt  Az   Mag       ");

    TTableRow row;
    row.t = EncodeDayNumber(2018, 1, 21, 5, 12, 3);
    row.elevation = 12.4;
    row.azimuth = 7.6;
    row.magnitude = 2.26;
    row.sunlit = true;
    EXPECT_EQ(TableRowLine(row, 0.0, false), "  01/21 05:12:03  12    8   2.3     Y");
    row.magnitude = -0.4;
    EXPECT_EQ(TableRowLine(row, 0.0, true), "  01/21 05:12:03  12    8  -0.4      ");
    // In the Earth's shadow: no magnitude, the columns stay where they are.
    row.shadowed = true;
    EXPECT_EQ(TableRowLine(row, 0.0, false), "  01/21 05:12:03  12    8           Y");
}

TEST(OtherReports, ColumnHeadersAndTitles) {
    TReportLines flare;
    WriteFlareHeader(flare, "1/20/2018 21:00:00", true, 43121.0, 43122.0, TReportSettings{});
    ASSERT_EQ(flare.size(), 10u);
    EXPECT_EQ(flare[0], "  Iridium Flare Passes - Element Date : 1/20/2018 21:00:00");
    EXPECT_EQ(flare[9],
              "  MM/DD Time        ID  Alt   Az  Range   Mag    LatC     LongC   BrgC  DistC  MagC");
    EXPECT_EQ(GroundPathColumnHeader(),
              "  MM/DD Time       Lat      Lon       HalfW   Az  Dist   Rng Alt  Slt");
    EXPECT_EQ(TransitColumnHeader(),
              "  MM/DD Time        Alt   Az    Mag     Satlit   Sep(m)   Range   Illum(%)");

    TSatRec sat = Iss();
    EXPECT_EQ(PassTitle(sat), "ISS (ZARYA) - 25544");
    sat.name = "ABCDEFGHIJKLMNOPQRST";
    EXPECT_EQ(PassTitle(sat), "ABCDEFGHIJKLMNOPQRST - 25544");
    sat.catNo = "1";
    sat.name = "  SPACED NAME AND MORE TEXT";
    EXPECT_EQ(VisibleTitle(sat), "1 -   SPACED NAME AND MO");
    EXPECT_EQ(VisibleTitle(sat).size(), 24u);
    sat.name = "X ";
    EXPECT_EQ(DecayTitle(sat), "1 - X");
}

TEST(PrintPaging, DialogPagesAndPrinterSheets) {
    EXPECT_EQ(PrintPageCount(0), 0u);
    EXPECT_EQ(PrintPageCount(55), 1u);
    EXPECT_EQ(PrintPageCount(56), 2u);

    // 56 lines: two dialog pages but a single sheet of 61 rows.
    const TPrintRange all = PrintLineRange(56, true, 0, 0);
    EXPECT_EQ(all.count, 56u);
    EXPECT_EQ(PrintPlace(all.count - 1).sheet, 0u);
    EXPECT_EQ(PrintPlace(0).y, 200);
    EXPECT_EQ(PrintPlace(60).y, 6200);
    EXPECT_EQ(PrintPlace(61).sheet, 1u);
    EXPECT_EQ(PrintPlace(61).y, 200);
    EXPECT_EQ(PrintPlace(61).x, 40);

    // Page 2 of 120 lines is lines 55..109; page 3 is cut at the last line.
    TPrintRange r = PrintLineRange(120, false, 2, 2);
    EXPECT_EQ(r.first, 55u);
    EXPECT_EQ(r.count, 55u);
    r = PrintLineRange(120, false, 2, 3);
    EXPECT_EQ(r.first, 55u);
    EXPECT_EQ(r.count, 65u);
    // Ranges that name no line print nothing rather than reading past the report.
    EXPECT_EQ(PrintLineRange(120, false, 4, 5).count, 0u);
    EXPECT_EQ(PrintLineRange(120, false, 3, 2).count, 0u);
    EXPECT_EQ(PrintLineRange(120, false, 0, 1).count, 0u);
}

TEST(SaveReport, WritesLinesAndKeepsTheOldFileOnFailure) {
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / ("orbisk_report_test_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const std::string path = (dir / "Orbisk.txt").string();
    ASSERT_TRUE(SaveReport(path, {"   ", "  Rev# : 7        ", ""}));
    EXPECT_EQ(ReadText(path), "   \n  Rev# : 7        \n\n");
    EXPECT_FALSE(SaveReport((dir / "missing" / "x.txt").string(), {"a"}));
    EXPECT_EQ(ReadText(path), "   \n  Rev# : 7        \n\n");
    std::filesystem::remove_all(dir);
}

namespace {
// The value of a record table's column in its first row.
double FirstValue(const TRecordTable& t, const std::string& column) {
    for (std::size_t i = 0; i < t.columns.size(); ++i)
        if (t.columns[i] == column && !t.rows.empty()) return t.rows[0][i].number;
    ADD_FAILURE() << "no column " << column;
    return NAN;
}
}  // namespace

// Records hold km; the report and the records put them in the display unit,
// as rows scaled beforehand printed, and a flare's range stays in km.
TEST(OutcomeOutput, RecordsHoldKilometresAndTheRenderersTheUnit) {
    const double f = 0.621371;
    TOutputSettings miles;
    miles.report.metric = false;
    miles.report.distanceFactor = f;
    const std::vector<TSatRec> sats = {Iss()};
    const TSearchSatellites satellites{&sats, nullptr, nullptr};

    TFlare flare;
    flare.row.range = 800.0;
    flare.row.distance = 100.0;
    TFlareResult flares;
    flares.flares = {flare};
    const TSearchRequest flareRequest{TFlareRequest{}};
    const TSearchOutcome flareOutcome{flares, {}};
    const TRecordTable ft = OutcomeRecords(flareRequest, flareOutcome, satellites, miles);
    EXPECT_DOUBLE_EQ(FirstValue(ft, "range_km"), 800.0);
    EXPECT_DOUBLE_EQ(FirstValue(ft, "centre_distance_mi"), 100.0 * f);
    TFlareRow shown = flare.row;
    shown.distance *= f;
    EXPECT_EQ(FlareRowLine(flare.row, 0.0, f), FlareRowLine(shown, 0.0, 1.0));

    TPathRow point;
    point.row.width = 2.5;
    point.row.distance = 10.0;
    point.row.range = 900.0;
    TGroundPathResult paths;
    paths.paths = {TGroundPath{0, {point}}};
    TPathRequest pathRequest;
    pathRequest.target.name = "Sun";
    const TSearchRequest request{pathRequest};
    const TSearchOutcome outcome{paths, {}};
    const TRecordTable pt = OutcomeRecords(request, outcome, satellites, miles);
    EXPECT_DOUBLE_EQ(FirstValue(pt, "half_width_mi"), 2.5 * f);
    EXPECT_DOUBLE_EQ(FirstValue(pt, "distance_mi"), 10.0 * f);
    EXPECT_DOUBLE_EQ(FirstValue(pt, "range_mi"), 900.0 * f);
    EXPECT_EQ(pt.about[1].second.text, "path");
    EXPECT_EQ(pt.about.back().first, "target");
    EXPECT_EQ(pt.about.back().second.text, "Sun");
    TGroundPathRow scaled = point.row;
    scaled.width *= f, scaled.distance *= f, scaled.range *= f;
    EXPECT_EQ(GroundPathRowLine(point.row, 0.0, f), GroundPathRowLine(scaled, 0.0, 1.0));
    const TReportLines report = OutcomeReport(request, outcome, satellites, miles);
    EXPECT_NE(std::find(report.begin(), report.end(), GroundPathRowLine(scaled, 0.0, 1.0)), report.end());
    // The same outcome in km: the fields keep their values and their names say km.
    const TRecordTable km = OutcomeRecords(request, outcome, satellites, TOutputSettings{});
    EXPECT_DOUBLE_EQ(FirstValue(km, "distance_km"), 10.0);

    TTransitRow transit;
    transit.range = 1234.0;
    TTransitRow transitShown = transit;
    transitShown.range *= f;
    EXPECT_EQ(TransitRowLine(transit, 0.0, f), TransitRowLine(transitShown, 0.0, 1.0));
    TVisibleRow visible;
    visible.range = 1500.0;
    visible.height = 420.0;
    TVisibleRow visibleShown = visible;
    visibleShown.range *= f, visibleShown.height *= f;
    EXPECT_EQ(VisibleRowLine(visible, f), VisibleRowLine(visibleShown, 1.0));
}
