#!/usr/bin/env bash
# Runs the resource tests of a Windows build tree under Wine, once with the
# C.UTF-8 locale (ANSI code page 1252) and once with zh_CN.UTF-8 (936).
#   tests/res/run-under-wine.sh [BUILD_DIR]     default: build-win-res
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(realpath "${1:-$root/build-win-res}")
export wine_env_root=${wine_env_root:-$build/wine}
# shellcheck source=scripts/wine-env.sh
source "$root/scripts/wine-env.sh"
exe=$(find "$build" -name test_res.exe -print -quit)
[ -n "$exe" ] || { echo "no test_res.exe under $build" >&2; exit 1; }
status=0
for lang in C.UTF-8 zh_CN.UTF-8; do
  # Server, desktop and tests share one locale: start them together.
  export LANG=$lang LC_ALL=$lang
  wine_env_start
  echo "== LANG=$lang"
  wine "$exe" --gtest_brief=1 2>&1 | tr -d '\r' | grep -v -e 'wine32 is missing' -e 'multiarch needs' \
    -e 'dpkg --add-architecture' -e 'apt-get install wine32'
  [ "${PIPESTATUS[0]}" -eq 0 ] || status=1
  wine_env_stop
done
exit $status
