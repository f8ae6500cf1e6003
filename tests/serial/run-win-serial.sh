#!/usr/bin/env bash
# Runs the Windows serial tests under Wine with COM5 linked to the pty of the
# native serial-peer and the modem-line preload library loaded (both word
# sizes through $LIB), which gives the pty the modem lines the table works. Exit 77 (skipped) without the native build.
# Usage: run-win-serial.sh TEST.exe NATIVE-BUILD-DIR   (WINEPREFIX set)
set -u
exe=$1 native=$2
if [ ! -x "$native/serial-peer" ] || [ ! -f "$native/linepreload/i386/libquavrel-lines.so" ]; then
  echo "skipped: needs the native build's serial-peer and preload library in $native (scripts/test native)"
  exit 77
fi
work=$(mktemp -d)
com=$WINEPREFIX/dosdevices/com5
"$native/serial-peer" >"$work/peer.out" &
peer_pid=$!
trap 'kill $peer_pid; wait $peer_pid 2>/dev/null; rm -rf "$com" "$work"' EXIT
for _ in $(seq 100); do [ -s "$work/peer.out" ] && break; sleep 0.05; done
ln -sfn "$(head -n 1 "$work/peer.out")" "$com"
# The Wine server starts here, not from the preloaded client: it needs no
# modem lines, and what it prints on leaving is not the tests' output.
wineserver -p3 >/dev/null 2>&1
QUAVREL_TEST_PORT=COM5 LD_PRELOAD="$native/linepreload/\$LIB/libquavrel-lines.so" wine "$exe"
