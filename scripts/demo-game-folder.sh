#!/bin/sh
# Lays out a FIFA 2001 game folder for trying the song manager:
#   <folder>/fifa2001.exe (an empty stand-in), data/audio/music/ with a few
#   short silent songs and a music.inf that lists two of them.
# The songs are minimal EA "SCHl" streams (mono, 22050 Hz, EA ADPCM
# silence), written byte by byte here so that no game file is needed.
# Usage: demo-game-folder.sh <folder>
set -eu
game="${1:?usage: demo-game-folder.sh <folder>}"
music="$game/data/audio/music"
mkdir -p "$music"
: > "$game/fifa2001.exe"

# Octal escapes of a 32-bit number, little- or big-endian, for printf.
le32() { printf '\\%03o\\%03o\\%03o\\%03o' $(($1 & 255)) $(($1 >> 8 & 255)) $(($1 >> 16 & 255)) $(($1 >> 24 & 255)); }
be32() { printf '\\%03o\\%03o\\%03o\\%03o' $(($1 >> 24 & 255)) $(($1 >> 16 & 255)) $(($1 >> 8 & 255)) $(($1 & 255)); }

# write_song <file> <frames>: each EA ADPCM frame is 15 bytes for 28 samples.
# A data block's size and count stay within the converter's limit of 8000.
write_song() {
  frames=$2
  samples=$((frames * 28))
  {
    # Header: tag, size 32, "PT" field list, padded to 4 bytes.
    printf "SCHl$(le32 32)PT\\000\\000"
    printf '\375\202\001\001\204\002\126\042\205\004'
    printf "$(be32 $samples)"
    printf '\212\000\377\000\000\000'
    printf "SCCl$(le32 12)$(le32 1)"
    # One data block: its count (in a mono EA ADPCM block, the number of
    # data bytes), four 16-bit histories, the frames.
    data=$((frames * 15))
    block=$((8 + 4 + 8 + data))
    pad=$(((4 - block % 4) % 4))
    printf "SCDl$(le32 $((block + pad)))$(le32 $data)"
    head -c $((8 + data + pad)) /dev/zero
    printf "SCEl$(le32 8)"
  } > "$1"
}

for song in anthem crowd goal halftime Stadium 1intro; do
  write_song "$music/$song.str" 250
done

# music.inf: count, a zero byte, then 8-byte names (anthem and goal).
printf '\002\000anthem\000\000goal\000\000\000\000' > "$music/music.inf"
