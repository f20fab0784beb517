#include "uGraphicTools.h"

#include <QPolygonF>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "Zenora.h"
#include "uFileIO.h"
#include "uGlobe.h"
#include "uMap.h"
#include "uSky.h"
#include "uTracking.h"

namespace {
constexpr int kCircleSteps = 90;
}  // namespace

void ReportOnce(TViewState& vs, const std::string& text) {
    if (!vs.Reported.insert(text).second) return;
    vs.Messages.Tell(text);
}

int ShadowAlpha(TViewState& vs, const TOptions& options) {
    const int alpha = options.shadowAlpha;
    if (alpha >= 0 && alpha <= 255) return alpha;
    ReportOnce(vs, "Range check error: night-shadow alpha " + std::to_string(alpha) +
                       " is outside 0 to 255");
    return std::clamp(alpha, 0, 255);
}

bool LoadMapImage(TViewState& vs, const std::string& path) {
    vs.MapImage = QImage();
    vs.Dirty = 1;
    std::string bytes;
    bool truncated = false;
    if (!ReadFileBytes(path, kMaxMapImageBytes, bytes, &truncated)) {
        ReportOnce(vs, FileProblemText(path));
        return false;
    }
    QImage image;
    if (!truncated)
        image.loadFromData(reinterpret_cast<const uchar*>(bytes.data()), static_cast<int>(bytes.size()));
    if (image.isNull() || image.width() < 2 || image.height() < 2) {
        ReportOnce(vs, "Map image " + path + " cannot be read as an image");
        return false;
    }
    vs.MapImage = image.convertToFormat(QImage::Format_RGB32);
    return true;
}

void InitViews(TViewState& vs, const std::string& programFolder, const TOptions& options,
               const TMenuSettings& menu, int width, int height) {
    std::string folder = programFolder;
    if (!folder.empty() && folder.back() != '/') folder += '/';
    LoadMapImage(vs, folder + "map/" + options.mapFile.str());
    ResizeViews(vs, width, height, vs.PixelRatio);
    SkySignsFromMenu(menu, vs.SignX, vs.SignY);
    vs.ViewMode = options.viewMode;
    vs.SkyCentreHoriz = TAltAz{menu.skyCentreAlt, menu.skyCentreAz};
    vs.ClipHorizon = menu.checked[kMenuStarToHorizon];
    vs.ShowConstellations = menu.checked[kMenuConstellations];
    vs.ShowConstellationNames = menu.checked[kMenuConstellationNames];
    vs.ShowStarNames = menu.checked[kMenuStarNames];
}

void BeginPaint(QPainter& painter, QImage& target, const TViewState& vs) {
    painter.begin(&target);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    // Integer coordinates are pixel centres: one-pixel lines between them
    // stay sharp instead of smearing over two pixels.
    painter.translate(0.5, 0.5);
    painter.setFont(vs.Font);
}

namespace {
constexpr int kNightLabelBacking = 170;  // alpha of the box behind a night label
}  // namespace

void TextOut(QPainter& painter, int x, int y, const QString& text, bool night) {
    // A one-pixel halo in the opposite brightness all round the glyphs keeps
    // a label readable over the map's ice, deserts and oceans alike (a shadow
    // on one side only left bright text on ice without an edge); at night the
    // halo is black: a light one would outshine the text.
    const QPen pen = painter.pen();
    const QFontMetrics metrics = painter.fontMetrics();
    const int baseline = y + metrics.ascent();
    // At night over the bright red of the ice a red text's halo alone was
    // weak: every night label stands on a dark box.
    if (night)
        painter.fillRect(QRectF(x - 1.5, y - 1.5, metrics.horizontalAdvance(text) + 3, metrics.height() + 2),
                         QColor(0, 0, 0, kNightLabelBacking));
    painter.setPen(night || pen.color().lightness() > 100 ? QColor(0, 0, 0) : QColor(255, 255, 255));
    static constexpr QPoint kHalo[] = {{-1, -1}, {0, -1}, {1, -1}, {-1, 0}, {1, 0}, {-1, 1}, {0, 1}, {1, 1}};
    for (const QPoint& d : kHalo) painter.drawText(x + d.x(), baseline + d.y(), text);
    painter.setPen(pen);
    painter.drawText(x, baseline, text);
}

QColor HomeInk(const QColor& colour, bool night) {
    return night ? NightTextInk(QColor(255, 255, 255, colour.alpha())) : colour;
}

void HomeNameOut(QPainter& painter, int x, int y, const QString& text, bool night) {
    const QFont font = painter.font();
    QFont bold = font;
    bold.setBold(true);
    painter.setFont(bold);
    TextOut(painter, x, y, text, night);
    painter.setFont(font);
}

