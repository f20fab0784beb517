// Iridium flares from the bundled January 2018 element sets, checked by
// direct vector geometry (mirror normals built here from the documented
// attitude), and the rules of the flare list.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "SearchTestUtil.h"
#include "uFlares.h"

namespace {
const double kStart = EncodeDayNumber(2018, 1, 20);
constexpr double kEarthFlattening = 1.0 / 298.257223563;

TFlareInputs FlareWindow(double start, double stop, bool day = false, double mag = 0.0) {
    TFlareInputs in;
    in.start = start;
    in.stop = stop;
    in.dayFlares = day;
    in.magLimit = mag;
    in.elementDate = "2018-01-20 00:00:00";
    return in;
}

// Outward normal of mirror k: the body's vertical axis points at the nadir,
// mirror 1 faces the flight direction, 2 and 3 follow 120 degrees apart
// counter-clockwise seen from above, each tilted 40 degrees below the
// horizontal plane.
V3 MirrorNormal(const TSatState& s, int k) {
    const V3 up = Unit(Of(s.pos));
    const V3 v = Of(s.vel);
    const V3 ahead = Unit(v - up * Dot(v, up));
    const V3 left = Cross(up, ahead);
    const double az = (k - 1) * 120.0 * kDeg, tilt = 40.0 * kDeg;
    return (ahead * std::cos(az) + left * std::sin(az)) * std::cos(tilt) - up * std::sin(tilt);
}

// Geocentric point of a geodetic latitude/longitude on the sphere of radius r.
V3 PointOnSphere(double latDeg, double lonDeg, double gha, double r) {
    const double psi = std::atan((1 - kEarthFlattening) * (1 - kEarthFlattening) *
                                 std::tan(latDeg * kDeg));
    const double lon = lonDeg * kDeg + gha;
    return V3{std::cos(psi) * std::cos(lon), std::cos(psi) * std::sin(lon), std::sin(psi)} * r;
}

double SunAltitudeDeg(const Scene& s) {
    const TLatLon& p = s.observer.pos;
    const V3 up{std::cos(p.lat) * std::cos(p.lon + s.gha), std::cos(p.lat) * std::sin(p.lon + s.gha),
                std::sin(p.lat)};
    return 90.0 - AngleDeg(Of(s.sun) - Of(s.observer.vect), up);
}

bool SunlitByCylinder(const V3& sat, const V3& sun) {
    const V3 u = Unit(sun);
    const double along = Dot(sat, u);
    return along > 0 || Len(sat - u * along) > 6378.137;
}

struct FlareSearchFixture : ::testing::Test {
    static void SetUpTestSuite() {
        sats = new std::vector<TSatRec>(IridiumCatalogue());
        site = new TObserver(SiteAt(45.0, -75.0, 0.1));
        night = new TFlareResult(RunFlareSearch(FlareWindow(kStart, kStart + 3.0), *sats, *site));
    }
    static void TearDownTestSuite() {
        delete sats;
        delete site;
        delete night;
    }
    static std::vector<TSatRec>* sats;
    static TObserver* site;
    static TFlareResult* night;
};
std::vector<TSatRec>* FlareSearchFixture::sats = nullptr;
TObserver* FlareSearchFixture::site = nullptr;
TFlareResult* FlareSearchFixture::night = nullptr;
}  // namespace

TEST_F(FlareSearchFixture, BundledIridiumSetsGiveFlares) {
    ASSERT_GT(sats->size(), 60u);
    ASSERT_GE(night->flares.size(), 5u);
    EXPECT_EQ(night->passes.size(), night->flares.size());
    EXPECT_TRUE(night->skyCharts);
    const TReportLines lines =
        FlareReport(*night, FlareWindow(kStart, kStart + 3.0), SettingsFor(*site));
    EXPECT_EQ(lines.front(), "  Iridium Flare Passes - Element Date : 2018-01-20 00:00:00");
    EXPECT_EQ(lines[9].substr(0, 14), "  MM/DD Time  ");
    ASSERT_EQ(lines.size(), 10 + night->flares.size());
    // The records are in report order.
    for (std::size_t i = 0; i < night->flares.size(); ++i)
        EXPECT_EQ(lines[10 + i], FlareRowLine(night->flares[i].row, 0.0, 1.0));
}

// The smallest angle between the reflected sunlight and the observer, over
// every mirror the Sun lights, from the geometry built here.
double ReflectionAngle(const Scene& s) {
    const V3 satPos = Of(s.sat.pos), sun = Of(s.sun), obs = Of(s.observer.vect);
    double best = 180.0;
    for (int k = 1; k <= 3; ++k) {
        const V3 n = MirrorNormal(s.sat, k);
        if (!(Dot(sun - satPos, n) > 0.0)) continue;
        const V3 in = Unit(satPos - sun);
        best = std::min(best, AngleDeg(in - n * (2.0 * Dot(in, n)), obs - satPos));
    }
    return best;
}

