#!/bin/sh
# Benchmark of the importer under Wine (not a test): 4-minute 44,100 Hz
# stereo MP3, M4A (AAC) and FLAC files made into songs, each five times
# through tunegrab.exe driven from outside (the whole convert command,
# click to return; the median is printed), then once in-process with stage
# times. The music folder holds a 3-minute song of the game's format as
# template. M4A is read by the importer and its AAC packets decoded by
# Media Foundation's AAC decoder (under Wine, GStreamer), FLAC by the
# importer's own decoder.
# Usage: bench/tunegrab/run.sh [windows build folder]
# (WINE_RUN names another Wine runner than cmake/wine-run.)
set -eu
if [ -z "${DISPLAY:-}" ] && command -v xvfb-run >/dev/null 2>&1; then
  exec xvfb-run -a -s "-screen 0 1024x768x24" sh "$0" "$@"
fi
build="$(cd "${1:-out/win}" && pwd)"
source="$(cd "$(dirname "$0")/../.." && pwd)"
export WINEPREFIX="${WINEPREFIX:-$build/wine-prefixes/tunegrab-bench}"
wine_run="${WINE_RUN:-$source/cmake/wine-run}"
work="$(mktemp -d)"
trap 'rm -rf "$work"; wineserver -k 2>/dev/null || true' EXIT
win() { printf 'Z:%s' "$1" | tr / '\\'; }
run() { sh "$wine_run" "$@"; }
mkdir -p "$work/music" "$work/export"

tone="0.2*sin(2*PI*220*t)+0.15*sin(2*PI*277.18*t)*(0.6+0.4*sin(2*PI*0.5*t))+0.1*sin(2*PI*(659.26*t+30*sin(2*PI*0.7*t)))"
ffmpeg -loglevel error -f lavfi -i "aevalsrc=$tone|$tone:s=44100:d=240" -c:a pcm_s16le "$work/source.wav"
lame --quiet -b 192 "$work/source.wav" "$work/Long Song.mp3"
ffmpeg -loglevel error -i "$work/source.wav" -c:a aac -b:a 192k "$work/Long Song.m4a"
ffmpeg -loglevel error -i "$work/source.wav" "$work/Long Song.flac"
ffmpeg -loglevel error -f lavfi -i "aevalsrc=0.5*$tone|0.5*$tone:s=22050:d=180" -c:a pcm_s16le "$work/template.wav"
run "$build/converter/tonepak.exe" -import "$(win "$work/template.wav")" "$(win "$work/music/anthem.str")" \
  "$(win "$source/demo/kickoff.str")" >/dev/null

for kind in mp3 m4a flac; do
  input="$work/Long Song.$kind"
  echo "== $kind, through the window (driver's convert command, click to return), 5 runs:"
  for i in 1 2 3 4 5; do
    sh "$wine_run" "$build/tests/importer/tunegrab_driver.exe" convert \
      "$(win "$build/importer/tunegrab.exe")" "$(win "$input")" "$(win "$work/music")" ok "Long Song.asf" \
      "$(win "$work/export")" "$(win "$build/converter/tonepak.exe")" | sed -n 's/^convert: \([0-9.]*\) s.*/\1/p'
    rm -f "$work/music/Long Song.asf" "$work/export/"*
  done | sort -n | tee "$work/times" | tr '\n' ' '
  echo "s; median $(sed -n 3p "$work/times") s"
  echo "in-process, by stage:"
  run "$build/importer/tunegrab_bench.exe" "$(win "$input")" "$(win "$work/music")" | sed -n '/^Made/,$p'
  rm -f "$work/music/Long Song.asf"
done
