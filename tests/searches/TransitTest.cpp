// Transits and ground paths on constructed cases: an observer placed on the
// ground exactly under the line from a target through a satellite at a
// known time must see that transit, and the ground path must pass there.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <functional>

#include "SearchTestUtil.h"
#include "uMagFile.h"
#include "uTransit.h"

#if defined(HAVE_ERFA)
#include <erfa.h>
#endif

namespace {
const double kDay = EncodeDayNumber(2018, 1, 20);
constexpr double kFlattening = 1.0 / 298.257223563;

double TargetTopoElevationDeg(const TObserver& o, double gha, const TVector& target) {
    const TLatLon& p = o.pos;
    const V3 up{std::cos(p.lat) * std::cos(p.lon + gha), std::cos(p.lat) * std::sin(p.lon + gha),
                std::sin(p.lat)};
    return 90.0 - AngleDeg(Of(target) - Of(o.vect), up);
}

// The ground point where the line from the target through the satellite
// arrives, found by walking the line to the observer's own sphere.
TObserver SiteUnderLine(TSatRec sat, double t, const TVector& target) {
    TObserver o = SiteAt(0, 0);
    const TFrame at = ObserverFrame(o, t);
    o.vect = at.pos;
    TSatState st{};
    PropagateSatellite(sat, st, at, kFillRaDec);
    const V3 s = Of(st.pos), d = Unit(Of(target) - s);
    double r = 6371.0;
    for (int k = 0; k < 6; ++k) {
        const double b = Dot(s, d), c = Dot(s, s) - r * r;
        const V3 p = s - d * (b - std::sqrt(b * b - c));  // the near crossing, towards the Earth
        const double psi = std::atan2(p.z, std::hypot(p.x, p.y));
        const double lat = std::atan(std::tan(psi) / ((1 - kFlattening) * (1 - kFlattening)));
        double lon = std::atan2(p.y, p.x) - at.gha;
        lon = std::remainder(lon, 2 * M_PI);
        o = SiteAt(lat / kDeg, lon / kDeg, 0.0);
        r = ObserverFrame(o, t).pos.r;
    }
    return o;
}

struct Constructed {
    TSatRec sat{};
    double t = 0;
    TObserver site{};
    bool found = false;
};

// First time (minute steps) at which some Iridium satellite has the target
// high over it and the constructed site satisfies `accept`.
Constructed Construct(int body, double from, double days,
                      const std::function<bool(const TObserver&, double)>& accept) {
    Constructed c;
    std::vector<TSatRec> sats = IridiumCatalogue();
    TObserver any = SiteAt(0, 0);
    for (double t = from; t < from + days; t += 60 * kSec) {
        TVector target{};
        PlanetVector(body, target, t);
        const TFrame at = ObserverFrame(any, t);
        for (TSatRec& sat : sats) {
            TSatState st{};
            if (sat.decayed == kDecayedRejected || !PropagateSatellite(sat, st, at, kFillRaDec))
                continue;
            if (AngleDeg(Of(target) - Of(st.pos), Of(st.pos)) > 30.0) continue;
            TObserver site = SiteUnderLine(sat, t, target);
            if (!accept(site, t)) continue;
            c.sat = sat;
            c.sat.selected = 1;
            c.t = t;
            c.site = site;
            c.found = true;
            return c;
        }
    }
    return c;
}

double ElevationOfBody(TObserver o, int body, double t) {
    const TFrame at = ObserverFrame(o, t);
    o.vect = at.pos;
    TVector v{};
    PlanetVector(body, v, t);
    return TargetTopoElevationDeg(o, at.gha, v);
}

TTransitTarget Body(const char* name) {
    TTransitTarget target;
    EXPECT_TRUE(MakeBodyTarget(name, target));
    return target;
}

std::vector<TPathRow> AllRows(const TGroundPathResult& r) {
    std::vector<TPathRow> rows;
    for (const TGroundPath& path : r.paths) rows.insert(rows.end(), path.rows.begin(), path.rows.end());
    return rows;
}

struct SunTransit : ::testing::Test {
    static void SetUpTestSuite() {
        c = new Constructed(Construct(kBodySun, kDay, 1.0, [](const TObserver& o, double t) {
            return ElevationOfBody(o, kBodySun, t) > 20.0;
        }));
    }
    static void TearDownTestSuite() { delete c; }
    static Constructed* c;
};
Constructed* SunTransit::c = nullptr;
}  // namespace

