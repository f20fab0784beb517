// Horizon masks: the table and its limit, the loaders and the writer, and
// the pass searches against a made-up wall, checked by a plain scan.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "../TempDirTest.h"
#include "PredictTestUtil.h"
#include "uHorizonMask.h"
#include "uPlanetData.h"
#include "uTracking.h"

namespace {
double Rad(double deg) { return deg * kDeg; }

// A 30-degree wall from azimuth 90 to 180, open (0) elsewhere.
THorizonHandle Wall() {
    return std::make_shared<const THorizonMask>(
        std::vector<THorizonPoint>{{0, 0}, {90, 0}, {90, 30}, {180, 30}, {180, 0}});
}
}  // namespace

TEST(HorizonMask, TableIsLinearWrapsAtNorthAndKeepsStepsAndFloor) {
    // Points given out of order and across north.
    const THorizonMask m({{350, 10}, {10, 20}, {180, 0}}, 5.0);
    EXPECT_DOUBLE_EQ(m.TableDegrees(0), 15.0);     // midway 350 -> 10 across north
    EXPECT_DOUBLE_EQ(m.TableDegrees(360), 15.0);
    EXPECT_DOUBLE_EQ(m.TableDegrees(-5), 12.5);
    EXPECT_DOUBLE_EQ(m.TableDegrees(355), 12.5);
    EXPECT_DOUBLE_EQ(m.TableDegrees(95), 10.0);    // 10 -> 180 from 20 down to 0
    EXPECT_DOUBLE_EQ(m.TableDegrees(265), 5.0);    // 180 -> 350 from 0 up to 10
    // The floor lifts the low parts only; the search minimum lifts them all.
    EXPECT_NEAR(m.Limit(Rad(180), 0.0), Rad(5), 1e-15);
    EXPECT_NEAR(m.Limit(Rad(0), 0.0), Rad(15), 1e-12);
    EXPECT_NEAR(m.Limit(Rad(0), Rad(25)), Rad(25), 1e-15);
    EXPECT_NEAR(m.LowestLimit(0.0), Rad(5), 1e-15);
    EXPECT_NEAR(m.HighestLimit(0.0), Rad(20), 1e-15);

    // A vertical step keeps its sense; on the step, the higher value.
    const THorizonMask w = *Wall();
    EXPECT_DOUBLE_EQ(w.TableDegrees(89.999), 0.0);
    EXPECT_DOUBLE_EQ(w.TableDegrees(90), 30.0);
    EXPECT_DOUBLE_EQ(w.TableDegrees(135), 30.0);
    EXPECT_DOUBLE_EQ(w.TableDegrees(180), 30.0);
    EXPECT_DOUBLE_EQ(w.TableDegrees(180.001), 0.0);
    EXPECT_DOUBLE_EQ(w.TableDegrees(300), 0.0);
    // One point is a constant horizon; none is no table at all.
    EXPECT_DOUBLE_EQ(THorizonMask({{123, 7}}).TableDegrees(300), 7.0);
    EXPECT_TRUE(THorizonMask().Empty());
    EXPECT_EQ(EffectiveHorizon(std::make_shared<const THorizonMask>(std::vector<THorizonPoint>{{0, 5}}), Rad(10)),
              nullptr);
}

class HorizonFiles : public TempDirTest {};

