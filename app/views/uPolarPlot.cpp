#include "uPolarPlot.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <optional>

#include "uFormat.h"
#include "uGraphicTools.h"
#include "uLabels.h"
#include "uTracking.h"
#include "uUnits.h"

namespace {
constexpr int kMaxTrackPoints = 24 * 360;  // a day at 10 s: nothing longer is drawn
constexpr double kTickDepth = 4.0 * kDegToRad;

QString Text(const std::string& s) { return Latin1(s); }
}  // namespace

std::vector<TPolarPoint> PolarTrack(const TSatRec& sat, const TSite& site, double aos, double los,
                                    double stepSeconds) {
    std::vector<TPolarPoint> track;
    if (!(los >= aos) || !(stepSeconds > 0.0)) return track;
    TSatState state{};
    auto add = [&](double t) {
        if (PropagateSatellite(sat, state, ObserverFrame(site, t), kFillLookAngles))
            track.push_back({t, state.altaz.az, state.altaz.alt});
    };
    for (int k = 0; k < kMaxTrackPoints; ++k) {
        const double t = aos + k * stepSeconds / kSecondsPerDay;
        if (!(t < los)) break;
        add(t);
    }
    add(los);
    return track;
}

int PolarMarkMinutes(double passMinutes) {
    for (int m : {1, 2, 5, 10})
        if (passMinutes / m <= 12.0) return m;
    return 30;
}

QPointF PolarPixel(const QPointF& centre, double radius, double azimuth, double elevation) {
    const double r = radius * std::clamp(1.0 - elevation / kHalfPi, 0.0, 1.2);
    return {centre.x() + r * std::sin(azimuth), centre.y() - r * std::cos(azimuth)};
}

TPolarColours PolarColours(bool night) {
    if (night)
        return {QColor(0, 0, 0),    QColor(12, 0, 0),    QColor(110, 20, 20), QColor(200, 40, 40),
                QColor(230, 40, 30), QColor(255, 90, 70), QColor(255, 0, 0),  QColor(140, 0, 0)};
    return {QColor(16, 22, 34),  QColor(10, 26, 52),   QColor(80, 110, 150), QColor(225, 232, 240),
            QColor(255, 210, 70), QColor(255, 255, 255), QColor(255, 255, 0), QColor(150, 150, 150)};
}

std::vector<QRect> DrawSkyGrid(QPainter& painter, const std::function<bool(double az, double el, QPointF& p)>& place,
                               const QColor& grid, const QColor& text, bool letters,
                               const std::vector<QRectF>& avoid) {
    std::vector<QRect> drawn;
    painter.save();
    painter.setBrush(Qt::NoBrush);
    QPen pen(grid);
    pen.setWidthF(1.0);
    painter.setPen(pen);
    // Rings as polylines through the projection: the radar chart's is not a
    // plain circle.
    for (int el = 0; el < 90; el += kPolarRingStep) {
        QPainterPath path;
        bool open = false;
        for (int az = 0; az <= 360; az += 3) {
            QPointF p;
            if (!place(az * kDegToRad, el * kDegToRad, p)) {
                open = false;
                continue;
            }
            if (open) path.lineTo(p);
            else path.moveTo(p);
            open = true;
        }
        painter.drawPath(path);
    }
    for (int az = 0; az < 360; az += kPolarTickStep) {
        QPointF a, b;
        if (place(az * kDegToRad, 0.0, a) && place(az * kDegToRad, kTickDepth, b)) painter.drawLine(a, b);
    }
    painter.setPen(text);
    const QFontMetrics fm = painter.fontMetrics();
    const auto box = [&](int x, int y, const QString& s) {
        return QRect(x, y, fm.horizontalAdvance(s) + 1, fm.height() + 1);
    };
    const auto clear = [&](const QRect& r) {
        return std::none_of(avoid.begin(), avoid.end(), [&](const QRectF& a) { return a.intersects(QRectF(r)); });
    };
    if (letters) {
        const char* names[] = {"N", "E", "S", "W"};
        for (int i = 0; i < 4; ++i) {
            QPointF rim, in;
            if (!place(i * kHalfPi, 0.0, rim) || !place(i * kHalfPi, kHalfPi, in)) continue;
            // Outside the rim, away from the centre.
            const QPointF d = rim - in;
            const double len = std::hypot(d.x(), d.y());
            if (!(len > 0.0)) continue;
            const QString letter = QString::fromLatin1(names[i]);
            const double reach = fm.height() * 0.8;
            const QPointF c = rim + d / len * reach;
            const int x = static_cast<int>(c.x() - fm.horizontalAdvance(letter) / 2.0);
            const int y = static_cast<int>(c.y() - fm.height() / 2.0);
            TextOut(painter, x, y, letter);
            drawn.push_back(box(x, y, letter));
        }
    }
    // Ring numbers just clockwise of north, out of the track's usual way;
    // elsewhere round the ring when the satellite or a mark is there.
    for (int el = kPolarRingStep; el < 90; el += kPolarRingStep) {
        const QString label = QString::number(el) + QChar(0x00B0);
        std::optional<QRect> first;
        for (double az : {8.0, 98.0, 188.0, 278.0, 53.0, 143.0, 233.0, 323.0}) {
            QPointF p;
            if (!place(az * kDegToRad, el * kDegToRad, p)) continue;
            const QRect r = box(static_cast<int>(p.x()) + 2, static_cast<int>(p.y()) - fm.height() / 2, label);
            if (!first) first = r;
            if (!clear(r)) continue;
            first = r;
            break;
        }
        if (!first) continue;
        TextOut(painter, first->x(), first->y(), label);
        drawn.push_back(*first);
    }
    painter.restore();
    return drawn;
}