// An independent scan in 0.1 s steps around each listed flare: its time is
// the moment the reflection passes closest to the observer, to within the
// search's fine step (at most 1.5 s at the 3 degree limit).
TEST_F(FlareSearchFixture, FlareTimesAgreeWithAnIndependentScan) {
    ASSERT_GE(night->flares.size(), 5u);
    double worst = 0.0;
    for (const TFlare& f : night->flares) {
        const TSatRec& sat = (*sats)[f.satellite];
        double bestT = f.t, bestAngle = 180.0;
        for (double dt = -20.0; dt <= 20.0; dt += 0.1) {
            const Scene s = SceneAt(sat, *site, f.t + dt * kSec);
            ASSERT_TRUE(s.ok);
            const double a = ReflectionAngle(s);
            if (a < bestAngle) {
                bestAngle = a;
                bestT = f.t + dt * kSec;
            }
        }
        const double off = std::abs(bestT - f.t) / kSec;
        worst = std::max(worst, off);
        EXPECT_LE(off, 1.6) << f.row.id << " " << FormatDateTime("mm/dd HH:nn:ss", f.t);
        EXPECT_LE(bestAngle, f.angle + 1e-6);
    }
    std::printf("flare times: worst %.2f s from the independent minimum\n", worst);
}

TEST_F(FlareSearchFixture, ReflectionPointsAtObserverAndCentreLineLiesOnTheRay) {
    int checked = 0;
    for (const TFlare& f : night->flares) {
        const TSatRec& sat = (*sats)[f.satellite];
        const Scene s = SceneAt(sat, *site, f.t);
        ASSERT_TRUE(s.ok);
        const V3 satPos = Of(s.sat.pos), sun = Of(s.sun), obs = Of(s.observer.vect);

        // The reported mirror reflects the Sun to within the reported angle.
        ASSERT_GE(f.mirror, 1);
        ASSERT_LE(f.mirror, 3);
        const V3 n = MirrorNormal(s.sat, f.mirror);
        ASSERT_GT(Dot(sun - satPos, n), 0.0) << "sunlight falls on the mirror's back";
        const V3 in = Unit(satPos - sun);
        const V3 ray = in - n * (2.0 * Dot(in, n));
        const double angle = AngleDeg(ray, obs - satPos);
        EXPECT_LT(angle, kFlareAngleLimit);
        EXPECT_NEAR(angle, f.angle, 1e-3);

        // The printed centre-line point is on that ray, on the observer's sphere.
        const double r = Len(obs);
        const V3 p = PointOnSphere(f.row.centreLat, f.row.centreLon, s.gha, r);
        EXPECT_LT(AngleDeg(p - satPos, ray), 0.02) << f.row.id;
        EXPECT_NEAR(Len(p), r, 0.01);

        // Lit satellite, dark observer.
        EXPECT_TRUE(SunlitByCylinder(satPos, sun));
        EXPECT_LT(SunAltitudeDeg(s), -1.0 + 0.06);  // interval edges are late by < 15 s

        // Magnitudes from the beam length and the Sun's incidence.
        const double beam = Len(p - satPos);
        const double half = AngleDeg(p - satPos, sun - satPos) * kDeg / 2.0;
        const double magC = 2.5 * std::log10(beam * beam / 1e6 / (1.62 * std::cos(half))) - 7.5;
        EXPECT_NEAR(f.row.centreMagnitude, magC, 0.02);
        const double mag = std::max(
            magC, std::log10(2.2 / angle) * magC + 1.25 * std::cos(f.row.elevation * kDeg));
        EXPECT_NEAR(f.row.magnitude, mag, 0.02);
        EXPECT_LE(f.row.magnitude, 0.0);  // the limit

        // The satellite's look angles as listed.
        EXPECT_NEAR(f.row.elevation, s.sat.altaz.alt / kDeg, 1e-9);
        EXPECT_NEAR(f.row.range, s.sat.radec.dist, 1e-6);
        if (++checked == 8) break;
    }
    EXPECT_GE(checked, 5);
}

TEST_F(FlareSearchFixture, PassRecordsSpanTwentySecondsAroundEachFlare) {
    // The pass list keeps search order: satellite by satellite.
    for (std::size_t i = 1; i < night->passes.size(); ++i)
        EXPECT_LE(night->passes[i - 1].satellite->catNo.str() == night->passes[i].satellite->catNo.str()
                      ? night->passes[i - 1].start
                      : 0.0,
                  night->passes[i].start);
    for (const TFlare& f : night->flares) {
        const TPassRecord* found = nullptr;
        for (const TPassRecord& p : night->passes)
            if (p.satellite->catNo.str() == (*sats)[f.satellite].catNo.str() &&
                std::abs(p.start + 10.0 * kSec - f.t) < 1e-9)
                found = &p;
        ASSERT_NE(found, nullptr) << f.row.id;
        const TPassRecord& p = *found;
        EXPECT_NEAR((p.end - p.start) * 86400.0, 20.0, 1e-3);
        EXPECT_NEAR((f.t - p.start) * 86400.0, 10.0, 1e-3);
        EXPECT_DOUBLE_EQ(p.magnitude.value(), f.row.magnitude);
        EXPECT_DOUBLE_EQ(p.maxElevation, f.row.elevation);
        EXPECT_EQ(p.satellite->catNo.str(), (*sats)[f.satellite].catNo.str());
    }
}

