#!/bin/sh
# The demo game folder: its music.inf lists anthem and goal, and every demo
# song is a stream that tonepak decodes to the 7000 samples it announces.
# Usage: demo_songs_test.sh <scripts-dir> <tonepak>
set -eu
scripts="$1"; tonepak="$2"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

sh "$scripts/demo-game-folder.sh" "$work/FIFA2001"
music="$work/FIFA2001/data/audio/music"
expected="02 00 61 6e 74 68 65 6d 00 00 67 6f 61 6c 00 00 00 00"
actual="$(od -An -tx1 -v "$music/music.inf" | tr -s ' \n' ' ' | sed 's/^ //; s/ $//')"
[ "$actual" = "$expected" ] || { echo "music.inf is: $actual" >&2; exit 1; }

mkdir "$work/out"
for song in "$music"/*.str; do
  rm -f "$work/out/000.wav"
  (cd "$work/out" && "$tonepak" "$song" >/dev/null)
  # 44 header bytes, then 7000 16-bit mono samples.
  size=$(wc -c < "$work/out/000.wav")
  [ "$size" -eq 14044 ] || { echo "$(basename "$song") decodes to $size bytes" >&2; exit 1; }
done
echo "demo songs decode"
