#include "uMap.h"

#include <QPolygon>

#include <cmath>

#include "uFileIO.h"
#include "uGraphicTools.h"
#include "uLabels.h"
#include "uTracking.h"

namespace {
constexpr int kTerminatorPoints = 120;
constexpr int kSunRadius = 16;
constexpr int kSatRadius = 5;
constexpr int kMoonIconSteps = 20;
constexpr double kMoonIconRadius = 17.0;

void DrawCross(QPainter& painter, int x, int y, int arm = 2) {
    painter.drawLine(x - arm, y, x + arm, y);
    painter.drawLine(x, y - arm, x, y + arm);
}

void DrawGrid(QPainter& painter, const TViewState& vs, const QColor& colour, bool night) {
    const int x0 = vs.MapX, y0 = vs.MapY, w = vs.MapW, h = vs.MapH;
    const QColor line = Ink(night, colour), text = night ? NightTextInk(colour) : colour;
    const auto label = [&](int x, int y, int value) {
        painter.setPen(text);
        TextOut(painter, x, y, QString::number(value), night);
        painter.setPen(line);
    };
    painter.setPen(line);
    for (int k = 1; k <= 11; ++k) {
        const int x = x0 + static_cast<int>(std::trunc(k * 30.0 * w / 360.0));
        painter.drawLine(x, y0, x, y0 + h);
        label(x, y0, k * 30 - 180);
    }
    for (int k = 1; k <= 11; ++k) {
        const int y = y0 + static_cast<int>(std::trunc(k * 15.0 * h / 180.0));
        painter.drawLine(x0, y, x0 + w, y);
        label(x0, y, 90 - k * 15);
    }
}

// The night side: the terminator from the Sun's sub-point, closed around the
// pole in darkness along the map's bottom (Sun north) or top edge.
void DrawNightShadow(QPainter& painter, const TViewState& vs, const TSatState& sun, int alpha) {
    std::vector<TLatLon> circle;
    SmallCircle(sun.latlon, circle, kAstronomicalUnit, kTerminatorPoints);
    const int x0 = vs.MapX, y0 = vs.MapY, x1 = vs.MapX + vs.MapW, y1 = vs.MapY + vs.MapH;
    QPolygon poly;
    poly.reserve(kTerminatorPoints + 5);
    bool closed = false, first = true;
    QPoint prev;
    for (std::size_t i = 0; i < circle.size(); ++i) {
        const std::optional<QPoint> at = GeoToPixel(vs, circle[i], 0.0);
        if (!at) continue;
        const QPoint p = *at;
        if (first) prev = p;
        first = false;
        if (!closed && PixelDistance(p, prev) >= vs.MapW / 2) {
            if (sun.latlon.lat >= 0)
                poly << QPoint(x0, prev.y()) << QPoint(x0, y1) << QPoint(x1, y1) << QPoint(x1, p.y());
            else
                poly << QPoint(x1, prev.y()) << QPoint(x1, y0) << QPoint(x0, y0) << QPoint(x0, p.y());
            closed = true;
        }
        poly << p;
        prev = p;
    }
    painter.save();
    painter.setClipRect(QRectF(x0 - 0.5, y0 - 0.5, vs.MapW, vs.MapH));
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 0, 0, alpha));
    painter.drawPolygon(poly);
    painter.restore();
}
// The home mark and name, over the night shadow: shaded they were hard to read.
void DrawHome(QPainter& painter, const TViewState& vs, const TFrameState& frame, bool night) {
    if (!frame.menu.displayHome) return;
    const TLatLon& home = frame.observer.pos;
    const int x = vs.MapX + static_cast<int>(std::trunc((kPi + home.lon) * vs.MapScaleX));
    const int y = vs.MapY + static_cast<int>(std::trunc((kPi / 2 - home.lat) * vs.MapScaleY));
    // Larger and bolder than a city's cross, with a halo as the name has: one's
    // own place is found at a glance over land, sea, ice and the night side.
    const QColor ink = HomeInk(ArgbColour(frame.options.homeColour), night);
    painter.setPen(QPen(night || ink.lightness() > 100 ? QColor(0, 0, 0) : QColor(255, 255, 255), 4));
    DrawCross(painter, x, y, 5);
    painter.setPen(QPen(ink, 2));
    DrawCross(painter, x, y, 4);
    // Beside the cross, below its arm; in the southern half above it.
    HomeNameOut(painter, x + 7, y <= vs.CentreY ? y + 1 : y - 15, Latin1(frame.observer.name.view()), night);
}
}  // namespace

bool LoadMapCities(const std::string& path, std::vector<TMapCity>& cities, std::string& message) {
    cities.clear();
    message.clear();
    std::vector<std::string> lines;
    if (!IsRegularFile(path) || !ReadDataLines(path, lines)) {
        message = FileProblemText(path);
        return false;
    }
    std::size_t bad = 0, firstBad = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (TrimText(lines[i]).empty()) continue;
        TMapCity city;
        if (ParseMapLocationLine(lines[i], city)) {
            cities.push_back(std::move(city));
        } else if (bad++ == 0) {
            firstBad = i + 1;
        }
    }
    if (bad > 0) {
        message = path + ", line " + std::to_string(firstBad) +
                  ": latitude and longitude (columns 1-16) are not numbers";
        if (bad > 1) message += " (" + std::to_string(bad - 1) + " more such lines)";
        message += "; these lines are not drawn";
    }
    return true;
}

