// The horizon mask's band: on the radar chart and in the level sky view,
// its pixels lie where the mask stands above the horizon and nowhere else.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "ViewTestUtil.h"
#include "uFormat.h"
#include "uRadarChart.h"
#include "uSky.h"

namespace {
// A 30-degree wall from azimuth 90 to 180.
THorizonHandle Wall() {
    return std::make_shared<const THorizonMask>(
        std::vector<THorizonPoint>{{0, 0}, {90, 0}, {90, 30}, {180, 30}, {180, 0}});
}
bool IsBand(QRgb c) { return c == (kHorizonMaskColour.rgb() & 0xFFFFFF); }
}  // namespace

TEST(HorizonBand, RadarChartFillsTheWallsSectorAtTheRim) {
    TViewState vs;
    SetupRadarView(vs, 520, 360);
    TRadarScene scene;
    scene.pass.title = "TEST";
    scene.pass.start = EncodeDayNumber(2018, 1, 22, 0, 0, 0);
    scene.pass.end = scene.pass.start + 600.0 / 86400.0;
    scene.observer = TestObserver(52.0, 4.0);
    QImage image;
    DrawRadarChart(image, vs, scene, kRadarStartRotation, false);
    auto bandPixels = [&] {
        int n = 0;
        for (int y = 0; y < vs.Height; ++y)
            for (int x = 0; x < vs.Height; ++x) n += IsBand(Pixel(image, QPoint(x, y)));
        return n;
    };
    EXPECT_EQ(bandPixels(), 0);

    scene.horizon = Wall();
    DrawRadarChart(image, vs, scene, kRadarStartRotation, false);
    // North up, east on the left, as seen looking up.
    const double rim = vs.CentreY;
    auto at = [&](double azDeg, double fraction) {
        const double a = azDeg * kDeg, r = fraction * rim;
        return QPoint(static_cast<int>(std::lround(vs.CentreX - r * std::sin(a))),
                      static_cast<int>(std::lround(vs.CentreY - r * std::cos(a))));
    };
    EXPECT_TRUE(IsBand(Pixel(image, at(135, 0.85))));
    EXPECT_TRUE(IsBand(Pixel(image, at(100, 0.95))));
    EXPECT_FALSE(IsBand(Pixel(image, at(135, 0.5))));   // above the wall
    EXPECT_FALSE(IsBand(Pixel(image, at(270, 0.9))));   // open to the west
    EXPECT_FALSE(IsBand(Pixel(image, at(45, 0.9))));
    int inside = 0;
    for (int y = 0; y < vs.Height; ++y)
        for (int x = 0; x < vs.Height; ++x) {
            if (!IsBand(Pixel(image, QPoint(x, y)))) continue;
            ++inside;
            double az = std::atan2(vs.CentreX - x, vs.CentreY - y) / kDeg;
            if (az < 0) az += 360;
            EXPECT_TRUE(az > 88.5 && az < 181.5) << x << "," << y << " az " << az;
        }
    EXPECT_GT(inside, 1000);
}

TEST(HorizonBand, LevelSkyViewShowsTheWallWhereItStands) {
    TTestView t(kViewSky, 800, 600);
    TViewState& vs = t.vs;
    TFrameState frame = TestFrame(kViewSky, EncodeDayNumber(2018, 1, 22, 0, 0, 0), TestObserver(52.0, 4.0));
    frame.menu.skyViewAltAz = true;
    frame.menu.skyViewFixAltAz = true;
    ZoomSky(vs, t.options, vs.Height / 60.0);
    QImage image;
    auto centre = [&](double altDeg, double azDeg) {
        vs.SkyCentreHoriz = TAltAz{altDeg * kDeg, azDeg * kDeg};
        DrawSkyFrame(vs, frame, image);
        return Pixel(image, QPoint(vs.CentreX, vs.CentreY));
    };
    EXPECT_FALSE(IsBand(centre(15, 135)));
    frame.horizon = Wall();
    EXPECT_TRUE(IsBand(centre(15, 135)));
    EXPECT_TRUE(IsBand(centre(28, 95)));
    EXPECT_FALSE(IsBand(centre(35, 135)));  // over the top
    EXPECT_FALSE(IsBand(centre(15, 200)));  // past its end
    EXPECT_FALSE(IsBand(centre(15, 80)));
    // North up, the band is not drawn.
    frame.menu.skyViewAltAz = false;
    EXPECT_FALSE(IsBand(centre(15, 135)));
}
