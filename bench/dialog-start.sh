#!/usr/bin/env bash
# Times the dialog's Start under Wine against "quavrel phone-sim" on a
# pseudo-terminal wired to COM1, and the command's upload the same way.
# Needs build/native and build/windows (scripts/test builds both).
#   bench/dialog-start.sh [RUNS]
set -u
ROOT=$(cd "$(dirname "$0")/.." && pwd)
source "$ROOT/scripts/lib/setup.sh"
source "$ROOT/scripts/lib/wine-ports.sh"
runs=${1:-3}
native=$ROOT/build/native
windows=$ROOT/build/windows
work=$(mktemp -d)
sim_pid=""
trap '[ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null; wait 2>/dev/null; unwire_com1; stop_xvfb; rm -rf "$work"' EXIT

wine_env
start_xvfb || exit 1
pin_com_ports
"$native/quavrel" phone-sim --eeprom "$work/eeprom.bin" --quiet >"$work/phone.out" &
sim_pid=$!
for _ in $(seq 100); do [ -s "$work/phone.out" ] && break; sleep 0.05; done
wire_com1 "$(head -n 1 "$work/phone.out")"
wine cmd /c exit >/dev/null 2>&1  # the Wine server starts without the preload library
preload="$native/linepreload/\$LIB/libquavrel-lines.so"

echo "== the dialog's Start (Quavrel.exe under Wine)"
LD_PRELOAD=$preload wine "$windows/dialog_start_bench.exe" "$runs"
echo "== quavrel-cli.exe upload under Wine"
"$native/quavrel" project "$work/demo.bmt" --melody 1 "C2(1/4) D2(1/8) P(1/4)" >/dev/null
for run in $(seq "$runs"); do
  start=$(date +%s%N)
  LD_PRELOAD=$preload wine "$windows/quavrel-cli.exe" upload "Z:$work/demo.bmt" --port COM1 >/dev/null 2>&1
  rc=$?
  echo "run $run: $(( ($(date +%s%N) - start) / 1000000 )) ms, exit $rc (the process's start included)"
done
