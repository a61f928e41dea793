#!/usr/bin/env bash
# Runs every test: native (plain and sanitizer builds) and the Windows builds
# (x64 under Wine, x86 under 32-bit Wine). Installs what is missing first.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh all
jobs=$(nproc)

echo "== native build and tests"
cmake --preset native >/dev/null
cmake --build --preset native -j "$jobs"
ctest --preset native -j "$jobs"

echo "== sanitizer build and tests"
cmake --preset asan >/dev/null
cmake --build --preset asan -j "$jobs"
ctest --preset asan -j "$jobs"

# Not optional: a missing Windows part is a failure, not a skip.
if [ ! -x scripts/test-windows.sh ]; then
  echo "FAIL: scripts/test-windows.sh is missing or not executable"
  exit 1
fi
echo "== Windows builds"
scripts/test-windows.sh
# From the Windows builds just tested: only the zip is new work.
echo "== Windows release zip"
scripts/package-windows.sh
echo "all tests passed"
