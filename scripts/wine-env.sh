# Sourced: a private Wine prefix on a private X display for the Windows tests.
#   wine_env_start   prefix, Xvfb, CJK font replacements, zh_CN.UTF-8 locale
#   wine_env_stop    ends what wine_env_start started
# The prefix lives in build/wine/prefix and is reused between runs.

wine_env_root=${wine_env_root:-$PWD/build/wine}

wine_env_start() {
  mkdir -p "$wine_env_root"
  export WINEPREFIX="$wine_env_root/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  # Private zh_CN.UTF-8 locale so that Wine's ANSI code page can be 936.
  if [ ! -d "$wine_env_root/locale/zh_CN.UTF-8" ]; then
    mkdir -p "$wine_env_root/locale"
    localedef -i zh_CN -f UTF-8 "$wine_env_root/locale/zh_CN.UTF-8" 2>/dev/null || true
  fi
  export LOCPATH="$wine_env_root/locale"
  # A display of our own.
  local n
  for n in $(seq 90 120); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] || break
  done
  Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  wine_env_xvfb=$!
  export DISPLAY=":$n"
  for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
  if [ ! -f "$WINEPREFIX/.versemill-ready" ]; then
    wineboot -i >/dev/null 2>&1 && wineserver -w
    local f
    for f in 宋体 SimSun Tahoma "MS Shell Dlg" "MS Shell Dlg 2" System; do
      LANG=C.UTF-8 LC_ALL=C.UTF-8 wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$f" /t REG_SZ \
        /d 'WenQuanYi Micro Hei' /f >/dev/null 2>&1
    done
    wineserver -w
    touch "$WINEPREFIX/.versemill-ready"
  fi
  # A desktop process started once keeps every test start fast.
  wine explorer.exe /desktop >/dev/null 2>&1 </dev/null &
  wine_env_desktop=$!
  return 0
}

wine_env_stop() {
  if [ -n "${WINEPREFIX:-}" ]; then wineserver -k >/dev/null 2>&1 || true; fi
  if [ -n "${wine_env_desktop:-}" ]; then kill "$wine_env_desktop" 2>/dev/null || true; fi
  if [ -n "${wine_env_xvfb:-}" ]; then kill "$wine_env_xvfb" 2>/dev/null || true; fi
  wait 2>/dev/null || true
  unset wine_env_desktop wine_env_xvfb
  return 0
}
