#!/bin/sh
# Takes a picture of the program's dialog from the display: screenshot.sh OUT.png
# (run from the dialog's tests through Wine, which leaves a program started
# this way without the standard streams that import needs).
window=$(xdotool search --name '^Quavrel v' | head -n 1)
exec import -window "$window" "$1" </dev/null >/dev/null 2>&1
