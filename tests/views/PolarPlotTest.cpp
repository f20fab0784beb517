// The polar plot's geometry, its time marks and labels, the labels that
// keep out of each other's way on the views, the sky's colour by the Sun
// and the night palette's red.
#include <gtest/gtest.h>

#include <QFont>
#include <QFontMetrics>

#include <algorithm>
#include <cmath>

#include "ViewTestUtil.h"
#include "Zenora.h"
#include "uFormat.h"
#include "uLabels.h"
#include "uMap.h"
#include "uPolarPlot.h"
#include "uSky.h"

namespace {
// A made-up pass of ten minutes from the north-west, over 60 degrees, to the south-east.
std::vector<TPolarPoint> MadeUpPass(double aos, int seconds = 600) {
    std::vector<TPolarPoint> track;
    for (int s = 0; s <= seconds; s += 10) {
        const double f = s / double(seconds);
        track.push_back({aos + s / 86400.0, (300.0 + 180.0 * f) * kDeg, 60.0 * std::sin(kPi * f) * kDeg});
    }
    return track;
}

bool Near(const QPointF& a, const QPointF& b) { return std::hypot(a.x() - b.x(), a.y() - b.y()) < 1e-9; }
}  // namespace

TEST(PolarPlot, ZenithAtTheCentreNorthUpEastRightEvenRings) {
    const QPointF c(100, 120);
    EXPECT_TRUE(Near(PolarPixel(c, 90, 1.234, kPi / 2), c));
    EXPECT_TRUE(Near(PolarPixel(c, 90, 0.0, 0.0), QPointF(100, 30)));
    EXPECT_TRUE(Near(PolarPixel(c, 90, kPi / 2, 0.0), QPointF(190, 120)));
    EXPECT_TRUE(Near(PolarPixel(c, 90, kPi, 30 * kDeg), QPointF(100, 180)));
    EXPECT_TRUE(Near(PolarPixel(c, 90, 3 * kPi / 2, 60 * kDeg), QPointF(70, 120)));

    // The grid is drawn through the projection it is given: three rings
    // and twelve ticks.
    QImage image(200, 200, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&image);
    std::vector<double> ringEls, tickAzs;
    DrawSkyGrid(
        painter,
        [&](double az, double el, QPointF& p) {
            if (std::fabs(el - 4 * kDeg) < 1e-9) tickAzs.push_back(az);
            else if (std::find(ringEls.begin(), ringEls.end(), el) == ringEls.end()) ringEls.push_back(el);
            p = PolarPixel(QPointF(100, 100), 80, az, el);
            return true;
        },
        Qt::white, Qt::white, true);
    std::sort(ringEls.begin(), ringEls.end());
    ASSERT_EQ(ringEls.size(), 4u) << "0, 30 and 60, and the zenith for the letters";
    EXPECT_DOUBLE_EQ(ringEls[1], 30 * kDeg);
    EXPECT_DOUBLE_EQ(ringEls[2], 60 * kDeg);
    EXPECT_EQ(tickAzs.size(), 12u);
}

