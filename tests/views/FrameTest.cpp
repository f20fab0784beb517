// Whole frames checked at pixels that plain geometry, worked out here and
// not through the view code, predicts.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <thread>
#include <unistd.h>

#include "Zenora.h"
#include "ViewTestUtil.h"
#include "uFormat.h"
#include "uGlobe.h"
#include "uLoadSave.h"
#include "uMap.h"
#include "uSky.h"

namespace {
const std::string kProgram = ORBISK_PROGRAM_DIR "/";

QPoint MapPixel(const TViewState& vs, double lat, double lon) {
    lon = std::remainder(lon, 2 * kPi);
    // The map keeps 2:1 inside the surface.
    return QPoint(vs.MapX + static_cast<int>((kPi + lon) * vs.MapW / (2 * kPi)),
                  vs.MapY + static_cast<int>((kPi / 2 - lat) * vs.MapH / kPi));
}

// Orthographic globe of radius r (pixels) around (latC, lonC), screen y down.
QPointF GlobePixel(const TViewState& vs, double lat, double lon, double r) {
    const double latC = vs.GlobeCentre.lat, lonC = vs.GlobeCentre.lon;
    const double x = r * std::cos(lat) * std::sin(lon - lonC);
    const double y = r * (std::cos(latC) * std::sin(lat) - std::sin(latC) * std::cos(lat) * std::cos(lon - lonC));
    return QPointF(vs.CentreX + x, vs.CentreY - y);
}

// Lambert azimuthal equal-area around the centre, north up, east to the left.
QPointF ChartPixel(const TViewState& vs, double ra, double dec) {
    const double ra0 = vs.SkyCentre.ra, dec0 = vs.SkyCentre.dec;
    const double cosC = std::sin(dec0) * std::sin(dec) + std::cos(dec0) * std::cos(dec) * std::cos(ra - ra0);
    const double k = std::sqrt(2 / (1 + cosC)) * 180 / kPi * vs.SkyScale;
    const double x = k * std::cos(dec) * std::sin(ra - ra0);
    const double y = k * (std::cos(dec0) * std::sin(dec) - std::sin(dec0) * std::cos(dec) * std::cos(ra - ra0));
    return QPointF(vs.CentreX - x, vs.CentreY - y);
}

QPoint Round(const QPointF& p) { return QPoint(static_cast<int>(std::lround(p.x())), static_cast<int>(std::lround(p.y()))); }

// Sub-solar point straight from the library: geocentric Sun and sidereal time.
TLatLon SubSolar(double t) {
    const double jd = t + kJulianOffset;
    TVector v{};
    Calc_Planet(0, &v, true, jd, Delta_t(jd) / 86400.0, false);
    const double lon = std::remainder(std::atan2(v.y, v.x) - GreenwhichHourAngle(jd), 2 * kPi);
    return TLatLon{std::atan2(v.z, std::hypot(v.x, v.y)), lon, 0};
}

QImage Uniform(int w, int h, QRgb colour) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

TSkyRecord Star(double ra, double dec, double mag, const char* name = "") {
    TSkyRecord r{};
    r.ra = ra;
    r.dec = dec;
    r.mag = mag;
    r.name = name;
    return r;
}

// A name drawn in area of named and not of bare: the pixels it darkened (its
// box) are many, and inside their bounds the text is as bright as a night label.
void ExpectBrightOnDark(const QImage& named, const QImage& bare, const QRect& area) {
    QRect box;
    int dark = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (qRed(named.pixel(x, y)) * 2 < qRed(bare.pixel(x, y))) {
                ++dark;
                box |= QRect(x, y, 1, 1);
            }
    int bright = 0;
    for (int y = box.top(); y <= box.bottom(); ++y)
        for (int x = box.left(); x <= box.right(); ++x) bright += qRed(named.pixel(x, y)) >= 230;
    EXPECT_GT(dark, 150) << "a dark box behind the name";
    EXPECT_GT(bright, 20) << "bright text on it";
    EXPECT_LT(bright, dark) << "more box than text";
    for (int y = 0; y < named.height(); y += 7)
        for (int x = 0; x < named.width(); x += 7)
            ASSERT_EQ(qGreen(named.pixel(x, y)) | qBlue(named.pixel(x, y)), 0) << "red only";
}

}  // namespace

