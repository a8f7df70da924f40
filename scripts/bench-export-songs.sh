#!/bin/sh
# Measures the export of ten 3-minute songs at once under Wine: the time
# from the folder picker's OK to the message at the end (median of 3).
# Usage: scripts/bench-export-songs.sh <Windows build dir>
# WINE may name the Wine program (default: cmake/wine-run).
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$1" && pwd)
export WINEPREFIX="${WINEPREFIX:-$root/out/wineprefix}"
wine=${WINE:-"sh $root/cmake/wine-run"}
if [ -z "${DISPLAY:-}" ]; then run="xvfb-run -a"; else run=""; fi
status=0
$run $wine "$build/tests/manager/tunedeck_export_bench.exe" \
  "Z:$build/manager/tunedeck.exe" "Z:$build/converter/tonepak.exe" 2>/dev/null || status=$?
wineserver -k 2>/dev/null || true
exit $status
