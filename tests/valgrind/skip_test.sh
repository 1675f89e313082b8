#!/usr/bin/env bash
# skip_test.sh RUN_MEMCHECK PROGRAM VALGRIND...
# Holds run_memcheck.sh's skip rule to real valgrind deaths. PROGRAM prints
# its argument, if it has one, then executes an instruction valgrind cannot
# decode. A death before the marker is a skip that names the place; the same
# death after the marker, and any other failure before it, still fail.
run=$1 program=$2
shift 2
marker="driver: loading"
failed=0
check() { # check WANTED_STATUS WHAT COMMAND...
  local want=$1 what=$2
  shift 2
  out=$("$@" 2>&1)
  status=$?
  if [ "$status" -ne "$want" ]; then
    printf '%s\n' "$out"
    echo "FAIL: $what: exit $status, expected $want"
    failed=1
  else
    echo "ok: $what"
  fi
}
check 77 "unknown instruction before the marker: skipped" "$run" "$marker" "$@" "$program"
case $out in
  *"skipped: valgrind cannot start unknown_instruction"*"in main"*) ;;
  *) printf '%s\n' "$out"; echo "FAIL: the skip does not give its reason and place"; failed=1 ;;
esac
check 132 "unknown instruction after the marker: fails" "$run" "$marker" "$@" "$program" "$marker"
check 1 "another failure before the marker: fails" "$run" "$marker" "$@" /bin/false
exit $failed
