#!/bin/sh
# Times "&Make!" of the make-new-song dialog with the real importer, from
# the click to the message box, for a 4-minute 44,100 Hz stereo MP3 on the
# demo game folder under Wine. Prints each run and the median.
# Usage: bench-make-new-song.sh <windows-build-dir> [runs]   (default 5)
# IMPORTER=<tunegrab.exe> times another importer (the test stand-in shows
# the dialog's own share: start, window search, typing, rename).
set -eu
here="$(cd "$(dirname "$0")" && pwd)"
build="$(cd "${1:?usage: bench-make-new-song.sh <windows-build-dir> [runs]}" && pwd)"
runs="${2:-5}"
if [ -z "${DISPLAY:-}" ]; then exec xvfb-run -a sh "$0" "$@"; fi
export WINEPREFIX="${WINEPREFIX:-$build/wine-prefixes/bench}"
wine_run="$here/../cmake/wine-run"
uitool="$build/tests/manager/uitool.exe"

work="$build/bench-make-new-song"
rm -rf "$work"
mkdir -p "$work/Kickora Music Manager"
cp "$build/manager/tunedeck.exe" "$work/Kickora Music Manager/"
cp "${IMPORTER:-$build/importer/tunegrab.exe}" "$work/Kickora Music Manager/tunegrab.exe"
sh "$here/demo-game-folder.sh" "$work/FIFA2001"
ffmpeg -v error -y -f lavfi -i "sine=frequency=440:duration=240:sample_rate=44100" \
  -f lavfi -i "anoisesrc=color=pink:duration=240:sample_rate=44100:amplitude=0.2" \
  -filter_complex "[0][1]amix=inputs=2,aformat=channel_layouts=stereo" -c:a pcm_s16le "$work/in.wav"
lame --quiet -b 128 "$work/in.wav" "$work/song.mp3"
win() { printf 'Z:%s' "$1" | tr / '\\'; }

sh "$wine_run" reg add 'HKLM\Software\Microsoft\Windows\CurrentVersion\App Paths\fifa2001.exe' \
  /v Path /d "$(win "$work/FIFA2001")" /f >/dev/null
sh "$wine_run" "$work/Kickora Music Manager/tunedeck.exe" >"$work/output.txt" 2>&1 &
pid=$!
trap 'kill $pid 2>/dev/null || true; wineserver -k 2>/dev/null || true' EXIT INT TERM
ui() { sh "$wine_run" "$uitool" "$@"; }
dialog="Kickora Music Manager - Make new song..."
i=0
until ui click "Kickora Music Manager" 1001 >/dev/null; do i=$((i + 1)); [ $i -lt 300 ] || exit 1; sleep 0.2; done
i=0
until ui text "$dialog" 2101 "$(win "$work/song.mp3")"; do i=$((i + 1)); [ $i -lt 300 ] || exit 1; sleep 0.2; done
n=1
while [ $n -le "$runs" ]; do
  ui text "$dialog" 2102 "bench$n"
  ui time "$dialog" 2111 | tee -a "$work/times"
  sleep 1
  n=$((n + 1))
done
printf 'median: %s ms\n' "$(sort -n "$work/times" | awk '{t[NR]=$1} END {print t[int((NR + 1) / 2)]}')"
