#include "uRadarChart.h"

#include <QPainter>

#include <cmath>

#include "Zenora.h"
#include "uFormat.h"
#include "uGraphicTools.h"
#include "uPolarPlot.h"
#include "uSky.h"
#include "uTracking.h"

namespace {
constexpr double kJustOffZenith = kPi / 2 - 0.0001;
constexpr double kRadarHorizon = -0.015;  // rad: the rim takes in the refracted horizon
constexpr double kRadarCutoff = -0.5;
constexpr int kCompassInset = 15;
constexpr int kCompassGrowth = 6;         // points over the chart's font
constexpr int kBodyRadius = 4;
constexpr int kMarkerRadius = 3;
constexpr int kDataTop = 30, kDataStep = 15;
constexpr std::size_t kTitleChars = 36;
// A pass is minutes long; a record spanning more is not drawn past this.
constexpr int kMaxTrackPoints = 4 * 60 * 24;

const QColor kPurple(128, 0, 128);
const QColor kMaroon(128, 0, 0);
const QColor kMarkerPen(128, 128, 128);
const QColor kTrackLine(127, 127, 127);
const QColor kHorizonMaskPrint(200, 200, 200);

QString Text(const std::string& s) { return Latin1(s); }

std::string Degrees1(double radians) { return FormatFloat("#0.0\xB0", Degrees(radians)); }

std::string PassTime(double t, double offset) { return FormatDateTime("mm/dd   HH:nn:ss", t + offset); }

// Projection of the chart for a drawing at the pass start: the centre just
// off the zenith, turned by the rotation; fully zoomed out, so the sky
// view's frame takes centre and rotation from the horizon coordinates.
void ChartProjection(TViewState& vs, const TLatLon& site, double gst, int rotation) {
    vs.SkyScale = vs.Height / 165.0;
    vs.SkyScaleMin = vs.Height / 90.0;
    vs.SkyCentreHoriz = TAltAz{kJustOffZenith, Radians(rotation)};
    Alt_az_to_ra_dec(&site, &vs.SkyCentreHoriz, &vs.SkyCentre, gst);
    vs.Zenith = vs.SkyCentre;
    SkyFrame(vs, site, gst, false, false, nullptr);
    vs.SkyCutoff = kRadarCutoff;
}

void DrawCompass(QPainter& painter, const TViewState& vs, const QFont& font, int rotation, const QColor& colour,
                 std::vector<QRect>& drawn) {
    QFont big = font;
    big.setPointSize(font.pointSize() + kCompassGrowth);
    painter.setFont(big);
    painter.setPen(colour);
    const int f = big.pointSize();
    const double c = vs.CentreY, r = vs.CentreY - kCompassInset, a = Radians(rotation);
    const struct {
        const char* letter;
        double angle;
    } points[] = {{"W", a}, {"S", a + kPi / 2}, {"E", a + kPi}, {"N", a - kPi / 2}};
    for (const auto& p : points) {
        const int x = static_cast<int>(std::trunc(c - r * std::cos(p.angle) - f / 2.0));
        const int y = static_cast<int>(std::trunc(c - r * std::sin(p.angle) - f / 2.0));
        TextOut(painter, x, y, QString::fromLatin1(p.letter));
        drawn.push_back(painter.fontMetrics().boundingRect(QString::fromLatin1(p.letter))
                            .translated(x, y + painter.fontMetrics().ascent())
                            .adjusted(-1, -1, 2, 2));  // the shadow and a pixel of room
    }
    painter.setFont(font);
}

// Bodies at the pass start; the Sun's and the Moon's altitudes whether up or not.
void DrawBodies(QPainter& painter, const TViewState& vs, const TFrame& frame, TRadarDrawn& drawn) {
    painter.setPen(kPurple);
    painter.setBrush(kPurple);
    for (int32_t code : kSkyBodyCodes) {
        TSatState body{};
        body.body = code;
        ComputeBodyState(body, frame, kFillLookAngles);
        if (code == kBodySun) drawn.sunText = Degrees1(body.altaz.alt);
        if (code == kBodyMoon) drawn.moonText = Degrees1(body.altaz.alt);
        QPoint p;
        if (!SkyToPixel(vs, body.radec, p)) continue;
        FillEllipse(painter, p.x() - kBodyRadius, p.y() - kBodyRadius, p.x() + kBodyRadius, p.y() + kBodyRadius);
        TextOut(painter, p.x() - 10, p.y() - 18, QString::fromLatin1(SkyBodyInfo(code)->label));
    }
}

void DrawPassData(QPainter& painter, int x, const TRadarScene& scene, TRadarDrawn& drawn) {
    const TPassRecord& pass = scene.pass;
    std::vector<std::string>& lines = drawn.dataLines;
    lines = {
        "OBJ : " + pass.title.str().substr(0, kTitleChars),
        "AOS : " + PassTime(pass.start, scene.displayOffset),
        "LOS : " + PassTime(pass.end, scene.displayOffset),
    };
    // A pass in the Earth's shadow throughout has no magnitude to print.
    if (scene.showMagnitude)
        lines.push_back("MAG : " + (pass.magnitude ? FormatFloat("#0.0", *pass.magnitude) : std::string("shadow")));
    lines.push_back("ALT : " + FormatFloat("#0.0\xB0", pass.maxElevation));
    lines.push_back("SUN : " + drawn.sunText);
    lines.push_back("MOON: " + drawn.moonText);
    painter.setPen(kMaroon);
    int y = kDataTop;
    for (const std::string& line : lines) {
        TextOut(painter, x, y, Text(line));
        y += kDataStep;
    }
}

// The track: where the satellite is at each time, by its altitude and
// azimuth then, placed on the chart drawn for the pass start.
void DrawTrack(QPainter& painter, const TViewState& vs, const TRadarScene& scene, double gst, bool printView,
               TRadarDrawn& drawn) {
    const QColor marker = printView ? kMaroon : kYellow;
    if (!scene.pass.satellite) return;
    const TSatRec& sat = *scene.pass.satellite;
    const TSite site = scene.observer;
    TSatState state{};
    auto place = [&](double t, QPoint& p) {
        if (!PropagateSatellite(sat, state, ObserverFrame(site, t), kFillLookAngles)) return false;
        TRaDec onChart{};
        Alt_az_to_ra_dec(&site.geo, &state.altaz, &onChart, gst);
        return SkyToPixel(vs, onChart, p);
    };
    auto mark = [&](const QPoint& p) {
        if (!drawn.track.empty()) {
            painter.setPen(kTrackLine);
            painter.drawLine(drawn.track.back(), p);
        }
        painter.setPen(kMarkerPen);
        painter.setBrush(marker);
        FillEllipse(painter, p.x() - kMarkerRadius, p.y() - kMarkerRadius, p.x() + kMarkerRadius,
                    p.y() + kMarkerRadius);
        drawn.track.push_back(p);
    };
    const double s = scene.pass.start, e = scene.pass.end;
    for (int k = 0; k < kMaxTrackPoints; ++k) {
        const double t = s + k * kRadarTrackStep / kSecondsPerDay;
        if (!(t < e)) break;
        QPoint p;
        if (!place(t, p)) continue;
        mark(p);
        if (!drawn.aos) {
            drawn.aos = true;
            drawn.aosLabel = QPoint(p.x(), p.y() - 8);
        }
    }
    QPoint p;
    if (place(e, p)) {
        mark(p);
        drawn.los = true;
        drawn.losLabel = QPoint(p.x(), p.y() - 8);
    }
    painter.setPen(marker);
    if (drawn.aos) TextOut(painter, drawn.aosLabel.x(), drawn.aosLabel.y(), QStringLiteral(" AOS"));
    if (drawn.los) TextOut(painter, drawn.losLabel.x(), drawn.losLabel.y(), QStringLiteral(" LOS"));
}
}  // namespace