TEST_F(HorizonFiles, LoadersReadTheirVariantsAndCountBadLines) {
    const THorizonRead list = ParseHorizonText(
        "# my roof\n0 5\n  90\t12.5   # comment\n\nbad line\n180 100\n270 8 9\n+300 -2\n");
    ASSERT_TRUE(list.ok);
    EXPECT_EQ(list.mask.Points(), (std::vector<THorizonPoint>{{0, 5}, {90, 12.5}, {300, -2}}));
    EXPECT_EQ(list.badLines, (std::vector<std::size_t>{5, 6, 7}));
    EXPECT_EQ(SkippedLinesText(list), "3 lines skipped (5, 6, 7)");

    THorizonFormat zd;
    zd.angles = THorizonAngles::kZenithDistance;
    const THorizonRead z = ParseHorizonText("0 80\n180 90\n", zd);
    ASSERT_TRUE(z.ok);
    EXPECT_EQ(z.mask.Points(), (std::vector<THorizonPoint>{{0, 10}, {180, 0}}));

    THorizonFormat rad;
    rad.radians = true;
    const THorizonRead r = ParseHorizonText("3.141592653589793 0.5235987755982988\n-1.5707963267948966 0\n", rad);
    ASSERT_TRUE(r.ok);
    ASSERT_EQ(r.mask.Points().size(), 2u);
    EXPECT_NEAR(r.mask.Points()[0].azimuth, 180.0, 1e-9);
    EXPECT_NEAR(r.mask.Points()[0].altitude, 30.0, 1e-9);
    EXPECT_NEAR(r.mask.Points()[1].azimuth, 270.0, 1e-9);

    Write("h.csv", "azimuth,altitude\r\n0, 4\r\n45,x\r\n90,6\r\n");
    const THorizonRead c = ReadHorizonFile(Path("h.csv"), HorizonFormatForName(Path("h.csv")));
    ASSERT_TRUE(c.ok) << c.error;
    EXPECT_EQ(c.mask.Points(), (std::vector<THorizonPoint>{{0, 4}, {90, 6}}));
    EXPECT_EQ(c.badLines, std::vector<std::size_t>{3});
    // A header row is only a header at the top: later it is a bad line.
    THorizonFormat csv;
    csv.csv = true;
    EXPECT_EQ(ParseHorizonText("0,1\naz,alt\n", csv).badLines, std::vector<std::size_t>{2});
}

TEST_F(HorizonFiles, UnusableFilesAreRefusedWhole) {
    EXPECT_FALSE(ReadHorizonFile(Path("missing.txt")).ok);
    EXPECT_NE(ReadHorizonFile(Path("missing.txt")).error, "");
    EXPECT_EQ(ReadHorizonFile(Path("missing.txt")).kind, TStatusKind::notFound);
    Write("empty.txt", "");
    EXPECT_FALSE(ReadHorizonFile(Path("empty.txt")).ok);
    Write("comments.txt", "# nothing\n\n");
    EXPECT_FALSE(ReadHorizonFile(Path("comments.txt")).ok);
    Write("garbage.txt", std::string("0 5\n\0\x01\x02 garbage", 15));
    const THorizonRead g = ReadHorizonFile(Path("garbage.txt"));
    EXPECT_FALSE(g.ok);
    EXPECT_TRUE(g.mask.Points().empty());  // nothing of it is kept
    Write("allbad.txt", "north 5\n90 ninety\n");
    const THorizonRead b = ReadHorizonFile(Path("allbad.txt"));
    EXPECT_FALSE(b.ok);
    EXPECT_EQ(b.badLines.size(), 2u);
    Write("huge.txt", std::string(kMaxHorizonBytes + 10, '\n'));
    EXPECT_FALSE(ReadHorizonFile(Path("huge.txt")).ok);
    std::filesystem::create_directory(Path("folder"));
    EXPECT_EQ(ReadHorizonFile(Path("folder")).kind, TStatusKind::ioError);
    EXPECT_EQ(b.kind, TStatusKind::invalid);
}

// The observer's file: none is no mask and no fault; an unreadable one is
// told and not used; skipped lines are told while the rest serves.
TEST_F(HorizonFiles, ObserverMaskIsOptionalAndRefusedWhenUnreadable) {
    const std::string folder = Path("") ;
    std::string note = "stale";
    THorizonHandle mask = std::make_shared<const THorizonMask>();
    EXPECT_TRUE(LoadObserverHorizon(folder, "Home", mask, &note).Ok());
    EXPECT_EQ(mask, nullptr);
    EXPECT_EQ(note, "");

    const std::string path = ObserverHorizonPath(folder, "Home");
    Write(path.substr(folder.size()), std::string("\0\x01garbage", 9));
    const TStatus garbage = LoadObserverHorizon(folder, "Home", mask, &note);
    EXPECT_EQ(garbage.kind, TStatusKind::invalid);
    EXPECT_EQ(mask, nullptr);
    EXPECT_EQ(garbage.message.rfind("The horizon mask " + path + " cannot be read: ", 0), 0u) << garbage.message;

    Write(path.substr(folder.size()), "0 5\nroof\n180 20\n");
    ASSERT_TRUE(LoadObserverHorizon(folder, "Home", mask, &note).Ok());
    ASSERT_NE(mask, nullptr);
    EXPECT_EQ(mask->Points().size(), 2u);
    EXPECT_NE(note.find("1 line skipped (2)"), std::string::npos) << note;
    // Another observer's folder entry is not this one's.
    THorizonHandle other;
    EXPECT_TRUE(LoadObserverHorizon(folder, "Elsewhere", other, &note).Ok());
    EXPECT_EQ(other, nullptr);
    EXPECT_EQ(HorizonHeaderLine(*mask), "  Horizon mask: 2 points up to 20.0 deg, floor 0.0 deg");
}

