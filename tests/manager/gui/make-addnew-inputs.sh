#!/bin/sh
# Inputs of the end-to-end runs with the real importer: the demo game
# folder, a 2-second 440 Hz tone as a 16-bit 44,100 Hz stereo WAV (ffmpeg)
# and as a 128 kb/s MP3 made from it with Debian's lame, and as FLAC.
# Usage: make-addnew-inputs.sh <scripts folder> <output folder>
set -eu
scripts="$1"; out="$2"
rm -rf "$out"
mkdir -p "$out"
sh "$scripts/demo-game-folder.sh" "$out/FIFA2001"
ffmpeg -v error -y -f lavfi -i "sine=frequency=440:duration=2:sample_rate=44100" \
  -ac 2 -c:a pcm_s16le "$out/tone.wav"
lame --quiet -b 128 "$out/tone.wav" "$out/tone.mp3"
ffmpeg -v error -y -i "$out/tone.wav" -c:a flac "$out/tone.flac"
