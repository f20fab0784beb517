#!/bin/sh
# Builds the download-side fuzz target with clang and libFuzzer (outside the
# normal build). Usage: fuzz/net_build.sh [out-dir]; then run, for example,
#   <out-dir>/net_fuzz -max_total_time=600 -max_len=8192 <out-dir>/corpus-net
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$root/build-fuzz}
mkdir -p "$out"
flags="-std=c++20 -O1 -g -fno-omit-frame-pointer -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all"
clang++ $flags -I"$root/app/core" -I"$root/app/catalogue" -I"$root/app/net" -I"$root/satellite/include" \
    -I"$root/zenora/include" \
    "$root/fuzz/net_fuzz.cpp" "$root"/app/core/*.cpp "$root"/app/catalogue/*.cpp "$root"/app/net/*.cpp \
    "$root"/satellite/src/*.cpp "$root"/zenora/src/*.cpp \
    $(pkg-config --cflags --libs libcurl libzip zlib) -lsimdjson -lpugixml -o "$out/net_fuzz"

# Seeds: the mode byte, then the installed file of that kind.
corpus="$out/corpus-net"
mkdir -p "$corpus"
seed() { { printf "$2"; cat "$3"; } > "$corpus/$1"; }
seed dwnlist '\000' "$root/data/install/data/dwnlist.dat"
seed mag '\001' "$root/data/install/data/Mag.dat"
printf '\002[InternetInfo]\nUser=me\nPassword=" p=w "\nPeriod=6\nTime=2018-01-22 10:00:00.000\nConvert=1\n' \
    > "$corpus/settings"
seed tle '\003' "$root/data/install/tle/visual.tle"
{ printf '\004'; gzip -c "$root/data/install/tle/visual.tle"; } > "$corpus/gzip"
if command -v python3 >/dev/null; then
    python3 - "$root/data/install/tle/Iridium.tle" "$corpus/zip" <<'PY'
import io, sys, zipfile
buf = io.BytesIO()
with zipfile.ZipFile(buf, "w", zipfile.ZIP_DEFLATED) as z:
    z.write(sys.argv[1], "Iridium.tle")
open(sys.argv[2], "wb").write(b"\x05" + buf.getvalue())
PY
fi
echo "built $out/net_fuzz"
