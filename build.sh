#!/usr/bin/env bash
# One entry point for building, the demo, the tests and the benchmarks.
#   ./build.sh          build everything (modules in build/mex)
#   ./build.sh demo     build, then run the quarter-wave mirror demo
#   ./build.sh test     build, then run every test: the tests of build/ (with
#                       the misuse sweep and the valgrind memcheck run), then
#                       the core tests built again with AddressSanitizer and
#                       UndefinedBehaviorSanitizer in build-sanitize/
#   ./build.sh bench    build, then run the benchmarks and print a table
#   ./build.sh cross    build, then build and test for other targets in
#                       build-cross/: Clang on x86-64 (every test), aarch64
#                       Linux (core tests under qemu-user, modules built),
#                       Windows x86-64 with MinGW-w64 (core tests under Wine)
# Missing Debian packages are installed with apt-get when run as root;
# otherwise the script names them and stops.
set -euo pipefail
cd "$(dirname "$0")"
root=$(pwd)
build=${BUILD_DIR:-$root/build}
sanitize=${SANITIZE_DIR:-$root/build-sanitize}

packages=(cmake g++ make libgtest-dev libbenchmark-dev octave octave-dev gnuplot-nox
          fonts-freefont-otf valgrind)
cross=${CROSS_DIR:-$root/build-cross}
cross_packages=(clang g++-aarch64-linux-gnu qemu-user-static g++-mingw-w64-x86-64-posix wine64
                googletest libxsimd-dev)
[ "${1:-}" = cross ] && packages+=("${cross_packages[@]}")

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

# GoogleTest for a cross target, from the sources Debian's googletest package
# installs, into that target's prefix beside a link to the (header-only)
# xsimd headers; then the core and its tests for that target, run by ctest
# through the toolchain's emulator, and the Octave modules built (not run)
# where the target links them as Linux does.
cross_core_tests() {
  local name=$1 toolchain=$root/cmake/$2 modules=$3
  local prefix=$cross/$name/prefix
  mkdir -p "$prefix/include"
  ln -sfn /usr/include/xsimd "$prefix/include/xsimd"
  cmake -S /usr/src/googletest -B "$cross/$name/googletest" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DBUILD_GMOCK=OFF -DCMAKE_INSTALL_PREFIX="$prefix"
  cmake --build "$cross/$name/googletest" -j "$(nproc)" --target install
  cmake -S "$root" -B "$cross/$name/build" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCOAT_CROSS_PREFIX="$prefix" \
    -DCOAT_OCTAVE="$modules" -DCOAT_BENCHMARKS=OFF
  cmake --build "$cross/$name/build" -j "$(nproc)"
  ctest --test-dir "$cross/$name/build" --output-on-failure
}

cross_builds() {
  # Clang on this machine: everything, modules and end-to-end tests included.
  CC=clang CXX=clang++ cmake -S "$root" -B "$cross/clang" -DCMAKE_BUILD_TYPE=Release
  cmake --build "$cross/clang" -j "$(nproc)"
  ctest --test-dir "$cross/clang" --output-on-failure
  cross_core_tests aarch64 toolchain-aarch64-linux-gnu.cmake ON
  # Windows modules would link against Windows Octave's import libraries.
  (export WINEPREFIX=$cross/wine WINEDEBUG=-all
   cross_core_tests mingw toolchain-mingw-w64-x86_64.cmake OFF)
}

octave_run() {
  (cd "$build" && octave-cli --no-history --norc --no-window-system --eval "$1")
}

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
  cross)
    cross_builds
    ;;
  *)
    echo "usage: $0 [build|demo|test|bench|cross]" >&2
    exit 2
    ;;
esac
