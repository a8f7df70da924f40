#!/usr/bin/env bash
# The main job on a fresh Debian machine: sets up, builds the converter and
# the Windows programs, exports the bundled demo song with tonepak (Linux and
# tonepak.exe under Wine), then starts the song manager on a demo FIFA 2001
# game folder under Wine.
#   scripts/demo.sh            runs the manager until its window is closed
#   scripts/demo.sh 20         closes the manager after 20 seconds
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
jobs=$(nproc 2>/dev/null || echo 2)

scripts/setup.sh
cmake -S . -B out/native -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build out/native -j "$jobs" --target tonepak
cmake -S . -B out/win -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-i686.cmake" >/dev/null
cmake --build out/win -j "$jobs" --target tonepak tunedeck

export WINEPREFIX="${WINEPREFIX:-$root/out/wineprefix}"
mkdir -p out/demo/linux out/demo/windows
echo "== tonepak: demo/kickoff.str -> out/demo/linux/000.wav"
out/native/converter/tonepak demo/kickoff.str out/demo/linux | tr '\r' ' '
echo
echo "== tonepak.exe under Wine: demo/kickoff.str -> out/demo/windows/000.wav"
cmake/wine-run out/win/converter/tonepak.exe demo/kickoff.str out/demo/windows | tr '\r' ' '
echo
if cmp -s out/demo/linux/000.wav out/demo/windows/000.wav; then
  echo "both builds wrote the same $(stat -c %s out/demo/linux/000.wav) bytes"
else
  echo "the two builds' WAV files differ" >&2
  exit 1
fi

echo "== Kickora Music Manager on a demo game folder"
cp out/win/converter/tonepak.exe out/win/manager/ 2>/dev/null || true
exec scripts/demo-manager.sh out/win ${1:+"$1"}