void FillEllipse(QPainter& painter, int x1, int y1, int x2, int y2) {
    // Antialiased: the fill covers exactly the pixels x1 .. x2 - 1, the
    // outline runs through their outer pixels' centres.
    const QPen pen = painter.pen();
    const QBrush brush = painter.brush();
    const double w = x2 - x1, h = y2 - y1;
    if (brush.style() != Qt::NoBrush) {
        painter.setPen(Qt::NoPen);
        painter.drawEllipse(QRectF(x1 - 0.5, y1 - 0.5, w, h));
        painter.setPen(pen);
    }
    if (pen.style() != Qt::NoPen && (brush.style() == Qt::NoBrush || brush.color() != pen.color())) {
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(QRectF(x1, y1, w - 1, h - 1));
        painter.setBrush(brush);
    }
}

void FillPixels(QPainter& painter, const QRect& rect, const QColor& colour) {
    painter.fillRect(QRectF(rect).translated(-0.5, -0.5), colour);
}

void FillDisc(QPainter& painter, const QPoint& p, int r, const QColor& colour) {
    painter.setPen(colour);
    painter.setBrush(colour);
    FillEllipse(painter, p.x() - r, p.y() - r, p.x() + r, p.y() + r);
}

void DrawSatMarker(QPainter& painter, const QPoint& p, int radius, bool sunlit, const QString& label,
                   const QPoint& labelOffset, const QColor& labelColour, bool night) {
    FillDisc(painter, p, radius, Ink(night, sunlit ? kYellow : kGrey));
    if (label.isEmpty()) return;
    painter.setPen(night ? NightTextInk(labelColour) : labelColour);
    TextOut(painter, p.x() + labelOffset.x(), p.y() + labelOffset.y(), label, night);
}

void DrawVisibilityCircles(QPainter& painter, const TViewState& vs, const TFrameState& frame, double minHeight,
                           bool night) {
    const TFrameSat* first = frame.FirstSat();
    if (!first || first->rec.decayed || !(first->state.latlon.height >= minHeight)) return;
    painter.setBrush(Qt::NoBrush);
    const double distance = first->state.pos.r;
    if (frame.menu.satVis)
        DrawSmallCircle(painter, vs, first->state.latlon, Ink(night, ArgbColour(frame.options.satColour)), distance);
    if (frame.menu.locVis)
        DrawSmallCircle(painter, vs, frame.observer.pos, Ink(night, ArgbColour(frame.options.homeColour)), distance);
}

void DrawPhase(QPainter& painter, int steps, double radius, const QPointF& centre, double fraction,
               double angle, int signX, int signY, int alpha) {
    if (steps < 2 || !(radius > 0.0) || !std::isfinite(fraction) || !std::isfinite(angle)) return;
    const double step = 2 * kPi / steps;
    const int half = steps / 2;
    const double ca = std::cos(angle), sa = std::sin(angle);
    QPolygonF poly;
    poly.reserve(steps + 1);
    for (int i = 0; i <= steps; ++i) {
        const double t = i * step;
        double x = radius * std::sin(t);
        const double y = -radius * std::cos(t);
        // Second half: the terminator, an ellipse of half-width |2f - 1| r.
        if (i >= half) x = -(x + 2 * std::fabs(x) * fraction);
        const double xr = x * ca - y * sa, yr = x * sa + y * ca;
        poly << QPointF(centre.x() + signX * xr, centre.y() + signY * yr);
    }
    painter.save();
    painter.setPen(QColor(0, 0, 0, 20));
    painter.setBrush(QColor(0, 0, 0, alpha));
    painter.drawPolygon(poly);
    painter.restore();
}

void DrawMoonIcon(QPainter& painter, const TViewState& vs, const TFrameState& frame, int steps,
                  double radius, const QPoint& pixel, int alpha) {
    const TSatState* sun = frame.Sun();
    const TSatState* moon = frame.Moon();
    if (!sun || !moon) return;
    const double e = Angle_2vect(&sun->pos, &moon->pos);
    const double dark = (1 + std::cos(e)) / 2;
    // The position angle is only known up to a half turn; the sign of the
    // right-ascension difference supplies the other half.
    const double offset = fmodallpi(sun->radec.ra - moon->radec.ra) < 0 ? kPi : 0.0;
    double angle = offset;
    int sx = 1, sy = 1;
    if (vs.ViewMode == kViewSky) {
        double p = Pos_angle(&sun->radec, &moon->radec) - kPi / 2;
        if (p < 0) p += 2 * kPi;
        angle = vs.Rotation - p + offset;
        sx = vs.SignX;
        sy = vs.SignY;
    }
    DrawPhase(painter, steps, radius, QPointF(pixel), dark, angle, sx, sy, alpha);
}