QRect LabelTowardsCentre(const TViewState& vs, QPoint p, int r, QSize text, const std::vector<QRect>& avoid) {
    double ux = vs.CentreX - p.x(), uy = vs.CentreY - p.y();
    const double len = std::hypot(ux, uy);
    if (len < 1.0) ux = 1.0, uy = 0.0;
    else ux /= len, uy /= len;
    const double rim = vs.CentreY - 1.0;
    const QRect mark(p.x() - r, p.y() - r, 2 * r + 1, 2 * r + 1);
    auto at = [&](double turn, double extra) {
        const double vx = ux * std::cos(turn) - uy * std::sin(turn), vy = ux * std::sin(turn) + uy * std::cos(turn);
        // Far enough along v that the label's rectangle clears the mark.
        const double reach = extra + r + 3.0 + (std::fabs(vx) * text.width() + std::fabs(vy) * text.height()) / 2.0;
        const int cx = static_cast<int>(std::lround(p.x() + vx * reach));
        const int cy = static_cast<int>(std::lround(p.y() + vy * reach));
        return QRect(cx - text.width() / 2, cy - text.height() / 2, text.width(), text.height());
    };
    auto fits = [&](const QRect& q) {
        for (const QPoint& c : {q.topLeft(), q.topRight(), q.bottomLeft(), q.bottomRight()})
            if (std::hypot(c.x() - vs.CentreX, c.y() - vs.CentreY) > rim) return false;
        if (q.intersects(mark)) return false;
        for (const QRect& a : avoid)
            if (q.intersects(a)) return false;
        return true;
    };
    // Nearest first: each step a little further out, tried straight in and turned aside.
    for (double extra = 0.0; extra <= 24.0; extra += 4.0)
        for (double turn : {0.0, 0.25 * kPi, -0.25 * kPi, 0.4 * kPi, -0.4 * kPi}) {
            const QRect q = at(turn, extra);
            if (fits(q)) return q;
        }
    return at(0.0, 0.0);
}

