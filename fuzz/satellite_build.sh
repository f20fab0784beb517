#!/bin/sh
# Builds the libFuzzer targets with clang (not part of the normal build or CI).
# Usage: fuzz/satellite_build.sh [build-dir]; then run e.g.
#   build-fuzz/satellite_fuzz -max_total_time=300 build-fuzz/corpus-satellite
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$root/build-fuzz}
mkdir -p "$out"
flags="-std=c++20 -O1 -g -fno-omit-frame-pointer -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all"
clang++ $flags -DSATELLITE_BUILD -I"$root/satellite/include" -I"$root/zenora/include" \
    "$root"/satellite/src/*.cpp "$root/fuzz/satellite_fuzz.cpp" -o "$out/satellite_fuzz"

# Seeds: a mode byte, eight zero time bytes, then two element lines.
corpus="$out/corpus-satellite"
mkdir -p "$corpus"
seed() {
    { printf '\000\000\000\000\000\000\000\000\000'; printf '%s\n%s' "$2" "$3"; } > "$corpus/$1"
}
seed near "1 00005U 58002B   00179.78495062  .00000023  00000-0  28098-4 0  4753" \
          "2 00005  34.2682 348.7242 1859667 331.7664  19.3264 10.82419157413667"
seed deep "1 08195U 75081A   06176.33215444  .00000099  00000-0  11873-3 0   813" \
          "2 08195  64.1586 279.0717 6877146 264.7651  20.2257  2.00491383225656"
seed geo  "1 28626U 05008A   06176.46683397 -.00000205  00000-0  10000-3 0  2190" \
          "2 28626   0.0019 286.9433 0000335  13.7918  55.6504  1.00270176  4891"
echo "built $out/satellite_fuzz"
