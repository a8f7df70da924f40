#!/bin/sh
# Benchmark of the importer under Wine (not a test): a 4-minute 44,100 Hz
# stereo MP3 made into a song, once through tunegrab.exe driven from
# outside (the whole convert command), once in-process with stage times.
# The music folder holds a 3-minute song of the game's format as template.
# Usage: bench/tunegrab/run.sh [windows build folder]
set -eu
if [ -z "${DISPLAY:-}" ] && command -v xvfb-run >/dev/null 2>&1; then
  exec xvfb-run -a -s "-screen 0 1024x768x24" sh "$0" "$@"
fi
build="$(cd "${1:-out/win}" && pwd)"
source="$(cd "$(dirname "$0")/../.." && pwd)"
export WINEPREFIX="${WINEPREFIX:-$build/wine-prefixes/tunegrab-bench}"
work="$(mktemp -d)"
trap 'rm -rf "$work"; wineserver -k 2>/dev/null || true' EXIT
win() { printf 'Z:%s' "$1" | tr / '\\'; }
run() { sh "$source/cmake/wine-run" "$@"; }
mkdir -p "$work/music" "$work/export"

tone="0.2*sin(2*PI*220*t)+0.15*sin(2*PI*277.18*t)*(0.6+0.4*sin(2*PI*0.5*t))+0.1*sin(2*PI*(659.26*t+30*sin(2*PI*0.7*t)))"
ffmpeg -loglevel error -f lavfi -i "aevalsrc=$tone|$tone:s=44100:d=240" -c:a pcm_s16le "$work/source.wav"
lame --quiet -b 192 "$work/source.wav" "$work/Long Song.mp3"
ffmpeg -loglevel error -f lavfi -i "aevalsrc=0.5*$tone|0.5*$tone:s=22050:d=180" -c:a pcm_s16le "$work/template.wav"
run "$build/converter/tonepak.exe" -import "$(win "$work/template.wav")" "$(win "$work/music/anthem.str")" \
  "$(win "$source/demo/kickoff.str")" >/dev/null

echo "through the window (driver's convert command, click to return):"
sh "$source/cmake/wine-run" "$build/tests/importer/tunegrab_driver.exe" convert \
  "$(win "$build/importer/tunegrab.exe")" "$(win "$work/Long Song.mp3")" "$(win "$work/music")" ok "Long Song.asf" \
  "$(win "$work/export")" "$(win "$build/converter/tonepak.exe")" | grep -E "convert:|status:"
rm -f "$work/music/Long Song.asf"
echo "in-process, by stage:"
run "$build/importer/tunegrab_bench.exe" "$(win "$work/Long Song.mp3")" "$(win "$work/music")" | sed -n '/^Made/,$p'