TEST_F(SunTransit, FoundWithinASecondAndNearlyCentral) {
    ASSERT_TRUE(c->found);
    const TPredictionInputs in = Period(c->t - 20 * 60 * kSec, c->t + 20 * 60 * kSec);
    const TTransitResult r =
        RunTransitSearch(in, 0.5, Body("Sun"), {c->sat}, c->site);
    ASSERT_EQ(r.transits.size(), 1u);  // by day: the Sun is never dropped for daylight
    const TTransit& tr = r.transits[0];
    EXPECT_NEAR((tr.t - c->t) * 86400.0, 0.0, 1.0);
    EXPECT_LT(tr.row.separation, 3.0);  // arc minutes
    const TReportLines lines =
        TransitReport(r, {c->sat}, Body("Sun"), in, SettingsFor(c->site));
    EXPECT_EQ(lines.front(), "  Sun Transit");
    EXPECT_EQ(lines.back(), TransitRowLine(tr.row, 0.0, 1.0, !SatMagnitudeKnown(c->sat)));
}

TEST_F(SunTransit, SeparationLimitKeepsOnlyCloserApproaches) {
    ASSERT_TRUE(c->found);
    // 15 km east of the centre line (the polar orbit runs north-south) the
    // closest approach is about a degree.
    TObserver off = SiteAt(c->site.pos.lat / kDeg,
                           c->site.pos.lon / kDeg + 0.135 / std::cos(c->site.pos.lat));
    const TPredictionInputs in = Period(c->t - 20 * 60 * kSec, c->t + 20 * 60 * kSec);
    const TTransitResult wide =
        RunTransitSearch(in, 300.0 / 60.0, Body("Sun"), {c->sat}, off);
    ASSERT_EQ(wide.transits.size(), 1u);
    EXPECT_GT(wide.transits[0].row.separation, 30.0);
    const TTransitResult narrow =
        RunTransitSearch(in, 30.0 / 60.0, Body("Sun"), {c->sat}, off);
    EXPECT_TRUE(narrow.transits.empty());
    EXPECT_EQ(TransitReport(narrow, {c->sat}, Body("Sun"), in, SettingsFor(off)).size(),
              9u);  // title, report header and the nothing-found line
}

TEST_F(SunTransit, GroundPathPointsSeeTheSatelliteOnTheSun) {
    ASSERT_TRUE(c->found);
    const TPredictionInputs in = Period(c->t - 20 * 60 * kSec, c->t + 20 * 60 * kSec);
    const TGroundPathResult r =
        RunGroundPathSearch(in, 25.0, 1.0, Body("Sun"), {c->sat}, c->site);
    ASSERT_GE(AllRows(r).size(), 3u);
    EXPECT_TRUE(r.google);
    double nearest = 1e9;
    for (const TPathRow& row : AllRows(r)) {
        const double seconds = row.row.t * 86400.0;
        EXPECT_NEAR(seconds, std::round(seconds), 1e-3);  // whole seconds
        TObserver point = SiteAt(row.point.lat / kDeg, row.point.lon / kDeg, row.point.height);
        const Scene s = SceneAt(c->sat, point, row.row.t);
        ASSERT_TRUE(s.ok);
        EXPECT_LT(AngleDeg(Of(s.sat.pos) - Of(s.observer.vect), Of(s.sun) - Of(s.observer.vect)),
                  0.01);
        EXPECT_LT(row.row.distance, 25.0);
        EXPECT_GT(row.row.width, 0.5);  // a few km across the Sun's disc
        EXPECT_LT(row.row.width, 50.0);
        EXPECT_TRUE(row.row.sunlit);
        nearest = std::min(nearest, row.row.distance);
    }
    EXPECT_LT(nearest, 8.0);  // the path crosses the constructed site
    EXPECT_EQ(GroundPathReport(r, {c->sat}, Body("Sun"), in, SettingsFor(c->site)).back(),
              kEndOfTrack);
}

