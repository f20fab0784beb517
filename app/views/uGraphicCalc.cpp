#include "uGraphicCalc.h"

#include <algorithm>
#include <cmath>

#include "Zenora.h"
#include "uFormat.h"
#include "uTracking.h"

namespace {
// Pixel coordinates beyond this are not drawn anyway; keeps conversions defined.
constexpr double kPixelLimit = 1.0e8;

int ClampToInt(double v) {
    return static_cast<int>(std::clamp(v, -kPixelLimit, kPixelLimit));
}
}  // namespace

TViewMenu ViewMenuFrom(const TMenuSettings& m) {
    auto on = [&](TMenuItem item) { return m.checked[item] != 0; };
    TViewMenu v;
    v.displayNumber = on(kMenuDisplayNumber);
    v.tracks = on(kMenuTracks);
    v.satVis = on(kMenuSatVis);
    v.locVis = on(kMenuLocVis);
    v.grids = on(kMenuGrids);
    v.showLabel = on(kMenuShowLabel);
    v.showMagnitude = on(kMenuShowMagnitude);
    v.showSkySat = on(kMenuShowSkySat);
    v.skyViewAltAz = on(kMenuSkyViewAltAz);
    v.skyViewFixAltAz = on(kMenuSkyViewFixAltAz);
    v.skyViewFixSatellite = on(kMenuSkyViewFixSatellite);
    v.starToHorizon = on(kMenuStarToHorizon);
    v.constellations = on(kMenuConstellations);
    v.constellationNames = on(kMenuConstellationNames);
    v.starNames = on(kMenuStarNames);
    return v;
}

const TSatState* TFrameState::Moon() const {
    for (const TSatState& b : bodies)
        if (b.body == kBodyMoon) return &b;
    return nullptr;
}

void SetFrameSatellites(TFrameState& frame, const std::vector<TSatRec>& list, const TChoice& tracked) {
    frame.sats.clear();
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (!tracked(i)) continue;
        const TSatRec& rec = list[i];
        if (frame.sats.size() == kMaxActiveSats) break;
        TFrameSat s;
        s.rec = rec;
        s.label = frame.menu.displayNumber ? rec.catNo.str() : rec.name.str();
        frame.sats.push_back(std::move(s));
    }
    if (frame.sat1 >= frame.sats.size()) frame.sat1 = 0;
}

const std::vector<TSkyRecord>& SkyRecordsOfDate(TSkyOfDate& cache, const std::vector<TSkyRecord>& j2000,
                                                double t) {
    constexpr double kKeepDays = 1.0;  // precession moves a star 0.14" a day
    if (cache.source == j2000.data() && cache.count == j2000.size() && std::abs(t - cache.date) < kKeepDays)
        return cache.records;
    // The rotation from J2000 to the date, column by column.
    const double jd = t + kJulianOffset;
    TVector columns[3];
    const TVector axes[3] = {{1, 0, 0, 1}, {0, 1, 0, 1}, {0, 0, 1, 1}};
    for (int k = 0; k < 3; ++k) Precession(&axes[k], kPrecessFromJ2000, &columns[k], jd);
    cache.records = j2000;
    for (TSkyRecord& r : cache.records) {
        const double cd = std::cos(r.dec), v[3] = {cd * std::cos(r.ra), cd * std::sin(r.ra), std::sin(r.dec)};
        const double x = columns[0].x * v[0] + columns[1].x * v[1] + columns[2].x * v[2];
        const double y = columns[0].y * v[0] + columns[1].y * v[1] + columns[2].y * v[2];
        const double z = columns[0].z * v[0] + columns[1].z * v[1] + columns[2].z * v[2];
        r.ra = fmod2pi(std::atan2(y, x));
        r.dec = std::atan2(z, std::hypot(x, y));
    }
    cache.source = j2000.data();
    cache.count = j2000.size();
    cache.date = t;
    return cache.records;
}

void ComputeFrame(TFrameState& f, double t) {
    f.time = t;
    f.look = ObserverFrame(f.observer, t);
    f.gha = f.look.gha;
    const bool sky = f.options.viewMode == kViewSky;
    f.bodies.assign(sky ? 10 : 2, TSatState{});
    for (std::size_t i = 0; i < f.bodies.size(); ++i) {
        TSatState& b = f.bodies[i];
        b.body = sky ? kSkyBodyCodes[i] : (i == 0 ? kBodySun : kBodyMoon);
        ComputeBodyState(b, f.look, kFillAll);
    }
    for (TFrameSat& s : f.sats) {
        const TPropagated done = PropagateSatellite(s.rec, s.state, f.look, kFillAll);
        if (done) s.state.sunlit = SunLite(&s.state.pos, &f.bodies[0].pos) ? 1 : 0;
        if (s.rec.decayed != kDecayedRejected) s.rec.decayed = done ? 0 : 1;
    }
}

