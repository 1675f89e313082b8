#!/usr/bin/env bash
# Builds and runs bench/trig_compare.cpp: the vector sine/cosine candidates
# against MPFR, on this processor (needs AVX-512 for half the rows).
#   bench/trig_compare.sh [values per range, default 200000]
# Needs (Debian): libmpfr-dev libsleef-dev libxsimd-dev libhwy-dev.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
flags="-O2 -std=c++17 -ffp-contract=off -w"
src=$here/trig_compare.cpp
g++ $flags -c "$src" -o "$out/main.o"
g++ $flags -DUNIT_AVX2 -mavx2 -c "$src" -o "$out/avx2.o"
g++ $flags -DUNIT_AVX512 -mavx512f -c "$src" -o "$out/avx512.o"
g++ $flags -DUNIT_HWY4 -march=haswell -c "$src" -o "$out/hwy4.o"
g++ $flags -DUNIT_HWY8 -march=skylake-avx512 -c "$src" -o "$out/hwy8.o"
g++ "$out"/*.o -lsleef -lmpfr -lgmp -lmvec -lm -o "$out/trig_compare"
"$out/trig_compare" "$@"