// The Sun's disc at the sub-solar pixel; the night polygon darkens the
// antisolar point and the pole in darkness (bottom edge with the Sun north,
// top edge with it south) by the shadow alpha and leaves the day side alone.
TEST(MapFrame, SubSolarPixelAndNightSide) {
    // Every few hours, so the terminator crosses the map's edge at each
    // place and in both directions.
    std::vector<double> times;
    for (int hour = 0; hour < 24; hour += 3) {
        times.push_back(EncodeDayNumber(2018, 5, 21, hour, 0, 0));
        times.push_back(EncodeDayNumber(2018, 1, 21, hour, 0, 0));
    }
    for (double t : times) {
        TTestView view(kViewMap, 1440, 720);
        TViewState& vs = view.vs;
        vs.MapImage = Uniform(720, 360, qRgb(200, 180, 160));
        TFrameState frame = TestFrame(kViewMap, t, TestObserver(45, 10));
        const TLatLon sun = SubSolar(t);
        ASSERT_NEAR(std::fabs(sun.lat), 20 * kDeg, 0.6 * kDeg);
        const double north = sun.lat > 0 ? 1 : -1;

        QImage lit, dark;
        frame.options.shadowAlpha = 0;
        RefreshView(vs, frame, lit);
        frame.options.shadowAlpha = 114;
        RefreshView(vs, frame, dark);
        if (std::fabs(sun.lon) < 0.2) SavePng(dark, north > 0 ? "map_sun_north" : "map_sun_south");

        EXPECT_TRUE(IsYellow(Pixel(dark, MapPixel(vs, sun.lat, sun.lon))));
        QPoint moon;
        moon = GeoToPixel(vs, frame.Moon()->latlon, 0).value();
        const QPoint night[] = {MapPixel(vs, -sun.lat, sun.lon + kPi), MapPixel(vs, -north * 85 * kDeg, sun.lon + kPi / 2)};
        const QPoint day[] = {MapPixel(vs, sun.lat, sun.lon + kPi / 3), MapPixel(vs, north * 85 * kDeg, sun.lon - kPi / 2)};
        for (const QPoint& p : night) {
            ASSERT_GT(PixelDistance(p, moon), 40);
            const QColor d = QColor::fromRgb(dark.pixel(p));
            EXPECT_NEAR(d.red(), 200 * 141 / 255.0, 1.5);
            EXPECT_NEAR(d.green(), 180 * 141 / 255.0, 1.5);
            EXPECT_NEAR(d.blue(), 160 * 141 / 255.0, 1.5);
        }
        for (const QPoint& p : day) {
            ASSERT_GT(PixelDistance(p, moon), 40);
            EXPECT_EQ(Pixel(dark, p), Pixel(lit, p));
            EXPECT_EQ(Pixel(dark, p), 0xC8B4A0u);
        }
        // Across the whole map, away from the terminator and the bodies:
        // shaded exactly where the Sun is below the horizon.
        int wrong = 0;
        for (int lat = -80; lat <= 80; lat += 10) {
            for (int lon = -175; lon <= 175; lon += 10) {
                const double cosZ = std::sin(sun.lat) * std::sin(lat * kDeg) +
                                    std::cos(sun.lat) * std::cos(lat * kDeg) * std::cos(lon * kDeg - sun.lon);
                if (std::fabs(cosZ) < 0.03) continue;
                const QPoint p = MapPixel(vs, lat * kDeg, lon * kDeg);
                if (PixelDistance(p, moon) < 40 || PixelDistance(p, MapPixel(vs, sun.lat, sun.lon)) < 40) continue;
                const bool shaded = Pixel(dark, p) != Pixel(lit, p);
                if (shaded != (cosZ < 0)) ++wrong;
            }
        }
        EXPECT_EQ(wrong, 0) << "sub-solar longitude " << sun.lon / kDeg;
    }
}