TPolarDrawn DrawPolarPlot(QImage& image, const TPolarScene& scene) {
    TPolarDrawn drawn;
    if (image.isNull()) return drawn;
    const TPolarColours colours = PolarColours(scene.night);
    const double dpr = image.devicePixelRatio();
    const double w = image.width() / dpr, h = image.height() / dpr;
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.fillRect(QRectF(0, 0, w, h), colours.background);
    const QFontMetrics fm = painter.fontMetrics();
    const double line = fm.height();

    // Two lines of text above the disc, one below; letters round the rim.
    const double top = 2 * line + 4, bottom = line + 4, side = line * 1.6;
    const double radius = std::max(10.0, std::min((w - 2 * side) / 2, (h - top - bottom - 2 * side) / 2));
    const QPointF centre(w / 2, top + side + radius);
    drawn.disc = QRectF(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius);
    const auto pixel = [&](const TPolarPoint& p) { return PolarPixel(centre, radius, p.azimuth, p.elevation); };

    // Marks at whole minutes (a multiple of the step), by the track's
    // nearest point before them, moved on to the minute. Worked out first:
    // the ring numbers keep off them and off the satellite.
    std::vector<double> markTimes;
    std::vector<QRectF> avoid;
    const auto keepOff = [&](const QPointF& p, double r) { avoid.emplace_back(p.x() - r, p.y() - r, 2 * r, 2 * r); };
    if (scene.track.size() >= 2) {
        const TPolarPoint& aos = scene.track.front();
        const TPolarPoint& los = scene.track.back();
        const int step = PolarMarkMinutes((los.t - aos.t) * kMinutesPerDay);
        const double first = std::ceil(aos.t * kMinutesPerDay / step) * step / kMinutesPerDay;
        std::size_t k = 0;
        for (double t = first; t <= los.t && drawn.marks.size() < 64; t += step / kMinutesPerDay) {
            while (k + 1 < scene.track.size() && scene.track[k + 1].t <= t) ++k;
            const TPolarPoint& a = scene.track[k];
            const TPolarPoint& b = scene.track[std::min(k + 1, scene.track.size() - 1)];
            const double f = b.t > a.t ? std::clamp((t - a.t) / (b.t - a.t), 0.0, 1.0) : 0.0;
            const QPointF pa = pixel(a), pb = pixel(b);
            drawn.marks.push_back(pa + (pb - pa) * f);
            markTimes.push_back(t);
            keepOff(drawn.marks.back(), 4.0);
        }
    }
    if (scene.haveNow) {
        drawn.now = PolarPixel(centre, radius, scene.now.azimuth, scene.now.elevation);
        keepOff(drawn.now, 7.0);
    }

    painter.setPen(colours.grid);
    painter.setBrush(colours.disc);
    painter.drawEllipse(drawn.disc);
    const auto place = [&](double az, double el, QPointF& p) {
        p = PolarPixel(centre, radius, az, el);
        return true;
    };
    drawn.gridLabels = DrawSkyGrid(painter, place, colours.grid, colours.text, true, avoid);

    painter.setPen(colours.text);
    TextOut(painter, 4, 2, Text(scene.title));
    TextOut(painter, 4, 2 + static_cast<int>(line), Text(scene.heading));

    const QRect bounds(0, 0, static_cast<int>(w), static_cast<int>(h));
    TLabelPlacer labels(bounds);
    // On a small plot the marks near the horizon crowd: a label goes beside
    // its own mark or not at all.
    labels.KeepNearestOwnMark(true);
    // The time labels keep off the compass letters and ring numbers.
    for (const QRect& r : drawn.gridLabels) labels.Block(r);
    if (scene.track.size() >= 2) {
        const TPolarPoint& aos = scene.track.front();
        const TPolarPoint& los = scene.track.back();
        QPainterPath path;
        for (std::size_t i = 0; i < scene.track.size(); ++i) {
            const QPointF p = pixel(scene.track[i]);
            if (i == 0) path.moveTo(p);
            else path.lineTo(p);
        }
        QPen pen(colours.track);
        pen.setWidthF(2.0);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(path);

        painter.setPen(colours.mark);
        painter.setBrush(colours.mark);
        for (std::size_t i = 0; i < drawn.marks.size(); ++i) {
            const QPointF& p = drawn.marks[i];
            painter.drawEllipse(p, 2.5, 2.5);
            labels.Add({Text(FormatDateTime("HH:nn", markTimes[i] + scene.displayOffset + 0.5 / kSecondsPerDay)),
                        p.toPoint(), 3, QPoint(6, -static_cast<int>(line) / 2), colours.text,
                        1.0 - (i + 1) * 1e-3});
        }
        // AOS and LOS come first.
        const QPointF pa = pixel(aos), pl = pixel(los);
        labels.Add({"AOS", pa.toPoint(), 3, QPoint(6, 2), colours.track, 3.0});
        labels.Add({"LOS", pl.toPoint(), 3, QPoint(6, 2), colours.track, 3.0});
        painter.setPen(colours.text);
        const std::string span = FormatDateTime("mm/dd HH:nn:ss", aos.t + scene.displayOffset) + "  to  " +
                                 FormatDateTime("HH:nn:ss", los.t + scene.displayOffset);
        TextOut(painter, 4, static_cast<int>(h - line - 2), Text(span));
    }
    if (scene.haveNow) {
        painter.setPen(colours.background);
        painter.setBrush(scene.sunlit ? colours.now : colours.nowShadow);
        painter.drawEllipse(drawn.now, 5.0, 5.0);
        drawn.nowShown = true;
        // No label covers the satellite.
        labels.Block(QRectF(drawn.now.x() - 6, drawn.now.y() - 6, 12, 12).toAlignedRect());
    }
    drawn.labels = labels.Draw(painter);
    return drawn;
}
