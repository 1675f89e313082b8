#!/usr/bin/env bash
# One entry point for building, the demo, the tests and the benchmarks.
#   ./build.sh          build everything (modules in build/mex)
#   ./build.sh demo     build, then run the quarter-wave mirror demo
#   ./build.sh test     build, then run every test: the tests of build/, the
#                       modules under valgrind's memcheck, then everything
#                       built again with AddressSanitizer and UBSan in
#                       build-sanitize/: the modules in octave-cli (misuse
#                       sweeps, end-to-end tests, leak checks) and the core
#                       tests
#   ./build.sh bench    build, then run the benchmarks and print a table
#   ./build.sh package [folder]
#                       write the Octave package coatings-<version>.tar.gz
#                       into folder (default build/), without building
# Each command runs as stages. A stage that fails does not stop the others
# (only those that need it); the run ends with one line per stage and exits
# non-zero if any failed.
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

compile() {
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release
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

octave_run() {
  (cd "$build" && octave-cli --no-history --norc --no-window-system --eval "$1")
}

if [ "${1:-}" = package ]; then
  exec "$root/package/make_package.sh" "${2:-$build}"
fi
install_missing
case "${1:-build}" in
  build)
    stage build compile
    ;;
  demo)
    stage build compile
    stage demo --after build octave_run "addpath('$build/mex'); addpath('$root/examples'); quarter_wave_mirror('$build/quarter_wave_mirror.png');"
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
      ctest --test-dir "$sanitize" --output-on-failure -LE octave
    ;;
  bench)
    stage build compile
    stage bench --after build "$root/bench/run.sh" "$build"
    ;;
  *)
    echo "usage: $0 [build|demo|test|bench|package [folder]]" >&2
    exit 2
    ;;
esac
summary