// ---- view state set-up ---------------------------------------------------

void ResizeViews(TViewState& vs, int width, int height, double pixelRatio) {
    width = std::max(width, 2);
    height = std::max(height, 2);
    if (!(pixelRatio >= 1.0 && pixelRatio <= 8.0)) pixelRatio = pixelRatio > 8.0 ? 8.0 : 1.0;
    vs.Width = width;
    vs.Height = height;
    vs.PixelRatio = pixelRatio;
    PrepareSurface(vs.Background, vs);
    vs.CentreX = width / 2;
    vs.CentreY = height / 2;
    // The largest 2:1 rectangle, centred: the map is never stretched.
    vs.MapH = std::max(1, std::min(height, width / 2));
    vs.MapW = 2 * vs.MapH;
    vs.MapX = (width - vs.MapW) / 2;
    vs.MapY = (height - vs.MapH) / 2;
    vs.MapScaleX = vs.MapW / kTwoPi;
    vs.MapScaleY = vs.MapH / kPi;
    vs.SkyScale = vs.SkyScaleMin = height / 80.0;
    vs.GlobeScale = height / kPi;
    vs.GlobeAux = height / 2.2;
    vs.Dirty = 1;
}

void PrepareSurface(QImage& image, const TViewState& vs) {
    const int w = static_cast<int>(std::lround(vs.Width * vs.PixelRatio));
    const int h = static_cast<int>(std::lround(vs.Height * vs.PixelRatio));
    if (image.width() != w || image.height() != h || image.format() != QImage::Format_ARGB32_Premultiplied)
        image = QImage(w, h, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(vs.PixelRatio);
}

double WholeSkyScale(const TViewState& vs) {
    // The horizon lies 90 degrees from a zenith centre: sqrt(2) * 180/pi
    // chart degrees out, with a little room for the compass letters.
    constexpr double kHorizonRadius = 1.4142135623730951 * kRadToDeg * 1.02;
    // Also below the zoomed-out limit, so the chart is drawn around the zenith.
    return std::min(std::min(vs.Width, vs.Height) / 2.0 / kHorizonRadius, vs.Width / 170.0 * 0.999);
}

std::string UpdateFieldLabel(TViewState& vs, TOptions& options) {
    double f = vs.Height / vs.SkyScale;
    options.skyField = f;
    if (f <= 90.0) {
        vs.SkyCutoff = -std::sin(f * kDegToRad);
    } else {
        vs.SkyCutoff = -0.5;
        f = 180.0;
    }
    const char* unit = "Deg";
    if (f < 1.0) {
        f *= 60.0;
        unit = "Min";
    }
    return FormatArgs("Size: %0:4.1f %1s", {f, unit});
}

std::string ApplyDisplayOptions(TViewState& vs, TOptions& options) {
    vs.Font = QFont(QString::fromLatin1(options.fontName.view().data(),
                                        static_cast<int>(options.fontName.size())),
                    std::clamp(int{options.fontSize}, 4, 72));
    vs.HorizonAlt = -Refraction(0.0, options.pressure, options.temperature);
    if (!std::isfinite(vs.HorizonAlt)) vs.HorizonAlt = 0.0;
    vs.Dirty = 1;
    vs.SkyScaleMin = vs.Width / 170.0;
    // Copies: the options record is packed, its fields must not be bound to references.
    double field = options.skyField, zoom = options.globeZoom;
    if (!(field > 0.0 && std::isfinite(field))) field = 75.0;
    if (!(zoom > 0.0 && std::isfinite(zoom))) zoom = kPi;
    vs.SkyScale = vs.Height / field;
    // A whole-sky chart stays whole; any other is at least SkyScaleMin.
    if (vs.SkyScale < vs.SkyScaleMin)
        vs.SkyScale = field > 90.0 ? std::min(vs.SkyScaleMin, WholeSkyScale(vs)) : vs.SkyScaleMin;
    vs.GlobeScale = vs.Height / zoom;
    return UpdateFieldLabel(vs, options);
}

std::string GoToZenith(TViewState& vs, TOptions& options) {
    vs.SkyScale = WholeSkyScale(vs);
    vs.SkyCentreHoriz.alt = kPi / 2 - 0.0001;
    // Facing the way the chart faced: no half turn on the way up.
    if (std::isfinite(vs.SkyFacing)) vs.SkyCentreHoriz.az = vs.SkyFacing;
    return UpdateFieldLabel(vs, options);
}

std::string ZoomSky(TViewState& vs, TOptions& options, double scale) {
    constexpr double kMaxScalePerHeight = 1.0 / 0.08;  // pixels per degree per pixel of height
    if (!std::isfinite(scale)) scale = vs.SkyScale;
    scale = std::min(scale, vs.Height * kMaxScalePerHeight);
    // Wider than the whole sky is the whole sky, centred on the zenith so that
    // the horizon is a circle inside the chart.
    if (vs.Height / scale > 90.0 || scale <= WholeSkyScale(vs)) return GoToZenith(vs, options);
    vs.SkyScale = scale;
    return UpdateFieldLabel(vs, options);
}

// ---- projections -----------------------------------------------------------

std::optional<QPoint> GlobeToPixel(const TViewState& vs, const TLatLon& p, double minCos, double radius,
                                   double* cosCOut) {
    const double sinLatC = std::sin(vs.GlobeCentre.lat), cosLatC = std::cos(vs.GlobeCentre.lat);
    const double sinLat = std::sin(p.lat), cosLat = std::cos(p.lat);
    const double cosDLon = std::cos(p.lon - vs.GlobeCentre.lon);
    const double cosC = sinLatC * sinLat + cosLatC * cosLat * cosDLon;
    const double x = radius * cosLat * std::sin(vs.GlobeCentre.lon - p.lon);
    const double y = radius * (cosLatC * sinLat - sinLatC * cosLat * cosDLon);
    if (cosCOut) *cosCOut = cosC;
    if (!(cosC > minCos && std::isfinite(x) && std::isfinite(y))) return std::nullopt;
    return QPoint(vs.CentreX - ClampToInt(std::trunc(x)), vs.CentreY + ClampToInt(std::trunc(-y)));
}

std::optional<QPoint> GeoToPixel(const TViewState& vs, const TLatLon& p, double minCos, double* cosC) {
    if (vs.ViewMode == kViewGlobe) return GlobeToPixel(vs, p, minCos, vs.GlobeScale, cosC);
    if (cosC) *cosC = 0.0;
    if (vs.ViewMode == kViewSky) return std::nullopt;
    const double x = std::min((kPi + p.lon) * vs.MapScaleX, static_cast<double>(vs.MapW));
    const double y = std::min((kPi / 2 - p.lat) * vs.MapScaleY, static_cast<double>(vs.MapH));
    if (!std::isfinite(x) || !std::isfinite(y)) return std::nullopt;
    if (cosC) *cosC = 1.0;
    return QPoint(vs.MapX + ClampToInt(std::trunc(x)), vs.MapY + ClampToInt(std::trunc(y)));
}

std::optional<TLatLon> PixelToGeo(const TViewState& vs, const QPoint& pixel) {
    if (vs.ViewMode != kViewGlobe) {
        const double x = std::clamp(pixel.x() - vs.MapX, 0, vs.MapW);
        const double y = std::clamp(pixel.y() - vs.MapY, 0, vs.MapH);
        return TLatLon{kPi / 2 - y / vs.MapScaleY, x / vs.MapScaleX - kPi, 0.0};
    }
    const double r = vs.GlobeScale;
    const double dx = (vs.CentreX - pixel.x()) / r, dy = (vs.CentreY - pixel.y()) / r;
    double rho = std::sqrt(dx * dx + dy * dy);
    if (!(rho <= 1.0)) return std::nullopt;
    if (rho <= 0.0) rho = 1e-8;
    const double c = std::asin(rho);
    const double sinC = std::sin(c), cosC = std::cos(c);
    const double sinLatC = std::sin(vs.GlobeCentre.lat), cosLatC = std::cos(vs.GlobeCentre.lat);
    TLatLon p{};
    p.height = kEarthRadius;
    p.lat = std::asin(std::clamp(cosC * sinLatC + dy * sinC * cosLatC / rho, -1.0, 1.0));
    double lon = vs.GlobeCentre.lon - std::atan2(dx * sinC, rho * cosLatC * cosC - dy * sinLatC * sinC);
    if (lon > kPi) lon -= kTwoPi;
    if (lon < -kPi) lon += kTwoPi;
    p.lon = lon;
    return p;
}

bool SkyToPixel(const TViewState& vs, const TRaDec& p, QPoint& pixel) {
    const double sinDec = std::sin(p.dec), cosDec = std::cos(p.dec);
    const bool cutoff = vs.SkyCutoff.has_value();
    if (vs.ClipHorizon && cutoff) {
        const double cosZ = std::sin(vs.Zenith.dec) * sinDec +
                            std::cos(vs.Zenith.dec) * cosDec * std::cos(p.ra - vs.Zenith.ra);
        if (cosZ < vs.HorizonAlt) return false;
    }
    const double sinDec0 = std::sin(vs.SkyCentre.dec), cosDec0 = std::cos(vs.SkyCentre.dec);
    const double dRa = p.ra - vs.SkyCentre.ra;
    const double cosDRa = std::cos(dRa);
    const double cosC = sinDec0 * sinDec + cosDec0 * cosDec * cosDRa;
    if (cutoff && cosC <= *vs.SkyCutoff) return false;
    // The antipode of the centre has no single place on the chart.
    if (!(1.0 + cosC > 1e-12)) return false;
    const double x = cosDec * std::sin(dRa);
    const double y = cosDec0 * sinDec - sinDec0 * cosDec * cosDRa;
    const double cr = std::cos(vs.Rotation), sr = std::sin(vs.Rotation);
    const double xr = vs.SignX * (cr * x - sr * y);
    const double yr = vs.SignY * (sr * x + cr * y);
    const double k = std::sqrt(2.0 / (1.0 + cosC)) * vs.SkyScale * kRadToDeg;
    const double px = std::ceil(xr * k), py = std::ceil(yr * k);
    if (!std::isfinite(px) || !std::isfinite(py)) return false;
    pixel = QPoint(vs.CentreX - ClampToInt(px), vs.CentreY - ClampToInt(py));
    return true;
}

std::optional<TRaDec> PixelToSky(const TViewState& vs, const QPoint& pixel) {
    const double xs = vs.SignX * static_cast<double>(vs.CentreX - pixel.x());
    const double ys = vs.SignY * static_cast<double>(vs.CentreY - pixel.y());
    const double cr = std::cos(vs.Rotation), sr = std::sin(vs.Rotation);
    const double x = (cr * xs + sr * ys) / vs.SkyScale * kDegToRad;
    const double y = (-sr * xs + cr * ys) / vs.SkyScale * kDegToRad;
    const double rho = std::min(std::sqrt(x * x + y * y), 2.0);
    if (vs.SkyScale < vs.SkyScaleMin && rho > 1.42) return std::nullopt;
    if (rho < 1e-7) {
        // The centre pixel is the chart centre, not "off the chart".
        return TRaDec{vs.SkyCentre.ra, vs.SkyCentre.dec, 0.0};
    }
    const double c = 2.0 * std::asin(rho / 2.0);
    const double sinC = std::sin(c), cosC = std::cos(c);
    const double sinDec0 = std::sin(vs.SkyCentre.dec), cosDec0 = std::cos(vs.SkyCentre.dec);
    return TRaDec{fmod2pi(std::atan2(x * sinC, rho * cosDec0 * cosC - y * sinDec0 * sinC) + vs.SkyCentre.ra),
                  std::asin(std::clamp(cosC * sinDec0 + y * sinC * cosDec0 / rho, -1.0, 1.0)), 0.0};
}

void SmallCircle(const TLatLon& centre, std::vector<TLatLon>& points, double distance, int n) {
    points.assign(static_cast<std::size_t>(std::max(n, 0)), TLatLon{centre.lat, centre.lon, 0.0});
    if (n < 2) return;
    // A body at or below the surface sees no horizon: the circle shrinks to its centre.
    const double ratio = kEarthRadius / distance;
    const double c = distance > kEarthRadius && std::isfinite(ratio) ? std::acos(ratio) : 0.0;
    const double sinC = std::sin(c), cosC = std::cos(c);
    const double sinLat0 = std::sin(centre.lat), cosLat0 = std::cos(centre.lat);
    const double sinLon0 = std::sin(centre.lon), cosLon0 = std::cos(centre.lon);
    const double step = kTwoPi / (n - 1);
    for (int i = 0; i < n; ++i) {
        const double theta = kPi / 2 + i * step;
        const double a = sinC * std::cos(theta), b = sinC * std::sin(theta);
        const double x1 = cosLat0 * cosC - sinLat0 * a;
        const double y1 = b;
        const double z1 = sinLat0 * cosC + cosLat0 * a;
        const double x2 = cosLon0 * x1 - sinLon0 * y1;
        const double y2 = sinLon0 * x1 + cosLon0 * y1;
        points[static_cast<std::size_t>(i)] = TLatLon{std::asin(std::clamp(z1, -1.0, 1.0)), std::atan2(y2, x2), 0.0};
    }
}

int PixelDistance(const QPoint& a, const QPoint& b) {
    const double dx = static_cast<double>(a.x()) - b.x(), dy = static_cast<double>(a.y()) - b.y();
    return static_cast<int>(std::trunc(std::min(std::sqrt(dx * dx + dy * dy), kPixelLimit)));
}