TEST_F(SunTransit, FixedPositionTargetGivesNarrowPathAndTransit) {
    ASSERT_TRUE(c->found);
    // The satellite's own direction from the site at t as a fixed target.
    TObserver o = c->site;
    TSatRec sat = c->sat;
    TSatState st{};
    const TFrame at = ObserverFrame(o, c->t);
    o.vect = at.pos;
    ASSERT_TRUE(PropagateSatellite(sat, st, at, kFillRaDec));
    TTransitTarget target;
    SetRaDecTarget(target, st.radec.ra, st.radec.dec);
    const TPredictionInputs in = Period(c->t - 20 * 60 * kSec, c->t + 20 * 60 * kSec, 10.0, true);

    const TGroundPathResult path =
        RunGroundPathSearch(in, 25.0, 1.0, target, {c->sat}, c->site);
    ASSERT_GE(AllRows(path).size(), 3u);
    for (const TPathRow& row : AllRows(path)) EXPECT_DOUBLE_EQ(row.row.width, kOtherPathWidth);
    const TReportLines lines = GroundPathReport(path, {c->sat}, target, in, SettingsFor(c->site));
    EXPECT_EQ(lines[0], "  Ra/Dec Ground Track");
    EXPECT_EQ(lines[1].substr(0, 14), "  Epoch Date: ");
    EXPECT_EQ(lines[2].substr(0, 6), "  RA: ");

    const TTransitResult tr = RunTransitSearch(in, 0.5, target, {c->sat}, c->site);
    ASSERT_EQ(tr.transits.size(), 1u);
    EXPECT_NEAR((tr.transits[0].t - c->t) * 86400.0, 0.0, 1.0);
}

TEST(MoonTransit, DaylightDropsMoonTransitsUnlessDayAndNight) {
    const Constructed c =
        Construct(kBodyMoon, kDay, 3.0, [](const TObserver& o, double t) {
            return ElevationOfBody(o, kBodySun, t) > 5.0 && ElevationOfBody(o, kBodyMoon, t) > 20.0;
        });
    ASSERT_TRUE(c.found);
    const TPredictionInputs night = Period(c.t - 20 * 60 * kSec, c.t + 20 * 60 * kSec, 10.0, false);
    const TPredictionInputs all = Period(c.t - 20 * 60 * kSec, c.t + 20 * 60 * kSec, 10.0, true);
    EXPECT_TRUE(RunTransitSearch(night, 0.5, Body("Moon"), {c.sat}, c.site)
                    .transits.empty());
    const TTransitResult r =
        RunTransitSearch(all, 0.5, Body("Moon"), {c.sat}, c.site);
    ASSERT_EQ(r.transits.size(), 1u);
    EXPECT_NEAR((r.transits[0].t - c.t) * 86400.0, 0.0, 1.0);
    // A crescent a few days after new Moon.
    EXPECT_GT(r.transits[0].row.illumination, 5.0);
    EXPECT_LT(r.transits[0].row.illumination, 60.0);
}

TEST(PathWidth, OtherTargetsAndTheHorizon) {
    TSatState state{}, target{};
    target.body = kBodySun;
    target.pos = TVector{kAstronomicalUnit, 0, 0, kAstronomicalUnit};
    target.altaz = TAltAz{kHalfPi, 0.0};  // overhead: a circle of radius w
    const TLatLon a{0.5, 0.1, 0}, b{0.5001, 0.1, 0};
    const double w = std::tan(std::asin(kSunRadius / kAstronomicalUnit)) * 800.0;
    EXPECT_NEAR(PathWidth(state, target, b, 800.0, a), w, 1e-9);
    EXPECT_TRUE(std::isfinite(PathWidth(state, target, b, 800.0, b)));
    target.altaz = TAltAz{-0.1, 0.0};
    EXPECT_EQ(PathWidth(state, target, b, 800.0, a), 0.0);
    target.body = 5;
    target.altaz = TAltAz{0.3, 0.0};
    EXPECT_EQ(PathWidth(state, target, b, 800.0, a), kOtherPathWidth);
}

