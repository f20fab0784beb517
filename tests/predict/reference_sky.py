#!/usr/bin/env python3
"""Rise, transit and set of the Sun or the Moon, and positions of the Sun,
the Moon and the planets, by python3-ephem, for the data-window tests.
Times are day numbers (days since 1899-12-30 00:00 UTC), no refraction.

usage: reference_sky.py days LAT LON HEIGHT_M BODY FIRST_DAY COUNT HORIZON_DEG [SHIFT_DAYS [LIMB]]
         one line per day: rise transit set illuminated_percent (-1: none in the day);
         events are looked for from SHIFT_DAYS after each day's start; rise and set
         are those of the body's centre, or its upper limb when LIMB is 1
       reference_sky.py crossings LAT LON HEIGHT_M BODY START END HORIZON_DEG LIMB
         every time from START to END at which the centre (LIMB 0) or the upper
         limb (LIMB 1) crosses the horizon, as "rise T" or "set T", from the
         altitude sampled each minute and bisected
       reference_sky.py planets LAT LON HEIGHT_M T
         one line per body: name ra dec (rad, of date, from the observer) alt az (deg)
"""
import math
import sys

import ephem

DUBLIN = 1.5  # ephem counts days from 1899-12-31 12:00


def observer(lat, lon, height):
    o = ephem.Observer()
    o.lat, o.lon, o.elevation = str(lat), str(lon), float(height)
    o.pressure = 0  # geometric positions: the program takes refraction off the horizon itself
    return o


def event(find, body, start, end, limb=False):
    try:
        t = find(body, start=start - DUBLIN, use_center=not limb) + DUBLIN
    except (ephem.AlwaysUpError, ephem.NeverUpError):
        return -1.0
    return t if t < end else -1.0


def days(lat, lon, height, name, first, count, horizon, shift="0", limb="0"):
    o = observer(lat, lon, height)
    o.horizon = str(horizon)
    body = ephem.Sun() if name == "sun" else ephem.Moon()
    for i in range(int(count) + 1):
        a = float(first) + i
        b = a + 1.0
        s = float(shift)
        rise = event(o.next_rising, body, a + s, b + s, limb == "1")
        setting = event(o.next_setting, body, a + s, b + s, limb == "1")
        transit = o.next_transit(body, start=a + s - DUBLIN) + DUBLIN
        transit = transit if transit < b + s else -1.0
        o.date = a - DUBLIN
        body.compute(o)
        lit = body.moon_phase * 100.0 if name == "moon" else -1.0
        print(f"{rise:.8f} {transit:.8f} {setting:.8f} {lit:.4f}")


def crossings(lat, lon, height, name, start, end, horizon, limb):
    o = observer(lat, lon, height)
    body = ephem.Sun() if name == "sun" else ephem.Moon()
    level = math.radians(float(horizon))

    def above(t):
        o.date = t - DUBLIN
        body.compute(o)
        return body.alt + (body.radius if limb == "1" else 0.0) - level

    t, step, end = float(start), 60.0 / 86400.0, float(end)
    g = above(t)
    while t < end:
        n = min(t + step, end)
        h = above(n)
        if (g >= 0) != (h >= 0):
            lo, hi = t, n
            while hi - lo > 0.01 / 86400.0:
                mid = 0.5 * (lo + hi)
                if (above(mid) >= 0) == (g >= 0):
                    lo = mid
                else:
                    hi = mid
            print(f"{'rise' if h >= 0 else 'set'} {0.5 * (lo + hi):.8f}")
        t, g = n, h


def planets(lat, lon, height, t):
    o = observer(lat, lon, height)
    o.date = float(t) - DUBLIN
    o.epoch = o.date  # right ascension and declination of date
    for name in ["Sun", "Mercury", "Venus", "Mars", "Jupiter", "Saturn", "Uranus", "Neptune", "Pluto", "Moon"]:
        b = getattr(ephem, name)()
        b.compute(o)
        print(f"{name} {float(b.ra):.9f} {float(b.dec):.9f} {math.degrees(b.alt):.6f} {math.degrees(b.az):.6f}")


if __name__ == "__main__":
    if sys.argv[1] == "days":
        days(*sys.argv[2:11])
    elif sys.argv[1] == "crossings":
        crossings(*sys.argv[2:10])
    else:
        planets(*sys.argv[2:6])
