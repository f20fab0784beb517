// Projections and their inverses, the horizon circle, the field label.
#include <gtest/gtest.h>

#include <cmath>

#include "ViewTestUtil.h"
#include "uGraphicCalc.h"

namespace {

double AngleBetween(const TLatLon& a, const TLatLon& b) {
    const double c = std::sin(a.lat) * std::sin(b.lat) + std::cos(a.lat) * std::cos(b.lat) * std::cos(a.lon - b.lon);
    return std::acos(std::clamp(c, -1.0, 1.0));
}

void ExpectNear(const QPoint& a, const QPoint& b, int tol, const std::string& what) {
    EXPECT_LE(std::abs(a.x() - b.x()), tol) << what << ": " << a.x() << "," << a.y() << " vs " << b.x() << "," << b.y();
    EXPECT_LE(std::abs(a.y() - b.y()), tol) << what << ": " << a.x() << "," << a.y() << " vs " << b.x() << "," << b.y();
}

}  // namespace

TEST(MapProjection, EdgesAndRoundTrips) {
    TTestView t(kViewMap, 1000, 500);
    QPoint p;
    p = GeoToPixel(t.vs, TLatLon{0, 0, 0}, 0).value();
    EXPECT_EQ(p, QPoint(500, 250));
    p = GeoToPixel(t.vs, TLatLon{90 * kDeg, 0, 0}, 0).value();
    EXPECT_EQ(p.y(), 0);
    p = GeoToPixel(t.vs, TLatLon{-90 * kDeg, 180 * kDeg, 0}, 0).value();
    EXPECT_EQ(p, QPoint(1000, 500));  // limited to the surface
    p = GeoToPixel(t.vs, TLatLon{0, -180 * kDeg, 0}, 0).value();
    EXPECT_EQ(p.x(), 0);
    EXPECT_FALSE(GeoToPixel(t.vs, TLatLon{NAN, 0, 0}, 0));

    for (int y = 0; y < 500; y += 7)
        for (int x = 0; x < 1000; x += 13) {
            TLatLon g{0, 0, 0};
            g = PixelToGeo(t.vs, QPoint(x, y)).value();
            QPoint back;
            back = GeoToPixel(t.vs, g, 0).value();
            ExpectNear(back, QPoint(x, y), 1, "map pixel");
        }
}

TEST(GlobeProjection, CentreAntipodeAndRoundTrips) {
    TTestView t(kViewGlobe, 800, 600);
    const TLatLon centres[] = {{0, 0, 0}, {45 * kDeg, -100 * kDeg, 0}, {89.99 * kDeg, 30 * kDeg, 0},
                               {-60 * kDeg, 170 * kDeg, 0}};
    for (const TLatLon& c : centres) {
        t.vs.GlobeCentre = c;
        double cosC = 0.0;
        EXPECT_EQ(GeoToPixel(t.vs, c, 0, &cosC), QPoint(400, 300));
        EXPECT_NEAR(cosC, 1.0, 1e-12);
        const TLatLon antipode{-c.lat, c.lon + std::numbers::pi, 0};
        EXPECT_FALSE(GeoToPixel(t.vs, antipode, 0, &cosC));
        EXPECT_NEAR(cosC, -1.0, 1e-9);  // told even where hidden

        const double r = t.vs.GlobeScale;
        for (int y = 300 - static_cast<int>(r); y <= 300 + r; y += 9)
            for (int x = 400 - static_cast<int>(r); x <= 400 + r; x += 11) {
                const double rho = std::hypot(x - 400.0, y - 300.0) / r;
                const std::optional<TLatLon> on = PixelToGeo(t.vs, QPoint(x, y));
                EXPECT_EQ(on.has_value(), rho <= 1.0) << x << "," << y;
                if (!on) continue;
                const TLatLon g = *on;
                EXPECT_EQ(g.height, kEarthRadius);
                if (rho > 0.98) continue;  // at the limb one pixel spans many degrees
                EXPECT_LE(std::fabs(g.lon), std::numbers::pi);
                QPoint back;
                back = GeoToPixel(t.vs, g, 0).value();
                ExpectNear(back, QPoint(x, y), 1, "globe pixel");
            }
    }
}