// Every Moon transit of the bundled visual list over three days against a
// scan of the separation in 0.05 s steps done here: the listed time is the
// closest approach to within the search's fine step, and the listed
// separation is that minimum.
TEST(TransitScan, TimesAndSeparationsAgreeWithAFineScan) {
    const std::vector<TSatRec> sats = BundledSets({"visual.tle"});
    const TObserver site = SiteAt(51.4779, -0.0015, 0.046);
    const double start = EncodeDayNumber(2018, 1, 22);
    TPredictionInputs in = Period(start, start + 3.0, 10.0, true);
    const TTransitResult r = RunTransitSearch(in, 2.0, Body("Moon"), sats, site);
    ASSERT_GE(r.transits.size(), 5u);
    double worstTime = 0.0, worstSep = 0.0;
    for (const TTransit& tr : r.transits) {
        const TSatRec& sat = sats[tr.satellite];
        double bestT = tr.t, best = 180.0;
        for (double dt = -30.0; dt <= 30.0; dt += 0.05) {
            const double t = tr.t + dt * kSec;
            const Scene s = SceneAt(sat, site, t);
            ASSERT_TRUE(s.ok);
            TVector moon{};
            PlanetVector(kBodyMoon, moon, t);
            const double sep = AngleDeg(Of(s.sat.pos) - Of(s.observer.vect),
                                        Of(moon) - Of(s.observer.vect));
            if (sep < best) {
                best = sep;
                bestT = t;
            }
        }
        const double off = std::abs(bestT - tr.t) / kSec;
        worstTime = std::max(worstTime, off);
        worstSep = std::max(worstSep, std::abs(best - tr.separation));
        EXPECT_LE(off, 0.3) << sat.name.str() << " " << FormatDateTime("mm/dd HH:nn:ss", tr.t);
        EXPECT_NEAR(tr.separation, best, 0.01) << sat.name.str();
    }
    std::printf("transits: %zu, worst time %.2f s, worst separation %.4f deg\n",
                r.transits.size(), worstTime, worstSep);
}

namespace {
// Runs reference_transit.py for one satellite and a list of target
// directions (TEME); false when python3-sgp4 is missing or the script fails.
struct TRefApproach {
    double t, separation, elevation;  // day number, arc minutes, degrees
};
bool ReferenceApproaches(const TElementEntry& e, const TObserver& site, double start, double stop,
                         const std::vector<V3>& targets, std::vector<TRefApproach>& out) {
    const std::string input = ::testing::TempDir() + "orbisk_transit_targets_" + std::to_string(::getpid()) + ".txt";
    {
        std::FILE* f = std::fopen(input.c_str(), "w");
        if (!f) return false;
        for (const V3& v : targets) std::fprintf(f, "%.15f %.15f %.15f\n", v.x, v.y, v.z);
        std::fclose(f);
    }
    char cmd[2048];
    std::snprintf(cmd, sizeof cmd,
                  "/usr/bin/python3 '%s/tests/searches/reference_transit.py' '%s' '%s' %.9f %.9f "
                  "%.6f %.10f %.10f < '%s'",
                  ORBISK_SOURCE_DIR, e.line1.str().c_str(), e.line2.str().c_str(),
                  site.pos.lat / kDeg, site.pos.lon / kDeg, site.pos.height, start, stop,
                  input.c_str());
    FILE* p = popen(cmd, "r");
    if (!p) return false;
    TRefApproach r{};
    while (std::fscanf(p, "%lf %lf %lf", &r.t, &r.separation, &r.elevation) == 3) out.push_back(r);
    std::remove(input.c_str());
    return pclose(p) == 0 && out.size() == targets.size();
}

// A right ascension and declination of date as a direction of the
// propagator's frame (true equator, mean equinox): nutation, then the
// equation of the equinoxes.
V3 OfDateToTeme(double ra, double dec, double t) {
#if defined(HAVE_ERFA)
    const double jdTt = t + 2415018.5 + 69.184 / 86400.0;
    double n[3][3], mean[3], tod[3];
    eraS2c(ra, dec, mean);
    eraNutm80(jdTt, 0.0, n);
    eraRxp(n, mean, tod);
    const double q = eraEqeq94(jdTt, 0.0);
    return {std::cos(q) * tod[0] + std::sin(q) * tod[1], -std::sin(q) * tod[0] + std::cos(q) * tod[1],
            tod[2]};
#else
    (void)t;
    return {std::cos(dec) * std::cos(ra), std::cos(dec) * std::sin(ra), std::sin(dec)};
#endif
}
}  // namespace

