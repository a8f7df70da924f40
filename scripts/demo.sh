#!/usr/bin/env bash
# The main job on a fresh Debian machine: sets up, builds the converter and
# the Windows release ZIP, shows tonepak's export in both builds, then plays
# the release acceptance flow for a person: the ZIP unpacked into a fresh
# Wine prefix's "C:\Program Files", a demo FIFA 2001 installed beside it,
# and the manager worked from outside step by step (start from a shortcut
# and from the registry, tick and save, export, make two new songs, About
# and help, and nothing left behind).
#   scripts/demo.sh                 the windows on the X display in DISPLAY
#                                   (a hidden Xvfb when there is none), a
#                                   pause of 3 s between the steps
#   scripts/demo.sh --pace 6        a longer pause
#   scripts/demo.sh --unattended    no pauses, as the tests run it
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
jobs=$(nproc 2>/dev/null || echo 2)
pace=3
while [ $# -gt 0 ]; do
  case "$1" in
    --unattended) pace=0 ;;
    --pace) pace="${2:?--pace needs seconds}"; shift ;;
    *) echo "usage: scripts/demo.sh [--unattended | --pace <seconds>]" >&2; exit 2 ;;
  esac
  shift
done

scripts/setup.sh
. scripts/windows-build.sh
cmake -S . -B out/native -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build out/native -j "$jobs" --target tonepak
cmake -S . -B out/win -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-i686.cmake" >/dev/null
cmake --build out/win -j "$jobs" --target tonepak tunedeck tunegrab release_flow
(cd out/win && cpack -G ZIP >/dev/null)
zip=$(ls out/win/kickora-music-manager-*-win32.zip)
cp "$zip" out/
echo "== the release: $zip ($(stat -c %s "$zip") bytes)"
if [ "$win_dir" != out/win ]; then
  cmake -S . -B "$win_dir" -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE="$win_toolchain" >/dev/null
  cmake --build "$win_dir" -j "$jobs" --target tonepak tunedeck tunegrab release_flow
  (cd "$win_dir" && cpack -G ZIP >/dev/null)
  zip=$(ls "$win_dir"/kickora-music-manager-*.zip)
fi

export WINEPREFIX="${WINEPREFIX:-$root/$win_dir/wineprefix}"
mkdir -p out/demo/linux out/demo/windows
echo "== tonepak: demo/kickoff.str -> out/demo/linux/000.wav"
out/native/converter/tonepak demo/kickoff.str out/demo/linux | tr '\r' ' '
echo
echo "== tonepak.exe under Wine: demo/kickoff.str -> out/demo/windows/000.wav"
cmake/wine-run "$win_dir"/converter/tonepak.exe demo/kickoff.str out/demo/windows | tr '\r' ' '
echo
wineserver -k 2>/dev/null || true
if cmp -s out/demo/linux/000.wav out/demo/windows/000.wav; then
  echo "both builds wrote the same $(stat -c %s out/demo/linux/000.wav) bytes"
else
  echo "the two builds' WAV files differ" >&2
  exit 1
fi

echo "== Kickora Music Manager from the ZIP, on a game under C:\\Program Files"
[ -n "${DISPLAY:-}" ] || echo "(no DISPLAY: the windows open on a hidden Xvfb screen)"
RELEASE_WORK=out/demo/release exec tests/release/run-release-test.sh \
  "$zip" out/native/converter/tonepak "$win_dir"/tests/release/release_flow.exe "$pace"