TEST_F(HorizonFiles, WriterRoundTripsPointsAndFloor) {
    // A floor alone reads back as it was written.
    ASSERT_TRUE(WriteHorizonFile(Path("floor.txt"), THorizonMask({}, 12.5)));
    const THorizonRead floorOnly = ReadHorizonFile(Path("floor.txt"));
    ASSERT_TRUE(floorOnly.ok) << floorOnly.error;
    EXPECT_EQ(floorOnly.mask, THorizonMask({}, 12.5));

    const THorizonMask m({{0.1, 1.0 / 3.0}, {90, 30}, {90, 0}, {359.999, -0.5}}, 2.25);
    const TStatus written = WriteHorizonFile(Path("m.txt"), m);
    ASSERT_TRUE(written) << written.message;
    const THorizonRead back = ReadHorizonFile(Path("m.txt"));
    ASSERT_TRUE(back.ok);
    EXPECT_TRUE(back.badLines.empty());
    EXPECT_EQ(back.mask, m);
    // The observer's file is its own, and a name is never a path.
    EXPECT_EQ(ObserverHorizonPath("/d/", "Home Roof"), "/d/Horizon-Home_Roof.txt");
    EXPECT_EQ(ObserverHorizonPath("/d/", "../../etc"), "/d/Horizon-______etc.txt");
    EXPECT_EQ(ObserverHorizonPath("/d/", ""), "/d/Horizon-observer.txt");
}

namespace {
struct TScanPart {
    double aos, los;
};

// One-second scan of the whole period, independent of the search: clear
// where the elevation is at the limit or above at the start of a part and
// above it while the part goes on.
std::vector<TScanPart> ScanParts(const TSatRec& original, TObserver observer, double start, double stop,
                                 const THorizonHandle& mask, double minEl) {
    std::vector<TScanPart> parts;
    TSatRec sat = original;
    TSatState state{};
    bool clear = false;
    double aos = 0;
    for (long k = 0;; ++k) {
        const double t = start + k / 86400.0;
        if (!(t < stop)) break;
        const TFrame at = ObserverFrame(observer, t);
        if (!PropagateSatellite(sat, state, at, kFillLookAngles)) continue;
        const double limit = HorizonLimit(mask, state.altaz.az, minEl);
        const double above = state.altaz.alt - limit;
        if (!clear && above >= 0) {
            clear = true;
            aos = t;
        } else if (clear && !(above > 0)) {
            clear = false;
            if ((t - aos) * 86400.0 > 1.0) parts.push_back({aos, t});
        }
    }
    if (clear) parts.push_back({aos, stop});
    return parts;
}

// Seconds of a span in which the satellite stands in front of the wall
// (azimuth 90..180) below its top, so the wall hides it.
bool MeetsWall(const TSatRec& original, TObserver observer, double from, double to) {
    TSatRec sat = original;
    TSatState state{};
    for (double t = from; t <= to; t += 1.0 / 86400.0) {
        const TFrame at = ObserverFrame(observer, t);
        if (!PropagateSatellite(sat, state, at, kFillLookAngles)) continue;
        const double az = state.altaz.az / kDeg;
        if (az >= 89.99 && az <= 180.01 && state.altaz.alt < Rad(30.01)) return true;
    }
    return false;
}
}  // namespace

