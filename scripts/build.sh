#!/usr/bin/env bash
# Builds one tree: native (default), asan, or win (mingw-w64 cross build).
#   scripts/build.sh [native|asan|win]
set -euo pipefail
cd "$(dirname "$0")/.."
kind=${1:-native}
jobs=$(nproc 2>/dev/null || echo 2)
case "$kind" in
  native) cmake -S . -B build/native -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null ;;
  asan)   cmake -S . -B build/asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVERSEMILL_SANITIZE=ON >/dev/null ;;
  win)    cmake -S . -B build/win -G Ninja -DCMAKE_BUILD_TYPE=Release \
              -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake >/dev/null ;;
  *) echo "usage: $0 [native|asan|win]" >&2; exit 2 ;;
esac
cmake --build "build/$kind" -j "$jobs"
