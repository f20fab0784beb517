#!/usr/bin/env python3
"""Every report, record file, KML file and picture the command-line programs
make from the bundled data for one fixed week, compared with the stored set in
expected/. Usage: outputs.py PROGRAM_DIR [--write]

The "Produced" line (the computer's clock) is left out; pictures are compared
by their SHA-256, the rest byte for byte, with stderr and the exit status."""
import hashlib
import os
import shutil
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
EXPECTED = os.path.join(HERE, "expected")

WEEK = ["--start", "2018-01-22 00:00:00", "--days", "7"]
DAYS3 = ["--start", "2018-01-23 00:00:00", "--days", "3"]
GREENWICH = ["--lat", "51.4779", "--lon", "-0.0015", "--height", "46", "--name", "Greenwich",
             "--utc-offset", "1"]
SKY_TIME = ["--time", "2018-01-22 00:00:00"]
VISUAL = ["--tle", "@tle/visual.tle"]

# name -> (program, arguments); "@" names a file of the program folder, "%"
# one of the run's scratch folder, "^" one of this folder.
RUNS = {}


def run(name, program, *args):
    RUNS[name] = (program, list(args))


for fmt in ["text", "csv", "json"]:
    ext = "txt" if fmt == "text" else fmt
    f = ["--format", fmt]
    run(f"line_utc.{ext}", "orbisk-predict", *WEEK, *GREENWICH, "--utc", *f)
    run(f"line_local_all.{ext}", "orbisk-predict", *WEEK, *GREENWICH, "--all", "--day-night", *f)
    run(f"line_visual_bytime.{ext}", "orbisk-predict", *DAYS3, *GREENWICH, *VISUAL, "--utc",
        "--sort", "time", "--min-elev", "20", "--sun-alt", "-12", *f)
    run(f"table_utc.{ext}", "orbisk-predict", "--mode", "table", "--start", "2018-01-22 00:00:00",
        "--days", "2", *GREENWICH, "--utc", *f)
    run(f"table_local_all.{ext}", "orbisk-predict", "--mode", "table", *DAYS3, *GREENWICH, "--all",
        "--step", "120", *f)
    run(f"flares_night.{ext}", "orbisk-predict", "--mode", "flares", *WEEK, *GREENWICH, "--utc", *f)
    run(f"flares_day.{ext}", "orbisk-predict", "--mode", "flares", *WEEK, *GREENWICH,
        "--day-flares", *f)
    for target in ["Sun", "Moon", "Jupiter", "radec:055400,+072400", "star:Sirius"]:
        tag = target.split(":")[0]
        run(f"transit_{tag}.{ext}", "orbisk-predict", "--mode", "transit", *WEEK, *GREENWICH,
            *VISUAL, "--utc", "--min-revs", "2", "--day-night", "--target", target, "--sep", "120",
            *f)
    run(f"path_Sun.{ext}", "orbisk-predict", "--mode", "path", *DAYS3, *GREENWICH, *VISUAL, "--utc",
        "--min-revs", "2", "--day-night", "--target", "Sun", "--track", "160", *f)
    run(f"path_Moon_local.{ext}", "orbisk-predict", "--mode", "path", *DAYS3, *GREENWICH, *VISUAL,
        "--min-revs", "2", "--day-night", "--target", "Moon", "--track", "40", *f)
    run(f"visible.{ext}", "orbisk-predict", "--mode", "visible", "--start", "2018-01-22 18:00:00",
        *GREENWICH, *VISUAL, "--utc", "--revs", "1,18", "--alt", "0,90", *f)
    run(f"decayed.{ext}", "orbisk-predict", "--mode", "decayed", "--start", "2019-06-01 00:00:00",
        *GREENWICH, *VISUAL, "--utc", *f)
    run(f"analysis_transit.{ext}", "orbisk-predict", "--mode", "analysis-transit",
        "--start", "2018-01-22 06:00:00", *GREENWICH, *VISUAL, "--utc", "--target", "Sun",
        "--span", "1495", "--sep", "300", "--target-alt", "5", "--revs", "1,18", *f)

run("flares_night.kml", "orbisk-predict", "--mode", "flares", *WEEK, *GREENWICH, "--utc",
    "--kml", "%out.kml")
run("path_Sun.kml", "orbisk-predict", "--mode", "path", *DAYS3, *GREENWICH, *VISUAL, "--utc",
    "--min-revs", "2", "--day-night", "--target", "Sun", "--track", "160", "--kml", "%out.kml")
run("list_catalogue.txt", "orbisk-predict", "--list")
run("list_visual.txt", "orbisk-predict", "--list", *VISUAL)
run("line_one_sat.txt", "orbisk-predict", *WEEK, *GREENWICH, *VISUAL, "--sat", "ISS", "--utc")
run("error_period.txt", "orbisk-predict", "--start", "2018-01-22", "--days", "20")
run("error_target.txt", "orbisk-predict", "--mode", "transit", "--target", "Vulcan", *WEEK)

run("sky_now.txt", "orbisk-sky", *SKY_TIME, *GREENWICH, "--utc")
run("sky_now_local.txt", "orbisk-sky", *SKY_TIME, *GREENWICH)
for table in ["sun", "moon", "planets"]:
    run(f"sky_{table}.txt", "orbisk-sky", "--table", table, *SKY_TIME, *GREENWICH, "--days", "30")
