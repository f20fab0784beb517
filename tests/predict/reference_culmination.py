#!/usr/bin/python3
"""Highest point of stretches of passes, by a one-second scan of python3-sgp4
look angles (the conversion of reference_topocentric.py).

Usage: reference_culmination.py LAT LON HEIGHT_KM < STRETCHES
LAT/LON in degrees (east positive). STRETCHES: one per line, "LINE1|LINE2|
START|STOP" with START and STOP day numbers (days since 1899-12-30 00:00
UTC). Looks at every whole second from START before STOP and at STOP itself;
prints per stretch the seconds after START at which the elevation is
highest, and that elevation in degrees.
Exit status 3 when python3-sgp4 is missing.
"""
import math
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
sys.dont_write_bytecode = True  # nothing written beside the sources
try:
    from sgp4.api import Satrec
    import reference_topocentric as topo
except ImportError:
    sys.exit(3)


def main():
    lat, lon, height = (math.radians(float(sys.argv[1])), math.radians(float(sys.argv[2])),
                        float(sys.argv[3]))
    site = topo.site_vector(lat, lon, height)
    sats = {}
    for text in sys.stdin:
        if not text.strip():
            continue
        line1, line2, start, stop = text.rstrip("\n").split("|")
        start, stop = float(start), float(stop)
        sat = sats.setdefault(line1, Satrec.twoline2rv(line1, line2))
        times = [start + k / 86400.0 for k in range(int((stop - start) * 86400.0 + 1e-6) + 1)]
        if times[-1] < stop - 1e-9:
            times.append(stop)
        best_t, best_el = start, -100.0
        for t in times:
            v = topo.look(sat, lat, lon, site, t)
            if v is not None and v[0] > best_el:
                best_t, best_el = t, v[0]
        print("%.6f %.9f" % ((best_t - start) * 86400.0, best_el))

main()
