#!/usr/bin/env bash
# The dialog's phone tests: starts "quavrel phone-sim" (native build) on a
# pseudo-terminal, wires the Wine prefix's COM1 to it (COM2 never opens) and
# runs the PhoneButtons tests of ui_tests.exe under Wine with the modem-line
# preload library; with a working phone and one refusing a chunk.
# The library gives the pty modem lines but no line events: parity and the
# exact line settings are the phone link's own tests' business.
# Usage: phone_tests.sh NATIVE_BUILD_DIR UI_TESTS_EXE
set -u
source "$(dirname "$0")/../../scripts/lib/wine-ports.sh"
quavrel="$1/quavrel"
preload_dir="$1/linepreload"
tests=$2
if [ ! -x "$quavrel" ] || [ ! -e "$preload_dir/i386/libquavrel-lines.so" ]; then
  echo "phone tests skipped: they need quavrel and the preload library in $1 (scripts/test native)"
  exit 77
fi
: "${WINEPREFIX:?the Wine prefix must be set}"
work=$(mktemp -d)
sim_pid=""
stop_phone() { [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null; }
trap 'stop_phone; unwire_com1; rm -rf "$work"' EXIT
pin_com_ports

# run_with KIND [phone-sim options...]
run_with() {
  local kind=$1 dir="$work/$1" device=""
  shift
  mkdir -p "$dir"
  "$quavrel" phone-sim --eeprom "$dir/eeprom.bin" --log "$dir/phone.log" "$@" >"$dir/phone.out" 2>&1 &
  sim_pid=$!
  for _ in $(seq 100); do
    device=$(head -1 "$dir/phone.out" 2>/dev/null)
    [ -n "$device" ] && [ -e "$device" ] && break
    sleep 0.1
  done
  [ -e "$device" ] || { echo "the $kind phone did not start:"; cat "$dir/phone.out"; return 1; }
  wire_com1 "$device"
  echo "== $kind phone on $device"
  # The Wine server must not inherit the preload library: start it first.
  wine cmd /c exit >/dev/null 2>&1
  QUAVREL_PHONE_SIM=$kind QUAVREL_PHONE_EEPROM="$dir/eeprom.bin" \
    LD_PRELOAD="$preload_dir/\$LIB/libquavrel-lines.so" wine "$tests" --gtest_filter='PhoneButtons.*'
  local rc=$?
  stop_phone
  [ $rc -eq 0 ] || { echo "-- the $kind phone's log (the end):"; tail -n 80 "$dir/phone.log"; }
  return $rc
}

failed=0
run_with working || failed=1
run_with refusing --fault refuse-offset=100 || failed=1
exit $failed
