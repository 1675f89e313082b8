#!/usr/bin/env bash
# run_memcheck.sh MARKER COMMAND...
# Runs COMMAND (valgrind and the host it starts), passes its output through
# and exits with its status, with one exception: when valgrind killed the
# process on an instruction it cannot decode before the host printed MARKER,
# which the driver prints before it loads any module, the fault lies with
# valgrind and the processor, not with a module. The run is then reported
# skipped (exit 77, CTest's SKIP_RETURN_CODE) with the reason. Seen at
# octave-cli's start on processors whose CPUID lacks RDTSCP: Debian 12's
# valgrind refuses that instruction in libhwy. After MARKER every death fails.
marker=$1
shift
out=$(mktemp)
trap 'rm -f "$out"' EXIT
"$@" 2>&1 | tee "$out"
status=${PIPESTATUS[0]}
if [ "$status" -ne 0 ] && ! grep -qF -- "$marker" "$out" &&
   grep -q 'valgrind: Unrecognised instruction' "$out" &&
   grep -q 'terminating with default action of signal 4 (SIGILL)' "$out"; then
  program=$(sed -n 's/^==[0-9]*== Command: \([^ ]*\).*/\1/p' "$out" | head -n 1)
  program=${program##*/}
  bytes=$(sed -n 's/^vex [^:]*: unhandled instruction bytes: //p' "$out" | head -n 1)
  where=$(grep -A1 'valgrind: Unrecognised instruction' "$out" | sed -n 's/^==[0-9]*== *at 0x[0-9A-Fa-f]*: //p' | head -n 1)
  echo "skipped: valgrind cannot start ${program:-the program} on this processor: it stops at an" \
       "instruction it does not decode (${bytes:-bytes not shown}) in ${where:-an unnamed place}," \
       "before any module is loaded"
  exit 77
fi
exit "$status"
