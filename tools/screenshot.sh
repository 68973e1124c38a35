#!/usr/bin/env bash
# Takes a picture of one edition's main window on a virtual X server.
#
#   tools/screenshot.sh EDITION OUT.png [ARGS...]
#
# EDITION is dalvo7 or kavra7; ARGS are handed to the program (the first one
# is a file to show). The program is built when needed (in build/release, or
# in $GAUGE_BUILD_DIR), started with a fresh settings folder under a virtual
# X server, photographed once its main window is up, and closed with its
# Quit shortcut so it shuts down as a user would close it.
# Environment: GAUGE_BUILD_DIR, SCREEN_SIZE (default 1280x800),
# SETTLE_SECONDS (time after the window appears, default 3),
# KEEP_HOME=1 keeps the temporary home folder and prints where it is.
set -euo pipefail

if [ $# -lt 2 ]; then
  echo "usage: $0 EDITION OUT.png [ARGS...]" >&2
  exit 2
fi
edition=$1
out=$2
shift 2
case "$edition" in
  dalvo7) title="Dalvo 7" ;;
  kavra7) title="Kavra 7" ;;
  *) echo "unknown edition '$edition' (dalvo7 or kavra7)" >&2; exit 2 ;;
esac

root=$(cd "$(dirname "$0")/.." && pwd)
build=${GAUGE_BUILD_DIR:-$root/build/release}
case "$out" in /*) ;; *) out="$PWD/$out" ;; esac

# Tools for the picture, installed on first use.
missing=()
command -v xvfb-run >/dev/null || missing+=(xvfb xauth)
command -v import >/dev/null || missing+=(imagemagick)
command -v xdotool >/dev/null || missing+=(xdotool)
if [ ${#missing[@]} -gt 0 ]; then
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update >/dev/null
  "${sudo_cmd[@]}" apt-get install -y --no-install-recommends "${missing[@]}" >/dev/null
fi

if [ ! -f "$build/build.ninja" ] && [ ! -f "$build/Makefile" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DGAUGE_TESTS=OFF >/dev/null
fi
cmake --build "$build" --target "$edition" >/dev/null
program="$build/src/app/ui/$edition"

home=$(mktemp -d)
cleanup() {
  if [ "${KEEP_HOME:-0}" = 1 ]; then echo "home folder kept: $home" >&2; else rm -rf "$home"; fi
}
trap cleanup EXIT
mkdir -p "$home/config" "$home/data" "$home/run"
chmod 700 "$home/run"

export HOME="$home" XDG_CONFIG_HOME="$home/config" XDG_DATA_HOME="$home/data" XDG_RUNTIME_DIR="$home/run"
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=0}"
export SHOT_PROGRAM="$program" SHOT_TITLE="$title" SHOT_OUT="$out" SHOT_SETTLE="${SETTLE_SECONDS:-3}"
unset QT_QPA_PLATFORM

xvfb-run -a -s "-screen 0 ${SCREEN_SIZE:-1280x800}x24" bash -c '
  set -euo pipefail
  "$SHOT_PROGRAM" "$@" >"$HOME/program.log" 2>&1 &
  pid=$!
  window=
  for _ in $(seq 1 300); do
    window=$(xdotool search --onlyvisible --name "^$SHOT_TITLE .*Edition" 2>/dev/null | head -n 1 || true)
    [ -n "$window" ] && break
    kill -0 "$pid" 2>/dev/null || { cat "$HOME/program.log" >&2; echo "program ended early" >&2; exit 1; }
    sleep 0.1
  done
  [ -n "$window" ] || { kill "$pid"; echo "main window did not appear" >&2; exit 1; }
  sleep "$SHOT_SETTLE"
  import -window root "$SHOT_OUT"
  xdotool windowfocus --sync "$window" 2>/dev/null || true
  xdotool key --clearmodifiers alt+F4
  for _ in $(seq 1 100); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 "$pid" 2>/dev/null; then
    # SIGTERM closes the main window as Quit does.
    echo "Alt+F4 did not close the program; terminating it" >&2
    kill -TERM "$pid"
    for _ in $(seq 1 100); do
      kill -0 "$pid" 2>/dev/null || break
      sleep 0.1
    done
    if kill -0 "$pid" 2>/dev/null; then
      kill -KILL "$pid"
      echo "program did not close" >&2
      exit 1
    fi
  fi
  wait "$pid"
' shot "$@"

[ -f "$home/config/$title/Settings.ini" ] && echo "settings written on close: $title/Settings.ini" >&2
echo "$out"
