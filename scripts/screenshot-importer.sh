#!/bin/sh
# Uses tunegrab.exe by keyboard, as a person would, and takes a screenshot
# of its window after a conversion: a private Xvfb screen with openbox,
# the importer under Wine, xdotool for the keys and ImageMagick's import.
# The input is a short MP3 made with ffmpeg and lame; the destination a
# copy of the demo game folder's music folder.
#
# Usage: screenshot-importer.sh <windows-build-dir> [out.png]   (default docs/tunegrab.png)
set -eu
here="$(cd "$(dirname "$0")" && pwd)"
build="$(cd "${1:?usage: screenshot-importer.sh <windows-build-dir> [out.png]}" && pwd)"
out="${2:-$here/../docs/tunegrab.png}"
. "$here/screenshot-screen.sh"
screen_start xdotool ffmpeg lame

sh "$here/demo-game-folder.sh" "$work/FIFA 2001"
cp "$here/../demo/kickoff.str" "$work/FIFA 2001/data/audio/music/kickoff.str"
tone="0.2*sin(2*PI*220*t)+0.15*sin(2*PI*277.18*t)+0.1*sin(2*PI*(659.26*t+30*sin(2*PI*0.7*t)))"
ffmpeg -loglevel error -f lavfi -i "aevalsrc=$tone|$tone:s=44100:d=30" "$work/source.wav"
lame --quiet -V 2 "$work/source.wav" "$work/Summer Anthem.mp3"
win() { printf 'Z:%s' "$1" | tr / '\\'; }

sh "$here/../cmake/wine-run" "$build/importer/tunegrab.exe" >"$work/tunegrab.log" 2>&1 &
screen_track $!

window=""
i=0
while [ -z "$window" ] && [ $i -lt 1200 ]; do
  window=$(xdotool search --name '^Tunegrab Importer$' 2>/dev/null | head -1)
  [ -n "$window" ] || { sleep 0.1; i=$((i + 1)); }
done
[ -n "$window" ] || { echo "tunegrab's window did not appear" >&2; exit 1; }
sleep 2
xdotool windowactivate --sync "$window" 2>/dev/null || xdotool windowfocus "$window"
sleep 0.5
# The input box has the focus at start; Alt+D goes to the destination box,
# Enter converts.
xdotool type --delay 5 "$(win "$work/Summer Anthem.mp3")"
xdotool key alt+d
xdotool type --delay 5 "$(win "$work/FIFA 2001/data/audio/music")"
xdotool key Return
i=0
while [ ! -f "$work/FIFA 2001/data/audio/music/Summer Anthem.asf" ] && [ $i -lt 300 ]; do sleep 0.1; i=$((i + 1)); done
sleep 2

ls "$work/FIFA 2001/data/audio/music"
shoot_window "$window" "$out"