TEST(PolarPlot, TimeMarksEachMinuteLabelsApartAndTheSatelliteWhereItIs) {
    EXPECT_EQ(PolarMarkMinutes(10), 1);
    EXPECT_EQ(PolarMarkMinutes(20), 2);
    EXPECT_EQ(PolarMarkMinutes(45), 5);
    const double aos = EncodeDayNumber(2018, 1, 22, 4, 3, 30);
    for (const QSize size : {QSize(300, 340), QSize(180, 200), QSize(600, 400)}) {
        SCOPED_TRACE(std::to_string(size.width()) + "x" + std::to_string(size.height()));
        TPolarScene scene;
        scene.title = "ISS (ZARYA)";
        scene.heading = "Pass now";
        scene.track = MadeUpPass(aos);
        scene.haveNow = true;
        scene.now = {aos + 300 / 86400.0, 30 * kDeg, 60 * kDeg};
        scene.sunlit = true;
        QImage image(size, QImage::Format_ARGB32_Premultiplied);
        const TPolarDrawn d = DrawPolarPlot(image, scene);
        // 04:04 to 04:13: ten whole minutes in 04:03:30 .. 04:13:30.
        EXPECT_EQ(d.marks.size(), 10u);
        EXPECT_TRUE(NoneOverlap(d.labels));
        for (const QRect& r : d.labels) EXPECT_TRUE(image.rect().contains(r));
        EXPECT_GE(d.labels.size(), 2u) << "AOS and LOS at least";
        EXPECT_TRUE(QRectF(image.rect()).contains(d.disc));
        ASSERT_TRUE(d.nowShown);
        const QPointF c = d.disc.center();
        EXPECT_TRUE(Near(d.now, PolarPixel(c, d.disc.width() / 2, 30 * kDeg, 60 * kDeg)));
        const QRgb at = image.pixel(d.now.toPoint());
        EXPECT_GT(qRed(at), 200);
        EXPECT_GT(qGreen(at), 200);
        EXPECT_LT(qBlue(at), 80) << "a sunlit satellite in yellow";
        if (size == QSize(300, 340)) SavePng(image, "polar_plot");
    }

    // Night: nothing but red.
    TPolarScene scene;
    scene.track = MadeUpPass(aos);
    scene.night = true;
    QImage image(300, 340, QImage::Format_ARGB32_Premultiplied);
    DrawPolarPlot(image, scene);
    for (int y = 0; y < image.height(); y += 3)
        for (int x = 0; x < image.width(); x += 3) {
            const QRgb p = image.pixel(x, y);
            ASSERT_LE(std::max(qGreen(p), qBlue(p)), qRed(p) / 2 + 1) << x << "," << y;
        }
}

TEST(PolarPlot, TimeLabelsKeepOffTheCompassAndRingNumbersOffTheSatellite) {
    // A pass setting due east, and the satellite where the 60° number
    // usually sits (just clockwise of north): both used to be covered.
    const double aos = EncodeDayNumber(2018, 1, 22, 4, 3, 30);
    for (const QSize size : {QSize(300, 340), QSize(180, 200), QSize(420, 300)}) {
        SCOPED_TRACE(std::to_string(size.width()) + "x" + std::to_string(size.height()));
        TPolarScene scene;
        for (int s = 0; s <= 480; s += 10) {
            const double f = s / 480.0;
            scene.track.push_back({aos + s / 86400.0, (350.0 + 100.0 * f) * kDeg, 70.0 * std::sin(kPi * f) * kDeg});
        }
        scene.haveNow = true;
        scene.now = {aos + 120 / 86400.0, 10 * kDeg, 61 * kDeg};
        QImage image(size, QImage::Format_ARGB32_Premultiplied);
        const TPolarDrawn d = DrawPolarPlot(image, scene);
        ASSERT_EQ(d.gridLabels.size(), 6u) << "four letters and two ring numbers";
        const QRectF satellite(d.now.x() - 5, d.now.y() - 5, 10, 10);
        for (const QRect& g : d.gridLabels) {
            EXPECT_FALSE(QRectF(g).intersects(satellite)) << g.x() << "," << g.y();
            for (const QRect& l : d.labels) EXPECT_FALSE(l.intersects(g)) << l.x() << "," << l.y();
        }
        // LOS is still named, beside its end of the track.
        const QPointF los = PolarPixel(d.disc.center(), d.disc.width() / 2, scene.track.back().azimuth, 0.0);
        EXPECT_TRUE(std::any_of(d.labels.begin(), d.labels.end(), [&](const QRect& r) {
            return std::hypot(r.center().x() - los.x(), r.center().y() - los.y()) < 3.0 * r.height();
        }));
    }
}