// The map draws itself in the night colours instead of being turned red
// after each frame: the same picture as the day frame turned red, except
// that labels are drawn in a clear red on a black shadow (a black home name
// turned red was black on a bright shadow).
TEST(MapFrame, NightPaletteDrawsTheDayFrameInRedWithReadableLabels) {
    TTestView view(kViewMap, 1000, 500);
    TViewState& vs = view.vs;
    vs.MapImage = CodedMap(500, 250);
    TFrameState frame = TestFrame(kViewMap, EncodeDayNumber(2018, 3, 1, 6, 0, 0), TestObserver(45, 10));
    frame.menu.locVis = true;
    frame.sats = {CraftedSat(10, 20, kEarthRadius + 500, true), CraftedSat(-30, -60, kEarthRadius + 500, false)};
    QImage day, night;
    RefreshView(vs, frame, day);
    frame.night = true;
    RefreshView(vs, frame, night);
    SavePng(night, "map_night");
    ASSERT_EQ(day.size(), night.size());
    NightColours(day);

    // Labels and the home name (above or beside its cross) are left out of the comparison.
    std::vector<QRect> skip;
    for (const QRect& r : vs.LabelRects) skip.push_back(r.adjusted(-2, -2, 2, 2));
    const QPoint home = MapPixel(vs, 45 * kDeg, 10 * kDeg);
    skip.emplace_back(home.x() - 7, home.y() - 18, 125, 40);
    int differ = 0, coloured = 0;
    for (int y = 0; y < night.height(); ++y)
        for (int x = 0; x < night.width(); ++x) {
            const QRgb n = night.pixel(x, y);
            if (qGreen(n) != 0 || qBlue(n) != 0) ++coloured;
            if (std::any_of(skip.begin(), skip.end(), [&](const QRect& r) { return r.contains(x, y); })) continue;
            if (std::abs(qRed(n) - qRed(day.pixel(x, y))) > 3) ++differ;
        }
    EXPECT_EQ(coloured, 0) << "nothing but red";
    EXPECT_LT(differ, 20) << "the same picture";

    // The home name over bright ice: bright text on a dark box.
    vs.MapImage = Uniform(500, 250, qRgb(235, 240, 245));
    frame.sats.clear();
    frame.menu.locVis = false;
    vs.Dirty = 1;
    QImage named, bare;
    RefreshView(vs, frame, named);
    frame.menu.displayHome = false;
    vs.Dirty = 1;
    RefreshView(vs, frame, bare);
    ExpectBrightOnDark(named, bare, QRect(home.x() - 7, home.y() - 20, 127, 40));
}

// The globe is turned red after each frame: its home name, drawn before,
// must come out as bright as the labels, on a dark box.
TEST(GlobeFrame, NightHomeNameIsBrightOnADarkBox) {
    TTestView view(kViewGlobe, 800, 600);
    TViewState& vs = view.vs;
    vs.MapImage = Uniform(360, 180, qRgb(235, 240, 245));
    TFrameState frame = TestFrame(kViewGlobe, EncodeDayNumber(2018, 3, 1, 11, 0, 0), TestObserver(45, 10));
    vs.GlobeCentre = frame.observer.pos;
    frame.night = true;
    frame.menu.satVis = frame.menu.locVis = frame.menu.tracks = frame.menu.grids = false;
    QImage named, bare;
    RefreshView(vs, frame, named);
    SavePng(named, "globe_night_home");
    frame.menu.displayHome = false;
    vs.Dirty = 1;
    RefreshView(vs, frame, bare);
    ExpectBrightOnDark(named, bare, QRect(vs.CentreX - 25, vs.CentreY - 30, 140, 40));
}

// Markers where the equirectangular formula puts them; a decayed satellite
// has no position and is not drawn at a stale one.
TEST(MapFrame, SatelliteMarkersAndDecayedSatellite) {
    TTestView view(kViewMap, 1000, 500);
    view.vs.MapImage = Uniform(500, 250, qRgb(0, 0, 160));
    TFrameState frame = TestFrame(kViewMap, EncodeDayNumber(2018, 3, 1, 0, 0, 0), TestObserver(45, 10));
    frame.options.shadowAlpha = 0;
    frame.menu.satVis = frame.menu.tracks = false;
    frame.sats = {CraftedSat(10, 20, kEarthRadius + 500, true), CraftedSat(-30, -60, kEarthRadius + 500, false),
                  CraftedSat(50, 100, kEarthRadius + 500, true)};
    frame.sats[2].rec.decayed = 1;
    QImage image;
    RefreshView(view.vs, frame, image);
    EXPECT_TRUE(IsYellow(Pixel(image, MapPixel(view.vs, 10 * kDeg, 20 * kDeg))));
    EXPECT_EQ(Pixel(image, MapPixel(view.vs, -30 * kDeg, -60 * kDeg)), 0x808080u);
    EXPECT_EQ(Pixel(image, MapPixel(view.vs, 50 * kDeg, 100 * kDeg)), 0x0000A0u);
}

