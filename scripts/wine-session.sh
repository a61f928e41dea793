#!/usr/bin/env bash
# Runs COMMAND in a fresh Wine prefix at $WINEPREFIX with Wine's system
# processes kept up for the whole run, then ends the prefix's wineserver.
# Usage: wine-session.sh 64|32 COMMAND [ARGS...]
#   64: a plain 64-bit prefix
#   32: the same with the 32-bit half (scripts/wine32.sh prefix)
# DISPLAY must name a running X server (the preview window needs one).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
bits=$1
shift
: "${WINEPREFIX:?wine-session: set WINEPREFIX}"
: "${DISPLAY:?wine-session: set DISPLAY}"
export WINEPREFIX WINEARCH=win64

cleanup() { wineserver -k 2>/dev/null || true; }
trap cleanup EXIT
trap 'exit 1' INT TERM

# A fresh prefix per run: nothing registered by an earlier run (the player's
# class, the regional settings) can leak into this one.
rm -rf "$WINEPREFIX"
if [ "$bits" = 32 ]; then
  "$here/wine32.sh" prefix
else
  wineboot -i >/dev/null 2>&1
fi
# Let the set-up's own processes end first: system processes of a prefix
# still shutting down and those of the next program would run side by side.
wineserver -w

# One idle Windows program for the whole run keeps the wineserver and Wine's
# own system processes up between the test programs. Without it they end and
# restart around every test, and while ending they still hold the output pipe
# that ctest waits on: three seconds per test instead of a tenth. A 64-bit
# one serves 32-bit runs too: the system processes are 64-bit.
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
    tr '\0' ' ' 2>/dev/null <"$dir/cmdline" | grep -q "$1" || continue
    tr '\0' '\n' 2>/dev/null <"$dir/environ" | grep -qx "WINEPREFIX=$WINEPREFIX" && return 0
  done
  return 1
}
for _ in $(seq 150); do
  wine_process_up 'explorer.exe /desktop' && wine_process_up 'rpcss.exe' && break
  sleep 0.2
done

"$@"
