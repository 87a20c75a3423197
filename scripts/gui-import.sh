#!/usr/bin/env bash
# Imports the sample songs of examples/ through the Windows program, clicked as
# a user would (mouse on the pictures, keys in the folder browser), under Wine
# on a private X display, and checks the MP3 files afterwards.
#   scripts/gui-import.sh [--unsync] [--iriver] [OUT_DIR]
#     --unsync   clicks "只导入不同步歌词" first (default: the synchronised mode)
#     --iriver   clicks "支持iRiver同步歌词" first
#     OUT_DIR    default: build/gui-import
# The Windows tree is build/win unless VM_WIN_BUILD names another; Versemill.exe
# is (re)built there. build/native (VM_NATIVE_BUILD) gives `versemill` for a
# comparison with the command line's import of the same files, when built.
# wine_env_root selects the Wine prefix (default: the Windows tree's wine/).
# Writes OUT_DIR/program-main-filled.png (both lists filled),
# program-result.png (the result window after the run) and program-done.png
# (the closing message), program-empty-start.png (the message when both
# lists are empty); on a failure OUT_DIR/gui-import-failure.png. The run
# ends with the result window's "确定" (matched pairs removed) and "退出".
# What tests/gui/README.md describes is checked; exit code 1 names the step.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
options=()
while [ $# -gt 0 ]; do
  case "$1" in
    --unsync | --iriver) options+=("$1"); shift ;;
    -*) echo "usage: $0 [--unsync] [--iriver] [OUT_DIR]" >&2; exit 2 ;;
    *) break ;;
  esac
done
out=$(realpath -m "${1:-$root/build/gui-import}")
build=$(realpath -m "${VM_WIN_BUILD:-$root/build/win}")
native=$(realpath -m "${VM_NATIVE_BUILD:-$root/build/native}")
folder=music  # under C:, typed into the folder browser's tree
python=/usr/bin/python3
[ -x "$python" ] || python=python3

say() { echo "gui-import: $*"; }
warnings=()
warn() { echo "gui-import: WARNING: $*"; warnings+=("$*"); }
fail() {
  echo "gui-import: FAILED: $*" >&2
  if [ -n "${DISPLAY:-}" ] && [ -d "$out" ]; then
    import -window root "$out/gui-import-failure.png" 2>/dev/null &&
      echo "gui-import: the screen at that moment: $out/gui-import-failure.png" >&2
  fi
  exit 1
}

for tool in wine xdotool import /usr/bin/convert /usr/bin/compare Xvfb xwininfo "$python"; do
  command -v "$tool" >/dev/null 2>&1 || { echo "gui-import: $tool is missing" >&2; exit 1; }
done
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" >/dev/null
fi
cmake --build "$build" --target Versemill -j 2 >/dev/null || fail "Versemill.exe does not build in $build"
exe=$(find "$build" -name Versemill.exe -print -quit)
[ -n "$exe" ] || fail "Versemill.exe was not built in $build"

# The program's own locale: ANSI code page 936.
export LANG=${VM_GUI_LANG:-zh_CN.UTF-8}
export wine_env_root=${wine_env_root:-$build/wine}
# shellcheck source=scripts/wine-env.sh
source "$root/scripts/wine-env.sh"
work=$(mktemp -d)
program=
cleanup() {
  if [ -n "$program" ] && kill -0 "$program" 2>/dev/null; then kill "$program" 2>/dev/null || true; fi
  wine_env_stop || true
  rm -rf "$work"
}
trap cleanup EXIT
mkdir -p "$out"
rm -f "$out/gui-import-failure.png"
wine_env_start || fail "the Wine environment did not start"
started=$SECONDS

# ---- The songs: a fresh copy in C:\music, and the originals to compare with.
music=$WINEPREFIX/drive_c/$folder
rm -rf "$music"
mkdir -p "$music" "$work/original" "$work/start"
(cd "$root/examples" && find . -type f \( -iname '*.mp3' -o -iname '*.lrc' \) \
  -exec cp --parents {} "$music/" \; -exec cp --parents {} "$work/original/" \;)