for horizon in ["normal", "civil", "nautical", "astronomical"]:
    run(f"sky_sun_{horizon}.txt", "orbisk-sky", "--table", "sun", *SKY_TIME, *GREENWICH,
        "--horizon", horizon, "--utc")
# A 30-degree wall from azimuth 90 to 180 (wall-horizon.txt).
run("line_mask.txt", "orbisk-predict", *WEEK, *GREENWICH, *VISUAL, "--sat", "ISS", "--utc",
    "--all", "--day-night", "--horizon", "^wall-horizon.txt")
run("table_mask.csv", "orbisk-predict", "--mode", "table", *DAYS3, *GREENWICH, *VISUAL, "--sat",
    "ISS", "--utc", "--all", "--day-night", "--horizon", "^wall-horizon.txt", "--format", "csv")
run("error_horizon.txt", "orbisk-predict", *WEEK, *GREENWICH, "--horizon", "^no-such-mask.txt")
run("sky_sun_mask.txt", "orbisk-sky", "--table", "sun", *SKY_TIME, *GREENWICH, "--utc",
    "--horizon", "^wall-horizon.txt", "--horizon", "civil")
run("sky_now_mask.txt", "orbisk-sky", "--time", "2018-01-22 10:00:00", *GREENWICH, "--utc",
    "--horizon", "^wall-horizon.txt")
run("sky_moon_north.txt", "orbisk-sky", "--table", "moon", *SKY_TIME, "--lat", "78.2",
    "--lon", "15.6", "--utc", "--days", "40")

RENDER = ["--time", "2018-01-22 18:30:00", "--size", "640x400", *GREENWICH[:-2]]
for view in ["map", "sky", "globe"]:
    run(f"render_{view}.sha256", "orbisk-render", "--out", "%out.png", "--view", view, *RENDER)
run("render_sky_zenith.sha256", "orbisk-render", "--out", "%out.png", "--view", "sky", "--zenith",
    "--show", "skysats,constellations,starnames", *RENDER)
run("render_globe_visual.sha256", "orbisk-render", "--out", "%out.png", "--view", "globe",
    *VISUAL, "--first", "ISS", *RENDER)

# The catalogues the build makes.
CATALOGUES = ["MainSat.bin", "IridSat.bin"]


def scratch_data(program_dir, scratch):
    """The bundled data without the settings a run of the window may leave."""
    data = os.path.join(scratch, "data")
    shutil.copytree(os.path.join(program_dir, "data"), data,
                    ignore=shutil.ignore_patterns("Observer.bin", "Options.bin"))
    return data


def one_run(program_dir, data, scratch, program, args):
    argv = [os.path.join(program_dir, program), "--data", data]
    out_file = None
    for a in args:
        if a.startswith("@"):
            a = os.path.join(program_dir, a[1:])
        elif a.startswith("^"):
            a = os.path.join(HERE, a[1:])
        elif a.startswith("%"):
            out_file = a = os.path.join(scratch, a[1:])
        argv.append(a)
    env = dict(os.environ, TZ="UTC", LC_ALL="C")
    p = subprocess.run(argv, capture_output=True, env=env, timeout=600)
    if out_file:
        with open(out_file, "rb") as f:
            body = f.read()
        os.remove(out_file)
        if out_file.endswith(".png"):
            body = hashlib.sha256(body).hexdigest().encode() + b"\n"
    else:
        body = b"".join(l for l in p.stdout.splitlines(keepends=True)
                        if not l.startswith(b"  Produced:"))
    err = p.stderr.replace(scratch.encode(), b"SCRATCH").replace(HERE.encode(), b"HERE")
    return body + b"--- stderr\n" + err + b"--- exit %d\n" % p.returncode


def outputs(program_dir):
    with tempfile.TemporaryDirectory() as scratch:
        data = scratch_data(program_dir, scratch)
        result = {}
        for name, (program, args) in RUNS.items():
            result[name] = one_run(program_dir, data, scratch, program, args)
        for cat in CATALOGUES:
            with open(os.path.join(program_dir, "data", cat), "rb") as f:
                result[cat + ".sha256"] = hashlib.sha256(f.read()).hexdigest().encode() + b"\n"
        return result


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    program_dir = sys.argv[1]
    got = outputs(program_dir)
    if "--write" in sys.argv[2:] or os.environ.get("ORBISK_WRITE_GOLDEN"):
        shutil.rmtree(EXPECTED, ignore_errors=True)
        os.makedirs(EXPECTED)
        for name, body in got.items():
            with open(os.path.join(EXPECTED, name), "wb") as f:
                f.write(body)
        print(f"stored {len(got)} outputs in {EXPECTED}")
        return
    bad = []
    for name, body in got.items():
        path = os.path.join(EXPECTED, name)
        try:
            with open(path, "rb") as f:
                want = f.read()
        except OSError:
            want = None
        if body != want:
            bad.append(name)
    extra = sorted(set(os.listdir(EXPECTED)) - set(got))
    for name in bad:
        print(f"differs: {name}")
    for name in extra:
        print(f"no longer made: {name}")
    if bad or extra:
        print(f"{len(bad) + len(extra)} of {len(got)} outputs differ; after checking that the "
              "change is meant, store them again with ORBISK_WRITE_GOLDEN=1")
        sys.exit(1)
    print(f"all {len(got)} outputs as stored")


if __name__ == "__main__":
    main()