TEST(SkyFrame, BrightStarAtItsChartPixel) {
    TTestView view(kViewSky, 1200, 800);
    TViewState& vs = view.vs;
    std::vector<TSkyRecord> stars;
    ASSERT_TRUE(ReadSkyFile(kProgram + "data/SaoStar.bin", stars));
    const TSkyRecord* sirius = nullptr;
    for (const TSkyRecord& s : stars)
        if (s.name == "Sirius") sirius = &s;
    ASSERT_NE(sirius, nullptr);

    TFrameState frame = TestFrame(kViewSky, EncodeDayNumber(2018, 1, 22, 3, 0, 0), TestObserver(40, -75));
    frame.stars = std::make_shared<const std::vector<TSkyRecord>>(stars);
    frame.menu.constellations = false;
    frame.options.skyField = 60;
    ApplyDisplayOptions(vs, frame.options);
    vs.SkyCentre = TRaDec{5.6 * 15 * kDeg, -5 * kDeg, 0};
    // A satellite at a known place on the chart as well.
    TFrameSat sat = CraftedSat(0, 0, kEarthRadius + 500, true);
    sat.state.radec = TRaDec{5.0 * 15 * kDeg, 10 * kDeg, 1500};
    frame.sats = {sat};
    frame.menu.showLabel = false;
    QImage image;
    RefreshView(vs, frame, image);
    SavePng(image, "sky_sirius");
    EXPECT_EQ(vs.Rotation, 0.0);
    EXPECT_EQ(Pixel(image, Round(ChartPixel(vs, sirius->ra, sirius->dec))), 0xFFFFFFu);
    EXPECT_TRUE(IsYellow(Pixel(image, Round(ChartPixel(vs, sat.state.radec.ra, sat.state.radec.dec)))));
}

namespace {
// J2000 to the mean equator and equinox of date t by the IAU 1976 angles,
// in the closed form of the textbooks.
void PrecessPlain(double t, double& ra, double& dec) {
    const double T = (t + kJulianOffset - 2451545.0) / 36525.0, arcsec = kPi / 180 / 3600;
    const double zeta = ((0.017998 * T + 0.30188) * T + 2306.2181) * T * arcsec;
    const double z = ((0.018203 * T + 1.09468) * T + 2306.2181) * T * arcsec;
    const double theta = ((-0.041833 * T - 0.42665) * T + 2004.3109) * T * arcsec;
    const double a = std::cos(dec) * std::sin(ra + zeta);
    const double b = std::cos(theta) * std::cos(dec) * std::cos(ra + zeta) - std::sin(theta) * std::sin(dec);
    const double c = std::sin(theta) * std::cos(dec) * std::cos(ra + zeta) + std::cos(theta) * std::sin(dec);
    ra = std::atan2(a, b) + z;
    dec = std::asin(c);
}

// Mean position of the pixels of about one colour (antialiased: each channel
// within a quarter of full scale) within r of p.
QPointF CentreOf(const QImage& image, QPointF p, int r, QRgb colour) {
    auto near = [colour](QRgb c) {
        return std::abs(qRed(c) - qRed(colour)) <= 64 && std::abs(qGreen(c) - qGreen(colour)) <= 64 &&
               std::abs(qBlue(c) - qBlue(colour)) <= 64;
    };
    double sx = 0, sy = 0, n = 0;
    for (int y = int(p.y()) - r; y <= int(p.y()) + r; ++y)
        for (int x = int(p.x()) - r; x <= int(p.x()) + r; ++x)
            if (image.rect().contains(x, y) && near(Pixel(image, QPoint(x, y)))) sx += x, sy += y, ++n;
    return n > 0 ? QPointF(sx / n, sy / n) : QPointF(-1e6, -1e6);
}
}  // namespace

// At a 10 degree field the stars and the figure lines stand where their
// J2000 positions precessed to the frame's date put them (18 years: 13
// pixels from the J2000 ones for Sirius, 5 for Canopus), to the pixel the
// drawing rounds to.
TEST(SkyFrame, StarsAndFiguresArePrecessedToTheDate) {
    std::vector<TSkyRecord> stars;
    ASSERT_TRUE(ReadSkyFile(kProgram + "data/SaoStar.bin", stars));
    const double t = EncodeDayNumber(2018, 1, 22, 3, 0, 0);
    for (const char* name : {"Sirius", "Canopus"}) {
        SCOPED_TRACE(name);
        const TSkyRecord* star = nullptr;
        for (const TSkyRecord& s : stars)
            if (s.name == name) star = &s;
        ASSERT_NE(star, nullptr);
        // A figure line from the star to a point one degree north of it.
        TSkyRecord north = *star;
        north.dec += 1.0 * kDeg;
        TTestView view(kViewSky, 1200, 800);
        TViewState& vs = view.vs;
        TFrameState frame = TestFrame(kViewSky, t, TestObserver(-30, -65));
        frame.stars = std::make_shared<const std::vector<TSkyRecord>>(std::vector<TSkyRecord>{*star});
        frame.constellations = std::make_shared<const std::vector<TSkyRecord>>(std::vector<TSkyRecord>{*star, north});
        frame.menu.constellations = true;
        frame.options.skyField = 10;
        ApplyDisplayOptions(vs, frame.options);
        double ra = star->ra, dec = star->dec, raN = north.ra, decN = north.dec;
        PrecessPlain(t, ra, dec);
        PrecessPlain(t, raN, decN);
        vs.SkyCentre = TRaDec{ra, dec + 0.5 * kDeg, 0};
        QImage image;
        RefreshView(vs, frame, image);
        const QPointF expected = ChartPixel(vs, ra, dec), old = ChartPixel(vs, star->ra, star->dec);
        ASSERT_GT(std::hypot(expected.x() - old.x(), expected.y() - old.y()), 4.0);
        const QPointF disc = CentreOf(image, expected, 8, 0xFFFFFFu);
        EXPECT_LT(std::hypot(disc.x() - expected.x(), disc.y() - expected.y()), 1.5);
        const QPointF end = ChartPixel(vs, raN, decN);
        const QPointF middle((expected.x() + end.x()) / 2, (expected.y() + end.y()) / 2);
        const QPointF line = CentreOf(image, middle, 1, 0x007F00u);
        EXPECT_LT(std::hypot(line.x() - middle.x(), line.y() - middle.y()), 1.5);
    }
}