TEST(SkyProjection, CentreNinetyDegreesAndRoundTrips) {
    TTestView t(kViewSky, 900, 600);
    TViewState& vs = t.vs;
    const double scales[] = {vs.SkyScaleMin, 40.0, 2000.0};
    const int signs[4][2] = {{1, 1}, {-1, -1}, {-1, 1}, {1, -1}};
    const TRaDec centres[] = {{1.0, 0.3, 0}, {5.0, -1.2, 0}, {3.0, 89.9 * kDeg, 0}};
    for (const TRaDec& c : centres)
        for (double scale : scales)
            for (const auto& s : signs)
                for (double rot : {0.0, 0.7, -2.5}) {
                    vs.SkyCentre = c;
                    vs.SkyScale = scale;
                    vs.SignX = s[0];
                    vs.SignY = s[1];
                    vs.Rotation = rot;
                    vs.SkyCutoff.reset();
                    QPoint p;
                    ASSERT_TRUE(SkyToPixel(vs, c, p));
                    EXPECT_EQ(p, QPoint(vs.CentreX, vs.CentreY));
                    const TRaDec back = PixelToSky(vs, p).value();  // the centre pixel is the centre, not "off the chart"
                    EXPECT_NEAR(back.ra, c.ra, 1e-12);
                    EXPECT_NEAR(back.dec, c.dec, 1e-12);

                    // 90 degrees from the centre: sqrt(2) * (180/pi) * SkyScale pixels away.
                    const double pole = c.dec >= 0 ? -std::numbers::pi / 2 : std::numbers::pi / 2;
                    const TRaDec ninety{c.ra, c.dec + pole, 0};
                    ASSERT_TRUE(SkyToPixel(vs, ninety, p));
                    EXPECT_NEAR(std::hypot(p.x() - vs.CentreX, p.y() - vs.CentreY),
                                std::sqrt(2.0) * 180 / std::numbers::pi * scale, 1.5);

                    for (int y = 0; y < 600; y += 37)
                        for (int x = 0; x < 900; x += 41) {
                            const std::optional<TRaDec> sky = PixelToSky(vs, QPoint(x, y));
                            if (!sky) continue;
                            QPoint q;
                            ASSERT_TRUE(SkyToPixel(vs, *sky, q));
                            ExpectNear(q, QPoint(x, y), 1, "sky pixel");
                        }
                }
}

TEST(SkyProjection, FieldLimitsHorizonClipAndZoomedOutEdge) {
    TTestView t(kViewSky, 1000, 500);
    TViewState& vs = t.vs;
    vs.SkyCentre = TRaDec{2.0, 0.2, 0};
    UpdateFieldLabel(vs, t.options);
    QPoint p;
    // The antipode never has a pixel, with or without the field limit.
    const TRaDec antipode{2.0 + std::numbers::pi, -0.2, 0};
    EXPECT_FALSE(SkyToPixel(vs, antipode, p));
    vs.SkyCutoff.reset();
    EXPECT_FALSE(SkyToPixel(vs, antipode, p));

    // Star to horizon: a point below the horizon is hidden only with the field limit on.
    vs.Zenith = TRaDec{2.0, 0.2 + std::numbers::pi / 2 - 0.3, 0};
    vs.ClipHorizon = 1;
    const TRaDec low{2.0, 0.2 - 0.35, 0};  // 0.05 rad below the horizon
    EXPECT_TRUE(SkyToPixel(vs, low, p));
    UpdateFieldLabel(vs, t.options);
    EXPECT_FALSE(SkyToPixel(vs, low, p));
    vs.ClipHorizon = 0;
    EXPECT_TRUE(SkyToPixel(vs, low, p));

    // Zoomed out, a pixel beyond 90 degrees from the centre is off the chart.
    vs.SkyScale = vs.SkyScaleMin * 0.5;
    EXPECT_FALSE(PixelToSky(vs, QPoint(0, 0)));
}

