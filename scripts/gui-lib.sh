#!/usr/bin/env bash
# Shared by the scripts that drive Versemill.exe under Wine as a user would:
# messages, the program's windows, dialog units to pixels, clicks on the
# pictures, the comparison of drawn pictures and the folder browser.
# Source it after setting gui_name (the prefix of messages), root, out and
# work; fail leaves a picture of the screen in OUT.

say() { echo "$gui_name: $*"; }
warnings=()
warn() { echo "$gui_name: WARNING: $*"; warnings+=("$*"); }
fail() {
  echo "$gui_name: FAILED: $*" >&2
  if [ -n "${DISPLAY:-}" ] && [ -d "$out" ]; then
    import -window root "$out/$gui_name-failure.png" 2>/dev/null &&
      echo "$gui_name: the screen at that moment: $out/$gui_name-failure.png" >&2
  fi
  exit 1
}

# ---- Windows of the program: visible top-level X windows of its class.
windows() { xdotool search --onlyvisible --class '^versemill\.exe$' 2>/dev/null || true; }
# wait_new SECONDS KNOWN...: prints the first visible window not in KNOWN.
wait_new() {
  local limit=$1 w known _; shift
  for _ in $(seq $((limit * 5))); do
    for w in $(windows); do
      known=0
      for k in "$@"; do [ "$w" = "$k" ] && known=1; done
      [ $known -eq 0 ] && { echo "$w"; return 0; }
    done
    sleep 0.2
  done
  return 1
}
# wait_gone SECONDS WINDOW
wait_gone() {
  local _
  for _ in $(seq $(($1 * 5))); do
    windows | grep -qx "$2" || return 0
    sleep 0.2
  done
  return 1
}
# geometry WINDOW: sets X Y WIDTH HEIGHT.
geometry() { eval "$(xdotool getwindowgeometry --shell "$1" | grep -E '^(X|Y|WIDTH|HEIGHT)=')"; }

# MulDiv as the dialog manager rounds: a * b / c to the nearest.
muldiv() { echo $(((2 * $1 * $2 + $3) / (2 * $3))); }
# frame WIDTH HEIGHT DLU_W DLU_H: the dialog's base units (bx, by), its
# border (b) and caption (c) in pixels, from its window size in pixels and
# its template size in dialog units; the base units are whole pixels.
frame() {
  local found=0 tb tx tc ty
  for tb in $(seq 0 8); do
    for tx in $(seq 3 24); do
      [ $(((2 * $3 * tx + 4) / 8 + 2 * tb)) -eq "$1" ] || continue
      for tc in $(seq 10 40); do
        for ty in $(seq 6 48); do
          if [ $(((2 * $4 * ty + 8) / 16 + tc + 2 * tb)) -eq "$2" ]; then
            b=$tb bx=$tx c=$tc by=$ty found=$((found + 1))
          fi
        done
      done
    done
  done
  [ $found -eq 1 ]
}
# units WIDTH HEIGHT DLU_W DLU_H: the base units of another dialog, with the
# border and caption of the main window.
units() {
  local tx ty
  bx= by=
  for tx in $(seq 3 24); do [ $(((2 * $3 * tx + 4) / 8 + 2 * b)) -eq "$1" ] && bx=$tx; done
  for ty in $(seq 6 48); do [ $(((2 * $4 * ty + 8) / 16 + c + 2 * b)) -eq "$2" ] && by=$ty; done
  [ -n "$bx" ] && [ -n "$by" ]
}
# picture WINDOW_X WINDOW_Y DLU_X DLU_Y: sets px py, the screen position of
# the top-left corner of the picture drawn at that anchor.
picture() {
  px=$(($1 + b + $(muldiv "$3" "$bx" 4)))
  py=$(($2 + b + c + $(muldiv "$4" "$by" 8)))
}
# click_picture NAME: a click in the middle of a 77 x 77 picture at px py.
click_picture() {
  say "click on \"$1\" at $((px + 38)),$((py + 38))"
  xdotool mousemove --sync $((px + 38)) $((py + 38)) click 1
}
# looks_like SHOT WINDOW_X WINDOW_Y BITMAP: the middle of the picture at px py
# in the window's picture SHOT is the bitmap's (the star, no surround).
looks_like() {
  local diff
  /usr/bin/convert "$1" -crop "21x21+$((px - $2 + 28))+$((py - $3 + 28))" +repage "$work/crop.png"
  /usr/bin/convert "$root/res/bitmaps/$4" -crop 21x21+28+28 +repage "$work/want.png"
  diff=$(/usr/bin/compare -metric AE -fuzz 12% "$work/crop.png" "$work/want.png" null: 2>&1 || true)
  [ "${diff%% *}" -le 40 ] 2>/dev/null
}
# ink SHOT X Y W H: the share of dark pixels (text) in that part of SHOT.
ink() {
  /usr/bin/convert "$1" -crop "$4x$5+$2+$3" +repage -colorspace gray -threshold 55% \
    -format '%[fx:1-mean]' info:
}

# choose_folder PICTURE TITLE LISTBOX: clicks the folder picture, picks
# C:\music in the browser by keys, and checks that the list got entries.
choose_folder() {
  local browser before after
  # shellcheck disable=SC2086
  picture "$mainx" "$mainy" ${anchor[$1]}
  import -window "$main" "$work/before.png"
  # shellcheck disable=SC2086
  before=$(ink "$work/before.png" $3)
  click_picture "$2"
  browser=$(wait_new 15 "$main") || fail "no folder browser opened after the click on \"$2\""
  sleep 0.5
  say "folder browser \"$(xdotool getwindowname "$browser")\" open; keys: Tab Tab ( c Right $folder Enter"
  # The focus starts on the OK button: two tabs reach the tree, where typing
  # selects by name; Right opens the drive.
  xdotool key --delay 150 Tab Tab
  xdotool type --delay 150 '(c'
  sleep 0.3
  xdotool key Right
  sleep 1
  xdotool type --delay 150 "$folder"
  sleep 0.5
  import -window "$browser" "$work/browser-$1.png"
  xdotool key Return
  wait_gone 10 "$browser" || fail "the folder browser did not close on Enter"
  sleep 1
  import -window "$main" "$work/after.png"
  # shellcheck disable=SC2086
  after=$(ink "$work/after.png" $3)
  awk -v a="$after" -v b="$before" 'BEGIN { exit !(a > b + 0.004) }' ||
    fail "the list shows no new entries after choosing C:\\$folder with \"$2\" (ink $before -> $after)"
  say "the list shows entries (ink $before -> $after)"
}
