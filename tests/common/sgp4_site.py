"""What the python3-sgp4 reference scripts share: the command line (two
element lines and a WGS-84 site), the IAU 1982 mean sidereal time (UT1 taken
as UTC), and TEME positions at the program's day numbers (days since
1899-12-30 00:00 UTC). Exits with status 3 when python3-sgp4 is missing.
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
DAY_ZERO_JD = 2415018.5


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


def position(sat, day):
    """TEME position (km) at a day number; None when the propagator fails."""
    whole = math.floor(day)
    err, r, _ = sat.sgp4(whole + DAY_ZERO_JD, day - whole)
    return None if err else r


def arguments():
    """The satellite and the site (radians, km) of LINE1 LINE2 LAT LON HEIGHT_KM."""
    sat = Satrec.twoline2rv(sys.argv[1], sys.argv[2])
    return sat, math.radians(float(sys.argv[3])), math.radians(float(sys.argv[4])), float(sys.argv[5])


def times():
    """The day numbers on standard input, one a line."""
    for line in sys.stdin:
        if line.strip():
            yield float(line)
