#!/usr/bin/env python3
"""Reads one search's text report, CSV and JSON output with the standard
parsers and checks that they agree field by field.

usage: check_records.py MODE REPORT CSV JSON OFFSET_MINUTES
MODE: line, table, flares, transit or path. OFFSET_MINUTES: what the report
adds to UTC. Prints what differs and exits 1, or exits 0.
"""
import csv
import datetime
import json
import re
import sys

# Per mode: the JSON array, and for each token of a report row the record
# field it shows and how: "t" time (two tokens, "mm/dd HH:nn:ss"), "tt" time
# of day, "hms" a duration, a number of decimals, "yn" a Y/N or Yes/No flag,
# "s" text, None a token not checked.
LAYOUTS = {
    "line": ("passes", [("aos_time", "t"), ("aos_elevation_deg", 0), ("aos_azimuth_deg", 0),
                        ("max_time", "tt"), ("max_elevation_deg", 0), ("max_azimuth_deg", 0),
                        ("max_magnitude", 1), ("los_time", "tt"), ("los_elevation_deg", 0),
                        ("los_azimuth_deg", 0), ("duration_s", "hms")]),
    "table": ("rows", [("time", "t"), ("elevation_deg", 0), ("azimuth_deg", 0), ("magnitude", 1),
                       ("sunlit", "yn")]),
    "flares": ("flares", [("time", "t"), ("id", "s"), ("elevation_deg", 0), ("azimuth_deg", 0),
                          ("range_km", 0), ("magnitude", 1), ("centre_latitude_deg", 3),
                          ("centre_longitude_deg", 3), ("centre_bearing_deg", 0),
                          ("centre_distance_km", 1), ("centre_magnitude", 1)]),
    "transit": ("transits", [("time", "t"), ("elevation_deg", 0), ("azimuth_deg", 0), ("magnitude", 1),
                             ("sunlit", "yn"), ("separation_arcmin", 2), ("range_km", 0),
                             ("target_illuminated_percent", 1)]),
    "path": ("path_points", [("time", "t"), ("latitude_deg", 4), ("longitude_deg", 4), ("half_width_km", 1),
                             ("bearing_deg", 0), ("distance_km", 1), ("range_km", 0),
                             ("elevation_deg", 0), ("sunlit", "yn")]),
}

ROW = re.compile(r"^  ?\d\d/\d\d \d\d:\d\d:\d\d ")


def report_rows(path):
    """The data rows of a report, each with the catalogue number of the
    satellite header above it (flare rows have none) and whether it ends in
    the mark of an estimated magnitude (taken off its tokens)."""
    rows, number = [], None
    for line in open(path, encoding="utf-8"):
        m = re.match(r"^  Satellite: .*  -  (\S+)$", line.rstrip("\n"))
        if m:
            number = m.group(1)
        elif ROW.match(line):
            tokens = line.split()
            estimated = tokens[-1] == "est"
            rows.append((number, tokens[:-1] if estimated else tokens, estimated))
    return rows


def shown(iso, offset):
    t = datetime.datetime.strptime(iso, "%Y-%m-%dT%H:%M:%SZ") + datetime.timedelta(minutes=offset)
    return t.strftime("%m/%d %H:%M:%S")


def agree(kind, text, value, offset):
    if kind == "s":
        return text == value
    if kind == "yn":
        return text[0] == ("Y" if value in (True, "true") else "N")
    if kind in ("t", "tt"):
        full = shown(value, offset)
        return full == text if kind == "t" else full[6:] == text
    if kind == "hms":
        h, m, s = (int(x) for x in text.split(":"))
        return abs(h * 3600 + m * 60 + s - float(value)) <= 1.0
    # A number as the report rounds it: within half its last digit.
    return abs(float(text) - float(value)) <= 0.5 * 10 ** -kind + 1e-9


def main():
    mode, report, csv_path, json_path, offset = sys.argv[1:6]
    offset = int(offset)
    array, layout = LAYOUTS[mode]
    text_rows = report_rows(report)
    with open(csv_path, newline="", encoding="utf-8") as f:
        csv_rows = list(csv.DictReader(f))
    with open(json_path, encoding="utf-8") as f:
        json_rows = json.load(f)[array]
    problems = []
    if not (len(text_rows) == len(csv_rows) == len(json_rows)):
        problems.append(f"{len(text_rows)} report rows, {len(csv_rows)} CSV rows, {len(json_rows)} JSON records")
    for i, ((number, tokens, estimated), c, j) in enumerate(zip(text_rows, csv_rows, json_rows)):
        if number is not None and number != c["catalogue_number"]:
            problems.append(f"row {i}: satellite {number} in the report, {c['catalogue_number']} in the CSV")
        k = 0
        for field, kind in layout:
            # No value: a blank column (a magnitude in the Earth's shadow), or
            # on a marked row a magnitude that is only an estimate.
            if c[field] == "" and j[field] is None:
                if estimated and field.endswith("magnitude"):
                    k += 1
                    estimated = "used"
                continue
            token = tokens[k] + " " + tokens[k + 1] if kind == "t" else tokens[k]
            k += 2 if kind == "t" else 1
            for source, record in (("CSV", c), ("JSON", j)):
                if not agree(kind, token, record[field], offset):
                    problems.append(f"row {i} {field}: report '{token}', {source} {record[field]!r}")
        if estimated is True:
            problems.append(f"row {i}: marked as estimated, but the records give its magnitude")
    for p in problems[:20]:
        print(p)
    if not text_rows:
        print("the report has no rows to compare")
        return 1
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
