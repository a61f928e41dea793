#!/usr/bin/env bash
# The Windows builds: x64 built and tested under Wine (in a fresh Wine prefix,
# with an Xvfb display of its own for the preview window), x86 built and
# checked statically (these machines cannot run 32-bit programs).
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)

echo "== Windows x86 build (static checks)"
cmake --preset win32 >/dev/null
cmake --build --preset win32 -j "$jobs"
ctest --preset win32 -L static

echo "== Windows x64 build"
cmake --preset win64 >/dev/null
cmake --build --preset win64 -j "$jobs"

# A fresh prefix per run: nothing registered by an earlier run (the player's
# class, the regional settings) can leak into this one.
export WINEPREFIX="$PWD/build/win64/wineprefix"
export WINEARCH=win64
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
# Pinned so that the code page (1252) and the regional settings are the same
# on every machine.
export LC_ALL=C.UTF-8
rm -rf "$WINEPREFIX"

display=""
xvfb_pid=""
cleanup() {
  WINEPREFIX="$WINEPREFIX" wineserver -k 2>/dev/null || true
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; wait "$xvfb_pid" 2>/dev/null || true; fi
}
trap cleanup EXIT
trap 'exit 1' INT TERM

# A display number nobody uses: no lock file and no socket.
for n in $(seq 90 140); do
  if [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ]; then display=":$n"; break; fi
done
[ -n "$display" ] || { echo "no free X display"; exit 1; }
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X${display#:}" ] && break; sleep 0.1; done
export DISPLAY=$display

echo "== Wine prefix"
wineboot -i >/dev/null 2>&1
# Let the set-up's own processes end first: system processes of a prefix
# still shutting down and those of the next program would run side by side.
wineserver -w
# One idle Windows program for the whole run keeps the wineserver and Wine's
# own system processes up between the test programs. Without it they end and
# restart around every test, and while ending they still hold the output pipe
# that ctest waits on: three seconds per test instead of a tenth.
keeper_input=$(mktemp -u)
mkfifo "$keeper_input"
wine cmd.exe <"$keeper_input" >/dev/null 2>&1 &
exec 9>"$keeper_input"  # cmd.exe waits for input on it until this script ends
rm -f "$keeper_input"
# Wait until the prefix's desktop and COM processes run, so that no test
# program starts them (they would hold its output pipe).
wine_process_up() {
  local dir
  for dir in /proc/[0-9]*; do
    tr '\0' ' ' <"$dir/cmdline" 2>/dev/null | grep -q "$1" || continue
    tr '\0' '\n' <"$dir/environ" 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX" && return 0
  done
  return 1
}
for _ in $(seq 150); do
  wine_process_up 'explorer.exe /desktop' && wine_process_up 'rpcss.exe' && break
  sleep 0.2
done

echo "== Windows x64 tests under Wine"
ctest --preset win64
