#!/usr/bin/python3
"""Rise and set times of every element set of a file, from python3-ephem.

Usage: reference_passes.py FILE LAT LON HEIGHT_M START STOP HORIZON_DEG
LAT/LON in degrees (east positive); START/STOP as day numbers (days since
1899-12-30 00:00 UTC). Prints one line per pass that overlaps [START, STOP]: catalogue number,
the times the satellite climbs above and falls below HORIZON_DEG as day
numbers, and its highest elevation in degrees. No refraction (pressure 0).
ephem's next_pass gives rise, culmination and set at 0 degrees (this version
ignores the observer's horizon); each crossing of HORIZON_DEG is then found by
bisection on ephem's own altitude. Where next_pass gives up, a plain altitude
scan takes over.
Exit status 3 when ephem is missing, so the caller can skip.
"""
import sys

try:
    import ephem
except ImportError:
    sys.exit(3)

# ephem dates count days from 1899-12-31 12:00 UTC.
DAY_NUMBER_OFFSET = 1.5


def element_sets(path):
    lines = [l.strip() for l in open(path, encoding="latin-1") if l.strip()]
    for i in range(len(lines) - 1):
        if lines[i].startswith("1 ") and lines[i + 1].startswith("2 "):
            name = lines[i - 1] if i > 0 and not lines[i - 1][:2] in ("1 ", "2 ") else lines[i][2:7]
            yield name, lines[i], lines[i + 1]


def altitude(sat, obs, djd):
    obs.date = djd
    sat.compute(obs)
    return float(sat.alt)


def crossing(sat, obs, lo, hi, h, rising):
    """Time in [lo, hi] where the altitude passes h (below at lo when rising)."""
    for _ in range(60):
        mid = (lo + hi) / 2
        above = altitude(sat, obs, mid) >= h
        if above == rising:
            hi = mid
        else:
            lo = mid
    return (lo + hi) / 2


def scan(sat, obs, lo, hi, h, number, start, stop):
    """Passes in [lo, hi] by a 20 s altitude scan, for satellites whose orbits
    next_pass refuses ("always below your horizon") or cannot place."""
    step = 20 * ephem.second
    t, up = lo, altitude(sat, obs, lo) >= h
    aos, top = (lo if up else None), -90.0
    while t < hi:
        t2 = t + step
        alt = altitude(sat, obs, t2)
        top = max(top, alt / ephem.degree)
        if (alt >= h) != up:
            edge = crossing(sat, obs, t, t2, h, not up)
            if up and aos is not None:
                emit(number, aos, edge, top, start, stop)
            up, aos, top = not up, edge, alt / ephem.degree
        t = t2


def emit(number, aos, los, top, start, stop):
    aos += DAY_NUMBER_OFFSET
    los += DAY_NUMBER_OFFSET
    if los > start and aos < stop:
        print("%s %.9f %.9f %.4f" % (number, aos, los, top))


def main():
    path, lat, lon, height, start, stop, horizon = sys.argv[1:8]
    start, stop = float(start), float(stop)
    for name, l1, l2 in element_sets(path):
        sat = ephem.readtle(name, l1, l2)
        obs = ephem.Observer()
        obs.lat, obs.lon = lat, lon  # strings: degrees
        obs.elevation = float(height)
        obs.pressure = 0
        h = float(horizon) * ephem.degree
        # Start early so a pass under way at START is found with its true rise.
        obs.date = ephem.Date(start - DAY_NUMBER_OFFSET - 0.1)
        end = stop - DAY_NUMBER_OFFSET
        while True:
            try:
                rise, _, top, top_alt, set_, _ = obs.next_pass(sat)
            except (ValueError, RuntimeError):
                rise = None
            if rise is None or set_ is None or top is None:
                scan(sat, obs, float(obs.date), end, h, l1[2:7], start, stop)
                break
            rise, top, set_ = float(rise), float(top), float(set_)
            if rise > end:
                break
            if float(top_alt) >= h:
                aos = crossing(sat, obs, rise, top, h, True)
                los = crossing(sat, obs, top, set_, h, False)
                emit(l1[2:7], aos, los, float(top_alt) / ephem.degree, start, stop)
            obs.date = ephem.Date(set_ + ephem.minute)


if __name__ == "__main__":
    main()
