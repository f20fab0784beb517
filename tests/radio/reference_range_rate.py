#!/usr/bin/python3
"""Range rate of one element set from python3-sgp4 positions, for checking
the radio engine's.

Usage: reference_range_rate.py LINE1 LINE2 LAT LON HEIGHT_KM < TIMES
LAT/LON in degrees (east positive), WGS-84. TIMES: one day number (days
since 1899-12-30 00:00 UTC) per line. Prints per time the range rate in km/s
(positive receding). The satellite's velocity is a central difference of its
TEME positions 0.5 s either side; the observer's is the Earth's rotation
(IAU 1982 sidereal rate) about the TEME z axis carrying its position, which
is the site rotated by the IAU 1982 mean sidereal time (UT1 taken as UTC).
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
OMEGA = 7.2921158553e-5  # rad/s
H = 0.5 / 86400.0        # half the difference interval, days


def gmst(jd):
    t = (jd - 2451545.0) / 36525.0
    seconds = (67310.54841 + (876600.0 * 3600.0 + 8640184.812866) * t
               + 0.093104 * t * t - 6.2e-6 * t * t * t)
    return math.radians((seconds % 86400.0) / 240.0)


def site_teme(lat, lon, height, jd):
    n = A / math.sqrt(1.0 - E2 * math.sin(lat) ** 2)
    x = (n + height) * math.cos(lat) * math.cos(lon)
    y = (n + height) * math.cos(lat) * math.sin(lon)
    z = (n * (1.0 - E2) + height) * math.sin(lat)
    g = gmst(jd)
    return (math.cos(g) * x - math.sin(g) * y, math.sin(g) * x + math.cos(g) * y, z)


def position(sat, day):
    whole = math.floor(day) + 2415018.5
    err, r, _ = sat.sgp4(whole, day - math.floor(day))
    return None if err else r


def main():
    sat = Satrec.twoline2rv(sys.argv[1], sys.argv[2])
    lat, lon, height = math.radians(float(sys.argv[3])), math.radians(float(sys.argv[4])), float(sys.argv[5])
    for line in sys.stdin:
        if not line.strip():
            continue
        day = float(line)
        before, at, after = position(sat, day - H), position(sat, day), position(sat, day + H)
        if before is None or at is None or after is None:
            print("nan")
            continue
        vs = [(after[i] - before[i]) / 1.0 for i in range(3)]
        site = site_teme(lat, lon, height, day + 2415018.5)
        vo = (-OMEGA * site[1], OMEGA * site[0], 0.0)
        d = [at[i] - site[i] for i in range(3)]
        rng = math.sqrt(sum(c * c for c in d))
        print("%.9f" % (sum(d[i] * (vs[i] - vo[i]) for i in range(3)) / rng))


main()
