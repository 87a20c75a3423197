#!/usr/bin/env bash
# Times `versemill import` on 200 MP3 files of about 4 MB with their lyrics
# against `cp -r` of the same files, and prints the ratio and the peak memory.
#
# Both sides include the flush to disk of every file they write: versemill
# syncs each MP3 file before it replaces the original; cp -r is followed by
# `sync` on every copied file (one fsync per file).
#
#   bench/import_vs_cp.sh            (builds build/native if needed)
#   VERSEMILL=path/to/versemill BENCH_COUNT=50 bench/import_vs_cp.sh
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
count=${BENCH_COUNT:-200}
data=$root/build/bench-data
src=$data/src-$count
bin=${VERSEMILL:-$root/build/native/cli/versemill}

if [ ! -x /usr/bin/time ]; then
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get install -y -qq time >/dev/null
fi
if [ -z "${VERSEMILL:-}" ] && [ ! -x "$bin" ]; then
  scripts/build.sh native
fi

# The data: one MP3 file of about 4 MB (262 s at 128 kbit/s, stereo tone),
# copied under 200 names, and a lyric of 60 timed lines for each. Made once.
if [ ! -f "$src/.complete" ]; then
  echo "making $count MP3 files of about 4 MB in $src ..."
  rm -rf "$src"
  mkdir -p "$src"
  one=$data/one.mp3
  if [ ! -f "$one" ]; then
    ffmpeg -loglevel error -y -f lavfi -i "sine=frequency=440:sample_rate=44100:duration=262" \
      -ac 2 -c:a libmp3lame -b:a 128k -id3v2_version 0 -write_id3v1 0 "$one.tmp.mp3"
    mv "$one.tmp.mp3" "$one"
  fi
  lyric=$data/one.lrc
  {
    printf '[ti:测试曲目]\r\n[ar:基准测试]\r\n'
    for ((s = 0; s < 60; s++)); do
      printf '[%02d:%02d.%02d]第%d行：风吹过山岗，灯火照着回家的路\r\n' \
        $((s * 4 / 60)) $((s * 4 % 60)) $((s % 100)) $((s + 1))
    done
  } | iconv -f UTF-8 -t GBK >"$lyric"
  for ((i = 1; i <= count; i++)); do
    name=$(printf '曲目%03d' "$i")
    cp "$one" "$src/$name.mp3"
    cp "$lyric" "$src/$name.lrc"
  done
  touch "$src/.complete"
fi

# From a `time -v` log: wall-clock seconds, peak resident kilobytes.
wall_seconds() {
  awk -F': ' '/Elapsed \(wall clock\)/ {
    n = split($2, p, ":"); s = 0; for (i = 1; i <= n; i++) s = s * 60 + p[i]; print s }' "$1"
}
peak_kb() { awk -F': ' '/Maximum resident set size/ { print $2 }' "$1"; }

run_vm=$data/run-versemill
run_cp=$data/run-cp
log_vm=$data/time-versemill.log
log_cp=$data/time-cp.log
rm -rf "$run_vm" "$run_cp"

# versemill works on a copy of its own, made and flushed before the clock runs.
cp -r "$src" "$run_vm"
sync
/usr/bin/time -v -o "$log_vm" "$bin" import "$run_vm" >"$data/versemill.out"
tail -n 1 "$data/versemill.out"

sync
/usr/bin/time -v -o "$log_cp" sh -c 'cp -r "$1" "$2" && find "$2" -type f -exec sync -- {} +' \
  sh "$src" "$run_cp"

t_vm=$(wall_seconds "$log_vm")
t_cp=$(wall_seconds "$log_cp")
m_vm=$(peak_kb "$log_vm")
m_cp=$(peak_kb "$log_cp")
size_mb=$(du -sm --apparent-size "$src" | cut -f1)
echo
echo "files:            $count MP3 of $(($(stat -c %s "$src/曲目001.mp3") / 1024)) KiB + $count LRC, ${size_mb} MiB in all"
awk -v tv="$t_vm" -v tc="$t_cp" -v mv="$m_vm" -v mc="$m_cp" 'BEGIN {
  printf "versemill import: %6.2f s   peak memory %6.1f MiB\n", tv, mv / 1024
  printf "cp -r + sync:     %6.2f s   peak memory %6.1f MiB\n", tc, mc / 1024
  printf "ratio versemill / cp: %.2f\n", (tc > 0 ? tv / tc : 0) }'
echo "flush: included in both (versemill syncs each file it replaces; cp is followed by sync on every file)"

rm -rf "$run_vm" "$run_cp"
