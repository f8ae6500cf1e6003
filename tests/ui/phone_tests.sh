#!/usr/bin/env bash
# The dialog's phone tests: for each kind of simulated phone, starts
# "quavrel phone-sim" (from the native build) on a pseudo-terminal, wires
# the Wine prefix's COM1 to it (COM2 never opens), and runs the matching PhoneButtons tests of
# ui_tests.exe under Wine with the modem-line preload library.
# The library gives the pty its modem lines but reports no line events: the
# dialog is under test here, not what a pty can carry (a pty drops parity,
# and Wine rewrites the line settings it reads back from it), which the
# phone link's own tests check on the simulated line.
# Usage: phone_tests.sh NATIVE_BUILD_DIR UI_TESTS_EXE
set -u
source "$(dirname "$0")/../../scripts/lib/wine-ports.sh"
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
finish() {
  [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null
  sim_pid=""
  unwire_com1
  rm -rf "$work"
}
trap finish EXIT
pin_com_ports

# run_group KIND FILTER [phone-sim options...]
run_group() {
  local kind=$1 filter=$2
  shift 2
  local dir="$work/$kind"
  mkdir -p "$dir"
  "$quavrel" phone-sim --eeprom "$dir/eeprom.bin" --log "$dir/phone.log" "$@" \
    >"$dir/phone.out" 2>&1 &
  sim_pid=$!
  local device=""
  for _ in $(seq 100); do
    device=$(head -1 "$dir/phone.out" 2>/dev/null)
    [ -n "$device" ] && [ -e "$device" ] && break
    sleep 0.1
  done
  if [ -z "$device" ] || [ ! -e "$device" ]; then
    echo "the simulated phone ($kind) did not start:"
    cat "$dir/phone.out"
    return 1
  fi
  wire_com1 "$device"
  echo "== $kind phone on $device"
  # The Wine server must not inherit the preload library: start it first.
  wine cmd /c exit >/dev/null 2>&1
  QUAVREL_PHONE_SIM=$kind QUAVREL_PHONE_EEPROM="$dir/eeprom.bin" \
    LD_PRELOAD="$preload_dir/\$LIB/libquavrel-lines.so" wine "$tests" --gtest_filter="$filter"
  local rc=$?
  kill "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null
  sim_pid=""
  if [ $rc -ne 0 ]; then
    echo "-- the $kind phone's log (the end):"
    tail -n 80 "$dir/phone.log"
  fi
  return $rc
}

failed=0
run_group working 'PhoneButtons.*' || failed=1
run_group power 'PhoneButtons.PowerOffThenOn*' || failed=1
run_group silent 'PhoneButtons.SilentPhone*' --fault silent || failed=1
run_group refusing 'PhoneButtons.RefusedChunk*' --fault refuse-offset=100 || failed=1
run_group key-released 'PhoneButtons.FailedPowerOn*' --fault key-released || failed=1
exit $failed