// With the horizon level, a star higher at the same azimuth is straight
// above the centre, and one further west (looking south) to its right;
// the mirror and inverted orientations move them accordingly.
TEST(SkyFrame, HorizonOrientationAndMirrors) {
    const TObserver observer = TestObserver(45, 10);
    const double t = EncodeDayNumber(2018, 6, 1, 22, 0, 0);
    const double gst = GreenwhichHourAngle(t + kJulianOffset);
    auto starAt = [&](double altDeg, double azDeg) {
        const TAltAz h{altDeg * kDeg, azDeg * kDeg};
        TRaDec p{};
        Alt_az_to_ra_dec(&observer.pos, &h, &p, gst);
        return Star(p.ra, p.dec, 0.0);
    };
    struct TCase {
        int signX, signY;
        const char* name;
    };
    const TCase cases[] = {{1, 1, "sky_altaz"}, {-1, 1, "sky_altaz_mirror_ew"}, {-1, -1, "sky_altaz_inverted"}};
    for (const TCase& c : cases) {
        TTestView view(kViewSky, 1000, 800);
        TViewState& vs = view.vs;
        TFrameState frame = TestFrame(kViewSky, t, observer);
        frame.stars = std::make_shared<const std::vector<TSkyRecord>>(
            std::vector<TSkyRecord>{starAt(45, 180), starAt(30, 200)});
        frame.menu.skyViewAltAz = frame.menu.skyViewFixAltAz = true;
        vs.SkyCentreHoriz = TAltAz{30 * kDeg, 180 * kDeg};
        vs.SignX = c.signX;
        vs.SignY = c.signY;
        QImage image;
        RefreshView(vs, frame, image);
        SavePng(image, c.name);
        // 15 degrees on the equal-area chart: 2 sin(7.5 deg) radians.
        const int up = static_cast<int>(std::lround(2 * std::sin(7.5 * kDeg) * 180 / kPi * vs.SkyScale));
        const QPoint high(vs.CentreX, vs.CentreY - c.signY * up);
        // The discs are antialiased (and the stars precessed a few pixels):
        // the expected pixel lies inside the disc, at least half white.
        EXPECT_GE(qGray(Pixel(image, high)), 128) << c.name;
        QPoint west;
        ASSERT_TRUE(SkyToPixel(vs, TRaDec{frame.stars->at(1).ra, frame.stars->at(1).dec, 0}, west));
        EXPECT_GE(qGray(Pixel(image, west)), 128) << c.name;
        EXPECT_GT(c.signX * (west.x() - vs.CentreX), 100) << c.name;
        EXPECT_LE(std::abs(west.y() - vs.CentreY), 30) << c.name;
    }
}

