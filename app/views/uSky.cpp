#include "uSky.h"

#include <QFontMetrics>
#include <QPolygon>

#include <algorithm>
#include <cmath>

#include "Zenora.h"
#include "uFormat.h"
#include "uGraphicTools.h"
#include "uLabels.h"
#include "uMagFile.h"
#include "uTracking.h"

namespace {

const QColor kNightSky(0, 0, 0);
const QColor kGroundColour(127, 0, 0);
const QColor kConstellationColour(0, 127, 0);

constexpr int kCompassFontSize = 18;
constexpr int kSatRadius = 5;
constexpr double kShadowedFraction = 0.00025;  // illuminated fraction of a satellite in shadow
constexpr double kHalfLit = 0.5;

const TSkyBody kSkyBodies[] = {
    {0, "Sun", 1392530.0, QColor(255, 255, 0)},      {1, "Mercury", 4880.0, QColor(192, 192, 192)},
    {2, "Venus", 12103.6, QColor(255, 251, 240)},    {31, "Moon", 3475.06, QColor(128, 128, 128)},
    {4, "Mars", 6779.8, QColor(255, 0, 0)},          {5, "Jupiter", 142984.0, QColor(0, 128, 128)},
    {6, "Saturn", 120536.0, QColor(255, 251, 240)},  {7, "Uranus", 51118.0, QColor(0, 128, 0)},
    {8, "Neptune", 49552.0, QColor(0, 0, 255)},      {9, "Pluto", 2274.0, QColor(192, 192, 192)},
};

TRaDec HorizonToSky(const TLatLon& site, double alt, double az, double gst) {
    const TAltAz h{alt, az};
    TRaDec p{};
    Alt_az_to_ra_dec(&site, &h, &p, gst);
    return p;
}

// Ground and sky (in the colour of the Sun's altitude), split by the refracted horizon.
void DrawHorizon(QPainter& painter, TViewState& vs, const TLatLon& site, double gst, const QColor& sky) {
    const double altC = vs.SkyCentreHoriz.alt, azC = vs.SkyCentreHoriz.az, h = vs.HorizonAlt;
    const double diag = std::hypot(vs.CentreX, vs.CentreY) / vs.SkyScale * kDegToRad;
    QColor back = kGroundColour;
    if (altC < h) back = sky;
    if (altC > diag && altC > h) back = sky;

    const std::optional<double> cutoff = vs.SkyCutoff;
    vs.SkyCutoff.reset();
    QPolygon poly;
    auto add = [&](double alt, double az) {
        QPoint p;
        if (SkyToPixel(vs, HorizonToSky(site, alt, fmod2pi(az), gst), p)) poly << p;
    };
    if (vs.SkyScale > vs.Height / 15.0) {
        const double a = vs.Height / vs.SkyScale * kDegToRad;
        if (altC < diag) {
            back = kGroundColour;
            add(h, azC + 2 * a);
            add(h, azC - 2 * a);
            add(h + 2 * a, azC - 2 * a);
            add(h + 2 * a, azC + 2 * a);
        }
    } else {
        // Near the horizon, the points behind the viewer are lifted or lowered
        // a little: at the chart's antipode the projection has no single place.
        int k = 0;
        if (altC > -0.18 && altC < 0.18) k = altC > h ? 1 : 2;
        if (altC < diag) {
            for (int i = 0; i < 60; ++i) {
                const double az = i * 2 * kPi / 60;
                double alt = h;
                if (k > 0 && std::fabs(fmodallpi(az - azC)) > 2.5) alt = k == 1 ? 0.1 : -0.1;
                add(alt, az);
            }
        }
    }
    vs.SkyCutoff = cutoff;

    FillPixels(painter, QRect(0, 0, vs.Width, vs.Height), back);
    painter.setPen(Qt::NoPen);
    painter.setBrush(back == sky ? kGroundColour : sky);
    if (poly.size() >= 3) painter.drawPolygon(poly);
}

}  // namespace

