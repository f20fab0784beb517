#!/usr/bin/env python3
"""Rise, transit and set of the Sun or the Moon, and positions of the Sun,
the Moon and the planets, by python3-ephem, for the data-window tests.
Times are day numbers (days since 1899-12-30 00:00 UTC), no refraction.

usage: reference_sky.py days LAT LON HEIGHT_M BODY FIRST_DAY COUNT HORIZON_DEG
         one line per day: rise transit set illuminated_percent (-1: none in the day)
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


def event(find, body, start, end):
    try:
        t = find(body, start=start - DUBLIN, use_center=True) + DUBLIN
    except (ephem.AlwaysUpError, ephem.NeverUpError):
        return -1.0
    return t if t < end else -1.0


def days(lat, lon, height, name, first, count, horizon):
    o = observer(lat, lon, height)
    o.horizon = str(horizon)
    body = ephem.Sun() if name == "sun" else ephem.Moon()
    for i in range(int(count) + 1):
        a = float(first) + i
        b = a + 1.0
        rise = event(o.next_rising, body, a, b)
        setting = event(o.next_setting, body, a, b)
        transit = o.next_transit(body, start=a - DUBLIN) + DUBLIN
        transit = transit if transit < b else -1.0
        o.date = a - DUBLIN
        body.compute(o)
        lit = body.moon_phase * 100.0 if name == "moon" else -1.0
        print(f"{rise:.8f} {transit:.8f} {setting:.8f} {lit:.4f}")


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
        days(*sys.argv[2:9])
    else:
        planets(*sys.argv[2:6])
