#!/usr/bin/env bash
# Runs every test: the native suite, the same suite under AddressSanitizer and
# UndefinedBehaviorSanitizer, and the Windows build's tests under Wine.
# Ends with one line "N passed, M failed".
set -uo pipefail
cd "$(dirname "$0")/.."
root=$PWD

scripts/deps.sh || { echo "0 passed, 1 failed"; exit 1; }

passed=0
failed=0
status=0

# run_ctest <label> <build dir> [ctest args...]: runs ctest, adds its counts.
run_ctest() {
  local label=$1 dir=$2; shift 2
  local log="$dir/ctest.log"
  echo "== $label"
  ctest --test-dir "$dir" --output-on-failure "$@" 2>&1 | tee "$log"
  local line total fails
  line=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n 1)
  if [ -z "$line" ]; then
    echo "$label: ctest gave no summary"
    failed=$((failed + 1)); status=1; return
  fi
  fails=$(sed -E 's/.*tests passed, ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<<"$line")
  total=$(sed -E 's/.*failed out of ([0-9]+).*/\1/' <<<"$line")
  passed=$((passed + total - fails)); failed=$((failed + fails))
  [ "$fails" -eq 0 ] || status=1
}

build() {
  echo "== build $1"
  if ! scripts/build.sh "$1"; then
    echo "build $1 failed"; failed=$((failed + 1)); status=1; return 1
  fi
}

jobs=$(nproc 2>/dev/null || echo 2)

if build native; then run_ctest native build/native -j "$jobs"; fi
if build asan; then
  ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 UBSAN_OPTIONS=print_stacktrace=1 \
    run_ctest "asan+ubsan" build/asan -j "$jobs" -LE interop
fi
if build win; then
  # shellcheck source=scripts/wine-env.sh
  source scripts/wine-env.sh
  trap wine_env_stop EXIT
  trap 'wine_env_stop; exit 130' INT TERM
  wine_started=$SECONDS
  # Once with a Western ANSI code page and once with code page 936: the
  # program must behave the same under both. Server, desktop and tests of a
  # run share its locale; the environment is restarted between the two.
  for locale in C.UTF-8 zh_CN.UTF-8; do
    export LANG=$locale
    if wine_env_start; then
      run_ctest "windows (wine, $locale)" build/win
    else
      echo "wine environment failed to start"; failed=$((failed + 1)); status=1
    fi
    wine_env_stop
  done
  trap - EXIT INT TERM
  echo "windows tests under wine: $((SECONDS - wine_started)) s"
fi

echo "$passed passed, $failed failed"
exit $status