void DrawHorizonMask(QPainter& painter, TViewState& vs, const TLatLon& site, double gst, const THorizonMask& mask,
                     double base, const QColor& colour) {
    // Half-degree samples, and each point's azimuth with its neighbours a
    // hair either side, so that a vertical step stays vertical.
    std::vector<double> azimuths;
    for (int i = 0; i <= 720; ++i) azimuths.push_back(i * kPi / 360.0);
    for (const THorizonPoint& p : mask.Points())
        for (double d : {-1e-7, 0.0, 1e-7}) azimuths.push_back(std::clamp(p.azimuth * kDegToRad + d, 0.0, 2.0 * kPi));
    std::sort(azimuths.begin(), azimuths.end());
    std::vector<double> limits;
    for (double az : azimuths) limits.push_back(mask.Limit(az, -kHalfPi));

    const double sinDec0 = std::sin(vs.SkyCentre.dec), cosDec0 = std::cos(vs.SkyCentre.dec);
    const std::optional<double> cutoff = vs.SkyCutoff;
    vs.SkyCutoff.reset();
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    QPolygon upper, lower;
    auto flush = [&] {
        if (upper.size() >= 2) {
            QPolygon poly = upper;
            for (qsizetype i = lower.size() - 1; i >= 0; --i) poly << lower[i];
            painter.drawPolygon(poly);
        }
        upper.clear();
        lower.clear();
    };
    const std::size_t n = azimuths.size();
    for (std::size_t i = 0; i < n; ++i) {
        const bool raised = limits[i] > 0.0 || (i > 0 && limits[i - 1] > 0.0) || (i + 1 < n && limits[i + 1] > 0.0);
        const TRaDec top = HorizonToSky(site, std::max(limits[i], base), azimuths[i], gst);
        const TRaDec bottom = HorizonToSky(site, base, azimuths[i], gst);
        // Beyond about 110 degrees from the centre the projection folds back.
        const double cosC = sinDec0 * std::sin(bottom.dec) +
                            cosDec0 * std::cos(bottom.dec) * std::cos(bottom.ra - vs.SkyCentre.ra);
        QPoint pt, pb;
        if (!raised || cosC < -0.35 || !SkyToPixel(vs, top, pt) || !SkyToPixel(vs, bottom, pb)) {
            flush();
            continue;
        }
        upper << pt;
        lower << pb;
    }
    flush();
    vs.SkyCutoff = cutoff;
}