// The bundled ISS over a day and a half, passes whole, day and night. It
// moves east, so the wall mostly takes the ends of passes setting behind it
// and the starts of the parts that come out from behind it.
TEST(HorizonSearch, WallMovesAosSplitsPassesAndLeavesTheRestAlone) {
    const std::vector<TSatRec> sats{ByNumber(LoadTestSats(), "25544")};
    const TObserver observer = TestObserver();
    const double start = EncodeDayNumber(2018, 1, 21, 0, 0, 0), stop = start + 1.5;
    TPredictionInputs in = TestInputs(start, stop, false, true);
    const TPredictionResult plain = RunLineSearch(in, sats, observer, 1);
    in.horizon = Wall();
    const TPredictionResult walled = RunLineSearch(in, sats, observer, 1);

    const std::vector<TScanPart> scan = ScanParts(sats[0], observer, start, stop, in.horizon, in.minElevation);
    ASSERT_EQ(walled.linePasses.size(), scan.size());
    for (std::size_t i = 0; i < scan.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_NEAR(walled.linePasses[i].aos, scan[i].aos, 1e-3 / 86400.0);
        EXPECT_NEAR(walled.linePasses[i].los, scan[i].los, 1e-3 / 86400.0);
        // Listed where it clears the wall: on it or above it at AOS.
        const TLinePass& p = walled.linePasses[i];
        EXPECT_GE(p.aosElevation + 1e-9, in.horizon->Limit(Rad(p.aosAzimuth), in.minElevation) / kDeg);
    }

    int moved = 0, split = 0, unchanged = 0;
    for (const TLinePass& p : plain.linePasses) {
        std::vector<const TLinePass*> inside;
        for (const TLinePass& w : walled.linePasses)
            if (w.aos >= p.aos && w.los <= p.los) inside.push_back(&w);
        if (!MeetsWall(sats[0], observer, p.aos, p.los)) {
            // Nowhere near the wall: the very same pass.
            ASSERT_EQ(inside.size(), 1u);
            const TLinePass& w = *inside[0];
            EXPECT_EQ(w.aos, p.aos);
            EXPECT_EQ(w.los, p.los);
            EXPECT_EQ(w.middle, p.middle);
            EXPECT_EQ(w.maxElevation, p.maxElevation);
            EXPECT_EQ(w.magnitude, p.magnitude);
            EXPECT_EQ(w.shadow, p.shadow);
            ++unchanged;
            continue;
        }
        if (inside.size() > 1) ++split;
        // An edge moved onto the wall: a later AOS or an earlier LOS.
        for (const TLinePass* w : inside) moved += w->aos > p.aos || w->los < p.los;
    }
    EXPECT_GT(unchanged, 0);
    EXPECT_GT(moved, 0);
    EXPECT_GT(split, 0);
    // Every pass without a mask agrees with the scan at the flat minimum.
    const std::vector<TScanPart> flat = ScanParts(sats[0], observer, start, stop, nullptr, in.minElevation);
    ASSERT_EQ(plain.linePasses.size(), flat.size());
    for (std::size_t i = 0; i < flat.size(); ++i) EXPECT_NEAR(plain.linePasses[i].aos, flat[i].aos, 1e-3 / 86400.0);
}

// The tabular search lists the same clear parts: its first row at the
// scan's AOS, every row clear of the wall.
TEST(HorizonSearch, TableRowsStartAtTheWallAndStayClearOfIt) {
    const std::vector<TSatRec> sats{ByNumber(LoadTestSats(), "25544")};
    const TObserver observer = TestObserver();
    const double start = EncodeDayNumber(2018, 1, 21, 0, 0, 0), stop = start + 1.5;
    TPredictionInputs in = TestInputs(start, stop, false, true);
    in.horizon = Wall();
    const TPredictionResult table = RunTabularSearch(in, sats, observer, 1);
    const std::vector<TScanPart> scan = ScanParts(sats[0], observer, start, stop, in.horizon, in.minElevation);
    ASSERT_EQ(table.tablePasses.size(), scan.size());
    for (std::size_t i = 0; i < scan.size(); ++i) {
        SCOPED_TRACE(i);
        const std::vector<TTableRow>& rows = table.tablePasses[i].rows;
        ASSERT_FALSE(rows.empty());
        EXPECT_NEAR(rows.front().t, scan[i].aos, 1e-3 / 86400.0);
        EXPECT_LT(rows.back().t, scan[i].los);
        for (const TTableRow& row : rows)
            EXPECT_GE(row.elevation + 1e-9, in.horizon->Limit(Rad(row.azimuth), in.minElevation) / kDeg);
    }
}

