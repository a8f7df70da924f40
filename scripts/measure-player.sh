#!/bin/sh
# Measures tunedeck's song player under Wine on a null sound device: the
# time from Enter to the first sound of a 4-minute song (median of 5) and
# tunedeck's processor time while the song plays.
# Usage: scripts/measure-player.sh <Windows build dir> [seconds of playing]
# WINE may name the Wine program (default: cmake/wine-run).
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$1" && pwd)
seconds=${2:-10}
export WINEPREFIX="${WINEPREFIX:-$root/out/wineprefix}"
conf=$(mktemp)
printf 'include "/usr/share/alsa/alsa.conf"\npcm.!default { type null }\n' > "$conf"
export ALSA_CONFIG_PATH="$conf"
wine=${WINE:-"sh $root/cmake/wine-run"}
run() {
  if [ -z "${DISPLAY:-}" ]; then xvfb-run -a "$@"; else "$@"; fi
}
log=$(mktemp)
trap 'rm -f "$conf" "$log"' EXIT
run $wine "$build/tests/manager/tunedeck_player_bench.exe" \
  "Z:$build/manager/tunedeck.exe" "Z:$build/converter/tonepak.exe" "$seconds" >"$log" 2>/dev/null &
bench=$!
# Under Wine the processor time of tunedeck's process comes from /proc,
# read while the bench lets the song play untouched.
while kill -0 $bench 2>/dev/null && ! grep -q "^measuring" "$log"; do sleep 0.2; done
pid=$(pgrep -f 'tunedeck-player-measurement.*tunedeck.exe' | head -1 || true)
if [ -n "$pid" ] && [ "$seconds" -gt 2 ]; then
  sleep 1
  t1=$(awk '{print $14 + $15}' "/proc/$pid/stat")
  sleep $((seconds - 2))
  t2=$(awk '{print $14 + $15}' "/proc/$pid/stat")
  awk -v t="$((t2 - t1))" -v hz="$(getconf CLK_TCK)" -v s="$((seconds - 2))" 'BEGIN {
    printf "tunedeck process (as Linux counts it, Wine'"'"'s sound threads included): %.2f s of processor time in %d s: %.2f%% of one core\n", t / hz, s, 100 * t / hz / s }'
fi
wait $bench
status=$?
grep -v '^measuring' "$log"
wineserver -k 2>/dev/null || true
exit $status
