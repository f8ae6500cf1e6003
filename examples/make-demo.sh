#!/usr/bin/env bash
# Rebuilds demo.bmt from the four note texts beside it with the quavrel
# command (give its path as the first argument, default build/native/quavrel).
set -euo pipefail
cd "$(dirname "$0")"
QUAVREL=${1:-../build/native/quavrel}
"$QUAVREL" project demo.bmt \
  --melody 1 @demo-1-morning-bell.txt --tempo 1 128 \
  --melody 2 @demo-2-quiet-steps.txt --tempo 2 100 \
  --melody 3 @demo-3-two-tone-alarm.txt --tempo 3 200 \
  --melody 4 @demo-4-little-march.txt --tempo 4 128
