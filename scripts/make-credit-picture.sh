#!/usr/bin/env bash
# Draws the information dialog's 292 x 130 picture with ImageMagick and stores it,
# as JPEG data in hex, in the Picture.Data block of resources/TFRMCREDIT.layout.
# Run it again after changing the drawing; the layout is rewritten in place.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
layout="$root/resources/TFRMCREDIT.layout"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

font=/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf
[ -f "$font" ] || font=Helvetica-Bold

# A dusk gradient with a warm glow, a microphone sending out sound waves, two notes
# and the program's name.
convert -size 292x130 gradient:'#1b2a6b'-'#6a1b5e' \
  \( -size 292x130 radial-gradient:'rgba(255,190,90,0.45)'-'rgba(255,190,90,0)' \) \
  -compose screen -composite -compose over \
  -fill none -stroke 'rgba(255,255,255,0.45)' -strokewidth 2 \
  -draw "arc 62,41 78,69 -50,50" -draw "arc 60,33 88,77 -50,50" -draw "arc 58,25 98,85 -50,50" \
  -stroke '#2b2b2b' -strokewidth 1 -fill '#d9d9e0' -draw "roundrectangle 38,74 48,116 4,4" \
  -fill '#b8b8c4' -draw "circle 43,53 43,33" \
  -stroke '#7a7a88' -draw "line 27,45 59,45" -draw "line 23,53 63,53" -draw "line 27,61 59,61" \
  -draw "line 33,35 33,71" -draw "line 43,33 43,73" -draw "line 53,35 53,71" \
  -stroke none -fill '#ffd24d' -draw "ellipse 251,38 7,5 0,360" -draw "rectangle 256,6 259,38" \
  -draw "polygon 259,6 276,13 276,19 259,12" \
  -fill '#7fe0ff' -draw "ellipse 272,54 6,4 0,360" -draw "rectangle 276,26 278,54" \
  -font "$font" -pointsize 28 -fill 'rgba(0,0,0,0.45)' -annotate +106+76 'Vocarium' \
  -fill white -annotate +104+74 'Vocarium' \
  -pointsize 12 -fill '#ffe9a8' -annotate +108+98 'karaoke per tutti' \
  -quality 88 -sampling-factor 2x2 -strip "$work/picture.jpg"

size=$(identify -format '%wx%h' "$work/picture.jpg")
if [ "$size" != "292x130" ]; then
  echo "make-credit-picture: the picture came out $size, not 292x130" >&2
  exit 1
fi

od -An -v -tx1 "$work/picture.jpg" | tr -d ' \n' | tr 'a-f' 'A-F' | fold -w 64 | sed 's/^/      /' >"$work/hex"

# Everything from the line "Picture.Data = {" to the closing brace is replaced.
awk -v hexfile="$work/hex" '
  /Picture\.Data = \{/ {
    print "    Picture.Data = {"
    while ((getline line < hexfile) > 0) buffer = buffer (buffer == "" ? "" : "\n") line
    printf "%s}\n", buffer
    skipping = ($0 !~ /\}/)
    next
  }
  skipping { if ($0 ~ /\}/) skipping = 0; next }
  { print }
' "$layout" >"$work/layout"
mv "$work/layout" "$layout"
echo "make-credit-picture: $(stat -c %s "$work/picture.jpg") bytes of JPEG stored in $layout"
