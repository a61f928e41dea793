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

# Hosts call the plug-in from several threads at once: its device tests (and
# the plug-in they load) under ThreadSanitizer, the only target of this build.
echo "== thread sanitizer build and device tests"
cmake --preset tsan >/dev/null
cmake --build --preset tsan -j "$jobs"
TSAN_OPTIONS=halt_on_error=1 build/tsan/tests/device_tests

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
