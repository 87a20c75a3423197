#!/usr/bin/env bash
# Installs what is needed, builds, and runs the main job on the sample files:
# imports the lyrics of examples/ into a copy of its MP3 files, then shows
# what one of them now carries.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
scripts/build.sh native
if command -v x86_64-w64-mingw32-g++-posix >/dev/null; then
  scripts/build.sh win
fi

out=build/sample-run
rm -rf "$out"
mkdir -p "$out"
cp -r examples/. "$out/"
build/native/cli/versemill import "$out"
first=$(find "$out" -name '*.mp3' | sort | head -n 1)
build/native/cli/versemill show "$first"