// TIANGONG 1 passes 286 km from a site at 40 N 15 E at 81 degrees, turning
// 1.5 degrees a second. Fixed targets 12.5' beside its track, placed every
// second along 20 s of it, must each be listed at the closest approach that
// python3-sgp4 gives, whatever the phase of the search's steps.
TEST(TransitScan, FastCloseApproachesAreListedWhereverTheyFall) {
#if !defined(HAVE_ERFA)
    FAIL() << "ERFA is needed for this reference (scripts/install-deps installs liberfa-dev)";
#endif
    std::vector<TElementEntry> entries;
    ReadElementFile(entries, std::string(ORBISK_SOURCE_DIR) + "/data/install/tle/stations.tle");
    const TElementEntry* entry = nullptr;
    for (const TElementEntry& e : entries)
        if (e.catNo.str() == "37820") entry = &e;
    ASSERT_NE(entry, nullptr);
    TSatRec sat{};
    ASSERT_TRUE(InitSatelliteFromEntry(sat, *entry, 0.0, 1000.0));
    sat.selected = 1;
    const TObserver site = SiteAt(40.0, 15.0, 0.0);
    const double culmination = EncodeDayNumber(2018, 1, 22, 16, 59, 45);

    std::vector<TTransitTarget> targets;
    std::vector<V3> directions;
    for (int k = -10; k <= 10; ++k) {
        const double t = culmination + k * kSec;
        const Scene a = SceneAt(sat, site, t), b = SceneAt(sat, site, t + kSec);
        ASSERT_TRUE(a.ok && b.ok);
        const V3 u = Unit(Of(a.sat.pos) - Of(a.observer.vect));
        const V3 along = Unit(Of(b.sat.pos) - Of(b.observer.vect)) - u;
        const V3 side = Unit(Cross(u, along));
        const double off = 12.5 / 60.0 * kDeg;
        const V3 d = u * std::cos(off) + side * std::sin(off);
        TTransitTarget target;
        SetRaDecTarget(target, std::atan2(d.y, d.x), std::asin(d.z));
        targets.push_back(target);
        directions.push_back(OfDateToTeme(target.state.radec.ra, target.state.radec.dec, t));
    }
    std::vector<TRefApproach> ref;
    if (!ReferenceApproaches(*entry, site, culmination - 60 * kSec, culmination + 60 * kSec,
                             directions, ref))
        FAIL() << "python3-sgp4 is needed for this reference (scripts/install-deps installs it)";

    const TPredictionInputs in = Period(culmination - 1800 * kSec, culmination + 1800 * kSec, 10.0, true);
    double worstTime = 0.0, worstSep = 0.0;
    for (std::size_t i = 0; i < targets.size(); ++i) {
        SCOPED_TRACE(i);
        ASSERT_GT(ref[i].elevation, 70.0);
        ASSERT_LT(ref[i].separation, 13.0);
        const TTransitResult r = RunTransitSearch(in, 30.0 / 60.0, targets[i], {sat}, site);
        ASSERT_EQ(r.transits.size(), 1u);
        const TTransit& tr = r.transits[0];
        // Within the fine step (75 ms, up to 7' of motion here) and the
        // frames' nutation (under 0.3').
        EXPECT_NEAR((tr.t - ref[i].t) / kSec, 0.0, 0.1);
        EXPECT_NEAR(tr.row.separation, ref[i].separation, 0.75);
        worstTime = std::max(worstTime, std::abs(tr.t - ref[i].t) / kSec);
        worstSep = std::max(worstSep, std::abs(tr.row.separation - ref[i].separation));
    }
    std::printf("fast transits: worst time %.3f s, worst separation %.3f'\n", worstTime, worstSep);
}

