# Sourced: a private Wine prefix on a private X display for the Windows tests.
#   wine_env_start   prefix, Xvfb, CJK font replacements, zh_CN.UTF-8 locale,
#                    the desktop process; under the caller's LANG
#   wine_env_stop    ends what wine_env_start started (safe to call twice)
# wine_env_root selects the folder of the prefix, the locale and the display
# files (default build/wine); each developer tree uses its own. The prefix is
# made once and reused. The Wine server, the desktop process and every
# program run between start and stop share one locale: to change LANG, stop
# and start again.

wine_env_root=${wine_env_root:-$PWD/build/wine}

wine_env_log() { echo "wine-env: $*" >&2; }

# Starts Xvfb on a display it picks itself; sets DISPLAY.
wine_env_start_x() {
  local file="$wine_env_root/display"
  rm -f "$file"
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$file" >/dev/null 2>&1 &
  wine_env_xvfb=$!
  local _
  for _ in $(seq 100); do
    [ -s "$file" ] && break
    kill -0 "$wine_env_xvfb" 2>/dev/null || break
    sleep 0.05
  done
  if [ ! -s "$file" ]; then
    wine_env_log "Xvfb did not start"
    kill "$wine_env_xvfb" 2>/dev/null
    unset wine_env_xvfb
    return 1
  fi
  export DISPLAY=":$(tr -dc 0-9 <"$file")"
}

wine_env_start() {
  mkdir -p "$wine_env_root" || return 1
  wine_env_root=$(cd "$wine_env_root" && pwd)
  export WINEPREFIX="$wine_env_root/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  # A private zh_CN.UTF-8 locale: under it Wine's ANSI code page is 936.
  if [ ! -f "$wine_env_root/locale/zh_CN.UTF-8/LC_CTYPE" ]; then
    mkdir -p "$wine_env_root/locale"
    localedef -i zh_CN -f UTF-8 "$wine_env_root/locale/zh_CN.UTF-8" >/dev/null 2>&1 ||
      wine_env_log "localedef zh_CN.UTF-8 failed: runs under zh_CN.UTF-8 get code page 1252"
  fi
  export LOCPATH="$wine_env_root/locale"
  export LANG=${LANG:-C.UTF-8}
  { export LC_ALL=$LANG; } 2>/dev/null  # bash's own setlocale cannot see LOCPATH
  case "$LANG" in
    zh_CN*) export VM_EXPECT_ACP=936 ;;
    *) export VM_EXPECT_ACP=1252 ;;
  esac
  wine_env_start_x || return 1
  if [ ! -f "$WINEPREFIX/.versemill-ready-2" ]; then
    # The first start makes the prefix (about 15 s); the registry is written
    # under a UTF-8 locale whatever LANG the tests use.
    rm -rf "$WINEPREFIX"
    if ! LC_ALL=C.UTF-8 wineboot -i >/dev/null 2>&1; then
      wine_env_log "wineboot failed"; return 1
    fi
    local f
    for f in 宋体 SimSun 新宋体 NSimSun Tahoma "MS Shell Dlg" "MS Shell Dlg 2" System; do
      LC_ALL=C.UTF-8 wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$f" /t REG_SZ \
        /d 'WenQuanYi Micro Hei' /f >/dev/null 2>&1
    done
    # No window manager runs on the private display: windows that wait for
    # one at every hide (2 s each) are left unmanaged.
    LC_ALL=C.UTF-8 wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f \
      >/dev/null 2>&1
    LC_ALL=C.UTF-8 wineserver -w
    touch "$WINEPREFIX/.versemill-ready-2"
  fi
  # One desktop process (it starts the server under this locale): every
  # test start is then fast instead of waiting for a desktop of its own.
  wine explorer.exe /desktop >/dev/null 2>&1 </dev/null &
  wine_env_desktop=$!
  return 0
}

wine_env_stop() {
  if [ -n "${WINEPREFIX:-}" ]; then
    wineserver -k >/dev/null 2>&1 || true
    wineserver -w >/dev/null 2>&1 || true
  fi
  if [ -n "${wine_env_desktop:-}" ]; then kill "$wine_env_desktop" 2>/dev/null || true; fi
  if [ -n "${wine_env_xvfb:-}" ]; then kill "$wine_env_xvfb" 2>/dev/null || true; fi
  if [ -n "${wine_env_desktop:-}${wine_env_xvfb:-}" ]; then
    wait ${wine_env_desktop:-} ${wine_env_xvfb:-} 2>/dev/null || true
  fi
  unset wine_env_desktop wine_env_xvfb
  return 0
}
