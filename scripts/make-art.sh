#!/bin/sh
# Draws tunedeck's logo and icon from plain shapes and text with ImageMagick.
# The results are committed; run again only to change the art.
set -eu
art="$(cd "$(dirname "$0")/../manager/win32/art" && pwd)"
font=Helvetica-Bold

# Logo, 141 x 232 and one and a half times that (212 x 348) for 144 DPI:
# a night-blue pitch with a ball and two notes, and the name.
logo() {  # <scale> <width>x<height> <file>
  s=$1
  convert -size "$2" gradient:'#1b3a6b'-'#0b1730' \
    -draw "scale $s,$s fill #2f7d32 rectangle 0,150 141,232" \
    -draw "scale $s,$s stroke #e8f5e9 stroke-width 2 fill none line 0,190 141,190 circle 70,190 70,206" \
    -draw "scale $s,$s fill white circle 70,78 70,40" \
    -draw "scale $s,$s fill #0b1730 polygon 70,63 84,73 79,89 61,89 56,73" \
    -draw "scale $s,$s fill #ffd54f rectangle 104,20 107,52 ellipse 100,53 7,5 0,360 rectangle 30,26 33,58 ellipse 26,59 7,5 0,360" \
    -font "$font" -pointsize "$(echo "22 * $s" | bc)" -fill white -gravity north -annotate +0+"$(echo "120 * $s / 1" | bc)" 'Kickora' \
    -pointsize "$(echo "11 * $s" | bc)" -fill '#ffd54f' -annotate +0+"$(echo "146 * $s / 1" | bc)" 'MUSIC MANAGER' \
    -type TrueColor BMP3:"$3"
}
logo 1 141x232 "$art/logo.bmp"
logo 1.5 212x348 "$art/logo-large.bmp"

# Icon: the ball on a blue disc with a note, at the sizes Windows asks for.
for size in 16 32 48; do
  convert -size 48x48 xc:none \
    -fill '#1b3a6b' -draw 'circle 24,24 24,1' \
    -fill white -draw 'circle 22,26 22,10' \
    -fill '#0b1730' -draw 'polygon 22,20 28,24 26,31 18,31 16,24' \
    -fill '#ffd54f' -draw 'rectangle 36,6 39,26' -draw 'ellipse 33,27 6,4 0,360' \
    -resize ${size}x${size} PNG32:"/tmp/tunedeck-icon-$size.png"
done
convert /tmp/tunedeck-icon-16.png /tmp/tunedeck-icon-32.png /tmp/tunedeck-icon-48.png "$art/tunedeck.ico"
rm -f /tmp/tunedeck-icon-*.png