TEST(FieldLabel, TextsAndCutoff) {
    TTestView t(kViewSky, 1000, 500);
    EXPECT_NEAR(t.options.skyField, 75.0, 1e-9);
    ASSERT_TRUE(t.vs.SkyCutoff);
    EXPECT_NEAR(*t.vs.SkyCutoff, -std::sin(75 * kDeg), 1e-12);
    t.vs.SkyScale = 1000;
    EXPECT_EQ(UpdateFieldLabel(t.vs, t.options), "Size: 30.0 Min");
    EXPECT_NEAR(t.options.skyField, 0.5, 1e-12);
    t.vs.SkyScale = 2;
    EXPECT_EQ(UpdateFieldLabel(t.vs, t.options), "Size: 180.0 Deg");
    EXPECT_EQ(t.vs.SkyCutoff, -0.5);
    EXPECT_NEAR(t.options.skyField, 250.0, 1e-12);
    EXPECT_EQ(GoToZenith(t.vs, t.options), "Size: 180.0 Deg");
    EXPECT_NEAR(t.vs.SkyCentreHoriz.alt, std::numbers::pi / 2 - 0.0001, 1e-15);
    // A field wider than 90 degrees is the whole sky: the horizon circle
    // around the zenith fits the surface, also after the options are applied
    // again (a resize), however wide the surface.
    t.options.skyField = 400;
    EXPECT_EQ(ApplyDisplayOptions(t.vs, t.options), "Size: 180.0 Deg");
    const double horizonRadius = std::sqrt(2.0) * 180 / std::numbers::pi * t.vs.SkyScale;
    EXPECT_LE(horizonRadius, t.vs.Height / 2.0);
    EXPECT_LT(t.vs.SkyScale, t.vs.SkyScaleMin);  // drawn zoomed out, around SkyCentreHoriz
    // Fields from 75 to 90 degrees are raised to at most 170 degrees across the width.
    TTestView narrow(kViewSky, 1000, 300);
    narrow.options.skyField = 89;
    EXPECT_EQ(ApplyDisplayOptions(narrow.vs, narrow.options), "Size: 51.0 Deg");
}

TEST(SmallCircle, RadiusClosureAndDegenerateDistances) {
    const TLatLon centre{40 * kDeg, -75 * kDeg, 0};
    std::vector<TLatLon> pts;
    const double d = kEarthRadius + 420;
    SmallCircle(centre, pts, d, 90);
    ASSERT_EQ(pts.size(), 90u);
    EXPECT_NEAR(pts.front().lat, pts.back().lat, 1e-12);
    EXPECT_NEAR(pts.front().lon, pts.back().lon, 1e-12);
    const double radius = std::acos(kEarthRadius / d);
    for (const TLatLon& p : pts) EXPECT_NEAR(AngleBetween(p, centre), radius, 1e-9);
    // The first point lies due east of the centre, the next ones turn south.
    EXPECT_GT(pts[0].lon, centre.lon);
    EXPECT_LT(pts[5].lat, pts[0].lat);

    for (double flat : {kEarthRadius, kEarthRadius - 100, 0.0, -5.0}) {
        SmallCircle(centre, pts, flat, 90);
        for (const TLatLon& p : pts) {
            EXPECT_NEAR(p.lat, centre.lat, 1e-12);
            EXPECT_NEAR(p.lon, centre.lon, 1e-12);
        }
    }
    SmallCircle(centre, pts, d, 1);
    EXPECT_EQ(pts.size(), 1u);
    SmallCircle(centre, pts, d, 0);
    EXPECT_TRUE(pts.empty());
}

TEST(SmallCircle, MapCircleIsCutAtTheDateLine) {
    TTestView t(kViewMap, 720, 360);
    QImage image(720, 360, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::black);
    QPainter painter;
    BeginPaint(painter, image, t.vs);
    DrawSmallCircle(painter, t.vs, TLatLon{10 * kDeg, 178 * kDeg, 0}, Qt::white, kEarthRadius + 800);
    painter.end();
    SavePng(image, "dateline_circle");
    int left = 0, right = 0, middle = 0;
    for (int y = 0; y < 360; ++y)
        for (int x = 0; x < 720; ++x) {
            // Antialiased: a pixel the line crosses is at least half white.
            if (qGray(Pixel(image, QPoint(x, y))) < 128) continue;
            (x < 180 ? left : x >= 540 ? right : middle)++;
        }
    EXPECT_GT(left, 50);
    EXPECT_GT(right, 50);
    EXPECT_EQ(middle, 0);  // no line across the whole map
}
