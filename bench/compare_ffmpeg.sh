#!/usr/bin/env bash
# Times tonepak and ffmpeg exporting the same long stereo SCHl stream to WAV,
# side by side, and reports their peak resident memory.
# Usage: bench/compare_ffmpeg.sh <native build dir> [minutes]
set -euo pipefail
build=$(cd "${1:?native build directory}" && pwd)
minutes=${2:-10}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$build/bench/make_long_stream" "$work/stream.asf" "$minutes"
ls -l "$work/stream.asf" | awk '{printf "stream: %.1f MB, %s minutes of 22,050 Hz stereo\n", $5/1e6, "'"$minutes"'"}'

measure() {  # measure <label> <command...>: best of three wall-clock runs
  local label=$1; shift
  local best="" rss=""
  for _ in 1 2 3; do
    /usr/bin/time -f "%e %M" -o "$work/time" "$@" >/dev/null 2>&1
    read -r secs kb < "$work/time"
    if [ -z "$best" ] || awk "BEGIN{exit !($secs < $best)}"; then best=$secs; rss=$kb; fi
  done
  printf "%-8s %6.2f s  peak RSS %6.1f MB\n" "$label" "$best" "$(awk "BEGIN{print $rss/1024}")"
  echo "$best"  > "$work/$label.secs"
}

cd "$work"
measure tonepak "$build/converter/tonepak" stream.asf
measure ffmpeg ffmpeg -v error -y -i stream.asf out.wav
awk -v a="$(cat "$work/tonepak.secs")" -v b="$(cat "$work/ffmpeg.secs")" \
  'BEGIN{ if (a > 0) printf "ffmpeg / tonepak time ratio: %.2f\n", b / a }'
