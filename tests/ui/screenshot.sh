#!/bin/sh
# Takes a picture of a part of the display: screenshot.sh GEOMETRY OUT.png
# (run from the dialog's tests through Wine, which leaves a program started
# this way without the standard streams that import needs).
exec import -window root -crop "$1" "$2" </dev/null >/dev/null 2>&1
