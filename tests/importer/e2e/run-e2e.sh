#!/bin/sh
# One end-to-end case of the importer under Wine: makes the input on the
# Linux side (ffmpeg, lame), drives tunegrab.exe from outside with the
# driver, exports the new song with tonepak.exe and compares the export
# with ffmpeg's own decode and resample of the input (duration, SNR) and
# its loudness (ffmpeg's ebur128 filter) with the template song's; for the
# coded formats also the song's first and last 100 ms with the source's. Inputs
# other than WAV, FLAC and MP3 go through Media Foundation (Wine: GStreamer);
# the no_mf_* cases run with Media Foundation switched off.
# Usage: run-e2e.sh <case> <prefix> <wine-run> <driver.exe> <tunegrab.exe> <tonepak.exe> <template.str> <work>
set -eu
if [ -z "${DISPLAY:-}" ] && command -v xvfb-run >/dev/null 2>&1; then
  exec xvfb-run -a -s "-screen 0 1024x768x24" sh "$0" "$@"
fi
name="$1"; export WINEPREFIX="$2"; wine_run="$3"; driver="$4"; tunegrab="$5"; tonepak="$6"; template="$7"
work="$8/$name $$"
trap 'rm -rf "$work"; wineserver -k 2>/dev/null || true' EXIT
music="$work/Program Files/FIFA 2001/data/audio/music"
mkdir -p "$music" "$work/export" "$work/template"
cp "$template" "$music/anthem.str"

win() { printf 'Z:%s' "$1" | tr / '\\'; }
quiet() { "$@" >/dev/null 2>&1; }

# A music-like source, 8 s: chords with a slow swell and a melody with
# vibrato in each channel. (Partials above about 2 kHz are left out: the
# EA ADPCM coding alone would keep the SNR below 30 dB for them.)
source_wav() {
  left="0.22*sin(2*PI*220*t)+0.18*sin(2*PI*277.18*t)*(0.6+0.4*sin(2*PI*0.5*t))+0.1*sin(2*PI*(659.26*t+30*sin(2*PI*0.7*t)))"
  right="0.22*sin(2*PI*329.63*t)+0.18*sin(2*PI*440*t)*(0.6+0.4*cos(2*PI*0.5*t))+0.08*sin(2*PI*(987.77*t+25*sin(2*PI*0.9*t)))"
  quiet ffmpeg -y -f lavfi -i "aevalsrc=$left|$right:s=48000:d=8" "$@"
}

expect=ok
reason=""
trim=""
input="$work/My Song.wav"
case "$name" in no_mf_*)
  export WINEDLLOVERRIDES="mscoree,mshtml=;mfplat,mfreadwrite=d" ;;