TEST(GlobeFrame, CentrePixelSamplesTheMapAndNarrowViewsKeepTheirRows) {
    TTestView view(kViewGlobe, 800, 600);
    TViewState& vs = view.vs;
    vs.MapImage = CodedMap(1000, 500);
    vs.GlobeCentre = TLatLon{40 * kDeg, -100 * kDeg, 0};
    TFrameState frame = TestFrame(kViewGlobe, EncodeDayNumber(2018, 3, 1, 0, 0, 0), TestObserver(45, 10));
    DrawGlobeBackground(vs, frame);
    SavePng(vs.Background, "globe_coded_background");
    auto mapPixel = [&](double lat, double lon) {
        const int u = std::min(static_cast<int>((kPi + lon) * 1000 / (2 * kPi)), 998);
        const int v = std::min(static_cast<int>((kPi / 2 - lat) * 500 / kPi), 498);
        return vs.MapImage.pixel(u, v) & 0xFFFFFF;
    };
    EXPECT_EQ(Pixel(vs.Background, QPoint(400, 300)), mapPixel(40 * kDeg, -100 * kDeg));
    const QPoint ny = Round(GlobePixel(vs, 40.7 * kDeg, -74 * kDeg, vs.GlobeScale));
    const QRgb c = Pixel(vs.Background, ny);
    const int u = static_cast<int>(qRed(c) | ((qBlue(c) >> 4) << 8)), v = static_cast<int>(qGreen(c) | ((qBlue(c) & 15) << 8));
    EXPECT_NEAR(u, (kPi - 74 * kDeg) * 1000 / (2 * kPi), 2.5);
    EXPECT_NEAR(v, (kPi / 2 - 40.7 * kDeg) * 500 / kPi, 2.5);

    // A globe wider than the view is cut at the sides, its middle rows kept.
    TTestView narrow(kViewGlobe, 300, 600);
    narrow.vs.MapImage = Uniform(100, 50, qRgb(10, 200, 30));
    DrawGlobeBackground(narrow.vs, frame);
    ASSERT_GT(narrow.vs.GlobeScale, 150);
    EXPECT_EQ(Pixel(narrow.vs.Background, QPoint(5, 300)), 0x0AC81Eu);
    EXPECT_EQ(Pixel(narrow.vs.Background, QPoint(294, 300)), 0x0AC81Eu);
}

// A satellite at its true height: drawn on the near side, hidden behind the
// globe, drawn beside it when it is high enough to clear the limb.
TEST(GlobeFrame, SatellitesInFrontBehindAndBesideTheGlobe) {
    TTestView view(kViewGlobe, 1000, 800);
    TViewState& vs = view.vs;
    vs.MapImage = Uniform(360, 180, qRgb(0, 0, 150));
    vs.GlobeCentre = TLatLon{30 * kDeg, 0, 0};
    TFrameState frame = TestFrame(kViewGlobe, EncodeDayNumber(2018, 3, 1, 12, 0, 0), TestObserver(30, 0));
    frame.menu.satVis = frame.menu.tracks = frame.menu.showLabel = false;
    const double high = 1.6 * kEarthRadius, leo = kEarthRadius + 800;
    frame.sats = {CraftedSat(40, 15, leo, true), CraftedSat(-25, 175, leo, true), CraftedSat(0, 100, high, true)};
    QImage image;
    RefreshView(vs, frame, image);
    SavePng(image, "globe_satellites");
    const double r = vs.GlobeScale;
    const QPoint front = Round(GlobePixel(vs, 40 * kDeg, 15 * kDeg, r * leo / kEarthRadius));
    const QPoint behind = Round(GlobePixel(vs, -25 * kDeg, 175 * kDeg, r * leo / kEarthRadius));
    const QPoint beside = Round(GlobePixel(vs, 0, 100 * kDeg, r * high / kEarthRadius));
    EXPECT_LT(std::hypot(behind.x() - vs.CentreX, behind.y() - vs.CentreY), r);
    EXPECT_GT(std::hypot(beside.x() - vs.CentreX, beside.y() - vs.CentreY), r);
    EXPECT_TRUE(IsYellow(Pixel(image, front)));
    EXPECT_TRUE(IsYellow(Pixel(image, beside)));
    int yellow = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) yellow += IsYellow(Pixel(image, QPoint(x, y)));
    EXPECT_LE(yellow, 2 * 64);  // two markers, the one behind the globe not drawn
    EXPECT_FALSE(IsYellow(Pixel(image, behind)));
    // The sky chart's mirror factors do not turn the globe's night side.
    vs.SignX = vs.SignY = -1;
    QImage mirrored;
    RefreshView(vs, frame, mirrored);
    EXPECT_TRUE(mirrored == image);
}

TEST(GroundTrack, FollowsTheClockDirectionAndTheFirstSatellite) {
    std::vector<TElementEntry> entries;
    ASSERT_TRUE(ReadElementFile(entries, kProgram + "tle/visual.tle"));
    std::vector<TSatRec> sats;
    for (const TElementEntry& e : entries) {
        TSatRec rec{};
        if ((e.name == "ISS (ZARYA)" || e.name == "HST") && InitSatelliteFromEntry(rec, e, 0.0, 100.0)) {
            sats.push_back(rec);
        }
    }
    ASSERT_EQ(sats.size(), 2u);
    const double t = EncodeDayNumber(2018, 1, 22, 0, 0, 0);
    TTestView view(kViewMap, 800, 400);
    TFrameState frame = TestFrame(kViewMap, t, TestObserver(45, 10));
    SetFrameSatellites(frame, sats, TChoice{});
    ComputeFrame(frame, t);
    for (int direction : {1, -1}) {
        frame.direction = direction;
        ComputeGroundTrack(view.vs, frame);
        ASSERT_EQ(view.vs.TrackPoints.size(), 300u);
        EXPECT_NEAR(view.vs.TrackPoints[0].lat, frame.sats[0].state.latlon.lat, 1e-12);
        EXPECT_NEAR(view.vs.TrackAnchor - view.vs.TrackStart, 300 / 1440.0, 1e-9);
        EXPECT_EQ(direction > 0 ? view.vs.TrackStart : view.vs.TrackAnchor, t);
    }
    // The dispatcher makes a new track once the clock reaches the end of the
    // old one, and when another satellite becomes the first.
    frame.direction = 1;
    ComputeFrame(frame, view.vs.TrackAnchor);
    QImage image;
    const double oldAnchor = view.vs.TrackAnchor;
    RefreshView(view.vs, frame, image);
    EXPECT_NEAR(view.vs.TrackStart, oldAnchor, 1e-12);
    frame.sat1 = 1;
    RefreshView(view.vs, frame, image);
    EXPECT_NEAR(view.vs.TrackPoints[0].lon, frame.sats[1].state.latlon.lon, 1e-12);
}

