#!/usr/bin/env bash
# Imports the sample songs of examples/ through the Windows program, clicked as
# a user would (mouse on the pictures, keys in the folder browser), under Wine
# on a private X display, and checks the MP3 files afterwards.
#   scripts/gui-import.sh [--unsync] [--iriver] [OUT_DIR]
#     --unsync   clicks "只导入不同步歌词" first (default: the synchronised mode)
#     --iriver   clicks "支持iRiver同步歌词" first
#     --dialogs  after the run, fills the lists again and opens the other
#                dialogs on the imported files (see open_dialogs below)
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
dialogs=0
while [ $# -gt 0 ]; do
  case "$1" in
    --unsync | --iriver) options+=("$1"); shift ;;
    --dialogs) dialogs=1; shift ;;
    -*) echo "usage: $0 [--unsync] [--iriver] [--dialogs] [OUT_DIR]" >&2; exit 2 ;;
    *) break ;;
  esac
done
out=$(realpath -m "${1:-$root/build/gui-import}")
build=$(realpath -m "${VM_WIN_BUILD:-$root/build/win}")
native=$(realpath -m "${VM_NATIVE_BUILD:-$root/build/native}")
folder=music  # under C:, typed into the folder browser's tree
python=/usr/bin/python3
[ -x "$python" ] || python=python3

gui_name=gui-import
# shellcheck source=scripts/gui-lib.sh
source "$root/scripts/gui-lib.sh"

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
# Without a window manager the keyboard focus may have stayed elsewhere.
xdotool windowfocus --sync "$done_box" 2>/dev/null || true
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

# ---- The other dialogs (--dialogs), on the imported files: the lists are
# filled again, then the lyric editor and its time dialog, the information
# dialog before and after "修改", the batch conversion's choice and the about
# box are opened as a user opens them, pictured and closed again.
# open_dialog TITLE DLU_W DLU_H: waits for the dialog, checks its title and
# sets dlg dlgx dlgy and the base units of its template.
open_dialog() {
  local name
  dlg=$(wait_new 15 "$main") || fail "the dialog \"$1\" did not open"
  sleep 0.5
  name=$(xdotool getwindowname "$dlg")
  [ "$name" = "$1" ] || fail "a window \"$name\" opened instead of \"$1\""
  geometry "$dlg"
  dlgx=$X dlgy=$Y
  b=$mainb c=$mainc
  units "$WIDTH" "$HEIGHT" "$2" "$3" || fail "\"$1\" (${WIDTH}x$HEIGHT px) does not fit the $2 x $3 units of its template"
}
# close_dialog TITLE: after the closing click or key, the dialog must go.
close_dialog() {
  wait_gone 10 "$dlg" || fail "the dialog \"$1\" did not close"
  b=$mainb c=$mainc bx=$mainbx by=$mainby
  sleep 0.3
}
# double_click_first LIST_X LIST_Y: the first entry of a list box whose
# template corner stands at those units of the main window.
double_click_first() {
  xdotool mousemove --sync $((mainx + b + $(muldiv $(($1 + 20)) "$bx" 4))) \
    $((mainy + b + c + $(muldiv "$2" "$by" 8) + 8)) click --repeat 2 --delay 80 1
}
open_dialogs() {
  choose_folder mp3 添加MP3 "$mp3box"
  choose_folder lyric 添加歌词 "$lrcbox"

  say "double-click on the first lyric file"
  double_click_first 217 70
  open_dialog 歌词编辑对话框 263 304
  import -window "$dlg" "$out/program-editor.png"
  local lines
  lines=$(ink "$out/program-editor.png" $(($(muldiv 8 "$bx" 4) + b)) $(($(muldiv 14 "$by" 8) + b + c)) \
    $(muldiv 220 "$bx" 4) $(muldiv 125 "$by" 8))
  awk -v a="$lines" 'BEGIN { exit !(a > 0.01) }' || fail "the lyric editor shows no lines (ink $lines)"
  local editor=$dlg editorx=$dlgx editory=$dlgy ebx=$bx eby=$by
  say "double-click on the editor's first line"
  xdotool mousemove --sync $((dlgx + b + $(muldiv 40 "$bx" 4))) $((dlgy + b + c + $(muldiv 10 "$by" 8) + 8)) \
    click --repeat 2 --delay 80 1
  dlg=$(wait_new 15 "$main" "$editor") || fail "no time dialog after the double-click on a line"
  [ "$(xdotool getwindowname "$dlg")" = 歌词时间设置 ] || fail "the time dialog is not \"歌词时间设置\""
  sleep 0.5
  import -window "$dlg" "$out/program-time.png"
  xdotool key Escape
  wait_gone 10 "$dlg" || fail "the time dialog did not close on Escape"
  dlg=$editor bx=$ebx by=$eby
  picture "$editorx" "$editory" 127 154
  looks_like "$out/program-editor.png" "$editorx" "$editory" exit.bmp ||
    fail "the editor's \"退出\" picture is not drawn at its anchor"
  click_picture "退出 (lyric editor)"
  close_dialog 歌词编辑对话框
  say "the lyric editor and its time dialog: program-editor.png, program-time.png"

  say "double-click on the first MP3 file"
  double_click_first 26 70
  open_dialog 音乐文件信息 288 218
  import -window "$dlg" "$out/program-info.png"
  picture "$dlgx" "$dlgy" 59 106
  click_picture "修改"
  sleep 0.5
  import -window "$dlg" "$out/program-info-editing.png"
  picture "$dlgx" "$dlgy" 165 106
  click_picture "退出 (information)"
  close_dialog 音乐文件信息
  say "the information dialog: program-info.png, program-info-editing.png"

  say "right click in the main window, then \"批量改id3信息(&A)\""
  xdotool mousemove --sync $((mainx + b + $(muldiv 200 "$bx" 4))) $((mainy + b + c + $(muldiv 300 "$by" 8))) click 3
  sleep 0.8
  xdotool key a
  open_dialog 批量改id3信息对话框 219 104
  import -window "$dlg" "$out/program-batch.png"
  picture "$dlgx" "$dlgy" 121 52
  click_picture "退出 (batch conversion)"
  close_dialog 批量改id3信息对话框
  say "the batch conversion's choice: program-batch.png"

  picture "$mainx" "$mainy" ${anchor[about]}
  click_picture 关于
  open_dialog "关于 Versemill" 259 281
  sleep 2  # the text moves
  import -window "$dlg" "$out/program-about.png"
  xdotool key Escape
  close_dialog "关于 Versemill"
  say "the about box: program-about.png"
}

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
[ "$dialogs" -eq 0 ] || open_dialogs
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
