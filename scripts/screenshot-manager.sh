#!/bin/sh
# Takes a screenshot of the song manager's main window on the demo game
# folder: tunedeck.exe under Wine on a private Xvfb screen with openbox,
# and ImageMagick's import.
#
# Usage: screenshot-manager.sh <windows-build-dir> [out.png]   (default docs/tunedeck.png)
set -eu
here="$(cd "$(dirname "$0")" && pwd)"
build="$(cd "${1:?usage: screenshot-manager.sh <windows-build-dir> [out.png]}" && pwd)"
out="${2:-$here/../docs/tunedeck.png}"
. "$here/screenshot-screen.sh"
screen_start

sh "$here/demo-manager.sh" "$build" 600 >"$work/demo.log" 2>&1 &
screen_track $!
window=$(tunedeck_window "Kickora Music Manager" 483x308)
sleep 2  # let Wine and openbox finish painting
shoot_window "$window" "$out"