int RadarRotationStep(int rotation, bool forward) {
    rotation += forward ? kRadarRotationStep : -kRadarRotationStep;
    if (rotation < 0) return 360 - kRadarRotationStep;
    if (rotation > 360 - kRadarRotationStep) return 0;
    return rotation;
}

void SetupRadarView(TViewState& vs, int width, int height) {
    vs = TViewState{};
    vs.Width = width;
    vs.Height = height;
    vs.CentreX = vs.CentreY = height / 2;
    vs.Rotation = 0.0;
    vs.SignX = vs.SignY = 1;
    vs.HorizonAlt = kRadarHorizon;
    vs.ClipHorizon = 1;
}

TRadarDrawn DrawRadarChart(QImage& image, TViewState& vs, const TRadarScene& scene, int rotation, bool printView) {
    TRadarDrawn drawn;
    if (image.width() != vs.Width || image.height() != vs.Height)
        image = QImage(vs.Width, vs.Height, QImage::Format_ARGB32_Premultiplied);
    const int h = vs.Height;
    const QColor ink = printView ? QColor(Qt::black) : kWhite;
    const QColor paper = printView ? kWhite : QColor(Qt::black);

    // Filled before the half-pixel shift of the painter, which would leave
    // the first row and column half covered over uninitialised memory.
    image.fill(kWhite);
    QPainter painter;
    vs.Font = scene.font;
    BeginPaint(painter, image, vs);
    painter.setPen(ink);
    painter.setBrush(paper);
    FillEllipse(painter, 1, 1, h, h);

    const TObserver& observer = scene.observer;
    const double s = scene.pass.start;
    const TFrame atStart = ObserverFrame(observer, s);
    const double gst = atStart.gha;
    ChartProjection(vs, observer.pos, gst, rotation);
    if (scene.figures) DrawConstellations(painter, vs, SkyRecordsOfDate(vs.FiguresOfDate, *scene.figures, s));
    if (scene.stars) DrawStars(painter, vs, SkyRecordsOfDate(vs.StarsOfDate, *scene.stars, s), kRadarStarLimit, ink);
    if (scene.horizon)
        DrawHorizonMask(painter, vs, observer.pos, gst, *scene.horizon, kRadarHorizon,
                        printView ? kHorizonMaskPrint : kHorizonMaskColour);
    // The polar plot's rings and ticks, through the chart's own projection.
    DrawSkyGrid(
        painter,
        [&](double az, double el, QPointF& p) {
            const TAltAz h{el, az};
            TRaDec onChart{};
            Alt_az_to_ra_dec(&observer.pos, &h, &onChart, gst);
            QPoint q;
            if (!SkyToPixel(vs, onChart, q)) return false;
            p = q;
            return true;
        },
        printView ? QColor(170, 170, 170) : QColor(80, 96, 140), printView ? kGrey : QColor(150, 160, 190), false);
    DrawCompass(painter, vs, scene.font, rotation, printView ? kGrey : kYellow, drawn.compass);
    DrawBodies(painter, vs, atStart, drawn);
    DrawPassData(painter, h, scene, drawn);
    DrawTrack(painter, vs, scene, gst, printView, drawn);
    painter.end();
    return drawn;
}
