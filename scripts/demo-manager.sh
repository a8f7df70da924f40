#!/bin/sh
# Lays out a demo FIFA 2001 game folder and starts the song manager on it
# under Wine, the way the game's setup would leave things: the folder is
# registered under the game's App Paths key, so tunedeck finds it by itself.
#
# Usage: demo-manager.sh <windows-build-dir> [seconds]
#   <windows-build-dir>  the mingw-w64 build (holds manager/tunedeck.exe and
#                        converter/tonepak.exe)
#   seconds              optional: close the program after that many seconds
#                        (for unattended runs); otherwise it runs until closed.
# Needs an X display; without one it runs under xvfb-run. The Wine prefix is
# <build>/wine-prefixes/demo unless WINEPREFIX is set.
set -eu
here="$(cd "$(dirname "$0")" && pwd)"
build="$(cd "${1:?usage: demo-manager.sh <windows-build-dir> [seconds]}" && pwd)"
seconds="${2:-}"
built="$build/manager/tunedeck.exe"
[ -f "$built" ] || { echo "no $built: build the Windows build first" >&2; exit 1; }

if [ -z "${DISPLAY:-}" ]; then
  command -v xvfb-run >/dev/null || { echo "no X display and no xvfb-run" >&2; exit 1; }
  exec xvfb-run -a sh "$0" "$@"
fi

export WINEPREFIX="${WINEPREFIX:-$build/wine-prefixes/demo}"
wine_run="$here/../cmake/wine-run"

game="$build/demo/FIFA2001"
rm -rf "$build/demo"
# The program folder as a player has it, with a blank in its path: the
# manager, the converter beside it (when built) and the help file.
folder="$build/demo/Kickora Music Manager"
mkdir -p "$folder"
cp "$built" "$build/manager/readme.txt" "$folder/"
[ -f "$build/converter/tonepak.exe" ] && cp "$build/converter/tonepak.exe" "$folder/"
program="$folder/tunedeck.exe"
sh "$here/demo-game-folder.sh" "$game"
game_windows="Z:$(printf '%s' "$game" | tr / '\\')"
printf 'demo game folder: %s (%s)\n' "$game" "$game_windows"

sh "$wine_run" reg add 'HKLM\Software\Microsoft\Windows\CurrentVersion\App Paths\fifa2001.exe' \
  /v Path /d "$game_windows" /f >/dev/null
# A saved folder from an earlier try would not be used anyway (the registry
# wins), but start clean.
sh "$wine_run" reg delete 'HKCU\Software\VB and VBA Program Settings\Kickora Music Manager' /f \
  >/dev/null 2>&1 || true

if [ -z "$seconds" ]; then
  sh "$wine_run" "$program"
  status=$?
else
  sh "$wine_run" "$program" &
  pid=$!
  sleep "$seconds"
  kill "$pid" 2>/dev/null || true
  status=0
fi
wineserver -k 2>/dev/null || true
exit $status