TEST(ViewFailures, MissingOrBadFilesAreReportedOnceAndTheRestIsDrawn) {
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / ("orbisk_views_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    TTestView view(kViewMap, 400, 200);
    EXPECT_FALSE(LoadMapImage(view.vs, (dir / "missing.jpg").string()));
    std::ofstream((dir / "garbage.jpg").string()) << "not an image at all";
    EXPECT_FALSE(LoadMapImage(view.vs, (dir / "garbage.jpg").string()));
    EXPECT_FALSE(LoadMapImage(view.vs, (dir / "garbage.jpg").string()));
    EXPECT_TRUE(view.vs.MapImage.isNull());
    ASSERT_EQ(view.messages.size(), 2u);
    EXPECT_EQ(view.messages[0], "File: " + (dir / "missing.jpg").string() + " not found");
    EXPECT_NE(view.messages[1].find("cannot be read"), std::string::npos);

    std::ofstream((dir / "cities.dat").string()) << "   10.00   20.00 Here\n  north   20.00 Nowhere\n\n  -90.00  180.00 Pole\n";
    std::vector<TMapCity> cities;
    std::string message;
    EXPECT_TRUE(LoadMapCities((dir / "cities.dat").string(), cities, message));
    ASSERT_EQ(cities.size(), 2u);
    EXPECT_EQ(cities[1].name, "Pole");
    EXPECT_NE(message.find("line 2"), std::string::npos);
    std::vector<TMapCity> none;
    EXPECT_FALSE(LoadMapCities((dir / "none.dat").string(), none, message));
    EXPECT_NE(message.find("not found"), std::string::npos);

    // No map image, an out-of-range shadow alpha: the frame is still drawn,
    // the alpha reported once however many frames follow.
    TFrameState frame = TestFrame(kViewMap, EncodeDayNumber(2018, 1, 21, 12, 0, 0), TestObserver(45, 10));
    frame.options.shadowAlpha = 300;
    frame.options.cityColour = 0xFFFF0000;
    frame.menu.displayCities = true;
    frame.cities = std::make_shared<const std::vector<TMapCity>>(cities);
    QImage image;
    RefreshView(view.vs, frame, image);
    RefreshView(view.vs, frame, image);
    SavePng(image, "map_without_image");
    ASSERT_EQ(view.messages.size(), 3u);
    EXPECT_NE(view.messages[2].find("Range check error"), std::string::npos);
    EXPECT_EQ(Pixel(image, QPoint(220, 88)), 0xFF0000u);  // the city at 10 N 20 E
    const TLatLon sun = SubSolar(frame.time);
    EXPECT_TRUE(IsYellow(Pixel(image, MapPixel(view.vs, sun.lat, sun.lon))));
    std::filesystem::remove_all(dir);
}

// Frames depend on nothing but their view state and snapshot: drawn on
// worker threads at once, they come out as on the main thread.
TEST(Frames, WorkerThreadsDrawWhatTheMainThreadDraws) {
    const int modes[3] = {kViewMap, kViewSky, kViewGlobe};
    auto draw = [](int mode) {
        TTestView view(mode, 640, 360);
        view.vs.MapImage = CodedMap(360, 180);
        TFrameState frame = TestFrame(mode, EncodeDayNumber(2018, 1, 22, 3, 0, 0), TestObserver(45, 10));
        frame.stars = std::make_shared<const std::vector<TSkyRecord>>(
            std::vector<TSkyRecord>{Star(1.0, 0.2, 1.0, "One"), Star(1.2, 0.4, 2.0, "Two")});
        frame.sats = {CraftedSat(40, 15, kEarthRadius + 500, true)};
        QImage image;
        RefreshView(view.vs, frame, image);
        return image;
    };
    QImage expected[3], got[3];
    for (int i = 0; i < 3; ++i) expected[i] = draw(modes[i]);
    std::thread workers[3];
    for (int i = 0; i < 3; ++i) workers[i] = std::thread([&, i] { got[i] = draw(modes[i]); });
    for (std::thread& w : workers) w.join();
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(got[i] == expected[i]) << "view mode " << modes[i];
}

// The sky by day driven as a user does: the chart on the Sun at the deepest
// zoom (its disc far wider than the chart), across the zenith, out to the
// whole sky, following a satellite below the horizon, at sizes down to the
// smallest, with every layer on. Each frame is drawn whole and its labels
// stay on the chart.
TEST(SkyFrame, DayChartDrivenThroughZoomFollowAndTinySizes) {
    std::vector<TElementEntry> entries;
    ASSERT_TRUE(ReadElementFile(entries, kProgram + "tle/visual.tle"));
    std::vector<TSatRec> sats;
    for (const TElementEntry& e : entries) {
        TSatRec rec{};
        if (InitSatelliteFromEntry(rec, e, 0.0, 100.0)) sats.push_back(rec);
    }
    ASSERT_GT(sats.size(), 20u);
    std::vector<TSkyRecord> stars, figures;
    ASSERT_TRUE(ReadSkyFile(kProgram + "data/SaoStar.bin", stars));
    ASSERT_TRUE(ReadSkyFile(kProgram + "data/Constellation.bin", figures));
    const TObserver site = TestObserver(50, 10);
    const double t = EncodeDayNumber(2018, 1, 22, 12, 0, 0);
    TFrameState frame = TestFrame(kViewSky, t, site);
    std::vector<TSatRec> tracked(sats.begin(), sats.begin() + 15);
    SetFrameSatellites(frame, tracked, TChoice{});
    frame.stars = std::make_shared<const std::vector<TSkyRecord>>(stars);
    frame.constellations = std::make_shared<const std::vector<TSkyRecord>>(figures);
    frame.skySats = std::make_shared<const std::vector<TSatRec>>(sats);
    frame.options.magLimit = 30;
    TViewMenu& m = frame.menu;
    m.showMagnitude = m.showSkySat = m.constellationNames = m.starNames = m.skyViewAltAz = true;
    ComputeFrame(frame, t);
    const TSatState* sun = frame.Sun();
    ASSERT_NE(sun, nullptr);
    TAltAz sunAltAz{};
    Ra_dec_to_alt_az(&frame.observer.pos, &sun->radec, &sunAltAz, frame.gha);
    ASSERT_GT(sunAltAz.alt, 5 * kDeg) << "by day";
    // The first satellite below the horizon, to be followed.
    std::size_t below = 0;
    while (below < frame.sats.size() && frame.sats[below].state.altaz.alt > 0) ++below;
    ASSERT_LT(below, frame.sats.size());
    frame.sat1 = below;

    for (QSize size : {QSize(1000, 700), QSize(2, 2), QSize(3, 40), QSize(60, 3), QSize(90, 60)}) {
        TTestView view(kViewSky, size.width(), size.height());
        TViewState& vs = view.vs;
        const auto draw = [&](const char* step) {
            QImage image;
            RefreshView(vs, frame, image);
            EXPECT_EQ(image.size(), QSize(vs.Width, vs.Height)) << step;
            for (const QRect& r : vs.LabelRects) EXPECT_TRUE(QRect(0, 0, vs.Width, vs.Height).contains(r)) << step;
        };
        vs.SkyCentreHoriz = sunAltAz;
        ZoomSky(vs, view.options, 1e9);
        draw("the Sun, deepest zoom");
        for (double alt : {89.0, 89.99, 90.0}) {
            vs.SkyCentreHoriz = TAltAz{alt * kDeg, 0.3};
            draw("near the zenith");
        }
        ZoomSky(vs, view.options, vs.SkyScale / 1e6);
        draw("the whole sky");
        frame.menu.skyViewFixSatellite = frame.menu.skyViewFixAltAz = true;
        vs.SkyCentreHoriz = TAltAz{40 * kDeg, 1.0};
        ZoomSky(vs, view.options, vs.Height / 10.0);
        draw("following a satellite below the horizon");
        EXPECT_NEAR(vs.SkyCentreHoriz.alt, 40 * kDeg, 1e-9) << "the chart stays on the sky";
        frame.menu.skyViewFixSatellite = frame.menu.skyViewFixAltAz = false;
        ResizeViews(vs, 1, 1);
        ApplyDisplayOptions(vs, view.options);
        draw("shrunk to nothing");
    }
}
