#!/usr/bin/env bash
# The release acceptance test: the ZIP unpacked into a fresh Wine prefix's
# "C:\Program Files\Kickora Music Manager", a demo game installed at
# "C:\Program Files\EA SPORTS\FIFA 2001" and registered as the game's setup
# registers it, then release_flow.exe works the real windows from outside.
# From the build it takes the ZIP only; the native converter writes the
# reference export and the driver is the test itself.
#
# Usage: run-release-test.sh <zip> <native tonepak> <release_flow.exe> [pace]
#   pace  seconds between the steps for a person watching (default 0)
# Needs an X display; without one it runs under xvfb-run. The work folder is
# <zip's folder>/release-test unless RELEASE_WORK is set; the prefix in it
# is removed after a pass and kept after a failure.
set -eu
if [ -z "${DISPLAY:-}" ]; then
  command -v xvfb-run >/dev/null || { echo "no X display and no xvfb-run" >&2; exit 1; }
  exec xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "$@"
fi
# Characters are counted as Windows counts them, and non-ASCII names pass
# to Wine as UTF-8.
export LC_ALL=C.UTF-8
here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/../.." && pwd)"
zip="$(realpath "${1:?usage: run-release-test.sh <zip> <native tonepak> <release_flow.exe> [pace]}")"
native="$(realpath "$2")"
flow="$(realpath "$3")"
pace="${4:-0}"
work="${RELEASE_WORK:-$(dirname "$zip")/release-test}"
started=$(date +%s)

mkdir -p "$work"
work="$(realpath "$work")"
export WINEPREFIX="$work/prefix"
wineserver -k 2>/dev/null || true  # a server left from an earlier run
rm -rf "$work"
mkdir -p "$work"
wine_run="$root/cmake/wine-run"
echo "== fresh Wine prefix $WINEPREFIX"
sh "$wine_run" cmd /c ver >/dev/null
c="$WINEPREFIX/drive_c"

echo "== unpacking $(basename "$zip") into C:\\Program Files"
python3 -c 'import sys, zipfile; zipfile.ZipFile(sys.argv[1]).extractall(sys.argv[2])' "$zip" "$c/Program Files"
[ -f "$c/Program Files/Kickora Music Manager/tunedeck.exe" ] || { echo "no program folder in the ZIP" >&2; exit 1; }

echo "== installing the demo game at C:\\Program Files\\EA SPORTS\\FIFA 2001"
game="$c/Program Files/EA SPORTS/FIFA 2001"
sh "$root/scripts/demo-game-folder.sh" "$game"
cp "$root/demo/kickoff.str" "$game/data/audio/music/kickoff.str"
game_win='C:\Program Files\EA SPORTS\FIFA 2001'
sh "$wine_run" reg add 'HKLM\Software\Microsoft\Windows\CurrentVersion\App Paths\fifa2001.exe' \
  /ve /d "$game_win\\fifa2001.exe" /f >/dev/null
sh "$wine_run" reg add 'HKLM\Software\Microsoft\Windows\CurrentVersion\App Paths\fifa2001.exe' \
  /v Path /d "$game_win" /f >/dev/null
# Windows opens .txt files with Notepad; a fresh Wine prefix knows the
# file type txtfile but not the extension.
sh "$wine_run" reg add 'HKCR\.txt' /ve /d txtfile /f >/dev/null

# The player's music, in folders with blanks, dots, an apostrophe and an
# ampersand; the MP3's path and the export's are 259 characters long, the
# longest a Windows path may be, and their names are not ASCII.
music_win="C:\\users\\Public\\Music\\Rock & Roll's Best\\vol. 2"
music="$c/users/Public/Music/Rock & Roll's Best/vol. 2"
# pad <path so far> <name at the end>: a folder name that makes the
# Windows path exactly 259 characters.
pad() {
  n=$((259 - ${#1} - 1 - 1 - ${#2}))
  printf 'Long folder. %s' "$(printf '%*s' $((n - 13)) '' | tr ' ' x)"
}
mp3_name="Canción.mp3"
mp3_pad="$(pad "$music_win" "$mp3_name")"
export_name="Canción de gol.wav"
export_pad="$(pad "$music_win" "$export_name")"
mkdir -p "$music/$mp3_pad" "$music/$export_pad"
ffmpeg -v error -y -f lavfi -i "sine=frequency=440:duration=2:sample_rate=44100" \
  -ac 2 -c:a pcm_s16le "$music/Kick off.wav"
lame --quiet -b 128 "$music/Kick off.wav" "$music/$mp3_pad/$mp3_name"
# The formats read through the platform's decoders, made from the same tone.
tone() { ffmpeg -v error -y -i "$music/Kick off.wav" -map_metadata -1 "$@"; }
tone -c:a aac -b:a 128k -metadata "title=Olé Olé" "$music/Alpha.m4a"
tone -c:a flac "$music/Bravo.flac"
tone -c:a libvorbis "$music/Charlie.ogg"
tone -c:a libopus -b:a 96k "$music/Delta.opus"
tone -c:a pcm_s16be "$music/Echo.aiff"

echo "== the native converter's export of kickoff.str (the reference)"
mkdir -p "$work/reference"
"$native" "$game/data/audio/music/kickoff.str" "$work/reference" >/dev/null
reference_win="Z:$(printf '%s' "$work/reference/000.wav" | tr / '\\')"

echo "== the release flow"
status=0
sh "$wine_run" "$flow" --gtest_fail_fast \
  "--program=C:\\Program Files\\Kickora Music Manager" "--game=$game_win" \
  "--wav=$music_win\\Kick off.wav" "--mp3=$music_win\\$mp3_pad\\$mp3_name" \
  "--export-to=$music_win\\$export_pad\\$export_name" "--reference=$reference_win" \
  "--formats=$music_win" \
  "--pace=$pace" || status=$?
wineserver -k 2>/dev/null || true

elapsed=$(($(date +%s) - started))
if [ $status -eq 0 ]; then
  rm -rf "$WINEPREFIX"
  echo "release acceptance test passed in $elapsed s"
else
  echo "release acceptance test FAILED after $elapsed s (prefix kept: $WINEPREFIX)" >&2
fi
exit $status
