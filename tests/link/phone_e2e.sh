#!/bin/sh
# End to end on a pseudo-terminal: "quavrel phone-sim" plays the phone and
# the phone commands talk to it as to a real one, in real time.
#   phone_e2e.sh PATH/TO/quavrel
set -eu
quavrel=$1
work=$(mktemp -d)
sim=
cleanup() {
  [ -n "$sim" ] && kill "$sim" 2>/dev/null && wait "$sim" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
cd "$work"

"$quavrel" phone-sim --eeprom phone.bin --quiet >sim.out &
sim=$!
for _ in $(seq 100); do [ -s sim.out ] && break; sleep 0.1; done
port=$(head -n 1 sim.out)
[ -n "$port" ] || { echo "phone-sim gave no port"; exit 1; }

"$quavrel" project demo.bmt --melody 1 "C2(1/4) D2(1/8) P(1/4) E2(1/2)" \
  --melody 4 "A1(1/16) H1(1/16) Cis2(1/8)" --tempo 4 200 >/dev/null
"$quavrel" encode demo.bmt -o demo.bin >/dev/null
"$quavrel" upload demo.bmt --port "$port"
cmp demo.bin phone.bin
"$quavrel" power-off --port "$port"
"$quavrel" power-on --port "$port"
echo "phone end to end: ok"
