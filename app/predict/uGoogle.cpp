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
constexpr double kRadToDeg = 57.29577951308232;
constexpr double kDegToRad = 0.017453292519943295;
constexpr double kMinLimitWidth = 0.2;     // narrower strips get no limit lines
constexpr double kFlareSampleStep = 2.0;   // s
constexpr int kFlareSamples = 11;

// Ground-path rows after their leading blanks are trimmed (1-based columns).
constexpr std::size_t kRowTimeFirst = 1, kRowTimeLast = 16;
constexpr std::size_t kRowLatFirst = 17, kRowLatLast = 25;
constexpr std::size_t kRowLonFirst = 27, kRowLonLast = 36;
constexpr std::size_t kRowWidthFirst = 37, kRowWidthLast = 42;

class TKml {
public:
    void Line(std::string_view s) {
        text_ += s;
        text_ += '\n';
    }
    void Open(const TObserver& observer) {
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
        Line("\t   <name>" + KmlText(observer.name.str()) + "</name>");
        Line("   <description>Observer Location</description>");
        Line("     <Point>");
        Line("      <coordinates>" +
             KmlCoordinate(observer.pos.lon * kRadToDeg, observer.pos.lat * kRadToDeg) +
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
    bool Write(const std::string& path, std::string* why) const { return WriteFileAtomic(path, text_, 0644, why); }

private:
    std::string text_;
};

std::string Trim(std::string_view s) { return std::string(TrimText(s)); }

bool StartsWith(std::string_view s, std::string_view prefix) {
    return s.substr(0, 8) == prefix.substr(0, 8);
}

struct TPathRowText {
    std::string time, lat, lon;
    TLatLon point{};
    double width = 0.0;
};

bool ParsePathRow(std::string_view trimmed, TPathRowText& row) {
    row.time = Trim(DataColumns(trimmed, kRowTimeFirst, kRowTimeLast));
    row.lat = Trim(DataColumns(trimmed, kRowLatFirst, kRowLatLast));
    row.lon = Trim(DataColumns(trimmed, kRowLonFirst, kRowLonLast));
    double lat = 0.0, lon = 0.0;
    if (!ParseNumber(row.lat, lat) || !ParseNumber(row.lon, lon) || std::fabs(lat) > 90.0 ||
        std::fabs(lon) > 360.0)
        return false;
    if (!ParseNumber(DataColumns(trimmed, kRowWidthFirst, kRowWidthLast), row.width))
        row.width = 0.0;
    row.point = TLatLon{lat * kDegToRad, lon * kDegToRad, 0.0};
    return true;
}

std::string CoordinateOf(const TLatLon& p) {
    return KmlCoordinate(fmodall180(p.lon * kRadToDeg), p.lat * kRadToDeg);
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

bool ExportGroundPathKml(const TReportLines& lines, const std::string& path,
                         const TObserver& observer, double distanceFactor, std::string* writeError) {
    if (!(distanceFactor > 0.0) || !std::isfinite(distanceFactor)) distanceFactor = 1.0;
    const double radius = std::hypot(observer.rhoSin, observer.rhoCos) > 0.0
                              ? std::hypot(observer.rhoSin, observer.rhoCos)
                              : kEarthRadius;
    TKml kml;
    kml.Open(observer);
    const std::string title = lines.empty() ? std::string() : Trim(lines.front());
    std::string satellite;

    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string line = Trim(lines[i]);
        if (StartsWith(line, "Satellite:")) {
            satellite = line.size() > 10 ? Trim(std::string_view(line).substr(10)) : "";
            continue;
        }
        if (!StartsWith(line, "MM/DD Time")) continue;

        std::vector<std::string> centre, right, left;
        std::string startPoint, startTime;
        double b = 0.0;
        bool first = true;
        std::size_t j = i + 1;
        for (; j < lines.size(); ++j) {
            const std::string rowText = Trim(lines[j]);
            if (rowText == "End of track") break;
            TPathRowText row;
            if (!ParsePathRow(rowText, row)) continue;
            if (first) {
                first = false;
                startTime = row.time;
                startPoint = row.lon + "," + row.lat;
                TPathRowText next;
                if (j + 1 < lines.size() && Trim(lines[j + 1]) != "End of track" &&
                    ParsePathRow(Trim(lines[j + 1]), next))
                    b = Az_2latlon(&row.point, &next.point);
            }
            centre.push_back(row.lon + "," + row.lat);
            if (row.width > kMinLimitWidth) {
                const double km = row.width / distanceFactor;
                TLatLon p{};
                // Bearings grow clockwise, so b + 90° lies to the right of the track.
                Az_dist_to_lat_lon(&row.point, &p, fmod2pi(b + kHalfPi), km, radius);
                right.push_back(CoordinateOf(p));
                Az_dist_to_lat_lon(&row.point, &p, fmod2pi(b - kHalfPi), km, radius);
                left.push_back(CoordinateOf(p));
            }
        }
        kml.LinePlacemark(title, 1, satellite, centre);
        if (!centre.empty()) {
            kml.PointPlacemark(satellite, "Start Point Time - " + startTime, startPoint);
            if (!right.empty()) kml.LinePlacemark("Right Limit", 2, satellite, right);
            if (!left.empty()) kml.LinePlacemark("Left Limit", 2, satellite, left);
        }
        i = j;  // continue after "End of track"
    }
    kml.Close();
    return kml.Write(path, writeError);
}

bool ExportFlareKml(const std::vector<TPassRecord>& passes, const std::string& path,
                    const TObserver& observer, double displayOffset, std::string* writeError) {
    if (passes.empty()) return false;
    TKml kml;
    kml.Open(observer);
    bool any = false;
    for (const TPassRecord& record : passes) {
        TObserver o = observer;
        TSatRec sat = record.elements;
        const std::string title = PassTitle(sat, true);
        double t = record.start;
        ObserverVector(t, o);
        TSatState sun{};
        sun.body = kBodySun;
        PlanetVector(kBodySun, sun.pos, t);
        const std::string startText = DefaultDateTimeText(t + displayOffset);
        int32_t mirror = 0;
        std::vector<std::string> track;
        std::string startPoint;
        for (int i = 0; i < kFlareSamples; ++i, t += kFlareSampleStep / kSecondsPerDay) {
            const double gha = ObserverVector(t, o);
            TSatState state{};
            state.mode = 0;
            if (!PropagateSatellite(sat, state, t, gha, o)) continue;
            TVector reflection{};
            double angle = 180.0;
            int32_t used = 0;
            IridiumCalc(&o.vect, &state.pos, &state.vel, &sun, &reflection, &angle, &used, mirror);
            mirror = used;
            if (!(reflection.r > 0.0)) continue;  // no lit mirror: no beam
            TVector centre{};
            double range = 0.0;
            IridTrkVect(&reflection, &state.pos, &centre, o.vect.r, &range);
            if (!(centre.r > 0.0)) continue;
            TLatLon ll{};
            Vect_to_lat_lon_height(&centre, &ll, gha);
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
    return any && kml.Write(path, writeError);
}