void ComputeGroundTrack(TViewState& vs, const TFrameState& frame) {
    vs.TrackPoints.clear();
    vs.TrackCatNo.clear();
    vs.TrackEpoch = 0.0;
    const int n = std::clamp(int{frame.options.trackHours}, 0, 24 * 30) * 60;
    double t = frame.time;
    double step = 0.0;
    const TFrameSat* first = frame.FirstSat();
    if (first && !first->rec.decayed) {
        step = (frame.direction < 0 ? -1.0 : 1.0) / kMinutesPerDay;
        vs.TrackCatNo = first->rec.catNo.str();
        vs.TrackEpoch = first->rec.epoch;
        const TSatRec& rec = first->rec;
        const TSite site = frame.observer;
        TSatState state{};
        vs.TrackPoints.reserve(static_cast<std::size_t>(n));
        for (int i = 0; i < n; ++i) {
            if (!PropagateSatellite(rec, state, ObserverFrame(site, t), kFillSubPoint)) break;
            vs.TrackPoints.push_back(state.latlon);
            t += step;
        }
    }
    if (step < 0) {
        vs.TrackStart = t;
        vs.TrackAnchor = frame.time;
    } else {
        vs.TrackStart = frame.time;
        vs.TrackAnchor = t;
    }
}

void DrawMapBackground(TViewState& vs, const TFrameState& frame) {
    vs.MapScaleX = vs.MapW / (2 * kPi);
    vs.MapScaleY = vs.MapH / kPi;
    vs.Background.fill(Qt::black);
    // At night the map image is turned red once here, and everything else is
    // drawn in the night colours, so no frame needs a pass over its pixels.
    const bool night = frame.night;
    vs.BackgroundNight = night;
    QPainter painter;
    BeginPaint(painter, vs.Background, vs);
    const QRect mapRect(vs.MapX, vs.MapY, vs.MapW, vs.MapH);
    if (!vs.MapImage.isNull()) {
        painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
        painter.drawImage(QRectF(mapRect).translated(-0.5, -0.5), vs.MapImage);
        if (night) {
            painter.end();
            NightColours(vs.Background);
            BeginPaint(painter, vs.Background, vs);
        }
    }
    painter.setClipRect(QRectF(mapRect).translated(-0.5, -0.5));
    const auto textInk = [&](uint32_t argb) { return night ? NightTextInk(ArgbColour(argb)) : ArgbColour(argb); };

    if (frame.menu.displayCities && frame.cities) {
        const QColor mark = Ink(night, ArgbColour(frame.options.cityColour)), text = textInk(frame.options.cityColour);
        for (const TMapCity& c : *frame.cities) {
            const int x = vs.MapX + static_cast<int>(std::trunc((c.lon + 180.0) * kDegToRad * vs.MapScaleX));
            const int y = vs.MapY + static_cast<int>(std::trunc((90.0 - c.lat) * kDegToRad * vs.MapScaleY));
            painter.setPen(mark);
            DrawCross(painter, x, y);
            painter.setPen(text);
            TextOut(painter, x, y, Latin1(c.name), night);
        }
    }
    if (frame.menu.grids) DrawGrid(painter, vs, ArgbColour(frame.options.gridColour), night);
    if (frame.menu.tracks && !frame.sats.empty() && !vs.TrackPoints.empty()) {
        painter.setPen(Ink(night, ArgbColour(frame.options.trackColour)));
        std::optional<QPoint> prev;
        for (const TLatLon& point : vs.TrackPoints) {
            const std::optional<QPoint> p = GeoToPixel(vs, point, 0.0);
            // A jump wider than the map is high is a crossing of the map's edge.
            if (prev && p && std::abs(p->x() - prev->x()) <= vs.MapH) painter.drawLine(*prev, *p);
            prev = p;
        }
    }
    painter.end();
    vs.Dirty = 0;
}

void DrawMapFrame(TViewState& vs, const TFrameState& frame, QImage& display) {
    const int alpha = ShadowAlpha(vs, frame.options);
    const bool night = frame.night;
    if (vs.BackgroundNight != night) DrawMapBackground(vs, frame);
    QPainter painter;
    BeginFrame(painter, display, vs);
    if (const TSatState* sun = frame.Sun()) {
        DrawNightShadow(painter, vs, *sun, alpha);
        if (const std::optional<QPoint> p = GeoToPixel(vs, sun->latlon, 0.0))
            FillDisc(painter, *p, kSunRadius, Ink(night, kYellow));
    }
    if (const TSatState* moon = frame.Moon()) {
        if (const std::optional<QPoint> p = GeoToPixel(vs, moon->latlon, 0.0)) {
            FillDisc(painter, *p, kSunRadius, Ink(night, kGrey));
            DrawMoonIcon(painter, vs, frame, kMoonIconSteps, kMoonIconRadius, *p, alpha);
        }
    }
    DrawHome(painter, vs, frame, night);

    const QColor satColour = ArgbColour(frame.options.satColour);
    TLabelPlacer labels(QRect(0, 0, vs.Width, vs.Height));
    for (std::size_t i = 0; i < frame.sats.size(); ++i) {
        const TFrameSat& s = frame.sats[i];
        // A decayed satellite has no position to show.
        if (s.rec.decayed) continue;
        const std::optional<QPoint> at = GeoToPixel(vs, s.state.latlon, 0.0);
        if (!at) continue;
        const QPoint p = *at;
        DrawSatMarker(painter, p, kSatRadius, s.state.sunlit, QString(), QPoint(), satColour, night);
        if (frame.menu.showLabel)
            labels.Add({Latin1(s.label), p, kSatRadius, QPoint(6, 6), satColour, SatLabelPriority(frame, i)});
    }
    DrawVisibilityCircles(painter, vs, frame, kMinCircleHeight, night);
    vs.LabelRects = labels.Draw(painter, night);
    painter.end();
}
