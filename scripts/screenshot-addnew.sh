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
mkdir -p "$(dirname "$out")"
for tool in Xvfb openbox xwininfo xprop import; do
  command -v "$tool" >/dev/null || { echo "missing $tool" >&2; exit 1; }
done
uitool="$build/tests/manager/uitool.exe"
[ -f "$uitool" ] || { echo "no $uitool: build the Windows build first" >&2; exit 1; }
export WINEPREFIX="${WINEPREFIX:-$build/wine-prefixes/demo}"

work="$(mktemp -d)"
pids=""
cleanup() {
  for pid in $pids; do kill "$pid" 2>/dev/null || true; done
  wineserver -k 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT INT TERM

Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
pids="$pids $!"
i=0
while [ ! -s "$work/display" ] && [ $i -lt 100 ]; do sleep 0.1; i=$((i + 1)); done
DISPLAY=":$(cat "$work/display")"
export DISPLAY
openbox >/dev/null 2>&1 &
pids="$pids $!"

sh "$here/demo-manager.sh" "$build" 600 >"$work/demo.log" 2>&1 &
pids="$pids $!"

# find_window <title> <client size>: the X window of tunedeck's window.
find_window() {
  xwininfo -root -tree 2>/dev/null | awk -v t="\"$1\": (\"tunedeck.exe\"" -v s=" $2" \
    'index($0, t) && index($0, s) {print $1; exit}'
}
wait_window() {
  found=""
  i=0
  while [ -z "$found" ] && [ $i -lt 1200 ]; do
    found=$(find_window "$1" "$2")
    [ -n "$found" ] || { sleep 0.1; i=$((i + 1)); }
  done
  [ -n "$found" ] || { echo "window \"$1\" did not appear" >&2; cat "$work/demo.log" >&2; exit 1; }
  echo "$found"
}
ui() { sh "$here/../cmake/wine-run" "$uitool" "$@" >/dev/null; }

wait_window "Kickora Music Manager" 483x308 >/dev/null
sleep 1
ui click "Kickora Music Manager" 1001
dialog=$(wait_window "Kickora Music Manager - Make new song..." 430x228)
ui text "Kickora Music Manager - Make new song..." 2101 'C:\users\Public\Music\Kick-off theme.mp3'
ui text "Kickora Music Manager - Make new song..." 2102 'kickoff'
sleep 2  # let Wine and openbox finish painting

# The dialog and the main window behind it, each with its frame.
bounds() {
  eval "$(xwininfo -id "$1" | awk '/Absolute upper-left X/ {print "x=" $NF} /Absolute upper-left Y/ {print "y=" $NF} /Width:/ {print "w=" $NF} /Height:/ {print "h=" $NF}')"
  extents=$(xprop -id "$1" _NET_FRAME_EXTENTS 2>/dev/null | sed -n 's/.*= //p' | tr -d ' ')
  left=0 right=0 top=0 bottom=0
  if [ -n "$extents" ]; then
    IFS=, read -r left right top bottom <<EOT
$extents
EOT
  fi
  echo "$((x - left)) $((y - top)) $((x + w + right)) $((y + h + bottom))"
}
main=$(find_window "Kickora Music Manager" 483x308)
read -r ax ay ar ab <<EOT
$(bounds "$main")
EOT
read -r bx by br bb <<EOT
$(bounds "$dialog")
EOT
x0=$((ax < bx ? ax : bx)); y0=$((ay < by ? ay : by))
x1=$((ar > br ? ar : br)); y1=$((ab > bb ? ab : bb))
import -window root -crop "$((x1 - x0))x$((y1 - y0))+$x0+$y0" +repage "$out"
echo "screenshot: $out"
