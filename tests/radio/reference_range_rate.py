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
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "common"))
from sgp4_site import DAY_ZERO_JD, arguments, gmst, position, site_vector, times  # noqa: E402

OMEGA = 7.2921158553e-5  # rad/s
H = 0.5 / 86400.0        # half the difference interval, days


def main():
    sat, lat, lon, height = arguments()
    fixed = site_vector(lat, lon, height)
    for day in times():
        before, at, after = position(sat, day - H), position(sat, day), position(sat, day + H)
        if before is None or at is None or after is None:
            print("nan")
            continue
        vs = [(after[i] - before[i]) / 1.0 for i in range(3)]
        g = gmst(day + DAY_ZERO_JD)
        site = (math.cos(g) * fixed[0] - math.sin(g) * fixed[1], math.sin(g) * fixed[0] + math.cos(g) * fixed[1],
                fixed[2])
        vo = (-OMEGA * site[1], OMEGA * site[0], 0.0)
        d = [at[i] - site[i] for i in range(3)]
        rng = math.sqrt(sum(c * c for c in d))
        print("%.9f" % (sum(d[i] * (vs[i] - vo[i]) for i in range(3)) / rng))


main()