TEST_F(FlareSearchFixture, ThreadCountDoesNotChangeTheReport) {
    const TFlareInputs in = FlareWindow(kStart, kStart + 3.0);
    const TFlareResult one = RunFlareSearch(in, *sats, *site, 1);
    EXPECT_EQ(FlareReport(one, in, SettingsFor(*site)), FlareReport(*night, in, SettingsFor(*site)));
}

TEST_F(FlareSearchFixture, MagnitudeLimitDropsFainterFlares) {
    const TFlareResult bright = RunFlareSearch(FlareWindow(kStart, kStart + 3.0, false, -2.0),
                                               *sats, *site);
    EXPECT_LT(bright.flares.size(), night->flares.size());
    for (const TFlare& f : bright.flares) EXPECT_LE(f.row.magnitude, -2.0);
}

TEST(FlareSearch, DayFlaresLieBetweenSunriseAndSunset) {
    const std::vector<TSatRec> sats = IridiumCatalogue();
    const TObserver site = SiteAt(30.0, -100.0);
    const TFlareResult day = RunFlareSearch(
        FlareWindow(kStart, kStart + 4.0, true, 0.0), sats, site);
    ASSERT_GE(day.flares.size(), 5u);
    for (const TFlare& f : day.flares) {
        const Scene s = SceneAt(sats[f.satellite], site, f.t);
        EXPECT_GT(SunAltitudeDeg(s), -1.0 - 0.06);
        EXPECT_LE(f.row.magnitude, 0.0);
    }
}

TEST(FlareSearch, RowsAreSortedAsTextSoJanuaryComesBeforeDecember) {
    const std::vector<TSatRec> sats = IridiumCatalogue();
    const TObserver site = SiteAt(45.0, -75.0);
    const double start = EncodeDayNumber(2017, 12, 30, 12);
    const TFlareInputs in = FlareWindow(start, start + 4.0, false, 2.0);
    const TFlareResult r = RunFlareSearch(in, sats, site);
    const TReportLines lines = FlareReport(r, in, SettingsFor(site));
    std::vector<std::string> rows(lines.begin() + 10, lines.end());
    ASSERT_GE(rows.size(), 4u);
    EXPECT_EQ(rows.front().substr(2, 3), "01/");
    EXPECT_EQ(rows.back().substr(2, 3), "12/");
    EXPECT_TRUE(std::is_sorted(rows.begin(), rows.end(), [](const std::string& a, const std::string& b) {
        std::string la = a, lb = b;
        for (char& c : la) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        for (char& c : lb) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return la < lb;
    }));
}

TEST(FlareSearch, MagnitudeFormulasAndNames) {
    // A 1000 km beam lit straight on: 2.5 log10(1 / 1.62) - 7.5.
    EXPECT_NEAR(CentreLineMagnitude(1000.0, 0.0), -8.0238, 1e-4);
    // 2.2 degrees off the centre the observer sees 1.25 cos(elevation).
    EXPECT_NEAR(FlareMagnitude(2.2, 0.0, -8.0), 1.25, 1e-12);
    // Close to the centre line never brighter than the centre line itself.
    EXPECT_DOUBLE_EQ(FlareMagnitude(0.01, 0.5, -8.0), -8.0);
    EXPECT_DOUBLE_EQ(FlareMagnitude(0.0, 0.5, -8.0), -8.0);
    EXPECT_TRUE(std::isfinite(CentreLineMagnitude(800.0, M_PI)));

    TSatRec sat{};
    sat.name = "IRIDIUM 97";
    EXPECT_EQ(FlareId(sat), "97");
    sat.name = "IRIDIUM";
    EXPECT_EQ(FlareId(sat), "");
    sat.name = "IRIDIUM  33 [-] ";
    EXPECT_EQ(FlareId(sat), "33 [-]");
}

TEST(FlareSearch, EmptyListOrPeriodGivesTheHeadersAndSaysSo) {
    const TObserver site = SiteAt(45.0, -75.0);
    const TFlareResult none =
        RunFlareSearch(FlareWindow(kStart, kStart + 1.0), {}, site);
    const TReportLines report = FlareReport(none, FlareWindow(kStart, kStart + 1.0), SettingsFor(site));
    ASSERT_EQ(report.size(), 11u);
    EXPECT_EQ(report.back(), "  No flares found: no satellite searched.");
    EXPECT_FALSE(none.skyCharts);
    const TFlareResult backwards = RunFlareSearch(FlareWindow(kStart, kStart - 1.0),
                                                  IridiumCatalogue(), site);
    EXPECT_TRUE(backwards.flares.empty());
    EXPECT_EQ(FileDateText("/nonexistent/IridSat.bin"), "");
    EXPECT_EQ(FileDateText(std::string(ORBISK_PROGRAM_DIR) + "/data/IridSat.bin").size(), 19u);
}