void DrawSmallCircle(QPainter& painter, const TViewState& vs, const TLatLon& centre, const QColor& colour,
                     double distance) {
    std::vector<TLatLon> points;
    SmallCircle(centre, points, distance, kCircleSteps);
    painter.setPen(colour);
    const bool map = vs.ViewMode == kViewMap;
    QPoint prev;
    bool havePrev = false;
    double prevLon = 0.0;
    for (const TLatLon& p : points) {
        const std::optional<QPoint> at = GeoToPixel(vs, p, 0.0);
        const bool visible = at.has_value();
        const QPoint px = at.value_or(prev);
        if (map) {
            // Across the date line the pen only moves: the circle is cut in two.
            const bool jump = havePrev && ((prevLon > kPi / 2 && p.lon < -kPi / 2) ||
                                           (prevLon < -kPi / 2 && p.lon > kPi / 2));
            if (havePrev && !jump && visible) painter.drawLine(prev, px);
            havePrev = visible;
        } else {
            if (havePrev && visible) painter.drawLine(prev, px);
            havePrev = visible;
        }
        prev = px;
        prevLon = p.lon;
    }
}

void BeginFrame(QPainter& painter, QImage& display, const TViewState& vs) {
    if (display.size() != vs.Background.size() || display.format() != vs.Background.format())
        display = QImage(vs.Background.size(), vs.Background.format());
    display.setDevicePixelRatio(vs.Background.devicePixelRatio());
    uchar* dst = display.bits();  // detaches from any copy still in use elsewhere
    std::memcpy(dst, vs.Background.constBits(), static_cast<std::size_t>(vs.Background.sizeInBytes()));
    BeginPaint(painter, display, vs);
}

void RefreshView(TViewState& vs, const TFrameState& frame, QImage& display) {
    int mode = frame.options.viewMode;
    if (mode != kViewSky && mode != kViewGlobe) mode = kViewMap;
    if (mode != vs.ViewMode) {
        vs.ViewMode = mode;
        vs.Dirty = 1;
    }
    vs.ClipHorizon = frame.menu.starToHorizon;
    vs.ShowConstellations = frame.menu.constellations;
    vs.ShowConstellationNames = frame.menu.constellationNames;
    vs.ShowStarNames = frame.menu.starNames;

    const TFrameSat* first = frame.FirstSat();
    if (first && frame.menu.tracks &&
        (frame.time >= vs.TrackAnchor || frame.time <= vs.TrackStart || first->rec.catNo != vs.TrackCatNo ||
         first->rec.epoch != vs.TrackEpoch)) {
        vs.Dirty = 1;
        ComputeGroundTrack(vs, frame);
    }
    if (mode == kViewGlobe && vs.BackgroundNight != frame.night) vs.Dirty = 1;
    if (vs.Dirty) {
        if (mode == kViewMap) DrawMapBackground(vs, frame);
        if (mode == kViewGlobe) DrawGlobeBackground(vs, frame);
    }
    if (mode == kViewMap) DrawMapFrame(vs, frame, display);
    if (mode == kViewSky) DrawSkyFrame(vs, frame, display);
    if (mode == kViewGlobe) DrawGlobeFrame(vs, frame, display);
    // The map draws itself in the night colours.
    if (frame.night && mode != kViewMap) NightColours(display);
}

double SatLabelPriority(const TFrameState& frame, std::size_t i) {
    return i == frame.sat1 ? 3.0 : 2.0 - static_cast<double>(i) * 1e-3;
}

namespace {
// Rec. 601 weights in 8-bit fixed point (they sum to 256, so white stays 255).
inline uint32_t Brightness(uint32_t r, uint32_t g, uint32_t b) { return (r * 77u + g * 150u + b * 29u) >> 8; }
constexpr int kNightTextRed = 200;
}  // namespace

QColor NightInk(const QColor& colour) {
    const QRgb c = colour.rgba();
    return QColor(static_cast<int>(Brightness(qRed(c), qGreen(c), qBlue(c))), 0, 0, qAlpha(c));
}

QColor NightTextInk(const QColor& colour) {
    const QColor ink = NightInk(colour);
    return QColor(std::max(ink.red(), kNightTextRed), 0, 0, ink.alpha());
}

void NightColours(QImage& image) {
    if (image.format() != QImage::Format_ARGB32_Premultiplied && image.format() != QImage::Format_ARGB32 &&
        image.format() != QImage::Format_RGB32)
        image.convertTo(QImage::Format_ARGB32_Premultiplied);
    const int w = image.width();
    for (int y = 0; y < image.height(); ++y) {
        auto* row = reinterpret_cast<uint32_t*>(image.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const uint32_t p = row[x];
            // Premultiplied stays so: the brightness is never above alpha.
            const uint32_t lum = Brightness((p >> 16) & 0xFFu, (p >> 8) & 0xFFu, p & 0xFFu);
            row[x] = (p & 0xFF000000u) | (lum << 16);
        }
    }
}
