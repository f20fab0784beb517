#include "uGoogle.h"

#include <cmath>

#include "Satellite.h"
#include "Zenora.h"
#include "uDataFiles.h"
#include "uFileIO.h"
#include "uFlares.h"
#include "uFormat.h"
#include "uTracking.h"

namespace {
constexpr double kMinLimitWidth = 0.2;     // narrower strips get no limit lines
constexpr double kFlareSampleStep = 2.0;   // s
constexpr int kFlareSamples = 11;

class TKml {
public:
    void Line(std::string_view s) {
        text_ += s;
        text_ += '\n';
    }
    void Open(const TSite& site) {
        Line("<?xml version=\"1.0\" encoding=\"UTF-8\"?>");
        Line(std::string("<kml xmlns=\"") + kKmlNamespace + "\">");
        Line(" <Document>");
        // Both documents reference both line styles, so both define them.
        for (const char* style : {"OrbiskStyle1", "OrbiskStyle2"}) {
            Line(std::string("  <Style id=\"") + style + "\">");
            Line("   <LineStyle>");
            Line(style[11] == '1' ? "     <color>ff00ffff</color>" : "     <color>ffff00ff</color>");
            Line("     <width>2</width>");
            Line("     <tessellate>1</tessellate>");
            Line("    </LineStyle>");
            Line("  </Style>");
        }
        Line("  <Placemark>");
        Line("\t   <name>" + KmlText(site.name) + "</name>");
        Line("   <description>Observer Location</description>");
        Line("     <Point>");
        Line("      <coordinates>" +
             KmlCoordinate(Degrees(site.geo.lon), Degrees(site.geo.lat)) +
             "</coordinates>");
        Line("     </Point>");
        Line("  </Placemark>");
    }
    void Close() {
        Line("</Document>");
        Line("</kml>");
    }
    void LinePlacemark(std::string_view name, int style, std::string_view description,
                       const std::vector<std::string>& coordinates) {
        Line("  <Placemark>");
        Line("   <name>" + KmlText(name) + "</name>");
        Line(style == 1 ? "   <styleUrl>#OrbiskStyle1</styleUrl>"
                        : "   <styleUrl>#OrbiskStyle2</styleUrl>");
        Line("   <description>" + KmlText(description) + "</description>");
        Line("    <LineString>");
        Line("      <coordinates>");
        for (const std::string& c : coordinates) Line("        " + c);
        Line("      </coordinates>");
        Line("    </LineString>");
        Line("  </Placemark>");
    }
    void PointPlacemark(std::string_view name, std::string_view description,
                        std::string_view coordinate) {
        Line("  <Placemark>");
        Line("   <name>" + KmlText(name) + "</name>");
        Line("   <description>" + KmlText(description) + "</description>");
        Line("     <Point>");
        Line("      <coordinates>");
        Line("       " + std::string(coordinate));
        Line("      </coordinates>");
        Line("     </Point>");
        Line("  </Placemark>");
    }
    TStatus Write(const std::string& path) const { return WriteFileAtomic(path, text_); }

private:
    std::string text_;
};

std::string CoordinateOf(const TLatLon& p) {
    return KmlCoordinate(fmodall180(Degrees(p.lon)), Degrees(p.lat));
}
}  // namespace

std::string KmlCoordinate(double lonDeg, double latDeg) {
    return FormatFloat("###0.0000", lonDeg) + "," + FormatFloat("##0.0000", latDeg);
}

std::string KmlText(std::string_view latin1) {
    std::string out;
    out.reserve(latin1.size());
    for (char ch : latin1) {
        const unsigned char c = static_cast<unsigned char>(ch);
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            default:
                if (c < 0x20 && c != '\t') {
                    out += ' ';  // control bytes are not XML characters
                } else if (c < 0x80) {
                    out += ch;
                } else {
                    out += static_cast<char>(0xC0 | (c >> 6));
                    out += static_cast<char>(0x80 | (c & 0x3F));
                }
        }
    }
    return out;
}

TStatus KmlNothingToExport() { return TStatus::Failure(TStatusKind::notFound, kKmlExportFailed); }