namespace {
// Earth-fixed WGS-84 position of a geodetic point, km.
V3 Ecef(double lat, double lon, double height) {
    const double a = 6378.137, f = 1.0 / 298.257223563, e2 = f * (2.0 - f);
    const double n = a / std::sqrt(1.0 - e2 * std::sin(lat) * std::sin(lat));
    return {(n + height) * std::cos(lat) * std::cos(lon), (n + height) * std::cos(lat) * std::sin(lon),
            (n * (1.0 - e2) + height) * std::sin(lat)};
}

// How far inside the target's disc (rad, positive outside) the satellite
// comes, seen from the Earth-fixed point q, at its best within 4 s of t.
double ClosestToDisc(TSatRec sat, int body, V3 q, double t) {
    auto outside = [&](double at) {
        const double g = GreenwhichHourAngle(at + 2415018.5);
        const V3 p{std::cos(g) * q.x - std::sin(g) * q.y, std::sin(g) * q.x + std::cos(g) * q.y, q.z};
        TObserver o = SiteAt(0, 0);
        TSatState st{};
        PropagateSatellite(sat, st, ObserverFrame(o, at), kFillRaDec);
        TVector target{};
        PlanetVector(body, target, at);
        const double radius = body == kBodySun ? kSunRadius : kMoonRadius;
        return AngleDeg(Of(st.pos) - p, Of(target) - p) * kDeg - std::asin(radius / Len(Of(target) - p));
    };
    double lo = t - 4 * kSec, hi = t + 4 * kSec;
    const double golden = (std::sqrt(5.0) - 1.0) / 2.0;
    while (hi - lo > 1e-3 * kSec) {
        const double a = hi - golden * (hi - lo), b = lo + golden * (hi - lo);
        (outside(a) < outside(b) ? hi : lo) = outside(a) < outside(b) ? b : a;
    }
    return outside((lo + hi) / 2);
}
}  // namespace

