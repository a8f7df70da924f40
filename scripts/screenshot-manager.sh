#!/bin/sh
# Takes a screenshot of the song manager's main window on the demo game
# folder: tunedeck.exe under Wine on a private Xvfb screen with openbox,
# and ImageMagick's import. At a DPI other than 96 the prefix is one of its
# own, with Wine's LogPixels set before the program starts.
#
# Usage: screenshot-manager.sh <windows-build-dir> [out.png] [dpi]   (default docs/tunedeck.png, 96)
set -eu
here="$(cd "$(dirname "$0")" && pwd)"
build="$(cd "${1:?usage: screenshot-manager.sh <windows-build-dir> [out.png] [dpi]}" && pwd)"
out="${2:-$here/../docs/tunedeck.png}"
dpi="${3:-96}"
[ "$dpi" = 96 ] || export WINEPREFIX="$build/wine-prefixes/demo-$dpi"
. "$here/screenshot-screen.sh"
screen_start
# On the private screen: Wine's session starts with the first program.
[ "$dpi" = 96 ] || sh "$here/../cmake/wine-run" reg.exe add 'HKCU\Control Panel\Desktop' \
  /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1

sh "$here/demo-manager.sh" "$build" 600 >"$work/demo.log" 2>&1 &
screen_track $!
# The client area: 7245 x 4620 twips.
window=$(tunedeck_window "Kickora Music Manager" "$(((7245 * dpi + 720) / 1440))x$(((4620 * dpi + 720) / 1440))")
sleep 2  # let Wine and openbox finish painting
shoot_window "$window" "$out"
