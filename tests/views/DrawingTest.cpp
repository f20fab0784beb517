// The map's 2:1 letterbox, drawing at a device pixel ratio, and the sky
// chart's orientation when zooming at the zenith.
#include <gtest/gtest.h>

#include <cmath>

#include "Zenora.h"
#include "ViewTestUtil.h"
#include "uFormat.h"
#include "uSky.h"

TEST(MapLetterbox, KnownPlacesAtWideAndTallSurfaces) {
    // 1000 x 300: a 600 x 300 map, 200 pixels of band left and right.
    TTestView wide(kViewMap, 1000, 300);
    EXPECT_EQ(wide.vs.MapScaleX, wide.vs.MapScaleY);
    QPoint p;
    p = GeoToPixel(wide.vs, TLatLon{0, 0, 0}, 0).value();
    EXPECT_EQ(p, QPoint(500, 150));
    p = GeoToPixel(wide.vs, TLatLon{90 * kDeg, -180 * kDeg, 0}, 0).value();
    EXPECT_EQ(p, QPoint(200, 0));
    p = GeoToPixel(wide.vs, TLatLon{-90 * kDeg, 180 * kDeg, 0}, 0).value();
    EXPECT_EQ(p, QPoint(800, 300));
    p = GeoToPixel(wide.vs, TLatLon{45 * kDeg, 90 * kDeg, 0}, 0).value();
    EXPECT_EQ(p, QPoint(650, 75));
    // 400 x 500: a 400 x 200 map, 150 pixels of band above and below.
    TTestView tall(kViewMap, 400, 500);
    p = GeoToPixel(tall.vs, TLatLon{0, 0, 0}, 0).value();
    EXPECT_EQ(p, QPoint(200, 250));
    p = GeoToPixel(tall.vs, TLatLon{-45 * kDeg, -90 * kDeg, 0}, 0).value();
    EXPECT_EQ(p, QPoint(100, 300));
    // The inverse, and the bands read as the map's nearest edge.
    TLatLon g{};
    g = PixelToGeo(tall.vs, QPoint(100, 300)).value();
    EXPECT_NEAR(g.lat, -45 * kDeg, 1e-12);
    EXPECT_NEAR(g.lon, -90 * kDeg, 1e-12);
    g = PixelToGeo(tall.vs, QPoint(-50, 10)).value();
    EXPECT_NEAR(g.lat, 90 * kDeg, 1e-12);
    EXPECT_NEAR(g.lon, -180 * kDeg, 1e-12);

    // Drawn: the map image fills its rectangle only, the bands stay black.
    wide.vs.MapImage = QImage(360, 180, QImage::Format_RGB32);
    wide.vs.MapImage.fill(qRgb(0, 0, 200));
    TFrameState frame = TestFrame(kViewMap, EncodeDayNumber(2018, 3, 20, 12, 0, 0), TestObserver(0, 0));
    frame.options.shadowAlpha = 0;
    frame.menu.displayHome = false;
    QImage image;
    RefreshView(wide.vs, frame, image);
    EXPECT_EQ(Pixel(image, QPoint(100, 150)), 0x000000u);
    EXPECT_EQ(Pixel(image, QPoint(900, 20)), 0x000000u);
    EXPECT_EQ(Pixel(image, QPoint(210, 290)), 0x0000C8u);
    EXPECT_EQ(Pixel(image, QPoint(790, 10)), 0x0000C8u);
}

TEST(PixelRatio, SurfacesHoldDevicePixelsAndTheGlobeTexturesThemAll) {
    TTestView t(kViewGlobe, 300, 200);
    ResizeViews(t.vs, 300, 200, 2.0);
    ApplyDisplayOptions(t.vs, t.options);
    EXPECT_EQ(t.vs.Width, 300);
    EXPECT_EQ(t.vs.Background.size(), QSize(600, 400));
    EXPECT_EQ(t.vs.Background.devicePixelRatio(), 2.0);
    t.vs.MapImage = QImage(360, 180, QImage::Format_RGB32);
    t.vs.MapImage.fill(qRgb(0, 200, 0));
    TFrameState frame = TestFrame(kViewGlobe, EncodeDayNumber(2018, 3, 20, 12, 0, 0), TestObserver(0, 0));
    frame.options.shadowAlpha = 0;
    frame.menu.displayHome = false;
    QImage image;
    RefreshView(t.vs, frame, image);
    ASSERT_EQ(image.size(), QSize(600, 400));
    EXPECT_EQ(image.devicePixelRatio(), 2.0);
    // Every device pixel of the disc is textured, not every other one.
    const int r = std::min(static_cast<int>(t.vs.GlobeScale * 2), 290);
    for (int dx : {-r + 4, -r / 2, 0, 1, r / 2, r - 4})
        EXPECT_EQ(Pixel(image, QPoint(300 + dx, 201)), 0x00C800u) << dx;
    EXPECT_EQ(Pixel(image, QPoint(5, 5)), 0x000000u);
    // A bad ratio falls back to 1.
    ResizeViews(t.vs, 300, 200, std::nan(""));
    EXPECT_EQ(t.vs.Background.size(), QSize(300, 200));
}