TEST(Labels, CrowdedLabelsNeverOverlapAndTheFirstKeepsItsPlace) {
    const QFont font;
    const QFontMetrics fm(font);
    TLabelPlacer placer(QRect(0, 0, 400, 300));
    // Forty marks in a tight cluster and a row along the bottom edge.
    for (int i = 0; i < 40; ++i)
        placer.Add({QString("SAT %1").arg(i), QPoint(200 + (i % 8) * 4, 150 + (i / 8) * 3), 3, QPoint(6, 6),
                    Qt::white, i == 17 ? 5.0 : 1.0});
    for (int x = 0; x < 400; x += 20) placer.Add({"EDGE", QPoint(x, 298), 3, QPoint(6, 6), Qt::white, 0.5});
    // A box drawn over the view (the sky's orientation box) takes no label.
    const QRect box(0, 0, 120, 60);
    placer.Block(box);
    for (int i = 0; i < 6; ++i) placer.Add({"UNDER BOX", QPoint(20 + 15 * i, 20 + 5 * i), 3, QPoint(6, 6), Qt::white, 2.0});
    const auto placed = placer.Place(fm);
    std::vector<QRect> rects;
    for (const auto& p : placed) rects.push_back(p.rect);
    EXPECT_TRUE(NoneOverlap(rects));
    for (const QRect& r : rects) EXPECT_FALSE(r.intersects(box)) << r.x() << "," << r.y();
    for (const QRect& r : rects) EXPECT_TRUE(QRect(0, 0, 400, 300).contains(r));
    ASSERT_FALSE(placed.empty());
    const auto first = std::find_if(placed.begin(), placed.end(), [](const auto& p) { return p.label == 17u; });
    ASSERT_NE(first, placed.end()) << "the most important is placed";
    EXPECT_EQ(first->rect.topLeft(), QPoint(200 + 1 * 4, 150 + 2 * 3) + QPoint(6, 6));
    EXPECT_LT(placed.size(), placer.labels().size()) << "a crowd cannot all be labelled";
    EXPECT_GE(placed.size(), 10u) << "the edge row finds room above its marks";
}

// Time marks close together, as near the horizon on a small polar plot: a
// label may not sit nearer a neighbour than its own mark (it would name the
// neighbour, or at a tie neither); those without room are left out.
TEST(Labels, KeptBesideTheirOwnMarksOrLeftOut) {
    const QFont font;
    const QFontMetrics fm(font);
    for (int spacing : {5, 9, 14}) {
        SCOPED_TRACE(spacing);
        TLabelPlacer placer(QRect(0, 0, 300, 200));
        placer.KeepNearestOwnMark(true);
        std::vector<QPoint> marks;
        for (int i = 0; i < 10; ++i) {
            marks.emplace_back(40 + i * spacing, 150 - i * spacing / 2);
            placer.Add({QString("02:%1").arg(50 + i), marks.back(), 3, QPoint(6, -fm.height() / 2), Qt::white,
                        1.0 - i * 1e-3});
        }
        const auto placed = placer.Place(fm);
        const auto distance = [](const QRect& r, const QPoint& p) {
            const int dx = std::max({r.left() - p.x(), 0, p.x() - r.right()});
            const int dy = std::max({r.top() - p.y(), 0, p.y() - r.bottom()});
            return std::hypot(dx, dy);
        };
        for (const auto& p : placed) {
            const double own = distance(p.rect, marks[p.label]);
            for (std::size_t k = 0; k < marks.size(); ++k)
                // Marks at its own mark's place (AOS and the first time mark) do not count.
                if (std::hypot(marks[k].x() - marks[p.label].x(), marks[k].y() - marks[p.label].y()) > 6.0)
                    EXPECT_LE(own + 3.0, distance(p.rect, marks[k])) << "label " << p.label << " by mark " << k;
        }
        EXPECT_GE(placed.size(), spacing > 10 ? 4u : 1u);
        std::vector<QRect> rects;
        for (const auto& p : placed) rects.push_back(p.rect);
        EXPECT_TRUE(NoneOverlap(rects));
    }
}

TEST(Labels, MapLabelsOfACrowdDoNotOverlapAndTheFirstSatelliteIsNamed) {
    for (int mode : {kViewMap, kViewGlobe, kViewSky}) {
        SCOPED_TRACE(mode);
        TTestView view(mode, 800, 400);
        view.vs.MapImage = CodedMap(720, 360);
        const double t = EncodeDayNumber(2018, 1, 22, 3, 0, 0);
        TFrameState frame = TestFrame(mode, t, TestObserver(45.0, -75.0));
        frame.menu.showLabel = true;
        for (int i = 0; i < 30; ++i) {
            TFrameSat s = CraftedSat(44.0 + (i % 6) * 0.5, -76.0 + (i / 6) * 0.5, kEarthRadius + 400.0, true,
                                     i == 0 ? "FIRST" : "CROWD");
            // The sky places satellites by ra/dec: near the zenith.
            TAltAz h{(80.0 + (i % 6) * 0.3) * kDeg, (i / 6) * 0.01};
            Alt_az_to_ra_dec(&frame.observer.pos, &h, &s.state.radec, frame.gha);
            s.state.altaz = h;
            frame.sats.push_back(s);
        }
        frame.sat1 = 0;
        QImage display;
        view.vs.Dirty = 1;
        RefreshView(view.vs, frame, display);
        EXPECT_TRUE(NoneOverlap(view.vs.LabelRects));
        EXPECT_GE(view.vs.LabelRects.size(), 2u);
        EXPECT_LT(view.vs.LabelRects.size(), 30u) << "not every one of a crowd";
    }
}

