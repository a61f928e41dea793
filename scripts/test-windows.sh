#!/usr/bin/env bash
# The Windows builds, each tested under Wine in a fresh prefix of its own
# (scripts/wine-session.sh) with an Xvfb display for the preview window:
# x64 under Wine, x86 under 32-bit Wine run by user-mode QEMU
# (scripts/wine32.sh, set up without installing anything). The x86 tests'
# stand-in player is the x64 build's, as a 64-bit player on a 64-bit Windows
# serves a 32-bit host; one test starts the x86 build's own.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)
seconds() { date +%s; }
took() { echo "   ($1: $(($(seconds) - $2)) s)"; }

# No Gecko or Mono: a test program must not wait for their installers.
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
# Pinned so that the code page (1252) and the regional settings are the same
# on every machine.
export LC_ALL=C.UTF-8

echo "== Windows x64 build"
start=$(seconds)
cmake --preset win64 >/dev/null
cmake --build --preset win64 -j "$jobs"
took "x64 build" "$start"

echo "== 32-bit Wine under QEMU (download and unpack)"
start=$(seconds)
if ! timeout 600 scripts/wine32.sh fetch; then
  echo "FAIL: could not set up 32-bit Wine (scripts/wine32.sh fetch)"
  exit 1
fi
took "32-bit Wine set-up" "$start"

echo "== Windows x86 build"
start=$(seconds)
cmake --preset win32 -DCMAKE_CROSSCOMPILING_EMULATOR="$PWD/scripts/wine32.sh;run" \
  -DZELK_WINE_PLAYER64="$PWD/build/win64/tests/wine/fake_player.exe" >/dev/null
cmake --build --preset win32 -j "$jobs"
took "x86 build" "$start"

display=""
xvfb_pid=""
cleanup() {
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

echo "== Windows x64 tests under Wine"
start=$(seconds)
# A test whose Wine process dies before it prints anything (seen once in many
# runs on a loaded machine: no output at all after 0.01 s) is run once more;
# a test that fails twice fails the run.
retry=(--repeat until-pass:2)
WINEPREFIX="$PWD/build/win64/wineprefix" scripts/wine-session.sh 64 ctest --preset win64 "${retry[@]}"
took "x64 tests" "$start"

echo "== Windows x86 tests under 32-bit Wine"
start=$(seconds)
# A 32-bit program starting another 32-bit one (the x86 stand-in player)
# needs qemu registered in a namespace of its own; without one, that test
# is left out and said so. In the namespace every 32-bit program runs under
# QEMU, also where the kernel could run it itself: the same run everywhere.
namespace=(scripts/wine32.sh namespace)
skip=()
if ! scripts/wine32.sh namespace-works; then
  echo "NOTE: no private binfmt_misc here (needs Linux 6.7+ and user namespaces):"
  echo "      32-bit programs cannot start 32-bit ones; the tests that start the x86 player or program are left out"
  namespace=()
  skip=(-E "X86Player|ControlProgram")
fi
# Bounded: every test has a time limit, and the whole run has one too.
status=0
WINEPREFIX="$PWD/build/win32/wineprefix" timeout --kill-after=30 1500 \
  "${namespace[@]}" scripts/wine-session.sh 32 ctest --preset win32 --timeout 300 "${retry[@]}" "${skip[@]}" || status=$?
if [ $status -eq 124 ]; then echo "FAIL: the x86 tests took longer than 25 minutes"; fi
[ $status -eq 0 ] || exit $status
took "x86 tests" "$start"
