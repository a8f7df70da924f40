#!/bin/sh
# Takes screenshots of the song manager's export dialog and About box on the
# demo game folder: tunedeck.exe under Wine on a private Xvfb screen with
# openbox, the dialogs opened from outside with tunedeck_open_dialog.exe,
# and ImageMagick's import.
#
# Usage: screenshot-dialogs.sh <windows-build-dir> [out-dir]   (default docs/)
# Writes export.png and about.png.
set -eu
here="$(cd "$(dirname "$0")" && pwd)"
build="$(cd "${1:?usage: screenshot-dialogs.sh <windows-build-dir> [out-dir]}" && pwd)"
out="${2:-$here/../docs}"
opener="$build/tests/manager/tunedeck_open_dialog.exe"
[ -f "$opener" ] || { echo "no $opener: build the target tunedeck_open_dialog" >&2; exit 1; }
. "$here/screenshot-screen.sh"
screen_start

sh "$here/demo-manager.sh" "$build" 600 >"$work/demo.log" 2>&1 &
screen_track $!
# shoot <title> <file>: the dialog once painted.
shoot() {
  window=$(tunedeck_window "$1")
  sleep 2  # let Wine and openbox finish painting
  shoot_window "$window" "$2"
}

tunedeck_window "Kickora Music Manager" >/dev/null
sh "$here/../cmake/wine-run" "$opener" export 0 'C:\users\Public\Music\anthem.wav'
shoot "Kickora Music Manager - Export song from game..." "$out/export.png"
sh "$here/../cmake/wine-run" "$opener" about
shoot "About Kickora Music Manager" "$out/about.png"
