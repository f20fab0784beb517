// Sun and Moon right ascension, declination, altitude and azimuth for now at
// the default observer, computed through libzenora.
#include <cstdio>
#include <ctime>
#include <string>

#include "Zenora.h"
#include "uText.h"

namespace {
constexpr double kDefaultLat = 0.933, kDefaultLon = -1.18, kDefaultHeight = 1.0;

// The library's texts are single-byte (degree sign 0xB0) and live in one
// buffer per thread, so each is copied (as UTF-8) before the next call.
std::string Utf8(const char* latin1) {
    std::string out;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(latin1); *p; ++p) {
        if (*p < 0x80) {
            out += static_cast<char>(*p);
        } else {
            out += static_cast<char>(0xC0 | (*p >> 6));
            out += static_cast<char>(0x80 | (*p & 0x3F));
        }
    }
    return out;
}

void show(const char* name, uint8_t body, double jd, double deltaT, const TLatLon& site, double gst) {
    TVector v{};
    Calc_Planet(body, &v, true, jd, deltaT, false);  // geocentric, km, mean equinox of date
    TRaDec rd{};
    Vect_to_ra_dec(&v, &rd);
    TAltAz h{};
    Ra_dec_to_alt_az(&site, &rd, &h, gst);
    const std::string ra = Utf8(Conv_to_str_hrs(true, 1, rd.ra));
    const std::string dec = Utf8(Conv_to_str_deg(true, 0, rd.dec));
    std::printf("%-5s RA %s  Dec %s  Alt %8.3f°  Az %8.3f°  dist %.0f km\n", name, ra.c_str(), dec.c_str(),
                Degrees(h.alt), Degrees(h.az), rd.dist);
}
}  // namespace

int main() {
    const double jd = static_cast<double>(std::time(nullptr)) / 86400.0 + 2440587.5;
    const double deltaT = Delta_t(jd) / 86400.0;  // seconds to days
    const TLatLon site{kDefaultLat, kDefaultLon, kDefaultHeight};
    const double gst = GreenwhichHourAngle(jd);
    std::printf("JD %.5f UTC, observer lat %.3f rad, lon %.3f rad, height %.1f km\n", jd, site.lat, site.lon,
                site.height);
    show("Sun", 0, jd, deltaT, site, gst);
    show("Moon", 31, jd, deltaT, site, gst);
    return 0;
}