// The listed half-width against the band found directly: stepping across
// the track from a listed point, the distance at which the satellite no
// longer touches the disc at any moment. ISS tracks of the Moon over
// London and of the Sun over Cape Town, one row each.
TEST(PathWidth, HalfWidthIsThatOfTheBandOnTheGround) {
    struct TCase {
        const char* body;
        double lat, lon, heightKm;
        double from;  // a window around one track
        double track;
    };
    const TCase cases[] = {
        {"Moon", 51.4779, -0.0015, 0.046, EncodeDayNumber(2018, 1, 24, 21, 0, 0), 40.0},
        {"Moon", 51.4779, -0.0015, 0.046, EncodeDayNumber(2018, 1, 28, 22, 20, 0), 40.0},
        {"Sun", -33.9, 18.4, 0.0, EncodeDayNumber(2018, 1, 26, 12, 40, 0), 160.0},
    };
    const std::vector<TSatRec> iss = {BundledSets({"stations.tle"}).front()};
    ASSERT_EQ(iss[0].catNo.str(), "25544");
    for (const TCase& c : cases) {
        SCOPED_TRACE(std::string(c.body) + " " + FormatDateTime("mm/dd", c.from));
        const TObserver site = SiteAt(c.lat, c.lon, c.heightKm);
        const TTransitTarget target = Body(c.body);
        const TGroundPathResult r = RunGroundPathSearch(Period(c.from, c.from + 1800 * kSec, 10.0, true),
                                                        c.track, 1.0, target, iss, site);
        ASSERT_EQ(r.paths.size(), 1u);
        const std::vector<TPathRow>& rows = r.paths[0].rows;
        ASSERT_GE(rows.size(), 3u);
        const std::size_t mid = rows.size() / 2;
        const TPathRow& row = rows[mid];
        const V3 p = Ecef(row.point.lat, row.point.lon, row.point.height);
        const V3 up = Unit(p);
        const V3 along = Ecef(rows[mid + 1].point.lat, rows[mid + 1].point.lon, rows[mid + 1].point.height) -
                         Ecef(rows[mid - 1].point.lat, rows[mid - 1].point.lon, rows[mid - 1].point.height);
        const V3 across = Unit(Cross(up, along));
        ASSERT_LT(ClosestToDisc(iss[0], target.state.body, p, row.row.t), 0.0);
        for (double side : {-1.0, 1.0}) {
            double in = 0.0, out = 30.0;  // km
            while (out - in > 0.005) {
                const double x = (in + out) / 2;
                (ClosestToDisc(iss[0], target.state.body, p + across * (side * x), row.row.t) < 0.0 ? in : out) = x;
            }
            EXPECT_NEAR(row.widthKm / in, 1.0, 0.03) << "band edge at " << in << " km";
            std::printf("%s path half-width: listed %.3f km, band edge %.3f km\n", c.body,
                        row.widthKm, in);
        }
    }
}

// An ISS track of the Sun over Cape Town: the centre line, found here by
// intersecting the line from the Sun through the satellite with the
// observer's sphere, stays within 160 km for about twenty seconds. A
// fifteen-day and a forty-minute search both list that whole stretch.
TEST(PathExtent, TheWholeStretchWithinTheLimitWhateverTheWindow) {
    const std::vector<TSatRec> iss = {BundledSets({"stations.tle"}).front()};
    const TObserver site = SiteAt(-33.9, 18.4, 0.0);
    const double from = EncodeDayNumber(2018, 2, 2, 9, 59, 0), to = from + 100 * kSec;
    const V3 siteFixed = Ecef(site.pos.lat, site.pos.lon, site.pos.height);

    // Independent stretch: whole seconds with the line within 160 km and
    // the satellite above 10 degrees.
    std::vector<double> expected;
    for (double t = from; t < to; t += kSec) {
        Scene s = SceneAt(iss[0], site, t);
        ASSERT_TRUE(s.ok);
        const double g = GreenwhichHourAngle(t + 2415018.5);
        auto inertial = [g](V3 v) {
            return V3{std::cos(g) * v.x - std::sin(g) * v.y, std::sin(g) * v.x + std::cos(g) * v.y, v.z};
        };
        const V3 o = inertial(siteFixed), sat = Of(s.sat.pos);
        const V3 d = Unit(sat - Of(s.sun));
        const double b = Dot(sat, d), c = Dot(sat, sat) - Dot(o, o);
        const V3 x = sat + d * (-b - std::sqrt(b * b - c));
        const double elevation = 90.0 - AngleDeg(sat - o, Unit(inertial(Ecef(site.pos.lat, site.pos.lon, 1.0)) - o));
        if (Len(x - o) < 160.0 && elevation > 10.0) expected.push_back(t);
    }
    ASSERT_GE(expected.size(), 15u);
    ASSERT_NEAR((expected.back() - expected.front()) / kSec, expected.size() - 1.0, 1e-3);

    std::vector<std::vector<TPathRow>> listed;
    for (const TPredictionInputs& in :
         {Period(EncodeDayNumber(2018, 1, 22), EncodeDayNumber(2018, 2, 6), 10.0, true),
          Period(EncodeDayNumber(2018, 2, 2, 9, 30, 0), EncodeDayNumber(2018, 2, 2, 10, 10, 0), 10.0, true)}) {
        const TGroundPathResult r = RunGroundPathSearch(in, 160.0, 1.0, Body("Sun"), iss, site);
        for (const TGroundPath& path : r.paths)
            if (path.rows.front().row.t > from && path.rows.front().row.t < to) listed.push_back(path.rows);
    }
    ASSERT_EQ(listed.size(), 2u);
    ASSERT_EQ(listed[0].size(), listed[1].size());
    for (std::size_t i = 0; i < listed[0].size(); ++i)
        EXPECT_EQ(GroundPathRowLine(listed[0][i].row, 0.0, 1.0), GroundPathRowLine(listed[1][i].row, 0.0, 1.0));
    EXPECT_NEAR((listed[0].front().row.t - expected.front()) / kSec, 0.0, 1.001);
    EXPECT_NEAR((listed[0].back().row.t - expected.back()) / kSec, 0.0, 1.001);
    std::printf("Cape Town stretch: listed %s-%s, found here %s-%s\n",
                FormatDateTime("HH:nn:ss", listed[0].front().row.t).c_str(),
                FormatDateTime("HH:nn:ss", listed[0].back().row.t).c_str(),
                FormatDateTime("HH:nn:ss", expected.front()).c_str(),
                FormatDateTime("HH:nn:ss", expected.back()).c_str());
}

