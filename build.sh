#!/usr/bin/env bash
# One entry point for building, the demo, the tests and the benchmarks.
#   ./build.sh          build everything (modules in build/mex)
#   ./build.sh demo     build the modules alone (no tests, no benchmarks),
#                       then design a dispersive mirror from its targets
#                       (design_from_targets)
#   ./build.sh test     build, then run every test: the tests of build/, the
#                       modules under valgrind's memcheck, then everything
#                       built again with AddressSanitizer and UBSan in
#                       build-sanitize/: the modules in octave-cli (misuse
#                       sweeps, end-to-end tests, leak checks) and the core
#                       tests; and the core tests with ThreadSanitizer in
#                       build-tsan/, on three threads
#   ./build.sh bench    build, then run the benchmarks and print a table
#   ./build.sh package [folder]
#                       write the Octave package coatings-<version>.tar.gz
#                       into folder (default build/), without building
#                       (cmake -P package/make_package.cmake)
#   ./build.sh cross    build and test for other targets in build-cross/:
#                       Clang on x86-64 (every test), aarch64 Linux (core
#                       tests under qemu-user, modules built), Windows x86-64
#                       with MinGW-w64 (core tests under Wine)
# Each command runs as stages. A stage that fails does not stop the others
# (only those that need it); the run ends with one line per stage and exits
# non-zero if any failed.
# Each command needs only its own Debian packages; those missing are
# installed with apt-get when run as root; otherwise the script names them
# and stops.
set -euo pipefail
cd "$(dirname "$0")"
root=$(pwd)
build=${BUILD_DIR:-$root/build}
sanitize=${SANITIZE_DIR:-$root/build-sanitize}
tsan=${TSAN_DIR:-$root/build-tsan}

# The modules and the demo: a compiler, CMake, Octave and its headers,
# gnuplot and a font for the figure; xsimd where glibc's libmvec is missing
# (CMake takes libmvec on x86-64 Linux). The tests and benchmarks add
# GoogleTest, Google Benchmark, valgrind and Octave's parallel package (so
# that the parallel path of coatdesign and coattolerance is the one tested);
# the package, CMake, which writes it, and xsimd's headers, which it carries
# for every target.
packages=(cmake g++ make octave octave-dev gnuplot-nox fonts-freefont-otf)
[ "$(uname -m)" = x86_64 ] || packages+=(libxsimd-dev)
case "${1:-build}" in
  demo) ;;
  package) packages=(cmake libxsimd-dev) ;;
  *) packages+=(libgtest-dev libbenchmark-dev libxsimd-dev valgrind octave-parallel) ;;
esac
cross=${CROSS_DIR:-$root/build-cross}
cross_packages=(clang g++-aarch64-linux-gnu qemu-user-static g++-mingw-w64-x86-64-posix wine64
                googletest)
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