TStatus ExportGroundPathKml(const TGroundPathResult& result, const std::vector<TSatRec>& sats,
                            const std::string& title, const std::string& path,
                            const TSite& site, double displayOffset, double distanceFactor) {
    const double radius = std::hypot(site.rhoSin, site.rhoCos) > 0.0
                              ? std::hypot(site.rhoSin, site.rhoCos)
                              : kEarthRadius;
    TKml kml;
    kml.Open(site);
    for (const TGroundPath& track : result.paths) {
        const TSatRec& sat = sats[track.satellite];
        const std::string satellite(TrimText(sat.name.str() + "  -  " + sat.catNo.str()));
        std::vector<std::string> centre, right, left;
        // The track's direction from its first two points; limits lie across it.
        double b = 0.0;
        if (track.rows.size() > 1) b = Az_2latlon(&track.rows[0].point, &track.rows[1].point);
        for (const TPathRow& r : track.rows) {
            centre.push_back(KmlCoordinate(r.row.longitude, r.row.latitude));
            if (r.row.width * distanceFactor > kMinLimitWidth) {
                TLatLon p{};
                // Bearings grow clockwise, so b + 90° lies to the right of the track.
                Az_dist_to_lat_lon(&r.point, &p, fmod2pi(b + kHalfPi), r.widthKm, radius);
                right.push_back(CoordinateOf(p));
                Az_dist_to_lat_lon(&r.point, &p, fmod2pi(b - kHalfPi), r.widthKm, radius);
                left.push_back(CoordinateOf(p));
            }
        }
        kml.LinePlacemark(title, 1, satellite, centre);
        if (centre.empty()) continue;
        const TPathRow& first = track.rows.front();
        kml.PointPlacemark(satellite,
                           "Start Point Time - " +
                               FormatDateTime("mm/dd HH:nn:ss", first.row.t + displayOffset),
                           centre.front());
        if (!right.empty()) kml.LinePlacemark("Right Limit", 2, satellite, right);
        if (!left.empty()) kml.LinePlacemark("Left Limit", 2, satellite, left);
    }
    kml.Close();
    return kml.Write(path);
}

TStatus ExportFlareKml(const std::vector<TPassRecord>& passes, const std::string& path,
                       const TSite& site, double displayOffset) {
    if (passes.empty()) return KmlNothingToExport();
    TKml kml;
    kml.Open(site);
    bool any = false;
    for (const TPassRecord& record : passes) {
        if (!record.satellite) continue;
        const TSatRec& sat = *record.satellite;
        const std::string title = PassTitle(sat, true);
        double t = record.start;
        TSatState sun{};
        sun.body = kBodySun;
        PlanetVector(kBodySun, sun.pos, t);
        const std::string startText = DefaultDateTimeText(t + displayOffset);
        int32_t mirror = 0;
        std::vector<std::string> track;
        std::string startPoint;
        for (int i = 0; i < kFlareSamples; ++i, t += kFlareSampleStep / kSecondsPerDay) {
            const TFrame frame = ObserverFrame(site, t);
            TSatState state{};
            if (!PropagateSatellite(sat, state, frame, kFillPosition)) continue;
            TVector reflection{};
            double angle = 180.0;
            int32_t used = 0;
            IridiumCalc(&frame.pos, &state.pos, &state.vel, &sun, &reflection, &angle, &used, mirror);
            mirror = used;
            if (!(reflection.r > 0.0)) continue;  // no lit mirror: no beam
            TVector centre{};
            double range = 0.0;
            IridTrkVect(&reflection, &state.pos, &centre, frame.pos.r, &range);
            if (!(centre.r > 0.0)) continue;
            TLatLon ll{};
            Vect_to_lat_lon_height(&centre, &ll, frame.gha);
            if (i == 0) continue;  // the first sample only sets the mirror
            const std::string pair = CoordinateOf(ll);
            if (startPoint.empty()) startPoint = pair;
            track.push_back(pair);
        }
        if (track.empty()) continue;
        any = true;
        kml.LinePlacemark("Right Limit", 2, title, track);
        kml.PointPlacemark(title, "Start Point Time - " + startText, startPoint);
    }
    kml.Close();
    return any ? kml.Write(path) : KmlNothingToExport();
}
