# Shared by scripts/test and scripts/run: a private X display and Wine prefix.
# Everything started here is remembered and stopped by mrv_cleanup, and
# nothing else is touched.

MRV_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
MRV_STARTED_XVFB=
MRV_STARTED_XEPHYR=
MRV_SCREEN=${MRV_SCREEN:-1280x800x24}

# Starts X server $4 ("$4 :N $5...") on the first free display number from $1
# to $2, stores its pid in the variable named $3 and exports DISPLAY.
mrv_start_x_server() {
  local first=$1 last=$2 pidvar=$3 server=$4 n
  shift 4
  for n in $(seq "$first" "$last"); do
    if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then
      "$server" ":$n" "$@" >/dev/null 2>&1 &
      local pid=$!
      local i
      for i in $(seq 1 50); do
        [ -e "/tmp/.X11-unix/X$n" ] && break
        if ! kill -0 "$pid" 2>/dev/null; then break; fi
        sleep 0.1
      done
      if kill -0 "$pid" 2>/dev/null && [ -e "/tmp/.X11-unix/X$n" ]; then
        printf -v "$pidvar" '%s' "$pid"
        export DISPLAY=":$n"
        return 0
      fi
    fi
  done
  echo "could not start $server" >&2
  return 1
}

# Starts Xvfb on the first free display number from 90 up and exports DISPLAY.
mrv_start_xvfb() {
  mrv_start_x_server 90 199 MRV_STARTED_XVFB Xvfb -screen 0 "$MRV_SCREEN" -nolisten tcp
}

# A two-monitor desktop: Xephyr with Xinerama, nested in the current display
# (started by mrv_start_xvfb), with a 1024x700 monitor at (0, 0) and an
# 800x600 one at (1024, 0), which leaves a hole below the second. Exports
# DISPLAY for it. Wine sees the two monitors only through Xinerama: the
# prefix made by `mrv_wine_prefix monitors` turns its XRandR reading off.
mrv_start_two_monitors() {
  mrv_start_x_server 200 299 MRV_STARTED_XEPHYR Xephyr +xinerama -screen 1024x700 \
    -screen 800x600 -nolisten tcp -ac
}

# Maps the Japanese font names of Windows to the IPA fonts in $WINEPREFIX.
mrv_font_substitutes() {
  /usr/bin/python3 - "$WINEPREFIX/fonts.reg" <<'PY'
import sys
lines = ['Windows Registry Editor Version 5.00', '',
         r'[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes]']
for name, sub in [('MS UI Gothic', 'IPAGothic'), ('MS Gothic', 'IPAGothic'),
                  ('MS PGothic', 'IPAPGothic'), ('ＭＳ Ｐゴシック', 'IPAPGothic'),
                  ('ＭＳ ゴシック', 'IPAGothic')]:
    lines.append('"%s"="%s"' % (name, sub))
open(sys.argv[1], 'w', encoding='utf-16').write('\r\n'.join(lines) + '\r\n')
PY
  wine regedit /S "$(winepath -w "$WINEPREFIX/fonts.reg" 2>/dev/null)" >/dev/null 2>&1 || true
  wineserver -w
}

# A Wine prefix of our own under the build directory, made once: 64-bit,
# no Mono or Gecko prompts, the Japanese font names mapped to IPA Gothic.
# scripts/test and scripts/run each have their own ($1: test or run), so a
# test run never meets a program the user started. The prefix "plain" has no
# font substitutes, as a new user's prefix: the program must find a Japanese
# font there by itself. A wineserver left over from an earlier run of the same
# script is bound to a display that is gone; it is ended first. With a second
# argument the desktop reports that many dots per inch (the user's LogPixels
# under HKCU\Control Panel\Desktop), in a prefix of its own: build/wine-$1-dpi$2.
mrv_wine_prefix() {
  local dpi=${2:-}
  export WINEPREFIX="$MRV_ROOT/build/wine-$1${dpi:+-dpi$dpi}"
  export WINEARCH=win64
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml=d;winemenubuilder.exe=d"
  wineserver -k >/dev/null 2>&1 || true
  if [ ! -f "$WINEPREFIX/.mrv-ready" ]; then
    rm -rf "$WINEPREFIX"
    mkdir -p "$WINEPREFIX"
    wineboot -i >/dev/null 2>&1 || true
    wineserver -w
    [ "$1" = plain ] || mrv_font_substitutes
    if [ -n "$dpi" ]; then
      wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f \
        </dev/null >/dev/null 2>&1 || true
      wineserver -w
    fi
    if [ "$1" = monitors ]; then
      wine reg add 'HKCU\Software\Wine\X11 Driver' /v UseXRandR /t REG_SZ /d N /f \
        >/dev/null 2>&1 || true
      wineserver -w
    fi
    touch "$WINEPREFIX/.mrv-ready"
  fi
  # Keep one wineserver alive for the whole run: every test program then
  # starts in a fraction of a second instead of booting the prefix again.
  wineserver -p >/dev/null 2>&1 || true
  # The first program in a fresh wineserver also starts Wine's background
  # services (and, with a window, its desktop process). They inherit that
  # program's standard output; if it is a pipe (ctest, Python), the reader then
  # waits for an end of file that never comes. Start them here, detached.
  wine cmd /c exit </dev/null >/dev/null 2>&1 || true
  local probe="$MRV_ROOT/build/windows/e2e-tools/probe.exe"
  if [ -f "$probe" ]; then wine "$probe" screen </dev/null >/dev/null 2>&1 || true; fi
}

# The 144-dpi prefix of the end-to-end tests (made once), exported as
# MRV_WINEPREFIX_DPI; its wineserver is stopped again, the tests that use it
# start and stop their own. The current prefix is left as it was.
mrv_wine_dpi_prefix() {
  (mrv_wine_prefix test 144 && wineserver -k >/dev/null 2>&1) || true
  export MRV_WINEPREFIX_DPI="$MRV_ROOT/build/wine-test-dpi144"
}

# The plain prefix beside the current one, ready with its own wineserver;
# WINEPREFIX is left as it is and MRV_PLAIN_PREFIX names the plain one.
mrv_plain_prefix() {
  (mrv_wine_prefix plain) || return 1
  export MRV_PLAIN_PREFIX="$MRV_ROOT/build/wine-plain"
}

mrv_cleanup() {
  if [ -n "${MRV_PLAIN_PREFIX:-}" ]; then
    WINEPREFIX="$MRV_PLAIN_PREFIX" wineserver -k >/dev/null 2>&1 || true
  fi
  if [ -n "${WINEPREFIX:-}" ]; then
    wineserver -k >/dev/null 2>&1 || true
  fi
  if [ -n "$MRV_STARTED_XEPHYR" ]; then
    kill "$MRV_STARTED_XEPHYR" 2>/dev/null || true
    wait "$MRV_STARTED_XEPHYR" 2>/dev/null || true
    MRV_STARTED_XEPHYR=
  fi
  if [ -n "$MRV_STARTED_XVFB" ]; then
    kill "$MRV_STARTED_XVFB" 2>/dev/null || true
    wait "$MRV_STARTED_XVFB" 2>/dev/null || true
    MRV_STARTED_XVFB=
  fi
}
