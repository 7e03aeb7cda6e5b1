#!/usr/bin/env bash
# One Wine prefix per build tree, with its own Xvfb display and a persistent wineserver.
#   wine-env.sh ensure PREFIX [ARCH]   create the prefix once, start Xvfb and the servers if they are not running
#   wine-env.sh down PREFIX            stop the wineserver and Xvfb of that prefix
#   wine-env.sh print PREFIX [ARCH]    print the environment (export lines) to reach the prefix
# ARCH is win32 (the default: Debian's "wine", whose 32-bit loader runs 32- and 64-bit programs) or
# win64 (Wine's 64-bit loader alone, for x86-64 programs on hosts that run no 32-bit code). Under win64,
# "wine" and the scripts built on it (wineboot, winepath) reach the 64-bit loader through scripts/wine64/.
# With WINE_ENV_DISPLAY set (for example to the user's own display), that display is used instead of Xvfb.
# The servers are started with their output sent to /dev/null and detached, so that they never hold
# the output pipe of the process that started them (CTest waits on it otherwise).
set -euo pipefail

cmd=${1:?usage: wine-env.sh ensure|down|print PREFIX [win32|win64]}
prefix=$(realpath -m "${2:?prefix folder}")
arch=${3:-win32}
state="$prefix.env"
here=$(dirname "$(realpath "$0")")

export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
case "$arch" in
  win32) loader_env=() ;;
  win64) loader_env=(WINEARCH=win64 WINELOADER=/usr/lib/wine/wine64 "PATH=$here/wine64:$PATH") ;;
  *) echo "unknown Wine architecture $arch (win32 or win64)" >&2; exit 2 ;;
esac
[ ${#loader_env[@]} -eq 0 ] || export "${loader_env[@]}"

start_xvfb() {
  local n=90
  while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
  setsid Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp </dev/null >/dev/null 2>&1 9>&- &
  local pid=$!
  for _ in $(seq 100); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.05; done
  printf 'DISPLAY=:%s\nXVFB_PID=%s\n' "$n" "$pid" >"$state"
}

xvfb_alive() {
  [ -f "$state" ] || return 1
  # shellcheck disable=SC1090
  . "$state"
  [ -n "$XVFB_PID" ] && kill -0 "$XVFB_PID" 2>/dev/null && [ -e "/tmp/.X11-unix/X${DISPLAY#:}" ]
}

ensure() {
  mkdir -p "$(dirname "$prefix")"
  exec 9>"$prefix.lock"
  flock 9
  if [ -n "${WINE_ENV_DISPLAY:-}" ]; then
    printf 'DISPLAY=%s\nXVFB_PID=\n' "$WINE_ENV_DISPLAY" >"$state"
  else
    xvfb_alive || start_xvfb
  fi
  . "$state"
  export DISPLAY
  # The persistent wineserver keeps the registry in memory and writes system.reg only later, so a marker
  # of our own says the prefix is made; otherwise every test program's start would run wineboot again
  # beside the tests already running in the prefix.
  if [ ! -f "$prefix/.velora-prefix-made" ]; then
    echo "Creating Wine prefix $prefix" >&2
    wineboot -i </dev/null >/dev/null 2>&1 9>&-
    # Without a window manager Wine waits about 2 s whenever a window is hidden; unmanaged windows do not.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1 9>&-
    touch "$prefix/.velora-prefix-made"
  fi
  # A second "wineserver -p" for the same prefix sees the running one and exits at once.
  setsid wineserver -p </dev/null >/dev/null 2>&1 9>&- || true
  wine cmd /c exit </dev/null >/dev/null 2>&1 9>&- || true
}

down() {
  wineserver -k </dev/null >/dev/null 2>&1 || true
  if xvfb_alive && [ -n "$XVFB_PID" ]; then kill "$XVFB_PID" 2>/dev/null || true; fi
  rm -f "$state"
}

case "$cmd" in
  ensure) ensure ;;
  down) down ;;
  print) xvfb_alive && . "$state"; printf 'export WINEPREFIX=%q WINEDEBUG=-all WINEDLLOVERRIDES=%q DISPLAY=%q' \
           "$prefix" "$WINEDLLOVERRIDES" "${DISPLAY:-}"
         [ ${#loader_env[@]} -eq 0 ] || printf ' %q' "${loader_env[@]}"
         echo ;;
  *) echo "unknown command $cmd" >&2; exit 2 ;;
esac
