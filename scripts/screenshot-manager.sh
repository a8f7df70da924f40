#!/bin/sh
# Takes a screenshot of the song manager's main window on the demo game
# folder: a private Xvfb screen with the openbox window manager (for the
# title bar), tunedeck.exe under Wine, and ImageMagick's import.
#
# Usage: screenshot-manager.sh <windows-build-dir> [out.png]   (default docs/tunedeck.png)
set -eu
here="$(cd "$(dirname "$0")" && pwd)"
build="$(cd "${1:?usage: screenshot-manager.sh <windows-build-dir> [out.png]}" && pwd)"
out="${2:-$here/../docs/tunedeck.png}"
mkdir -p "$(dirname "$out")"
for tool in Xvfb openbox xwininfo xprop import; do
  command -v "$tool" >/dev/null || { echo "missing $tool" >&2; exit 1; }
done

work="$(mktemp -d)"
pids=""
cleanup() {
  for pid in $pids; do kill "$pid" 2>/dev/null || true; done
  WINEPREFIX="${WINEPREFIX:-$build/wine-prefixes/demo}" wineserver -k 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT INT TERM

# A free display number, from Xvfb itself.
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

# Wait for the main window (the prefix may need a first-time setup).
window=""
i=0
while [ -z "$window" ] && [ $i -lt 1200 ]; do
  window=$(xwininfo -root -tree 2>/dev/null | awk '/"Kickora Music Manager": \("tunedeck.exe"/ && / 483x308/ {print $1; exit}')
  [ -n "$window" ] || { sleep 0.1; i=$((i + 1)); }
done
[ -n "$window" ] || { echo "tunedeck's window did not appear" >&2; cat "$work/demo.log" >&2; exit 1; }
sleep 2  # let Wine and openbox finish painting

# The window with its frame: client geometry plus the frame extents.
eval "$(xwininfo -id "$window" | awk '/Absolute upper-left X/ {print "x=" $NF} /Absolute upper-left Y/ {print "y=" $NF} /Width:/ {print "w=" $NF} /Height:/ {print "h=" $NF}')"
extents=$(xprop -id "$window" _NET_FRAME_EXTENTS 2>/dev/null | sed -n 's/.*= //p' | tr -d ' ')
left=0 right=0 top=0 bottom=0
if [ -n "$extents" ]; then
  IFS=, read -r left right top bottom <<EOT
$extents
EOT
fi
import -window root -crop "$((w + left + right))x$((h + top + bottom))+$((x - left))+$((y - top))" +repage "$out"
echo "screenshot: $out"