// The path point is where the line from the Sun through the satellite meets
// the WGS-84 ellipsoid, found here by bisection on the geodetic height along
// the line; the observer's height and latitude do not move it.
TEST(PathPoint, OnTheEllipsoidWhateverTheObserver) {
    const double a = 6378.137, f = 1.0 / 298.257223563, e2 = f * (2.0 - f);
    auto geodetic = [&](V3 p, double& lat, double& height) {
        const double r = std::hypot(p.x, p.y);
        lat = std::atan2(p.z, r * (1.0 - e2));
        for (int k = 0; k < 8; ++k) {
            const double n = a / std::sqrt(1.0 - e2 * std::sin(lat) * std::sin(lat));
            height = r / std::cos(lat) - n;
            lat = std::atan2(p.z, r * (1.0 - e2 * n / (n + height)));
        }
    };
    const std::vector<TSatRec> iss = {BundledSets({"stations.tle"}).front()};
    std::size_t checked = 0;
    for (double t = kDay; t < kDay + 0.25; t += 300.0 * kSec) {
        TObserver o = SiteAt(0, 0);
        const Scene s = SceneAt(iss[0], o, t);
        const V3 sat = Of(s.sat.pos), away = Unit(sat - Of(s.sun));
        if (Len(Cross(sat, away)) > 6000.0 || Dot(sat, away) > 0.0) continue;  // misses the Earth
        double in = 0.0, out = -Dot(sat, away), lat = 0.0, height = 0.0;  // out: nearest the centre
        while (out - in > 1e-6) {
            const double x = (in + out) / 2;
            geodetic(sat + away * x, lat, height);
            (height > 0.0 ? in : out) = x;
        }
        const V3 p = sat + away * in;
        const double lon = std::remainder(std::atan2(p.y, p.x) - s.gha, 2 * M_PI);
        for (const TObserver& site : {SiteAt(62.0, 10.0, 3.0), SiteAt(-35.0, 150.0, 0.0)}) {
            TObserver observer = site;
            TSatRec sat1 = iss[0];
            TSatState state{}, target = Body("Sun").state;
            TLatLon point{};
            double slant = 0.0;
            ASSERT_TRUE(ComputePathPoint(state, target, sat1, slant, true, point, ObserverFrame(observer, t)));
            EXPECT_NEAR(point.lat, lat, 2e-7);
            EXPECT_NEAR(std::remainder(point.lon - lon, 2 * M_PI), 0.0, 2e-7);
            EXPECT_EQ(point.height, 0.0);
            EXPECT_NEAR(slant, in, 1e-3);
        }
        ++checked;
    }
    EXPECT_GT(checked, 5u);
}