say "copied $(find "$music" -type f | wc -l) files of examples/ to C:\\$folder"
# The program starts in a folder that holds the background pictures.
if [ -d "$root/bkpic" ]; then
  cp -r "$root/bkpic" "$work/start/"
  say "started in $work/start with bkpic/ ($(find "$work/start/bkpic" -maxdepth 1 -type f | wc -l) files)"
else
  say "no bkpic/ in the repository: no background picture"
fi

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

# ---- Start the program and find its window.
(cd "$work/start" && exec wine "$exe") >"$work/program.log" 2>&1 &
program=$!
say "started $(basename "$exe") (wine pid $program)"
main=$(wait_new 30) || fail "the main window did not appear within 30 s"
sleep 1  # the first paint with the background
geometry "$main"
mainx=$X mainy=$Y
frame "$WIDTH" "$HEIGHT" 405 324 ||
  fail "the main window (${WIDTH}x$HEIGHT px) does not fit the 405 x 324 units of its template"
mainb=$b mainc=$c mainbx=$bx mainby=$by
say "main window $main at $X,$Y, ${WIDTH}x$HEIGHT px: base units $bx x $by, border $b, caption $c"
for extra in $(windows); do
  # A message box at start (e.g. a background that cannot be read).
  [ "$extra" = "$main" ] || fail "a window besides the main window is open at start ($(xdotool getwindowname "$extra"))"
done

import -window "$main" "$work/main-start.png"
# The pictures and their anchors (dialog units of template 102).
declare -A anchor=([mp3]="84 13" [lyric]="279 13" [start]="167 221" [about]="93 230" [exit]="240 232")
declare -A bitmap=([mp3]=add-mp3.bmp [lyric]=add-lyrics.bmp [start]=start-import.bmp
  [about]=about.bmp [exit]=exit.bmp)
for p in mp3 lyric start about exit; do
  # shellcheck disable=SC2086
  picture "$mainx" "$mainy" ${anchor[$p]}
  looks_like "$work/main-start.png" "$mainx" "$mainy" "${bitmap[$p]}" ||
    fail "the picture ${bitmap[$p]} is not drawn at its anchor (${anchor[$p]} units, $px,$py px)"
done
say "the five pictures stand at their anchors"
# The inside of a list box (template units 26,70,158,143 and 217,70,155,145).
mp3box="$((b + $(muldiv 30 "$bx" 4))) $((b + c + $(muldiv 74 "$by" 8))) $(muldiv 150 "$bx" 4) $(muldiv 135 "$by" 8)"
# shellcheck disable=SC2086
ink_empty=$(ink "$work/main-start.png" $mp3box)
lrcbox="$((b + $(muldiv 221 "$bx" 4))) $((b + c + $(muldiv 74 "$by" 8))) $(muldiv 147 "$bx" 4) $(muldiv 137 "$by" 8)"

# "开始导入" with empty lists: a message, no run.
picture "$mainx" "$mainy" ${anchor[start]}
click_picture "开始导入 (lists empty)"
box=$(wait_new 10 "$main") || fail "no message after \"开始导入\" with empty lists"
[ "$(xdotool getwindowname "$box")" != "结果如下" ] || fail "\"开始导入\" with empty lists opened the result window"
import -window "$box" "$out/program-empty-start.png"
xdotool key Return
wait_gone 10 "$box" || fail "the message about the empty lists did not close on Enter"
[ -z "$(wait_new 1 "$main")" ] || fail "a window besides the main window is open after the message about the empty lists"
say "with empty lists \"开始导入\" shows a message (program-empty-start.png) and starts nothing"

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
choose_folder mp3 添加MP3 "$mp3box"
choose_folder lyric 添加歌词 "$lrcbox"
import -window "$main" "$out/program-main-filled.png"
say "wrote $out/program-main-filled.png"

# ---- The options: a click on the radio button's circle, the check box's square.
for option in "${options[@]}"; do
  case "$option" in
    --unsync) x=159 y=21 label=只导入不同步歌词 ;;
    --iriver) x=163 y=51 label=支持iRiver同步歌词 ;;
  esac
  say "click on \"$label\""
  xdotool mousemove --sync $((mainx + b + $(muldiv $x "$bx" 4))) $((mainy + b + c + $(muldiv $y "$by" 8))) click 1
  sleep 0.3