# stage NAME [--after STAGE] COMMAND...
# Runs COMMAND (a function or program, under set -e) as the stage NAME and
# records how long it took and whether it passed, failed, or was skipped:
# when STAGE did not pass, or when COMMAND exits with 77 after printing
# "skipped: <reason>".
outcomes=()
declare -A passed=()
logs=$(mktemp -d)
trap 'rm -rf "$logs"' EXIT
stage() {
  local name=$1 status=0 log=$logs/${#outcomes[@]}
  shift
  if [ "${1:-}" = --after ]; then
    if [ -z "${passed[$2]:-}" ]; then
      outcomes+=("skipped  $name: $2 did not pass")
      return
    fi
    shift 2
  fi
  printf '\n=== %s\n' "$name"
  local start=$SECONDS
  set +e
  (set -e; "$@") 2>&1 | tee "$log"
  status=${PIPESTATUS[0]}
  set -e
  local took="$((SECONDS - start)) s"
  if [ "$status" -eq 0 ]; then
    passed[$name]=1
    outcomes+=("passed   $name ($took)")
  elif [ "$status" -eq 77 ]; then
    outcomes+=("skipped  $name ($took): $(sed -n 's/.*skipped: //p' "$log" | tail -n 1)")
  else
    outcomes+=("FAILED   $name (exit $status, $took)")
  fi
}

summary() {
  printf '\n=== summary\n'
  printf '%s\n' "${outcomes[@]}"
  local outcome
  for outcome in "${outcomes[@]}"; do
    [[ $outcome != FAILED* ]] || return 1
  done
}

# Everything: modules, tests and benchmarks. The options are given each time,
# as the demo's build in the same folder turns the tests and benchmarks off.
compile() {
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DCOAT_TESTS=ON -DCOAT_BENCHMARKS=ON
  cmake --build "$build" -j "$(nproc)"
}

# The modules alone, with the functions and examples beside them.
compile_modules() {
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DCOAT_TESTS=OFF -DCOAT_BENCHMARKS=OFF
  cmake --build "$build" -j "$(nproc)"
}

# valgrind's memcheck of the modules, shown in full; on a processor where
# valgrind cannot start octave-cli the test reports itself skipped and why.
valgrind_memcheck() {
  ctest --test-dir "$build" -R '^memcheck\.modules$' --verbose --no-tests=error | tee "$logs/memcheck"
  ! grep -q 'memcheck\.modules \.*\*\*\*Skipped' "$logs/memcheck" || return 77
}

# Everything again with AddressSanitizer and UBSan (cmake/sanitize.cmake), the
# modules in build-sanitize/mex; never the shipped ones.
compile_sanitized() {
  cmake -S "$root" -B "$sanitize" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCOAT_SANITIZE=ON -DCOAT_OCTAVE=ON \
    -DCOAT_BENCHMARKS=OFF
  cmake --build "$sanitize" -j "$(nproc)"
}

# The core and its tests with ThreadSanitizer: races between the threads that
# share a call.
compile_tsan() {
  cmake -S "$root" -B "$tsan" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCOAT_TSAN=ON -DCOAT_OCTAVE=OFF \
    -DCOAT_BENCHMARKS=OFF
  cmake --build "$tsan" -j "$(nproc)" --target core_tests
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
  ctest --test-dir "$cross/$name/build" --output-on-failure ${CROSS_CTEST_REPEAT:-}
}

# Clang on this machine: everything, modules and end-to-end tests included.
clang_build() {
  CC=clang CXX=clang++ cmake -S "$root" -B "$cross/clang" -DCMAKE_BUILD_TYPE=Release
  cmake --build "$cross/clang" -j "$(nproc)"
}

# Windows modules would link against Windows Octave's import libraries: the
# core and its tests alone, under Wine with a scratch prefix.
windows_core_tests() {
  export WINEPREFIX=$cross/wine WINEDEBUG=-all
  # A test process Wine fails to start (seen once, right after the prefix
  # was made: no output, 0.01 s) is run once more; a real failure fails twice.
  CROSS_CTEST_REPEAT="--repeat until-pass:2"
  cross_core_tests mingw toolchain-mingw-w64-x86_64.cmake OFF
}

octave_run() {
  (cd "$build" && octave-cli --no-history --norc --no-window-system --eval "$1")
}

case "${1:-build}" in
  build|demo|test|bench|package|cross) ;;
  *)
    echo "usage: $0 [build|demo|test|bench|package [folder]|cross]" >&2
    exit 2
    ;;
esac
install_missing
if [ "${1:-}" = package ]; then
  rm -rf "$logs"
  exec cmake -DCOAT_PACKAGE_DIR="${2:-$build}" -P "$root/package/make_package.cmake"
fi
case "${1:-build}" in
  build)
    stage build compile
    ;;
  demo)
    stage "build the modules" compile_modules
    stage demo --after "build the modules" \
      octave_run "addpath('$build/mex'); design_from_targets('$build/design_from_targets.png');"
    ;;
  test)
    stage build compile
    stage "tests (build/)" --after build \
      ctest --test-dir "$build" --output-on-failure -E '^memcheck\.modules$'
    stage "valgrind memcheck of the modules (build/)" --after build valgrind_memcheck
    stage "sanitized build (build-sanitize/)" compile_sanitized
    # The modules in octave-cli with the ASan runtime preloaded; leaks are
    # checked inside each run. The core tests: the first report ends a run.
    stage "sanitized modules in Octave" --after "sanitized build (build-sanitize/)" \
      ctest --test-dir "$sanitize" --output-on-failure -L octave --no-tests=error
    stage "sanitized core tests" --after "sanitized build (build-sanitize/)" \
      env ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
      COAT_THREADS=3 COAT_THREADS_MIN_WORK=0 \
      ctest --test-dir "$sanitize" --output-on-failure -LE octave
    stage "ThreadSanitizer build (build-tsan/)" compile_tsan
    stage "core tests under ThreadSanitizer" --after "ThreadSanitizer build (build-tsan/)" \
      env TSAN_OPTIONS=halt_on_error=1 COAT_THREADS=3 COAT_THREADS_MIN_WORK=0 "$tsan/tests/core_tests"
    ;;
  bench)
    stage build compile
    stage bench --after build "$root/bench/run.sh" "$build"
    ;;
  cross)
    stage "Clang build (build-cross/clang/)" clang_build
    stage "Clang tests" --after "Clang build (build-cross/clang/)" \
      ctest --test-dir "$cross/clang" --output-on-failure
    stage "aarch64 under qemu (build-cross/aarch64/)" \
      cross_core_tests aarch64 toolchain-aarch64-linux-gnu.cmake ON
    stage "Windows x86-64 under Wine (build-cross/mingw/)" windows_core_tests
    ;;
esac
summary
