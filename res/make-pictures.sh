#!/usr/bin/env bash
# Draws the program's pictures: the nine 77 x 77 star buttons (24-bit BMP on
# the flat ground that the skin layer treats as transparent), the hand cursor
# and the program icon. The results are committed; run this only to change them.
#   res/make-pictures.sh            writes res/bitmaps/*.bmp, res/hand.cur, res/versemill.ico
set -euo pipefail
cd "$(dirname "$0")"

# The real ImageMagick, not a wrapper that may stand earlier in PATH.
if command -v magick >/dev/null 2>&1; then im=(magick); else im=(/usr/bin/convert); fi
font=/usr/share/fonts/truetype/wqy/wqy-microhei.ttc
[ -f "$font" ] || { echo "missing $font (package fonts-wqy-microhei)" >&2; exit 1; }

ground='rgb(184,201,227)'   # the top-left pixel: transparent for the skin layer
size=77
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# polygon <points> <outer radius> <inner radius>: a star round the picture centre.
polygon() {
  awk -v n="$1" -v ro="$2" -v ri="$3" 'BEGIN {
    pi = atan2(0, -1); c = 38
    for (i = 0; i < 2 * n; i++) {
      r = (i % 2 == 0) ? ro : ri
      a = -pi / 2 + i * pi / n
      printf "%.2f,%.2f ", c + r * cos(a), c + r * sin(a)
    }
  }'
}

outer=$(polygon 12 38 31)
inner=$(polygon 12 35.5 28.5)

# Every colour inside the star has less blue than green, and the ground has
# more: no pixel of the star, blended or not, can take the ground colour.
"${im[@]}" -size ${size}x${size} "xc:$ground" \
  +antialias -fill 'rgb(28,82,20)' -draw "polygon $outer" \
  "$work/frame.png"
"${im[@]}" -size ${size}x${size} radial-gradient:'rgb(176,238,120)-rgb(40,138,28)' \
  "$work/fill.png"
"${im[@]}" -size ${size}x${size} xc:black +antialias -fill white -draw "polygon $inner" \
  "$work/mask.png"
# A soft highlight on the upper half; it stays inside the inner star.
"${im[@]}" -size ${size}x${size} xc:black -fill 'gray(45%)' -draw "ellipse 38,24 22,13 0,360" \
  -blur 0x3 "$work/mask.png" -compose multiply -composite "$work/gloss.png"
"${im[@]}" "$work/frame.png" "$work/fill.png" "$work/mask.png" -compose over -composite \
  -size ${size}x${size} xc:white "$work/gloss.png" -compose over -composite \
  -alpha off "$work/star.png"

mkdir -p bitmaps
# button <file> <label> [pointsize]: the star with its label, outlined text.
button() {
  local file=$1 label=$2 pt=${3:-17}
  "${im[@]}" "$work/star.png" -font "$font" -pointsize "$pt" -gravity center \
    -interline-spacing -3 \
    -stroke 'rgb(20,60,14)' -strokewidth 3 -fill 'rgb(20,60,14)' -annotate +0+1 "$label" \
    -stroke none -fill white -annotate +0+1 "$label" \
    -alpha off -type TrueColor -define bmp:format=bmp3 "BMP3:bitmaps/$file"
}

button about.bmp        '关于' 19
button exit.bmp         '退出' 19
button ok.bmp           '确定' 19
button modify.bmp       '修改' 19
button delete-lyric.bmp $'删除\n歌词'
button add-lyrics.bmp   $'添加\n歌词'
button add-mp3.bmp      $'添加\nMP3'
button save-exit.bmp    $'保存\n退出'
button start-import.bmp $'开始\n导入'

python3 tools/make_cursor.py hand.cur

# The program icon: a lyric sheet with a note, drawn large and scaled down.
"${im[@]}" -size 256x256 xc:none \
  -fill 'rgb(250,250,244)' -stroke 'rgb(70,90,120)' -strokewidth 8 \
  -draw "roundrectangle 40,16 200,240 18,18" \
  -stroke 'rgb(150,165,190)' -strokewidth 12 \
  -draw "line 70,70 170,70" -draw "line 70,110 170,110" -draw "line 70,150 130,150" \
  -draw "line 70,190 120,190" \
  -stroke 'rgb(30,120,40)' -strokewidth 14 -fill none \
  -draw "line 200,110 200,220" -draw "bezier 200,110 220,130 250,135 240,170" \
  -stroke none -fill 'rgb(30,120,40)' -draw "ellipse 178,222 30,22 0,360" \
  "$work/icon.png"
"${im[@]}" "$work/icon.png" -define icon:auto-resize=48,32,16 versemill.ico

echo "pictures written: bitmaps/*.bmp hand.cur versemill.ico"
