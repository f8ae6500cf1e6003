#!/bin/sh
# End to end on a pseudo-terminal: "quavrel phone-sim" plays the phone and
# the phone commands talk to it as to a real one, in real time.
#   phone_e2e.sh PATH/TO/quavrel
set -eu
quavrel=$1
work=$(mktemp -d)
sim=
trap '[ -z "$sim" ] || { kill "$sim"; wait "$sim"; } 2>/dev/null; rm -rf "$work"' EXIT
cd "$work"

"$quavrel" phone-sim --eeprom phone.bin --quiet >sim.out &
sim=$!
for _ in $(seq 100); do [ -s sim.out ] && break; sleep 0.1; done
port=$(head -n 1 sim.out)

"$quavrel" project demo.bmt --melody 1 "C2(1/4) D2(1/8) P(1/4)" --melody 4 "A1(1/16) Cis2(1/8)" >/dev/null
"$quavrel" encode demo.bmt -o demo.bin >/dev/null
"$quavrel" upload demo.bmt --port "$port"
cmp demo.bin phone.bin
"$quavrel" upload demo.bmt --port "$work/none" >/dev/null 2>&1 && { echo "upload to no port succeeded"; exit 1; }
"$quavrel" power-off --port "$port"
"$quavrel" power-on --port "$port"
echo "phone end to end: ok"