namespace {
// Relative luminance of a screen colour (0 black .. 1 white).
double Luminance(const QColor& c) {
    auto lin = [](double v) { return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
    return 0.2126 * lin(c.redF()) + 0.7152 * lin(c.greenF()) + 0.0722 * lin(c.blueF());
}
}  // namespace

// ink, or white when it does not stand out from a lit sky (Neptune's blue or
// the grey Moon on the day sky); the night sky keeps the bodies' colours.
QColor ReadableOn(const QColor& ink, const QColor& ground) {
    const double g = Luminance(ground), i = Luminance(ink);
    if (g < 0.02) return ink;
    const double contrast = (std::max(g, i) + 0.05) / (std::min(g, i) + 0.05);
    if (contrast >= 3.0) return ink;
    return g < 0.4 ? QColor(255, 255, 255) : QColor(0, 0, 0);
}

namespace {

void DrawCompass(QPainter& painter, const TViewState& vs, const TLatLon& site, double gst) {
    static const char* const kPoints[4] = {"N", "E", "S", "W"};
    QFont font = painter.font();
    const QFont saved = font;
    font.setPointSize(kCompassFontSize);
    painter.setFont(font);
    painter.setPen(kWhite);
    const QFontMetrics metrics = painter.fontMetrics();
    for (int i = 0; i < 4; ++i) {
        QPoint p;
        if (!SkyToPixel(vs, HorizonToSky(site, vs.HorizonAlt, i * kPi / 2, gst), p)) continue;
        const QString letter = QString::fromLatin1(kPoints[i]);
        int x = p.x() - 8, y = p.y();
        // A letter that would be partly on the chart is moved in rather than cut off.
        const QRect box(x, y, metrics.horizontalAdvance(letter) + 1, metrics.height() + 1);
        if (box.intersects(QRect(0, 0, vs.Width, vs.Height))) {
            x = std::clamp(x, 0, std::max(0, vs.Width - metrics.horizontalAdvance(letter) - 1));
            y = std::clamp(y, 0, std::max(0, vs.Height - metrics.height()));
        }
        TextOut(painter, x, y, letter);
    }
    painter.setFont(saved);
}

void DrawBodies(QPainter& painter, const TViewState& vs, const TFrameState& frame, int alpha, TLabelPlacer& labels,
                const QColor& sky) {
    for (const TSatState& b : frame.bodies) {
        const TSkyBody* info = SkyBodyInfo(b.body);
        QPoint p;
        if (!info || !SkyToPixel(vs, b.radec, p)) continue;
        const double apparent = std::atan(info->diameter / b.radec.dist / 2) * kRadToDeg * vs.SkyScale;
        const int r = std::max(5, static_cast<int>(std::trunc(std::min(apparent, 1.0e6))));
        FillDisc(painter, p, r, info->colour);
        if (b.body == kBodySun || b.body == kBodyMoon) {
            if (r < 8) {
                painter.setBrush(Qt::NoBrush);
                FillEllipse(painter, p.x() - 15, p.y() - 15, p.x() + 15, p.y() + 15);
                painter.setBrush(info->colour);
            } else if (b.body == kBodyMoon) {
                DrawMoonIcon(painter, vs, frame, std::clamp(r, 30, 60), r + 1, p, alpha);
                painter.setPen(info->colour);
            }
        }
        labels.Add({QString::fromLatin1(info->label), p, r, QPoint(r + 2, 0), ReadableOn(painter.pen().color(), sky), 2.5});
    }
}

// One satellite marker with its label; magnitude after the label on request,
// marked "est" as the reports do when no standard magnitude is known.
void DrawSatellite(QPainter& painter, const QPoint& p, bool sunlit, const QString& label, bool showMag,
                   double magnitude, bool estimated, TLabelPlacer& labels, double priority) {
    QString text = label;
    if (showMag) text += Latin1(FormatArgs(estimated ? "(%0:4.2f est)" : "(%0:4.2f)", {magnitude}));
    DrawSatMarker(painter, p, kSatRadius, sunlit, QString(), QPoint(), kAqua);
    if (!text.isEmpty()) labels.Add({text, p, kSatRadius, QPoint(6, -6), kAqua, priority});
}

double SatMagnitude(const TFrameState& frame, const TSatState& s, bool sunlit, double stdMag) {
    const TSatState* sun = frame.Sun();
    const double fraction =
        sunlit && sun ? illum_fraction(&frame.look.pos, &s.pos, &sun->pos) : kShadowedFraction;
    return Calc_Magnitude(stdMag, s.radec.dist, fraction);
}

void DrawActiveSatellites(QPainter& painter, const TViewState& vs, const TFrameState& frame, TLabelPlacer& labels) {
    for (std::size_t i = 0; i < frame.sats.size(); ++i) {
        const TFrameSat& s = frame.sats[i];
        QPoint p;
        if (s.rec.decayed || !SkyToPixel(vs, s.state.radec, p)) continue;
        const bool sunlit = s.state.sunlit != 0;
        const double mag = frame.menu.showMagnitude ? SatMagnitude(frame, s.state, sunlit, s.rec.stdMag) : 0.0;
        DrawSatellite(painter, p, sunlit, frame.menu.showLabel ? Latin1(s.label) : QString(),
                      frame.menu.showMagnitude, mag, !SatMagnitudeKnown(s.rec), labels, SatLabelPriority(frame, i));
    }
}

void DrawSkySatellites(QPainter& painter, TViewState& vs, const TFrameState& frame, TLabelPlacer& labels) {
    const TSatState* sun = frame.Sun();
    if (!sun || !frame.skySats) return;
    const double limit = frame.options.magLimit;
    TSatState s{};
    for (const TSatRec& rec : *frame.skySats) {
        if (!(rec.stdMag < limit)) continue;
        if (!PropagateSatellite(rec, s, frame.look, kFillRaDec)) continue;
        if (!(Calc_Magnitude(rec.stdMag, s.radec.dist, kHalfLit) < limit)) continue;
        QPoint p;
        if (!SkyToPixel(vs, s.radec, p)) continue;
        const bool sunlit = SunLite(&s.pos, &sun->pos);
        const double mag = frame.menu.showMagnitude ? SatMagnitude(frame, s, sunlit, rec.stdMag) : 0.0;
        QString label;
        if (frame.menu.showLabel) label = Latin1(frame.menu.displayNumber ? rec.catNo.view() : rec.name.view());
        // The brighter first; all below the tracked satellites and the bodies.
        DrawSatellite(painter, p, sunlit, label, frame.menu.showMagnitude, mag, !SatMagnitudeKnown(rec), labels,
                      1.0 - std::clamp(rec.stdMag, -30.0, 30.0) / 100.0);
    }
}

// Returns the box drawn, which labels keep clear of.
QRect DrawOrientationBox(QPainter& painter, const TViewState& vs) {
    // Sized by the font: the readouts below the rose stay inside the box at
    // any font size or pixel ratio.
    const QFontMetrics fm = painter.fontMetrics();
    const int line = fm.height();
    const QString az = Latin1(FormatFloat(" Az: 000", vs.SkyCentreHoriz.az * kRadToDeg));
    const QString alt = Latin1(FormatFloat("Alt: 000", vs.SkyCentreHoriz.alt * kRadToDeg));
    const int cx = 44, cy = line + 22;
    const int width = std::max(98, std::max(fm.horizontalAdvance(az), fm.horizontalAdvance(alt)) + 16);
    const int height = cy + 26 + 2 * line;
    FillPixels(painter, QRect(0, 0, width, height), kWhite);
    FillPixels(painter, QRect(1, 1, width - 2, height - 2), QColor(Qt::black));
    double s = vs.SignX * std::sin(vs.Rotation);
    const double c = vs.SignY * std::cos(vs.Rotation);
    const bool mirrored = vs.SignX != vs.SignY;
    if (mirrored) s = -s;
    auto t = [](double v) { return static_cast<int>(std::lround(v)); };
    const int m = mirrored ? -1 : 1;
    painter.setPen(kWhite);
    painter.drawLine(cx, cy, cx + m * t(18 * s), cy - t(18 * c));
    painter.drawLine(cx, cy, cx - m * t(18 * c), cy - t(18 * s));
    // Letters centred on a circle just beyond the arms' ends.
    auto letter = [&](double dx, double dy, const QString& text) {
        TextOut(painter, cx + t(dx) - fm.horizontalAdvance(text) / 2, cy + t(dy) - line / 2, text);
    };
    letter(m * 28 * s, -28 * c, QStringLiteral("N"));
    letter(-m * 28 * c, -28 * s, QStringLiteral("E"));
    painter.setPen(kYellow);
    TextOut(painter, 8, cy + 26, az);
    TextOut(painter, 8, cy + 26 + line, alt);
    return QRect(0, 0, width, height);
}
}  // namespace

QColor SkyColourForSun(double sunAltitude) {
    // Day blue with the Sun up, through the civil, nautical and astronomical
    // twilights (the Sun at 0, -6, -12 and -18 degrees) to the night's black.
    static const struct {
        double alt;
        QColor colour;
    } kKeys[] = {{0.0, QColor(70, 130, 200)},
                 {-6.0, QColor(38, 62, 120)},
                 {-12.0, QColor(14, 22, 58)},
                 {-18.0, kNightSky}};
    const double a = sunAltitude * kRadToDeg;
    if (!(a < kKeys[0].alt)) return std::isnan(a) ? kNightSky : kKeys[0].colour;
    for (std::size_t i = 1; i < std::size(kKeys); ++i) {
        if (a < kKeys[i].alt) continue;
        const double f = (kKeys[i - 1].alt - a) / (kKeys[i - 1].alt - kKeys[i].alt);
        const QColor& p = kKeys[i - 1].colour;
        const QColor& q = kKeys[i].colour;
        auto mix = [f](int u, int v) { return static_cast<int>(std::lround(u + (v - u) * f)); };
        return QColor(mix(p.red(), q.red()), mix(p.green(), q.green()), mix(p.blue(), q.blue()));
    }
    return kNightSky;
}

const TSkyBody* SkyBodyInfo(int32_t code) {
    for (const TSkyBody& b : kSkyBodies)
        if (b.code == code) return &b;
    return nullptr;
}

void SkySignsFromMenu(const TMenuSettings& menu, int32_t& signX, int32_t& signY) {
    signX = signY = 1;
    if (menu.checked[kMenuOrientationInverted]) signX = signY = -1;
    if (menu.checked[kMenuOrientationMirrorEW]) signX = -1, signY = 1;
    if (menu.checked[kMenuOrientationMirrorNS]) signX = 1, signY = -1;
}

void SkyFrame(TViewState& vs, const TLatLon& site, double gst, bool fixAltAz, bool horizonOrientation,
              const TRaDec* follow) {
    if (vs.SkyScale < vs.SkyScaleMin) {
        Alt_az_to_ra_dec(&site, &vs.SkyCentreHoriz, &vs.SkyCentre, gst);
        const bool keep = kPi / 2 - vs.SkyCentreHoriz.alt < kNearZenith && std::isfinite(vs.SkyFacing);
        if (!keep && std::isfinite(vs.SkyFacing)) vs.SkyFacing = vs.SkyCentreHoriz.az;
        vs.Rotation = (keep ? vs.SkyFacing : vs.SkyCentreHoriz.az) - kPi;
        return;
    }
    if (follow) vs.SkyCentre = *follow;
    if (fixAltAz)
        Alt_az_to_ra_dec(&site, &vs.SkyCentreHoriz, &vs.SkyCentre, gst);
    else
        Ra_dec_to_alt_az(&site, &vs.SkyCentre, &vs.SkyCentreHoriz, gst);
    // Near the zenith the centre's azimuth swings (and turns half round as the
    // centre crosses it): the chart keeps facing the way it faced.
    const bool keep = kPi / 2 - vs.SkyCentreHoriz.alt < kNearZenith && std::isfinite(vs.SkyFacing);
    if (!keep) vs.SkyFacing = vs.SkyCentreHoriz.az;
    if (!horizonOrientation) {
        vs.Rotation = 0.0;
        return;
    }
    // Turn the chart so that the point straight below the centre in altitude
    // (near the zenith: the horizon point faced) lies straight below it on the
    // screen: the horizon is level.
    const double d = vs.CentreY / 2.0 / vs.SkyScale * kDegToRad;
    const TRaDec q = keep ? HorizonToSky(site, 0.0, vs.SkyFacing, gst)
                          : HorizonToSky(site, vs.SkyCentreHoriz.alt - d, vs.SkyCentreHoriz.az, gst);
    const double dRa = q.ra - vs.SkyCentre.ra;
    const double x = std::cos(q.dec) * std::sin(dRa);
    const double y = std::cos(vs.SkyCentre.dec) * std::sin(q.dec) -
                     std::sin(vs.SkyCentre.dec) * std::cos(q.dec) * std::cos(dRa);
    vs.Rotation = std::atan2(-x, -y);
}

void DrawStars(QPainter& painter, const TViewState& vs, const std::vector<TSkyRecord>& stars, double limit,
               const QColor& colour) {
    const double band = vs.Width / vs.SkyScale * kDegToRad;
    const double decLo = vs.SkyCentre.dec - band, decHi = vs.SkyCentre.dec + band;
    painter.setPen(colour);
    painter.setBrush(colour);
    const double grow = vs.SkyScale / 68.0;
    for (const TSkyRecord& star : stars) {
        if (!(star.mag < limit) || !(star.dec > decLo && star.dec < decHi)) continue;
        QPoint p;
        if (!SkyToPixel(vs, TRaDec{star.ra, star.dec, 0.0}, p)) continue;
        const int base = std::max(4, static_cast<int>(std::trunc(9.0 - star.mag)));
        const int size = std::min(35, static_cast<int>(std::trunc(std::min(base + grow, 35.0))));
        const int h = size / 2;
        FillEllipse(painter, p.x() - h, p.y() - h, p.x() + h, p.y() + h);
        if (vs.ShowStarNames && star.name.size() > 0) TextOut(painter, p.x(), p.y() - 15, Latin1(star.name.view()));
    }
}

void DrawConstellations(QPainter& painter, const TViewState& vs, const std::vector<TSkyRecord>& lines) {
    const std::size_t n = ConstellationLineCount(lines);
    for (std::size_t i = 0; i < n; ++i) {
        const TSkyRecord& a = lines[2 * i];
        const TSkyRecord& b = lines[2 * i + 1];
        QPoint pa, pb;
        const bool va = SkyToPixel(vs, TRaDec{a.ra, a.dec, 0.0}, pa);
        if (va && SkyToPixel(vs, TRaDec{b.ra, b.dec, 0.0}, pb)) {
            painter.setPen(kConstellationColour);
            painter.drawLine(pa, pb);
        }
        if (va && vs.ShowConstellationNames && a.name.size() > 2) {
            painter.setPen(kWhite);
            TextOut(painter, pa.x(), pa.y(), Latin1(a.name.view()));
        }
    }
}

void DrawSkyFrame(TViewState& vs, const TFrameState& frame, QImage& display) {
    PrepareSurface(display, vs);
    const TLatLon& site = frame.observer.pos;
    if (vs.ClipHorizon) vs.Zenith = HorizonToSky(site, kPi / 2, vs.SkyCentreHoriz.az, frame.gha);
    const TFrameSat* first = frame.FirstSat();
    // A satellite below the horizon is not followed: the chart stays on the sky.
    const bool follow = frame.menu.skyViewFixSatellite && first && !first->rec.decayed &&
                        first->state.altaz.alt > vs.HorizonAlt;
    SkyFrame(vs, site, frame.gha, frame.menu.skyViewFixAltAz, frame.menu.skyViewAltAz,
             follow ? &first->state.radec : nullptr);

    const int alpha = ShadowAlpha(vs, frame.options);
    QPainter painter;
    BeginPaint(painter, display, vs);
    TAltAz sunAltAz{-kHalfPi, 0.0};
    if (const TSatState* sun = frame.Sun()) Ra_dec_to_alt_az(&site, &sun->radec, &sunAltAz, frame.gha);
    const QColor sky = SkyColourForSun(sunAltAz.alt);
    DrawHorizon(painter, vs, site, frame.gha, sky);
    DrawCompass(painter, vs, site, frame.gha);
    if (frame.stars)
        DrawStars(painter, vs, SkyRecordsOfDate(vs.StarsOfDate, *frame.stars, frame.time),
                  0.03 * vs.SkyScale + frame.options.starMagBase, kWhite);
    if (vs.ShowConstellations && frame.constellations && vs.SkyScale < vs.Height / 7.0)
        DrawConstellations(painter, vs, SkyRecordsOfDate(vs.FiguresOfDate, *frame.constellations, frame.time));
    // Over the stars it hides, under what is tracked.
    if (frame.horizon && frame.menu.skyViewAltAz)
        DrawHorizonMask(painter, vs, site, frame.gha, *frame.horizon, vs.HorizonAlt, kHorizonMaskColour);
    TLabelPlacer labels(QRect(0, 0, vs.Width, vs.Height));
    DrawBodies(painter, vs, frame, alpha, labels, sky);
    DrawActiveSatellites(painter, vs, frame, labels);
    labels.Block(DrawOrientationBox(painter, vs));
    if (frame.menu.showSkySat) DrawSkySatellites(painter, vs, frame, labels);
    vs.LabelRects = labels.Draw(painter);
    painter.end();
    vs.Dirty = 0;
}