namespace {
// Where the zenith is on the chart, relative to its centre (y down).
QPoint ZenithOffset(const TViewState& vs, const TLatLon& site, double gst) {
    const TAltAz up{kPi / 2, 0};
    TRaDec z{};
    Alt_az_to_ra_dec(&site, &up, &z, gst);
    QPoint px;
    EXPECT_TRUE(SkyToPixel(vs, z, px));
    return px - QPoint(vs.CentreX, vs.CentreY);
}
}  // namespace

// Facing north with the horizon level, the zenith is straight above a centre
// north of it and straight below one just past it: zooming on a point past
// the zenith does not turn the chart half round.
TEST(SkyZenith, ZoomingAcrossTheZenithKeepsTheChartFacingTheSameWay) {
    TTestView t(kViewSky, 1000, 800);
    TViewState& vs = t.vs;
    const TLatLon site{50 * kDeg, 10 * kDeg, 0};
    const double gst = 1.3;
    vs.SkyCentreHoriz = TAltAz{80 * kDeg, 0};
    ZoomSky(vs, t.options, vs.Height / 40.0);
    SkyFrame(vs, site, gst, true, true, nullptr);
    QPoint z = ZenithOffset(vs, site, gst);
    EXPECT_LT(z.y(), 0);
    EXPECT_LE(std::abs(z.x()), 2);
    for (double alt : {89.9, 89.0, 85.0, 80.0}) {
        vs.SkyCentreHoriz = TAltAz{alt * kDeg, kPi};
        ZoomSky(vs, t.options, vs.SkyScale * 2);
        SkyFrame(vs, site, gst, true, true, nullptr);
        z = ZenithOffset(vs, site, gst);
        EXPECT_GT(z.y(), 0) << alt;
        EXPECT_LE(std::abs(z.x()), 2 + z.y() / 50) << alt;
    }
    // Far from the zenith the chart faces the centre's azimuth again.
    vs.SkyCentreHoriz = TAltAz{30 * kDeg, kPi};
    SkyFrame(vs, site, gst, true, true, nullptr);
    EXPECT_LT(ZenithOffset(vs, site, gst).y(), 0);
    // A compass command chooses the facing outright.
    vs.SkyCentreHoriz = TAltAz{88 * kDeg, kPi / 2};
    vs.SkyFacing = kPi / 2;
    SkyFrame(vs, site, gst, true, true, nullptr);
    EXPECT_LT(ZenithOffset(vs, site, gst).y(), 0);
}

TEST(SkyZenith, ZoomingOutToTheWholeSkyKeepsTheHorizonWholeAndFacing) {
    for (QSize size : {QSize(1920, 1080), QSize(600, 900)}) {
        TTestView t(kViewSky, size.width(), size.height());
        TViewState& vs = t.vs;
        const TLatLon site{50 * kDeg, 10 * kDeg, 0};
        vs.SkyCentreHoriz = TAltAz{40 * kDeg, 0.5};
        vs.SkyFacing = 0.5;
        EXPECT_EQ(ZoomSky(vs, t.options, vs.SkyScale / 4), "Size: 180.0 Deg");
        EXPECT_NEAR(vs.SkyCentreHoriz.alt, kPi / 2, 0.001);
        EXPECT_NEAR(vs.SkyCentreHoriz.az, 0.5, 1e-12);
        SkyFrame(vs, site, 0.7, true, true, nullptr);
        // Every horizon point is on the surface.
        for (int az = 0; az < 360; az += 5) {
            const TAltAz h{vs.HorizonAlt, az * kDeg};
            TRaDec p{};
            Alt_az_to_ra_dec(&site, &h, &p, 0.7);
            QPoint px;
            ASSERT_TRUE(SkyToPixel(vs, p, px)) << az;
            EXPECT_TRUE(QRect(0, 0, vs.Width, vs.Height).contains(px)) << size.width() << " " << az;
        }
        // Zooming in again stops at the limit.
        ZoomSky(vs, t.options, 1e9);
        EXPECT_NEAR(vs.SkyScale, vs.Height / 0.08, 1e-6);
    }
}
