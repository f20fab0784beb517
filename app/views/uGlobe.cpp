#include "uGlobe.h"

#include <algorithm>
#include <cmath>

#include "Zenora.h"
#include "uGraphicTools.h"
#include "uLabels.h"
#include "uTracking.h"

namespace {
constexpr int kSatRadius = 4;
constexpr int kNightSteps = 60;

// Nearest-neighbour texture: every device pixel of the disc takes the map
// pixel of its latitude and longitude. The inverse orthographic projection is
// worked out per row, with sin c = rho folded into the formulas.
void DrawTexture(const TViewState& vs, QImage& target) {
    const QImage& map = vs.MapImage;
    if (map.isNull() || map.format() != QImage::Format_RGB32) return;
    const double sx = map.width() / (2 * kPi), sy = map.height() / kPi;
    const int uMax = map.width() - 2, vMax = map.height() - 2;
    const double ratio = vs.PixelRatio;
    const double scale = vs.GlobeScale * ratio;
    const int r = static_cast<int>(std::trunc(std::min(scale, 1.0e7)));
    if (r < 1) return;
    const int cx = static_cast<int>(std::lround(vs.CentreX * ratio));
    const int cy = static_cast<int>(std::lround(vs.CentreY * ratio));
    const int width = target.width(), height = target.height();
    int y0 = cy - r, y1 = cy + r;
    if (y0 < 1) y0 = 2;
    if (y1 > height - 1) y1 = height - 2;
    const double sinLatC = std::sin(vs.GlobeCentre.lat), cosLatC = std::cos(vs.GlobeCentre.lat);
    const double lonC = vs.GlobeCentre.lon;
    for (int y = y0; y <= y1; ++y) {
        const double rowRatio = static_cast<double>(cy - y) / r;
        if (std::fabs(rowRatio) > 1.0) continue;
        const int w = static_cast<int>(std::trunc(r * std::sqrt(1.0 - rowRatio * rowRatio)));
        // A chord wider than the image is cut at its edges, not left out.
        const int xa = std::max(cx - w, 3), xb = std::min(cx + w, width - 3);
        const double dy = (cy - y) / scale;
        auto* row = reinterpret_cast<QRgb*>(target.scanLine(y));
        for (int x = xa; x <= xb; ++x) {
            const double dx = (cx - x) / scale;
            const double rho2 = dx * dx + dy * dy;
            if (rho2 > 1.0) continue;
            const double cosC = std::sqrt(1.0 - rho2);
            const double lat = std::asin(std::clamp(cosC * sinLatC + dy * cosLatC, -1.0, 1.0));
            double lon = lonC - std::atan2(dx, cosLatC * cosC - dy * sinLatC);
            if (lon > kPi) lon -= 2 * kPi;
            if (lon < -kPi) lon += 2 * kPi;
            const int u = std::clamp(static_cast<int>((kPi + lon) * sx), 0, uMax);
            const int v = std::clamp(static_cast<int>((kPi / 2 - lat) * sy), 0, vMax);
            row[x] = reinterpret_cast<const QRgb*>(map.constScanLine(v))[u];
        }
    }
}

// Joins consecutive points of a polyline where both lie on the near side.
class GlobePath {
public:
    GlobePath(QPainter& painter, const TViewState& vs) : painter_(painter), vs_(vs) {}
    void Start() { havePrev_ = false; }
    void To(double lat, double lon) {
        const std::optional<QPoint> p = GeoToPixel(vs_, TLatLon{lat, lon, 0.0}, 0.0);
        if (havePrev_ && p) painter_.drawLine(prev_, *p);
        havePrev_ = p.has_value();
        if (p) prev_ = *p;
    }

private:
    QPainter& painter_;
    const TViewState& vs_;
    QPoint prev_;
    bool havePrev_ = false;
};

void DrawGraticule(GlobePath& path) {
    for (int lon = -180; lon <= 180; lon += 30) {
        path.Start();
        for (int lat = -75; lat <= 75; lat += 5) path.To(lat * kDegToRad, lon * kDegToRad);
    }
    for (int lat = -75; lat <= 75; lat += 15) {
        path.Start();
        for (int lon = -180; lon <= 180; lon += 5) path.To(lat * kDegToRad, lon * kDegToRad);
    }
}

// The hemisphere facing away from the Sun, laid over the globe as a phase.
void DrawNightSide(QPainter& painter, const TViewState& vs, const TFrameState& frame, int alpha) {
    const TSatState* sun = frame.Sun();
    if (!sun) return;
    const TLatLon centre{vs.GlobeCentre.lat, vs.GlobeCentre.lon, 0.0};
    double rhoSin = 0, rhoCos = 0;
    RhoSinCos(&centre, &rhoSin, &rhoCos);
    TVector v{};
    Lat_lon_height_to_vect(&v, frame.gha, centre.lon, rhoSin, rhoCos);
    TRaDec view{};
    Vect_to_ra_dec(&v, &view);
    const double e = Angle_2vect(&v, &sun->pos);
    const double dark = (1 - std::cos(e)) / 2;
    const double offset = fmodallpi(sun->radec.ra - view.ra) > 0 ? kPi : 0.0;
    double p = Pos_angle(&sun->radec, &view) - kPi / 2;
    if (p < 0) p += 2 * kPi;
    DrawPhase(painter, kNightSteps, std::trunc(vs.GlobeScale), QPointF(vs.CentreX, vs.CentreY), dark,
              p + offset, 1, 1, alpha);
}
}  // namespace

