#!/usr/bin/env bash
# Makes the background pictures of the main window in the folder above this
# one: soft gradients with a few stars and notes, 600 x 480, JPEG.
# Needs ImageMagick's convert. The script lives in a sub-folder because the
# window takes every file of bkpic/ (but its settings file) as a picture.
set -euo pipefail
out=$(cd "$(dirname "$0")/.." && pwd)
W=600
H=480

# star CX CY R: a five-pointed star as a polygon primitive.
star() {
  awk -v cx="$1" -v cy="$2" -v r="$3" 'BEGIN {
    pi = atan2(0, -1); s = "polygon";
    for (i = 0; i < 10; i++) {
      a = -pi / 2 + i * pi / 5; rr = (i % 2) ? r * 0.42 : r;
      s = s sprintf(" %.1f,%.1f", cx + rr * cos(a), cy + rr * sin(a));
    }
    print s }'
}

# note X Y S: an eighth note, head at (X, Y), size S.
note() {
  awk -v x="$1" -v y="$2" -v s="$3" 'BEGIN {
    printf "ellipse %d,%d %d,%d 0,360 ", x, y, s, s * 0.7;
    printf "rectangle %d,%d %d,%d ", x + s - 2, y - s * 3.2, x + s + 1, y;
    printf "polygon %d,%d %d,%d %d,%d %d,%d", x + s + 1, y - s * 3.2, x + s * 2.6, y - s * 2.2,
      x + s * 2.4, y - s * 1.7, x + s + 1, y - s * 2.5 }'
}

# picture NAME TOP BOTTOM STARCOLOUR NOTECOLOUR
picture() {
  local name=$1 top=$2 bottom=$3 starfill=$4 notefill=$5
  convert -size "${W}x${H}" "gradient:${top}-${bottom}" \
    -fill "$starfill" \
    -draw "$(star 70 60 14)" -draw "$(star 530 48 10)" -draw "$(star 470 120 6)" \
    -draw "$(star 130 150 5)" -draw "$(star 560 400 9)" -draw "$(star 40 420 7)" \
    -draw "$(star 300 30 4)" \
    -fill "$notefill" \
    -draw "$(note 420 250 11)" -draw "$(note 480 300 8)" -draw "$(note 90 330 9)" \
    -draw "$(note 250 430 7)" \
    -blur 0x0.6 -strip -quality 82 -sampling-factor 2x2 "$out/$name"
}

picture night.jpg '#2d4270' '#6f8fbf' 'rgba(255,244,190,0.85)' 'rgba(255,255,255,0.30)'
picture dusk.jpg '#4b3564' '#a07898' 'rgba(255,236,200,0.80)' 'rgba(255,255,255,0.28)'
