#!/usr/bin/python3
"""Closest approaches of a satellite to fixed directions, from python3-sgp4
and a topocentric conversion written here, for checking the transit search.

Usage: reference_transit.py LINE1 LINE2 LAT LON HEIGHT_KM START STOP < TARGETS
LAT/LON in degrees (east positive) on the WGS-84 ellipsoid; START/STOP day
numbers (days since 1899-12-30 00:00 UTC); TARGETS one direction per line,
"x y z" in the propagator's frame (TEME). For each target the separation is
scanned every second and the smallest sample refined by golden-section
search to 1 ms. Prints per target the time of the minimum (day number), the
separation there (arc minutes) and the satellite's elevation (degrees).
Site and sidereal time as in tests/predict/reference_topocentric.py.
Exit status 3 when python3-sgp4 is missing.
"""
import math
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "predict"))
sys.dont_write_bytecode = True  # nothing written beside the sources
try:
    from sgp4.api import Satrec
    from reference_topocentric import gmst, site_vector
except ImportError:
    sys.exit(3)


def unit(v):
    n = math.sqrt(sum(x * x for x in v))
    return [x / n for x in v]


def main():
    line1, line2 = sys.argv[1], sys.argv[2]
    lat, lon, height = (math.radians(float(sys.argv[3])), math.radians(float(sys.argv[4])),
                        float(sys.argv[5]))
    start, stop = float(sys.argv[6]), float(sys.argv[7])
    targets = [unit([float(v) for v in line.split()]) for line in sys.stdin if line.strip()]
    sat = Satrec.twoline2rv(line1, line2)
    site = site_vector(lat, lon, height)
    up_fixed = (math.cos(lat) * math.cos(lon), math.cos(lat) * math.sin(lon), math.sin(lat))

    def look(day):
        """Unit vector from the site to the satellite, and its elevation."""
        whole = math.floor(day) + 2415018.5
        err, r, _ = sat.sgp4(whole, day - math.floor(day))
        if err:
            return None
        g = gmst(whole + (day - math.floor(day)))
        c, s = math.cos(g), math.sin(g)
        o = (c * site[0] - s * site[1], s * site[0] + c * site[1], site[2])
        up = (c * up_fixed[0] - s * up_fixed[1], s * up_fixed[0] + c * up_fixed[1], up_fixed[2])
        d = unit([r[i] - o[i] for i in range(3)])
        return d, math.degrees(math.asin(sum(d[i] * up[i] for i in range(3))))

    def separation(d, target):
        c = sum(d[i] * target[i] for i in range(3))
        return math.degrees(math.acos(max(-1.0, min(1.0, c)))) * 60.0

    samples = []
    for k in range(int((stop - start) * 86400.0) + 1):
        day = start + k / 86400.0
        v = look(day)
        if v:
            samples.append((day, v[0]))
    if not samples:
        sys.exit(1)
    golden = (math.sqrt(5.0) - 1.0) / 2.0
    for target in targets:
        best_t = min(samples, key=lambda s: separation(s[1], target))[0]
        lo, hi = best_t - 1.0 / 86400.0, best_t + 1.0 / 86400.0
        while (hi - lo) * 86400.0 > 1e-3:
            a, b = hi - golden * (hi - lo), lo + golden * (hi - lo)
            if separation(look(a)[0], target) < separation(look(b)[0], target):
                hi = b
            else:
                lo = a
        t = (lo + hi) / 2.0
        d, el = look(t)
        print("%.10f %.6f %.6f" % (t, separation(d, target), el))


main()