// The next-rise readout: the first clear part after "now", as the scan has it.
TEST(HorizonSearch, NextClearPassIsTheScansNextPart) {
    const TSatRec iss = ByNumber(LoadTestSats(), "25544");
    const TObserver observer = TestObserver();
    const double start = EncodeDayNumber(2018, 1, 21, 0, 0, 0), stop = start + 1.5;
    const THorizonHandle wall = Wall();
    const std::vector<TScanPart> scan = ScanParts(iss, observer, start, stop, wall, 0.0);
    ASSERT_GE(scan.size(), 3u);
    auto next = [&](double from, double to, double after) {
        TSatRec sat = iss;
        TObserver o = observer;
        return NextClearPass(sat, o, *wall, 0.0, from, to, after);
    };
    const double tolerance = 1e-3 / 86400.0;
    const TClearPass first = next(start, stop, start);
    EXPECT_NEAR(first.aos, scan[0].aos, tolerance);
    EXPECT_NEAR(first.los, scan[0].los, tolerance);
    // Searched from within the first part once it is over: the next part,
    // even when it belongs to the same pass.
    const TClearPass second = next(scan[0].aos + 1.0 / 86400.0, stop, scan[0].los);
    EXPECT_NEAR(second.aos, scan[1].aos, tolerance);
    EXPECT_NEAR(second.los, scan[1].los, tolerance);
    const TClearPass none = next(start, scan[0].aos - 60.0 / 86400.0, start);
    EXPECT_EQ(none.aos, scan[0].aos - 60.0 / 86400.0);
}

// Sunrise behind the wall: the winter Sun never clears 30 degrees, so it
// comes out at the wall's end (due south, its meridian transit); the set
// in the open west stays where it was.
TEST(HorizonSearch, SunRisesAtTheWallsEndAndSetsAsBefore) {
    TRiseSetInputs in;
    in.body = kBodySun;
    in.date = EncodeDayNumber(2018, 1, 22);
    in.days = 3;
    in.observer = TestObserver();
    const TRiseSetTable plain = RiseSetTable(in);
    in.mask = Wall();
    const TRiseSetTable walled = RiseSetTable(in);
    ASSERT_EQ(walled.rows.size(), plain.rows.size());
    for (std::size_t i = 0; i < plain.rows.size(); ++i) {
        SCOPED_TRACE(i);
        const TRiseSetRow& p = plain.rows[i];
        const TRiseSetRow& w = walled.rows[i];
        ASSERT_TRUE(p.hasRise && w.hasRise && w.hasTransit && w.hasSet);
        EXPECT_NEAR(w.rise, p.transit, 60.0 / 86400.0);
        EXPECT_NEAR(w.set, p.set, 0.1 / 86400.0);
    }
    EXPECT_NE(std::find(walled.lines.begin(), walled.lines.end(), HorizonHeaderLine(*in.mask)), walled.lines.end());
}

// The azimuth of a position agrees with the look angles of a propagation.
TEST(HorizonSearch, AzimuthOfMatchesTheLookAngles) {
    TSatRec sat = ByNumber(LoadTestSats(), "25544");
    TObserver observer = TestObserver();
    TSatState state{};
    for (int k = 0; k < 200; ++k) {
        const double t = EncodeDayNumber(2018, 1, 21, 0, 0, 0) + k * 0.01;
        const TFrame at = ObserverFrame(observer, t);
        ASSERT_TRUE(PropagateSatellite(sat, state, at, kFillLookAngles));
        const double d = std::remainder(AzimuthOf(state.pos, at) - state.altaz.az, 2 * kPi);
        EXPECT_NEAR(d, 0.0, 1e-6) << k;
    }
}
