#!/usr/bin/env bash
# Takes one picture of every dialog template of the program, in a fixed sample
# state with its skin pictures, under Wine on a private X display.
#   scripts/screenshots.sh [OUT_DIR]        default: build/screenshots
# The Windows tree is build/win unless VM_WIN_BUILD names another; the tool
# vm_showdlg is built there when missing. Writes OUT_DIR/template-<id>.png, and
# template-143-editing.png for the music information dialog after its first press.
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
cmake --build "$build" --target vm_showdlg -j 2 >/dev/null
exe=$(find "$build" -name vm_showdlg.exe -print -quit)
[ -n "$exe" ] || { echo "screenshots: vm_showdlg.exe was not built in $build" >&2; exit 1; }

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
exit $failed
