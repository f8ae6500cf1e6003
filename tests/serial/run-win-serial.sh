#!/usr/bin/env bash
# Runs the Windows serial tests under Wine against a pty: starts the native
# serial-peer, links COM5 of the Wine prefix to its pty, and runs the test
# program with the modem-line preload library (both word sizes through $LIB;
# the 32-bit Wine loader is the one that uses it).
# Usage: run-win-serial.sh TEST.exe NATIVE-BUILD-DIR   (WINEPREFIX set)
# Exit 77 (skipped) when the native build has not been made.
set -u
exe=$1
native=$2
peer=$native/serial-peer
preload=$native/linepreload
if [ ! -x "$peer" ] || [ ! -f "$preload/i386/libquavrel-lines.so" ]; then
  echo "skipped: needs the native build's serial-peer and preload library in $native (scripts/test native)"
  exit 77
fi
if [ -z "${WINEPREFIX:-}" ] || [ ! -d "$WINEPREFIX/dosdevices" ]; then
  echo "WINEPREFIX must name a prepared Wine prefix" >&2
  exit 1
fi

work=$(mktemp -d)
com=$WINEPREFIX/dosdevices/com5
"$peer" "$work/events" >"$work/peer.out" 2>"$work/peer.log" &
peer_pid=$!
cleanup() {
  kill "$peer_pid" 2>/dev/null
  wait "$peer_pid" 2>/dev/null
  rm -f "$com"
  rm -rf "$work"
}
trap cleanup EXIT

tty=""
for _ in $(seq 100); do
  tty=$(head -n 1 "$work/peer.out" 2>/dev/null)
  [ -n "$tty" ] && break
  sleep 0.05
done
if [ -z "$tty" ]; then
  echo "serial-peer did not start:" >&2
  cat "$work/peer.log" >&2
  exit 1
fi
ln -sfn "$tty" "$com"
# The Wine server starts here, not from the preloaded client: it needs no
# modem lines, and what it prints on leaving is not the tests' output.
wineserver -p3 >/dev/null 2>&1
rm -f "$WINEPREFIX/dosdevices/com8"

QUAVREL_UNDER_WINE=1 QUAVREL_TEST_PORT=COM5 QUAVREL_TEST_MISSING_PORT=COM8 QUAVREL_LINE_EVENTS="$work/events" \
  LD_PRELOAD="$preload/\$LIB/libquavrel-lines.so" wine "$exe"
rc=$?
if [ $rc -ne 0 ]; then
  echo "--- serial-peer log" >&2
  cat "$work/peer.log" >&2
fi
exit $rc
