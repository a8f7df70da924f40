#!/bin/sh
# Takes a screenshot of the make-new-song dialog over the main window on
# the demo game folder: a private Xvfb screen with openbox (for the title
# bars), tunedeck.exe under Wine, the dialog opened and filled in with the
# build's uitool, and ImageMagick's import.
#
# Usage: screenshot-addnew.sh <windows-build-dir> [out.png]   (default docs/addnew.png)
set -eu
here="$(cd "$(dirname "$0")" && pwd)"
build="$(cd "${1:?usage: screenshot-addnew.sh <windows-build-dir> [out.png]}" && pwd)"
out="${2:-$here/../docs/addnew.png}"
uitool="$build/tests/manager/uitool.exe"
[ -f "$uitool" ] || { echo "no $uitool: build the Windows build first" >&2; exit 1; }
. "$here/screenshot-screen.sh"
screen_start

sh "$here/demo-manager.sh" "$build" 600 >"$work/demo.log" 2>&1 &
screen_track $!

ui() { sh "$here/../cmake/wine-run" "$uitool" "$@" >/dev/null; }

tunedeck_window "Kickora Music Manager" 483x308 >/dev/null
sleep 1
ui click "Kickora Music Manager" 1001
dialog=$(tunedeck_window "Kickora Music Manager - Make new song..." 430x228)
ui text "Kickora Music Manager - Make new song..." 2101 'C:\users\Public\Music\Kick-off theme.mp3'
ui text "Kickora Music Manager - Make new song..." 2102 'kickoff'
sleep 2  # let Wine and openbox finish painting

# The dialog and the main window behind it, each with its frame.
main=$(tunedeck_window "Kickora Music Manager" 483x308)
read -r ax ay ar ab <<EOT
$(frame_bounds "$main")
EOT
read -r bx by br bb <<EOT
$(frame_bounds "$dialog")
EOT
shoot_area $((ax < bx ? ax : bx)) $((ay < by ? ay : by)) $((ar > br ? ar : br)) $((ab > bb ? ab : bb)) "$out"
