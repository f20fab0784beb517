#!/usr/bin/python3
"""Look angles of one element set from python3-sgp4 and a topocentric
conversion written here, for checking the tabular search's rows.

Usage: reference_topocentric.py LINE1 LINE2 LAT LON HEIGHT_KM < TIMES
LAT/LON in degrees (east positive), on the WGS-84 ellipsoid. TIMES: one day
number (days since 1899-12-30 00:00 UTC) per line. Prints per time the
elevation and azimuth (degrees, azimuth from north through east) and the
range (km). The TEME position turns to Earth-fixed axes by the IAU 1982
mean sidereal time (UT1 taken as UTC); no polar motion, no refraction.
Exit status 3 when python3-sgp4 is missing.
"""
import math
import sys

try:
    from sgp4.api import Satrec
except ImportError:
    sys.exit(3)

A = 6378.137
F = 1.0 / 298.257223563
E2 = F * (2.0 - F)


def gmst(jd):
    t = (jd - 2451545.0) / 36525.0
    seconds = (67310.54841 + (876600.0 * 3600.0 + 8640184.812866) * t
               + 0.093104 * t * t - 6.2e-6 * t * t * t)
    return math.radians((seconds % 86400.0) / 240.0)


def site_vector(lat, lon, height):
    """Earth-fixed WGS-84 position of a geodetic site (radians, km)."""
    n = A / math.sqrt(1.0 - E2 * math.sin(lat) ** 2)
    return ((n + height) * math.cos(lat) * math.cos(lon),
            (n + height) * math.cos(lat) * math.sin(lon),
            (n * (1.0 - E2) + height) * math.sin(lat))


def look(sat, lat, lon, site, day):
    """Elevation, azimuth (degrees) and range (km) at a day number; None
    when the propagator fails."""
    whole = math.floor(day) + 2415018.5
    err, r, _ = sat.sgp4(whole, day - math.floor(day))
    if err:
        return None
    g = gmst(whole + (day - math.floor(day)))
    x = math.cos(g) * r[0] + math.sin(g) * r[1]
    y = -math.sin(g) * r[0] + math.cos(g) * r[1]
    d = (x - site[0], y - site[1], r[2] - site[2])
    east = -math.sin(lon) * d[0] + math.cos(lon) * d[1]
    north = (-math.sin(lat) * math.cos(lon) * d[0] - math.sin(lat) * math.sin(lon) * d[1]
             + math.cos(lat) * d[2])
    up = (math.cos(lat) * math.cos(lon) * d[0] + math.cos(lat) * math.sin(lon) * d[1]
          + math.sin(lat) * d[2])
    el = math.degrees(math.atan2(up, math.hypot(east, north)))
    az = math.degrees(math.atan2(east, north)) % 360.0
    return el, az, math.sqrt(east * east + north * north + up * up)


def main():
    line1, line2 = sys.argv[1], sys.argv[2]
    lat, lon, height = (math.radians(float(sys.argv[3])), math.radians(float(sys.argv[4])),
                        float(sys.argv[5]))
    sat = Satrec.twoline2rv(line1, line2)
    site = site_vector(lat, lon, height)
    for text in sys.stdin:
        v = look(sat, lat, lon, site, float(text))
        print("nan nan nan" if v is None else "%.9f %.9f %.6f" % v)


if __name__ == "__main__":
    main()