void DrawGlobeBackground(TViewState& vs, const TFrameState& frame) {
    // The globe is turned red after each frame; the home name is drawn for it.
    const bool night = frame.night;
    vs.BackgroundNight = night;
    vs.Background.fill(Qt::black);
    DrawTexture(vs, vs.Background);
    QPainter painter;
    BeginPaint(painter, vs.Background, vs);
    if (frame.menu.displayHome) {
        if (const std::optional<QPoint> at = GeoToPixel(vs, frame.observer.pos, 0.0)) {
            const QPoint p = *at;
            // At night a grey that the pass over the frame turns into the
            // labels' red: the default black name turned red was hardly seen.
            QColor home = HomeInk(ArgbColour(frame.options.homeColour), night);
            if (night) home = QColor(home.red(), home.red(), home.red(), home.alpha());
            FillPixels(painter, QRect(p.x() - 2, p.y() - 2, 5, 5), home);
            painter.setPen(home);
            HomeNameOut(painter, p.x() - 15, p.y() - 20, Latin1(frame.observer.name.view()), night);
        }
    }
    GlobePath path(painter, vs);
    if (frame.menu.grids) {
        painter.setPen(ArgbColour(frame.options.gridColour));
        DrawGraticule(path);
    }
    if (!frame.sats.empty() && frame.menu.tracks && !vs.TrackPoints.empty()) {
        painter.setPen(ArgbColour(frame.options.trackColour));
        path.Start();
        for (const TLatLon& p : vs.TrackPoints) path.To(p.lat, p.lon);
    }
    painter.end();
    vs.Dirty = 0;
}

void DrawGlobeFrame(TViewState& vs, const TFrameState& frame, QImage& display) {
    const int alpha = ShadowAlpha(vs, frame.options);
    QPainter painter;
    BeginFrame(painter, display, vs);
    if (vs.GlobeScale > kMinNightGlobeScale) DrawNightSide(painter, vs, frame, alpha);

    const QColor satColour = ArgbColour(frame.options.satColour);
    const QPoint centre(vs.CentreX, vs.CentreY);
    TLabelPlacer labels(QRect(0, 0, vs.Width, vs.Height));
    for (std::size_t i = 0; i < frame.sats.size(); ++i) {
        const TFrameSat& s = frame.sats[i];
        if (s.rec.decayed) continue;
        // At its true height above the globe: behind it only when the globe covers it.
        double cosC = 0.0;
        const std::optional<QPoint> at =
            GlobeToPixel(vs, s.state.latlon, -1.0, vs.GlobeScale * s.state.pos.r / kEarthRadius, &cosC);
        if (!at) continue;
        const QPoint p = *at;
        if (!(cosC > 0 || (cosC < 0 && PixelDistance(centre, p) > vs.GlobeScale))) continue;
        DrawSatMarker(painter, p, kSatRadius, s.state.sunlit, QString(), QPoint(), satColour);
        if (frame.menu.showLabel)
            labels.Add({Latin1(s.label), p, kSatRadius, QPoint(7, 7), satColour, SatLabelPriority(frame, i)});
    }
    // Unlike the map, no lowest height: on the globe every circle is drawn.
    DrawVisibilityCircles(painter, vs, frame, -kEarthRadius);
    vs.LabelRects = labels.Draw(painter);
    painter.end();
}
