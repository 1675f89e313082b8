#!/usr/bin/env bash
# One entry point for building, the demo, the tests and the benchmarks.
#   ./build.sh          build everything (modules in build/mex)
#   ./build.sh demo     build, then run the quarter-wave mirror demo
#   ./build.sh test     build, then run every test: the tests of build/ (with
#                       the misuse sweep and the valgrind memcheck run), then
#                       the core tests built again with AddressSanitizer and
#                       UndefinedBehaviorSanitizer in build-sanitize/
#   ./build.sh bench    build, then run the benchmarks and print a table
#   ./build.sh package [folder]
#                       write the Octave package coatings-<version>.tar.gz
#                       into folder (default build/), without building
# Missing Debian packages are installed with apt-get when run as root;
# otherwise the script names them and stops.
set -euo pipefail
cd "$(dirname "$0")"
root=$(pwd)
build=${BUILD_DIR:-$root/build}
sanitize=${SANITIZE_DIR:-$root/build-sanitize}

packages=(cmake g++ make libgtest-dev libbenchmark-dev octave octave-dev gnuplot-nox
          fonts-freefont-otf valgrind)

install_missing() {
  local missing=()
  for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return
  if [ "$(id -u)" -eq 0 ]; then
    echo "Installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -q
    apt-get install -y -q --no-install-recommends "${missing[@]}"
  else
    echo "Missing packages: ${missing[*]}" >&2
    echo "Install them with: sudo apt-get install ${missing[*]}" >&2
    exit 1
  fi
}

compile() {
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release
  cmake --build "$build" -j "$(nproc)"
}

# The core and its tests alone (no host, no benchmarks), every read and write
# checked by AddressSanitizer and every undefined operation by UBSan; the first
# report ends the run. UBSan's float-divide-by-zero stays off: IEEE division
# by zero is how NaN and Inf reach their outputs.
sanitized_core_tests() {
  local flags="-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer"
  cmake -S "$root" -B "$sanitize" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCOAT_OCTAVE=OFF \
    -DCOAT_BENCHMARKS=OFF -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_EXE_LINKER_FLAGS="$flags"
  cmake --build "$sanitize" -j "$(nproc)"
  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --test-dir "$sanitize" --output-on-failure
}

octave_run() {
  (cd "$build" && octave-cli --no-history --norc --no-window-system --eval "$1")
}

if [ "${1:-}" = package ]; then
  exec "$root/package/make_package.sh" "${2:-$build}"
fi
install_missing
compile
case "${1:-build}" in
  build) ;;
  demo)
    octave_run "addpath('$build/mex'); addpath('$root/examples'); quarter_wave_mirror('$build/quarter_wave_mirror.png');"
    ;;
  test)
    ctest --test-dir "$build" --output-on-failure
    sanitized_core_tests
    ;;
  bench)
    "$root/bench/run.sh" "$build"
    ;;
  *)
    echo "usage: $0 [build|demo|test|bench|package [folder]]" >&2
    exit 2
    ;;
esac
