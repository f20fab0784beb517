#include "uFlares.h"

#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <ctime>

#include "Satellite.h"
#include "Zenora.h"
#include "uFormat.h"
#include "uReach.h"
#include "uTracking.h"

namespace {
constexpr double kMsPerDay = 86400000.0;

// The flare brightness model of the flare list. On the centre line of the
// reflected beam: kCentreMagnitude at kBeamRangeUnit from the satellite with
// the Sun square on the mirror, fainter with the square of the range over
// kMirrorGain and with the cosine of half the angle of incidence. At the
// observer: scaled by log10(kFlareFadeAngle / angle), so the flare fades
// out kFlareFadeAngle degrees off the centre line, plus kExtinction x
// cos(elevation). The figures are the flare list's own empirical model,
// kept as they stand so lists stay comparable with earlier ones.
constexpr double kCentreMagnitude = -7.5;
constexpr double kBeamRangeUnit = 1000.0;   // km
constexpr double kMirrorGain = 1.62;
constexpr double kFlareFadeAngle = 2.2;     // degrees
constexpr double kExtinction = 1.25;        // magnitudes

// One satellite's scan: the record read in place, the frame of the last sample.
struct TFlareScan {
    const TFlareInputs& in;
    std::size_t index;
    const TSatRec& sat;
    const TSite& site;
    TFrame frame{};
    TSatState state{};
    TSatState sun{};
    double sampleTime = 0.0;
    TVector reflection{};
    double angle = kNoFlareAngle;
    int32_t mirrorUsed = 0;
    int32_t mirror = 0;

    TFlareScan(const TFlareInputs& i, std::size_t k, const TSatRec& s, const TSite& where)
        : in(i), index(k), sat(s), site(where) {
        sun.body = kBodySun;
    }

    void SunAt(double t) { PlanetVector(kBodySun, sun.pos, t); }

    // Satellite at t (altitude, azimuth and range filled) and its mirror angle.
    bool Sample(double t) {
        sampleTime = t;
        frame = ObserverFrame(site, t);
        if (!PropagateSatellite(sat, state, frame, kFillLookAngles)) {
            angle = kNoFlareAngle;
            return false;
        }
        IridiumCalc(&frame.pos, &state.pos, &state.vel, &sun, &reflection, &angle, &mirrorUsed,
                    mirror);
        return true;
    }

    bool Sunlit() const { return SunLite(&state.pos, &sun.pos); }

    void Record(std::vector<TFlare>& out);
};

void TFlareScan::Record(std::vector<TFlare>& out) {
    TVector centre{};
    double beamRange = 0.0;
    IridTrkVect(&reflection, &state.pos, &centre, frame.pos.r, &beamRange);
    const double sunAngle = Angle_3vect(&state.pos, &centre, &sun.pos);
    const double magC = CentreLineMagnitude(beamRange, sunAngle);
    const double mag = FlareMagnitude(angle, state.altaz.alt, magC);
    if (!(mag <= in.magLimit)) return;  // fainter than the limit (or not a number)
    if (in.horizon && state.altaz.alt < in.horizon->Limit(state.altaz.az, kFlareMinElevation)) return;

    TLatLon centreLL{};
    Vect_to_lat_lon_height(&centre, &centreLL, frame.gha);

    TFlare flare;
    flare.satellite = index;
    flare.t = sampleTime;
    flare.angle = angle;
    flare.mirror = mirrorUsed;
    flare.gha = frame.gha;
    flare.observerPos = frame.pos;
    flare.satPos = state.pos;
    flare.satVel = state.vel;
    flare.sunPos = sun.pos;
    flare.reflection = reflection;
    flare.centre = centre;
    flare.beamRange = beamRange;
    TFlareRow& row = flare.row;
    row.t = sampleTime;
    row.id = FlareId(sat);
    row.elevation = Degrees(state.altaz.alt);
    row.azimuth = Degrees(state.altaz.az);
    row.range = state.radec.dist;
    row.magnitude = mag;
    row.centreLat = Degrees(centreLL.lat);
    row.centreLon = Degrees(centreLL.lon);
    row.bearing = Degrees(Az_2latlon(&site.geo, &centreLL));
    row.distance = Dist_2latlon(&site.geo, &centreLL);
    row.centreMagnitude = magC;
    out.push_back(std::move(flare));
}

void ScanSatellite(TFlareScan& s, const std::vector<TTimeInterval>& intervals, const TStop& stop,
                   std::vector<TFlare>& out) {
    // The back-off step: the fine step that led to the current sample.
    double fineStepMs = 0.0;
    for (const TTimeInterval& interval : intervals) {
        const double e = interval.end;
        double t = interval.start;
        while (t < e && !stop()) {
            t = SearchCrossing(TEdge::kRise, s.sat, s.state, kFlareMinElevation, t, e, s.site).t;
            if (!(t < e)) break;

            double previous = kNoFlareAngle;
            s.mirror = 0;
            s.SunAt(t);  // serves the pass until a back-off
            if (!s.Sample(t)) break;
            bool sampled = true;  // at t already
            bool sunlitChecked = false;
            while (s.state.altaz.alt > kFlareMinElevation) {
                if (!sampled && !s.Sample(t)) break;
                sampled = false;
                if (s.angle < kFlareAngleLimit && s.angle > previous) {
                    // Past the minimum: back to the sample before.
                    t -= fineStepMs / kMsPerDay;
                    s.SunAt(t);
                    s.Sample(t);
                    if (s.Sunlit()) {
                        sunlitChecked = true;
                        break;
                    }
                    s.angle = kNoFlareAngle;  // a minimum in the Earth's shadow
                }
                if (s.angle > previous) s.angle = kNoFlareAngle;
                previous = s.angle;
                s.mirror = s.angle < kMirrorLockAngle ? s.mirrorUsed : 0;
                double stepMs = kCoarseStepMs;
                if (s.angle < kFineStepAngle) {
                    stepMs = std::max(kMinStepMs, std::trunc(s.angle * kFineStepMsPerDegree));
                    fineStepMs = stepMs;
                }
                t += stepMs / kMsPerDay;
                if (!(t < e)) {
                    s.angle = kNoFlareAngle;
                    break;
                }
            }
            // A minimum still falling when the satellite set is listed at the
            // last sample, but only when the mirror is lit at all.
            if (s.angle < kFlareAngleLimit && (sunlitChecked || s.Sunlit())) s.Record(out);
            t += std::trunc(0.7 * SafePeriodDays(s.sat) * kMinutesPerDay) / kMinutesPerDay;
        }
    }
}

}  // namespace