esac
case "$name" in
  wav16_44100_stereo) source_wav -ar 44100 -ac 2 -c:a pcm_s16le "$input" ;;
  wav24_48000_mono) source_wav -ar 48000 -ac 1 -c:a pcm_s24le "$input" ;;
  wav_float) source_wav -ar 44100 -ac 2 -c:a pcm_f32le -af volume=2.2 "$input" ;;
  mp3_cbr128_stereo|mp3_vbr|mp3_22050_mono|mp3_11025_stereo|mp3_id3v2)
    source_wav -ar 44100 -ac 2 -c:a pcm_s16le "$work/source.wav"
    input="$work/My Song.mp3"
    case "$name" in
      mp3_cbr128_stereo) quiet lame -b 128 "$work/source.wav" "$input" ;;
      mp3_vbr) quiet lame -V 2 "$work/source.wav" "$input" ;;
      mp3_22050_mono) quiet lame -m m --resample 22.05 -b 48 "$work/source.wav" "$input" ;;
      mp3_11025_stereo) quiet lame --resample 11.025 -b 32 "$work/source.wav" "$input" ;;
      mp3_id3v2) quiet lame -b 160 --id3v2-only --pad-id3v2-size 2000 --tt "Title" --ta "Artist" "$work/source.wav" "$input" ;;
    esac ;;
  m4a_aac|flac|ogg_vorbis|opus|aiff|flac_51|no_mf_m4a|no_mf_flac)
    source_wav -ar 44100 -ac 2 -c:a pcm_s16le "$work/source.wav"
    case "$name" in
      m4a_aac|no_mf_m4a) input="$work/My Song.v2.m4a"; quiet ffmpeg -y -i "$work/source.wav" -c:a aac -b:a 160k "$input" ;;
      flac|no_mf_flac) input="$work/My Song.flac"; quiet ffmpeg -y -i "$work/source.wav" "$input" ;;
      ogg_vorbis) input="$work/My Song.ogg"; quiet ffmpeg -y -i "$work/source.wav" -c:a libvorbis -q:a 5 "$input" ;;
      opus) input="$work/My Song.opus"; quiet ffmpeg -y -i "$work/source.wav" -c:a libopus -b:a 128k "$input" ;;
      aiff) input="$work/My Song.aiff"; quiet ffmpeg -y -i "$work/source.wav" "$input" ;;
      flac_51) input="$work/Surround.flac"
        quiet ffmpeg -y -i "$work/source.wav" -filter_complex \
          "[0:a]pan=5.1|FL=c0|FR=c1|FC=0.5*c0+0.5*c1|LFE=0.2*c0|BL=0.6*c1|BR=0.6*c0[a]" -map "[a]" "$input" ;;
    esac
    # ffmpeg's decode of an M4A keeps the encoder's padding at the end; the
    # reference ends where the file's own duration says.
    trim="-t $(ffprobe -v error -show_entries format=duration -of csv=p=0 "$input")"
    [ "$name" = no_mf_m4a ] && { expect=fail; reason="cannot be read on this computer"; } ;;
  no_mf_wav) source_wav -ar 44100 -ac 2 -c:a pcm_s16le "$input" ;;
  no_mf_mp3) source_wav -ar 44100 -ac 2 -c:a pcm_s16le "$work/source.wav"
    input="$work/My Song.mp3"; quiet lame -b 128 "$work/source.wav" "$input" ;;
  text_named_m4a) input="$work/notes.m4a"; expect=fail; reason="damaged or is not music"
    for i in 1 2 3 4 5 6 7 8; do echo "These are notes, not music: line $i."; done > "$input" ;;
  text_named_mp3) input="$work/notes.mp3"; expect=fail
    for i in 1 2 3 4 5 6 7 8; do echo "These are notes, not music: line $i."; done > "$input" ;;
  truncated_wav) expect=fail
    source_wav -ar 44100 -ac 2 -c:a pcm_s16le "$work/source.wav"
    head -c 400000 "$work/source.wav" > "$input" ;;
  *) echo "unknown case $name"; exit 2 ;;
esac
base=$(basename "$input"); song="${base%.*}.asf"

sh "$wine_run" "$driver" convert "$(win "$tunegrab")" "$(win "$input")" "$(win "$music")" "$expect" "$song" \
  "$(win "$work/export")" "$(win "$tonepak")" ${reason:+"$reason"}
[ "$expect" = ok ] || exit 0

# ffmpeg's own decode and resample to the template's format.
quiet ffmpeg -y -i "$input" $trim -ar 22050 -ac 2 -c:a pcm_s16le "$work/reference.wav"
# The coded formats made from one source also have their first and last
# 100 ms checked against it, with ffmpeg's decode as the yardstick.
# Wine's own Opus decoder starts about 100 ms off the music, where
# ffmpeg's does not: there only the end is held.
edges=""
held=both
case "$name" in m4a_aac|flac|no_mf_flac|ogg_vorbis|opus|aiff)
  quiet ffmpeg -y -i "$work/source.wav" -ar 22050 -ac 2 -c:a pcm_s16le "$work/source22.wav"
  edges="$(win "$work/source22.wav")"
  [ "$name" = opus ] && held=end ;;
esac
sh "$wine_run" "$driver" compare "$(win "$work/reference.wav")" "$(win "$work/export/000.wav")" ${edges:+"$edges" "$held"}

sh "$wine_run" "$tonepak" "$(win "$template")" "$(win "$work/template")" >/dev/null
lufs() { ffmpeg -nostats -i "$1" -af ebur128 -f null - 2>&1 | sed -n 's/^ *I: *\(-\{0,1\}[0-9.]*\) LUFS.*/\1/p' | tail -1; }
song_lufs=$(lufs "$work/export/000.wav")
template_lufs=$(lufs "$work/template/000.wav")
echo "loudness: song $song_lufs LUFS, template $template_lufs LUFS"
awk -v a="$song_lufs" -v b="$template_lufs" 'BEGIN { d = a - b; if (d < 0) d = -d; exit !(a != "" && b != "" && d <= 1.0) }' || {
  echo "FAIL: loudness differs from the template's by more than 1 LU"; exit 1; }
