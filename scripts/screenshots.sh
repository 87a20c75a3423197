#!/usr/bin/env bash
# Takes one picture of every dialog template of the program, in a fixed sample
# state with its skin pictures, and pictures of the program itself, under Wine
# on a private X display.
#   scripts/screenshots.sh [OUT_DIR]        default: build/screenshots
# The Windows tree is build/win unless VM_WIN_BUILD names another; the tool
# vm_showdlg and Versemill.exe are built there. Writes OUT_DIR/template-<id>.png,
# template-143-editing.png for the music information dialog after its first
# press, program-main.png (the main window at start, with a background picture
# of bkpic/), and through scripts/gui-import.sh --dialogs program-main-filled.png,
# program-result.png and program-done.png (an import of the sample songs), then
# program-editor.png, program-time.png, program-info.png,
# program-info-editing.png, program-batch.png and program-about.png.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=$(realpath -m "${1:-$root/build/screenshots}")
build=$(realpath -m "${VM_WIN_BUILD:-$root/build/win}")
templates=(100 102 129 130 143 143:editing 145 148)

for tool in wine xdotool import /usr/bin/convert Xvfb; do
  command -v "$tool" >/dev/null 2>&1 || { echo "screenshots: $tool is missing" >&2; exit 1; }
done
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" >/dev/null
fi
cmake --build "$build" --target vm_showdlg Versemill -j 2 >/dev/null
exe=$(find "$build" -name vm_showdlg.exe -print -quit)
[ -n "$exe" ] || { echo "screenshots: vm_showdlg.exe was not built in $build" >&2; exit 1; }
program=$(find "$build" -name Versemill.exe -print -quit)
[ -n "$program" ] || { echo "screenshots: Versemill.exe was not built in $build" >&2; exit 1; }

# The program's own locale: ANSI code page 936.
export LANG=${VM_SHOT_LANG:-zh_CN.UTF-8}
export wine_env_root=${wine_env_root:-$build/wine}
# shellcheck source=scripts/wine-env.sh
source "$root/scripts/wine-env.sh"
work=$(mktemp -d)
# The environment's functions are not written for set -e: shield them.
cleanup() { wine_env_stop || true; rm -rf "$work"; }
trap cleanup EXIT
wine_env_start || { echo "screenshots: the Wine environment did not start" >&2; exit 1; }
mkdir -p "$out"

failed=0
for id in "${templates[@]}"; do
  name=${id/:/-}
  rect=$work/rect-$name done=$work/done-$name desk=vmshot-$name
  # A desktop window of its own draws the title bar that Wine leaves out
  # without a window manager; the tool reports where its dialog stands.
  wine explorer "/desktop=$desk,1024x768" "$exe" "$id" "Z:$rect" "Z:$done" >/dev/null 2>&1 &
  pid=$!
  for _ in $(seq 150); do [ -f "$rect" ] && break; sleep 0.2; done
  wid=$(xdotool search --name "^$desk - " 2>/dev/null | head -n 1 || true)
  if [ -f "$rect" ] && [ -n "$wid" ]; then
    read -r left top right bottom < <(tr -d '\r' <"$rect")
    import -window "$wid" "$work/desk.png"
    /usr/bin/convert "$work/desk.png" -crop "$((right - left))x$((bottom - top))+$left+$top" +repage \
      "$out/template-$name.png"
    echo "$out/template-$name.png"
  else
    echo "screenshots: template $id did not show" >&2
    failed=1
  fi
  touch "$done"
  wait "$pid" 2>/dev/null || true
done

# The program at start, in a folder that holds the background pictures.
mkdir -p "$work/start"
if [ -d "$root/bkpic" ]; then cp -r "$root/bkpic" "$work/start/"; fi
(cd "$work/start" && exec wine "$program") >/dev/null 2>&1 &
pid=$!
wid=
for _ in $(seq 150); do
  wid=$(xdotool search --onlyvisible --class '^versemill\.exe$' 2>/dev/null | head -n 1 || true)
  [ -n "$wid" ] && break
  sleep 0.2
done
if [ -n "$wid" ]; then
  sleep 1  # the first paint with the background
  import -window "$wid" "$out/program-main.png"
  echo "$out/program-main.png"
else
  echo "screenshots: the program's main window did not show" >&2
  failed=1
fi
kill "$pid" 2>/dev/null || true
wait "$pid" 2>/dev/null || true

# The program in use: an import of the sample songs, in an environment of its own.
wine_env_stop || true
if VM_WIN_BUILD=$build VM_GUI_LANG=$LANG "$root/scripts/gui-import.sh" --dialogs "$out" >"$work/gui-import.log" 2>&1; then
  grep 'WARNING' "$work/gui-import.log" | sort -u >&2 || true
else
  tail -n 20 "$work/gui-import.log" >&2
  echo "screenshots: the import through the program failed" >&2
  failed=1
fi
for f in program-main-filled program-result program-done program-editor program-time \
  program-info program-info-editing program-batch program-about; do
  [ -f "$out/$f.png" ] && echo "$out/$f.png"
done
exit $failed
