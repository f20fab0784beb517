// The radar chart's text beside the disc and its labels at the rim.
#include <gtest/gtest.h>

#include <QFont>
#include <QFontMetrics>

#include <algorithm>
#include <cmath>

#include "ViewTestUtil.h"
#include "uFormat.h"
#include "uRadarChart.h"

namespace {
bool HasLine(const TRadarDrawn& d, const std::string& start) {
    return std::any_of(d.dataLines.begin(), d.dataLines.end(), [&](const std::string& l) { return l.rfind(start, 0) == 0; });
}

TRadarScene TenMinutePass() {
    TRadarScene scene;
    scene.pass.title = "TEST";
    scene.pass.start = EncodeDayNumber(2018, 1, 21, 0, 40, 0);
    scene.pass.end = scene.pass.start + 600.0 / 86400.0;
    scene.observer = TestObserver(52.0, 4.0);
    return scene;
}
}  // namespace

TEST(RadarChart, MagnitudeLineOnlyWhenTheSceneHasOne) {
    TViewState vs;
    SetupRadarView(vs, 520, 360);
    TRadarScene scene = TenMinutePass();
    scene.pass.magnitude = std::nullopt;
    QImage image;
    const TRadarDrawn withMag = DrawRadarChart(image, vs, scene, kRadarStartRotation, false);
    EXPECT_TRUE(HasLine(withMag, "MAG : shadow"));  // no magnitude is no figure to print
    // A faint lit pass is a figure, however faint.
    scene.pass.magnitude = 21.5;
    EXPECT_TRUE(HasLine(DrawRadarChart(image, vs, scene, kRadarStartRotation, false), "MAG : 21.5"));
    scene.pass.magnitude = std::nullopt;
    scene.showMagnitude = false;
    const TRadarDrawn without = DrawRadarChart(image, vs, scene, kRadarStartRotation, false);
    EXPECT_FALSE(HasLine(without, "MAG"));
    // The other lines stay, in their order.
    ASSERT_EQ(without.dataLines.size() + 1, withMag.dataLines.size());
    EXPECT_EQ(without.dataLines.front().rfind("OBJ : ", 0), 0u);
    EXPECT_EQ(without.dataLines.back().rfind("MOON: ", 0), 0u);
}

TEST(RadarChart, ALabelAtTheRimStaysOnTheDiscAndClearOfItsMark) {
    TViewState vs;
    SetupRadarView(vs, 520, 360);
    const QSize text = QFontMetrics(QFont()).size(0, "park");
    const double rim = vs.CentreY - 1.0;
    const int r = 6;
    for (int deg = 0; deg < 360; deg += 10) {
        for (double at : {rim, rim * 0.5, 0.0}) {
            const QPoint p(static_cast<int>(std::lround(vs.CentreX + at * std::sin(deg * kDeg))),
                           static_cast<int>(std::lround(vs.CentreY - at * std::cos(deg * kDeg))));
            const QRect label = LabelTowardsCentre(vs, p, r, text);
            SCOPED_TRACE(std::to_string(deg) + " at " + std::to_string(at));
            EXPECT_TRUE(QRect(0, 0, vs.Height, vs.Height).contains(label));
            for (const QPoint& c : {label.topLeft(), label.topRight(), label.bottomLeft(), label.bottomRight()})
                EXPECT_LE(std::hypot(c.x() - vs.CentreX, c.y() - vs.CentreY), rim);
            EXPECT_FALSE(label.intersects(QRect(p.x() - r, p.y() - r, 2 * r + 1, 2 * r + 1)));
        }
    }
}

// A park mark at a compass point: its label must not cover the letter, and
// the chart's edge rows are paper, not whatever the new image held.
TEST(RadarChart, RimLabelsClearTheCompassAndTheEdgesArePaper) {
    TViewState vs;
    SetupRadarView(vs, 520, 360);
    const TRadarScene scene = TenMinutePass();
    QImage image(520, 360, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::red);  // stands in for uninitialised memory
    const TRadarDrawn drawn = DrawRadarChart(image, vs, scene, kRadarStartRotation, false);
    ASSERT_EQ(drawn.compass.size(), 4u);
    for (int x = 0; x < image.width(); x += 7) EXPECT_EQ(image.pixelColor(x, 0), QColor(Qt::white)) << x;
    for (int y = 0; y < image.height(); y += 7) EXPECT_EQ(image.pixelColor(0, y), QColor(Qt::white)) << y;
    const QSize text = QFontMetrics(QFont()).size(0, "park");
    const double rim = vs.CentreY - 1.0;
    for (int deg = 0; deg < 360; deg += 90) {
        const QPoint p(static_cast<int>(std::lround(vs.CentreX + rim * std::sin(deg * kDeg))),
                       static_cast<int>(std::lround(vs.CentreY - rim * std::cos(deg * kDeg))));
        const QRect label = LabelTowardsCentre(vs, p, 6, text, drawn.compass);
        for (const QRect& letter : drawn.compass)
            EXPECT_FALSE(label.intersects(letter)) << deg;
    }
}