double CentreLineMagnitude(double beamRange, double sunAngle) {
    double c = std::cos(sunAngle / 2.0);
    if (!(c > 1e-9)) c = 1e-9;  // grazing light: very faint, not a log of zero
    const double r = beamRange / kBeamRangeUnit;
    return 2.5 * std::log10(r * r / (kMirrorGain * c)) + kCentreMagnitude;
}

double FlareMagnitude(double angle, double elevation, double centreMagnitude) {
    const double mag =
        std::log10(kFlareFadeAngle / angle) * centreMagnitude + kExtinction * std::cos(elevation);
    return mag < centreMagnitude || !std::isfinite(mag) ? centreMagnitude : mag;
}

std::string FlareId(const TSatRec& satellite) {
    const std::string name = satellite.name.str();
    if (name.size() <= 8) return {};
    const std::string rest = name.substr(8);
    const auto first = rest.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    return rest.substr(first, rest.find_last_not_of(' ') - first + 1);
}

std::string DefaultDateTimeText(double dayNumber) {
    return FormatDateTime("yyyy-mm-dd HH:nn:ss", dayNumber);
}

std::string FileDateText(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return {};
    std::tm local{};
    const std::time_t when = st.st_mtime;
    if (!localtime_r(&when, &local)) return {};
    return DefaultDateTimeText(EncodeDayNumber(local.tm_year + 1900, local.tm_mon + 1,
                                               local.tm_mday, local.tm_hour, local.tm_min,
                                               local.tm_sec));
}

TFlareResult RunFlareSearch(const TFlareInputs& in, const std::vector<TSatRec>& iridium,
                            const TSite& site, unsigned threads, TSearchControl* control) {
    TFlareResult result;
    std::vector<TTimeInterval> intervals;
    if (in.start < in.stop) {
        TSatState sun{};
        sun.body = kBodySun;
        BodyIntervals(sun, in.dayFlares, !in.dayFlares, in.start, in.stop, kFlareSunLimit,
                      intervals, site);
    }
    result.status = RunPerObject(
        iridium, [](const TSatRec&) { return true; }, threads, control,
        [&](std::size_t i, const TSetWindow& window, const TStop& stop, std::vector<TFlare>& out) {
            if (!CanRiseTo(iridium[i], site, kFlareMinElevation)) return;
            TFlareScan scan(in, i, iridium[i], site);
            ScanSatellite(scan, window.Whole() ? intervals : ClipIntervals(intervals, window), stop, out);
        },
        [](const auto& r) { return RecordTimes(r); }, result.flares);

    // The pass list keeps search order; the flares go in report order.
    TSatelliteHandles handles(iridium);
    for (const TFlare& f : result.flares) {
        TPassRecord record{};
        record.title = PassTitle(iridium[f.satellite]);
        record.magnitude = f.row.magnitude;
        record.maxElevation = f.row.elevation;
        record.start = f.t - kFlareRecordSpan / kSecondsPerDay;
        record.end = f.t + kFlareRecordSpan / kSecondsPerDay;
        record.satellite = handles[f.satellite];
        result.passes.push_back(record);
    }
    result.skyCharts = !result.passes.empty();
    SortFlaresForReport(result.flares, in.displayOffset);
    return result;
}
