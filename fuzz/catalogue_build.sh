#!/bin/sh
# Builds the catalogue fuzz target with clang and libFuzzer (outside the normal
# build). Usage: fuzz/catalogue_build.sh [out-dir]; then run, for example,
#   <out-dir>/catalogue_fuzz -max_total_time=300 <out-dir>/corpus fuzz/catalogue_seeds
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$root/build-fuzz}
mkdir -p "$out/corpus"
clang++ -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
  -I"$root/app/core" -I"$root/app/catalogue" -I"$root/satellite/include" -I"$root/zenora/include" \
  "$root/fuzz/catalogue_fuzz.cpp" \
  "$root/app/catalogue/uLoadSave.cpp" "$root/app/core/uFileIO.cpp" \
  "$root/app/core/uFormat.cpp" "$root/app/core/uText.cpp" \
  "$root/app/catalogue/uOmm.cpp" "$root/app/catalogue/uOmmReaders.cpp" \
  "$root/app/core/uCsv.cpp" "$root/app/core/uCatNumber.cpp" \
  "$root"/satellite/src/*.cpp \
  -lsimdjson -lpugixml \
  -o "$out/catalogue_fuzz"
echo "$out/catalogue_fuzz"