TEST(SkyColour, DayBlueThroughTwilightToNight) {
    const QColor day = SkyColourForSun(10 * kDeg);
    EXPECT_GT(day.blue(), 150);
    EXPECT_GT(day.blue(), day.red());
    EXPECT_EQ(SkyColourForSun(0.0), day);
    EXPECT_EQ(SkyColourForSun(-18 * kDeg), QColor(0, 0, 0));
    EXPECT_EQ(SkyColourForSun(-40 * kDeg), QColor(0, 0, 0));
    EXPECT_EQ(SkyColourForSun(std::nan("")), QColor(0, 0, 0));
    int last = 1000;
    for (double alt = 0.0; alt >= -18.0; alt -= 1.0) {
        const int light = SkyColourForSun(alt * kDeg).lightness();
        EXPECT_LT(light, last + (alt == 0.0 ? 1000 : 0)) << alt;
        last = light;
    }
    // The sky view paints it: at noon the sky is blue, at midnight black.
    for (int hour : {17, 5}) {
        TTestView view(kViewSky, 400, 300);
        const TFrameState frame = TestFrame(kViewSky, EncodeDayNumber(2018, 6, 21, hour, 0, 0), TestObserver(45.0, -75.0));
        QImage display;
        RefreshView(view.vs, frame, display);
        const QRgb p = display.pixel(200, 40);  // above the western horizon
        SavePng(display, "sky_at_" + std::to_string(hour));
        if (hour == 17) EXPECT_GT(qBlue(p), 150) << "noon";
        else EXPECT_LT(qBlue(p), 20) << "midnight";
    }
}

TEST(SkyColour, BodyLabelsStandOutFromTheDaySky) {
    const QColor day = SkyColourForSun(10 * kDeg), night = SkyColourForSun(-30 * kDeg);
    EXPECT_EQ(ReadableOn(QColor(255, 255, 0), day), QColor(255, 255, 0)) << "the Sun's yellow reads on blue";
    EXPECT_EQ(ReadableOn(QColor(128, 128, 128), day), QColor(255, 255, 255)) << "the grey Moon does not";
    EXPECT_EQ(ReadableOn(QColor(0, 0, 255), day), QColor(255, 255, 255)) << "nor Neptune's blue";
    EXPECT_EQ(ReadableOn(QColor(0, 0, 255), night), QColor(0, 0, 255)) << "the night keeps the colours";
    EXPECT_EQ(ReadableOn(QColor(200, 200, 200), QColor(190, 200, 210)), QColor(0, 0, 0));
}

TEST(NightColours, BrightnessBecomesRedAlphaKept) {
    QImage image(4, 1, QImage::Format_ARGB32_Premultiplied);
    image.setPixel(0, 0, qRgba(255, 255, 255, 255));
    image.setPixel(1, 0, qRgba(0, 0, 255, 255));
    image.setPixel(2, 0, qRgba(0, 0, 0, 255));
    image.setPixel(3, 0, qRgba(0, 0, 0, 0));
    NightColours(image);
    EXPECT_EQ(image.pixel(0, 0), qRgba(255, 0, 0, 255));
    EXPECT_EQ(qGreen(image.pixel(1, 0)), 0);
    EXPECT_GT(qRed(image.pixel(1, 0)), 10);
    EXPECT_EQ(image.pixel(2, 0), qRgba(0, 0, 0, 255));
    EXPECT_EQ(qAlpha(image.pixel(3, 0)), 0);
}
