#!/bin/sh
# Takes screenshots of the song manager's export dialog and About box on the
# demo game folder: a private Xvfb screen with the openbox window manager
# (for the title bars), tunedeck.exe under Wine, the dialogs opened from
# outside with tunedeck_open_dialog.exe, and ImageMagick's import.
#
# Usage: screenshot-dialogs.sh <windows-build-dir> [out-dir]   (default docs/)
# Writes export.png and about.png.
set -eu
here="$(cd "$(dirname "$0")" && pwd)"
build="$(cd "${1:?usage: screenshot-dialogs.sh <windows-build-dir> [out-dir]}" && pwd)"
out="${2:-$here/../docs}"
mkdir -p "$out"
opener="$build/tests/manager/tunedeck_open_dialog.exe"
[ -f "$opener" ] || { echo "no $opener: build the target tunedeck_open_dialog" >&2; exit 1; }
for tool in Xvfb openbox xwininfo xprop import; do
  command -v "$tool" >/dev/null || { echo "missing $tool" >&2; exit 1; }
done

work="$(mktemp -d)"
pids=""
export WINEPREFIX="${WINEPREFIX:-$build/wine-prefixes/demo}"
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

# window_of <title>: the X window of tunedeck's top-level window with that title.
window_of() {
  xwininfo -root -tree 2>/dev/null | awk -v t="\"$1\": (\"tunedeck.exe\"" 'index($0, t) {print $1; exit}'
}
wait_for() {
  w=""
  i=0
  while [ -z "$w" ] && [ $i -lt 1200 ]; do
    w=$(window_of "$1")
    [ -n "$w" ] || { sleep 0.1; i=$((i + 1)); }
  done
  [ -n "$w" ] || { echo "no window \"$1\"" >&2; cat "$work/demo.log" >&2; exit 1; }
  printf '%s' "$w"
}
# shoot <window> <file>: the window with its frame.
shoot() {
  sleep 2  # let Wine and openbox finish painting
  eval "$(xwininfo -id "$1" | awk '/Absolute upper-left X/ {print "x=" $NF} /Absolute upper-left Y/ {print "y=" $NF} /Width:/ {print "w=" $NF} /Height:/ {print "h=" $NF}')"
  extents=$(xprop -id "$1" _NET_FRAME_EXTENTS 2>/dev/null | sed -n 's/.*= //p' | tr -d ' ')
  left=0 right=0 top=0 bottom=0
  if [ -n "$extents" ]; then
    IFS=, read -r left right top bottom <<EOT
$extents
EOT
  fi
  import -window root -crop "$((w + left + right))x$((h + top + bottom))+$((x - left))+$((y - top))" +repage "$2"
  echo "screenshot: $2"
}

wait_for "Kickora Music Manager" >/dev/null
sh "$here/../cmake/wine-run" "$opener" export 0 'C:\users\Public\Music\anthem.wav'
shoot "$(wait_for "Kickora Music Manager - Export song from game...")" "$out/export.png"
sh "$here/../cmake/wine-run" "$opener" about
shoot "$(wait_for "About Kickora Music Manager")" "$out/about.png"