done
[ ${#options[@]} -eq 0 ] || import -window "$main" "$out/program-main-filled.png"

# ---- The run.
picture "$mainx" "$mainy" ${anchor[start]}
click_picture 开始导入
result=$(wait_new 15 "$main") || fail "no result window after the click on \"开始导入\""
name=$(xdotool getwindowname "$result")
[ "$name" = "结果如下" ] || fail "a window \"$name\" opened after the click on \"开始导入\", not the result window \"结果如下\""
say "result window \"$name\" shown"
done_box=$(wait_new 60 "$main" "$result") || fail "no closing message within 60 s of the start"
sleep 0.5
geometry "$done_box"
say "closing message \"$(xdotool getwindowname "$done_box")\" shown (${WIDTH}x$HEIGHT px); Enter"
import -window "$done_box" "$out/program-done.png"
xdotool key Return
wait_gone 10 "$done_box" || fail "the closing message did not close on Enter"
sleep 0.5
# Top-level windows from the top down: is the result window still in front
# of the main window?
order=$(xwininfo -root -children | grep -oE '^ +0x[0-9a-f]+' | while read -r id; do echo $((id)); done)
if [ "$(grep -nx "$result" <<<"$order" | cut -d: -f1)" -gt "$(grep -nx "$main" <<<"$order" | cut -d: -f1)" ]; then
  warn "the result window went behind the main window when the closing message was closed; raised for its picture"
  xdotool windowraise "$result"
  sleep 0.5
fi
import -window "$result" "$out/program-result.png"
say "wrote $out/program-result.png and $out/program-done.png"

# ---- The result window's "确定" picture removes the matched pairs from both
# lists and hides the window; then leave the program, as a user would.
geometry "$result"
resx=$X resy=$Y
units "$WIDTH" "$HEIGHT" 183 212 ||
  fail "the result window (${WIDTH}x$HEIGHT px) does not fit the 183 x 212 units of its template"
picture "$resx" "$resy" 29 163
looks_like "$out/program-result.png" "$resx" "$resy" ok.bmp ||
  fail "the result window's \"确定\" picture is not drawn at its anchor"
click_picture "确定 (result window)"
wait_gone 10 "$result" || fail "the result window stayed open after its \"确定\" picture"
sleep 1
import -window "$main" "$work/cleared.png"
for box in "$mp3box" "$lrcbox"; do
  # shellcheck disable=SC2086
  left=$(ink "$work/cleared.png" $box)
  awk -v a="$left" -v b="$ink_empty" 'BEGIN { exit !(a <= b + 0.002) }' ||
    fail "the lists still show entries after the result window's \"确定\" (ink $left)"
done
say "the matched pairs left both lists"
b=$mainb c=$mainc bx=$mainbx by=$mainby
picture "$mainx" "$mainy" ${anchor[exit]}
click_picture 退出
for _ in $(seq 50); do kill -0 "$program" 2>/dev/null || break; sleep 0.2; done
if kill -0 "$program" 2>/dev/null; then fail "the program did not end after the click on \"退出\""; fi
wait "$program" || true
program=
say "the program ended ($((SECONDS - started)) s in Wine)"

# ---- The files.
check=(--)
versemill=$native/cli/versemill
if [ -x "$versemill" ]; then
  cp -r "$work/original" "$work/cli"
  "$versemill" import "${options[@]}" "$work/cli" >/dev/null || fail "versemill import failed on the same files"
  check=(--same-as "$work/cli" --)
  say "compared with \`versemill import\` of the same files"
  find "$music" -name "*.mp3" | sort | while read -r f; do
    echo "--- versemill show $(basename "$f")"
    "$versemill" show "$f" | head -n 8
  done
fi
"$python" "$root/tests/gui/check_import.py" "${options[@]}" "${check[@]}" "$work/original" "$music" ||
  fail "the MP3 files do not carry their lyrics as they should"
say "done: every example MP3 carries its lyric${options[*]:+ (${options[*]})}"
for w in "${warnings[@]}"; do say "WARNING: $w"; done
