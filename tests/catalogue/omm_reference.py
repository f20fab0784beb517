#!/usr/bin/python3
"""Outside truth for the OMM reader, from python3-sgp4's own OMM support.

  omm_reference.py json FILE.csv        the records of a CSV as a JSON array
                                        (numbers as numbers, as the provider writes them)
  omm_reference.py export FILE.tle      every set of an element file as OMM CSV,
                                        written by python-sgp4's exporter
  omm_reference.py propagate FILE...    for every record of each OMM file (.csv,
                                        .xml or .json), parsed and initialised by
                                        python-sgp4: "file number minutes x y z vx vy vz"
                                        every 30 minutes over one day
"""
import csv
import io
import json
import sys

from sgp4 import omm
from sgp4.api import Satrec
from sgp4.exporter import export_omm

TEXT_KEYS = {"OBJECT_NAME", "OBJECT_ID", "EPOCH", "CLASSIFICATION_TYPE", "CENTER_NAME",
             "REF_FRAME", "TIME_SYSTEM", "MEAN_ELEMENT_THEORY"}


def as_json(path):
    with open(path) as f:
        rows = list(omm.parse_csv(f))
    out = []
    for row in rows:
        rec = {}
        for key, value in row.items():
            if key in TEXT_KEYS:
                rec[key] = value
            else:
                number = float(value)
                rec[key] = int(number) if number.is_integer() and "." not in value and "E" not in value.upper() else number
        out.append(rec)
    print(json.dumps(out))


def export(path):
    with open(path) as f:
        lines = [l.rstrip() for l in f]
    rows = []
    for i in range(1, len(lines)):
        if lines[i - 1].startswith("1 ") and lines[i].startswith("2 "):
            name = lines[i - 2].strip() if i >= 2 else ""
            sat = Satrec.twoline2rv(lines[i - 1], lines[i])
            rows.append(export_omm(sat, name))
    out = io.StringIO()
    writer = csv.DictWriter(out, fieldnames=list(rows[0].keys()), lineterminator="\r\n")
    writer.writeheader()
    writer.writerows(rows)
    sys.stdout.write(out.getvalue())


def records(path):
    with open(path) as f:
        if path.endswith(".xml"):
            return list(omm.parse_xml(f))
        if path.endswith(".json"):
            return json.load(f)
        return list(omm.parse_csv(f))


def propagate(paths):
    for index, path in enumerate(paths):
        for fields in records(path):
            sat = Satrec()
            omm.initialize(sat, fields)
            for minutes in range(0, 1441, 30):
                jd = sat.jdsatepoch
                fr = sat.jdsatepochF + minutes / 1440.0
                err, r, v = sat.sgp4(jd, fr)
                if err == 0:
                    print(index, fields["NORAD_CAT_ID"], minutes, *("%.9f" % x for x in (*r, *v)))


if __name__ == "__main__":
    mode, args = sys.argv[1], sys.argv[2:]
    if mode == "json":
        as_json(args[0])
    elif mode == "export":
        export(args[0])
    else:
        propagate(args)
