# Shared by the screenshot scripts (sourced, not run): a private Xvfb
# screen with the openbox window manager for the title bars, the X windows
# of Wine's programs, and pictures of them with their frames.
#   screen_start <tool...>     checks the tools, starts the screen; sets
#                              DISPLAY and $work (removed on exit)
#   screen_track <pid>         a background process to end on exit
#   tunedeck_window <title> [size]   waits for tunedeck's X window
#   frame_bounds <window>      "x0 y0 x1 y1" of the window with its frame
#   shoot_window <window> <file>     the window with its frame as a picture
# Expects $build (the Windows build) and leaves WINEPREFIX as given or
# <build>/wine-prefixes/demo.
export WINEPREFIX="${WINEPREFIX:-$build/wine-prefixes/demo}"
pids=""

screen_cleanup() {
  for pid in $pids; do kill "$pid" 2>/dev/null || true; done
  wineserver -k 2>/dev/null || true
  rm -rf "$work"
}

screen_track() { pids="$pids $1"; }

screen_start() {
  for tool in Xvfb openbox xwininfo xprop import "$@"; do
    command -v "$tool" >/dev/null || { echo "missing $tool" >&2; exit 1; }
  done
  work="$(mktemp -d)"
  trap screen_cleanup EXIT INT TERM
  # A free display number, from Xvfb itself.
  Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
  screen_track $!
  i=0
  while [ ! -s "$work/display" ] && [ $i -lt 100 ]; do sleep 0.1; i=$((i + 1)); done
  DISPLAY=":$(cat "$work/display")"
  export DISPLAY
  openbox >/dev/null 2>&1 &
  screen_track $!
}

# tunedeck_window <title> [client size]: waits up to 2 minutes (the prefix
# may need its first-time setup); the log of the demo, if any, on failure.
tunedeck_window() {
  found=""
  i=0
  while [ -z "$found" ] && [ $i -lt 1200 ]; do
    found=$(xwininfo -root -tree 2>/dev/null | awk -v t="\"$1\": (\"tunedeck.exe\"" -v s=" ${2:-}" \
      'index($0, t) && index($0, s) {print $1; exit}')
    [ -n "$found" ] || { sleep 0.1; i=$((i + 1)); }
  done
  if [ -z "$found" ]; then
    echo "window \"$1\" did not appear" >&2
    [ -f "$work/demo.log" ] && cat "$work/demo.log" >&2
    exit 1
  fi
  echo "$found"
}

frame_bounds() {
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

# shoot_area <x0> <y0> <x1> <y1> <file>
shoot_area() {
  mkdir -p "$(dirname "$5")"
  import -window root -crop "$(($3 - $1))x$(($4 - $2))+$1+$2" +repage "$5"
  echo "screenshot: $5"
}

shoot_window() {
  # shellcheck disable=SC2046
  shoot_area $(frame_bounds "$1") "$2"
}
