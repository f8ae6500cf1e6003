#!/usr/bin/env bash
# The dialog's phone tests: for each kind of simulated phone, starts
# "quavrel phone-sim" (from the native build) on a pseudo-terminal, wires
# the Wine prefix's COM1 to it, and runs the matching PhoneButtons tests of
# ui_tests.exe under Wine with the modem-line preload library.
# Usage: phone_tests.sh NATIVE_BUILD_DIR UI_TESTS_EXE
set -u
native=$1
tests=$2
quavrel="$native/quavrel"
preload_dir="$native/linepreload"
if [ ! -x "$quavrel" ] || [ ! -e "$preload_dir/i386/libquavrel-lines.so" ]; then
  echo "phone tests skipped: they need the native build's quavrel and preload library in $native (scripts/test native)"
  exit 77
fi
: "${WINEPREFIX:?the Wine prefix must be set}"
work=$(mktemp -d)
sim_pid=""
com1_before=$(readlink "$WINEPREFIX/dosdevices/com1" 2>/dev/null || true)
finish() {
  [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null
  sim_pid=""
  if [ -n "$com1_before" ]; then ln -sfn "$com1_before" "$WINEPREFIX/dosdevices/com1"; fi
  rm -rf "$work"
}
trap finish EXIT

# run_group KIND FILTER [phone-sim options...]
run_group() {
  local kind=$1 filter=$2
  shift 2
  local dir="$work/$kind"
  mkdir -p "$dir"
  "$quavrel" phone-sim --eeprom "$dir/eeprom.bin" --line-events "$dir/line-events" "$@" \
    >"$dir/phone.log" 2>&1 &
  sim_pid=$!
  local device=""
  for _ in $(seq 100); do
    device=$(head -1 "$dir/phone.log" 2>/dev/null)
    [ -n "$device" ] && [ -e "$device" ] && break
    sleep 0.1
  done
  if [ -z "$device" ] || [ ! -e "$device" ]; then
    echo "the simulated phone ($kind) did not start:"
    cat "$dir/phone.log"
    return 1
  fi
  ln -sfn "$device" "$WINEPREFIX/dosdevices/com1"
  echo "== $kind phone on $device"
  QUAVREL_PHONE_SIM=$kind QUAVREL_PHONE_EEPROM="$dir/eeprom.bin" \
    QUAVREL_LINE_EVENTS="$dir/line-events" LD_PRELOAD="$preload_dir/\$LIB/libquavrel-lines.so" \
    wine "$tests" --gtest_filter="$filter"
  local rc=$?
  kill "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null
  sim_pid=""
  if [ $rc -ne 0 ]; then
    echo "-- the $kind phone's log:"
    tail -n 60 "$dir/phone.log"
  fi
  return $rc
}

failed=0
run_group working 'PhoneButtons.*' || failed=1
run_group silent 'PhoneButtons.SilentPhone*' --fault silent || failed=1
run_group refusing 'PhoneButtons.RefusedChunk*' --fault refuse-offset=100 || failed=1
exit $failed
