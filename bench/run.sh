#!/usr/bin/env bash
# Runs both benchmark harnesses and prints one table:
#   bench/run.sh [build folder]
# The core kernels (Google Benchmark) per layer and wavenumber against the
# sin+cos floor, then every module end to end in octave-cli.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../build}" && pwd)
json=$build/core_bench.json
# The kernels on one thread, figures per layer and wavenumber; the benchmark
# Threaded sets COAT_THREADS itself and times real time.
COAT_THREADS=1 "$build/bench/core_bench" --benchmark_min_time=0.3 --benchmark_out="$json" \
  --benchmark_out_format=json > /dev/null
cd "$build"
octave-cli --no-history --norc --no-window-system --eval \
  "addpath('$build/mex'); addpath('$here'); bench_report('$json');"
