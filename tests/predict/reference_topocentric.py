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
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "common"))
from sgp4_site import DAY_ZERO_JD, arguments, gmst, position, site_vector, times  # noqa: E402


def look(sat, lat, lon, site, day):
    """Elevation, azimuth (degrees) and range (km) at a day number; None
    when the propagator fails."""
    r = position(sat, day)
    if r is None:
        return None
    g = gmst(day + DAY_ZERO_JD)
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
    sat, lat, lon, height = arguments()
    site = site_vector(lat, lon, height)
    for day in times():
        v = look(sat, lat, lon, site, day)
        print("nan nan nan" if v is None else "%.9f %.9f %.6f" % v)


if __name__ == "__main__":
    main()
