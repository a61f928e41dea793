#!/usr/bin/env bash
# Builds one fuzz target with clang, libFuzzer and AddressSanitizer and runs it
# for a while. Not part of CI: run it by hand after touching a reader.
#   scripts/fuzz.sh [target] [seconds]      (defaults: bmp_fuzz 60)
# The working corpus lives in build/fuzz/corpus/<target>, seeded from the
# target's test files; crashes land in build/fuzz/crashes/. Copy a crasher to
# tests/data/fuzz/<target>/ once fixed, so core_tests keeps checking it.
set -euo pipefail
cd "$(dirname "$0")/.."
target=${1:-bmp_fuzz}
seconds=${2:-60}
build=build/fuzz

flags="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_C_FLAGS="$flags" \
  -DZELK_FUZZERS=ON -DZELK_BENCHMARKS=OFF -DBUILD_TESTING=OFF >/dev/null
cmake --build "$build" --target "$target" -j "$(nproc)"

corpus="$build/corpus/$target"
crashes="$build/crashes/$target"
mkdir -p "$corpus" "$crashes"
seeds=()
case "$target" in
  bmp_fuzz) seeds+=(tests/data/bmpsuite/g tests/data/bmpsuite/q tests/data/bmpsuite/b tests/data/bmpsuite/x) ;;
  trigger_set_fuzz)
    cmake --build "$build" --target trigger_set_seeds -j "$(nproc)"
    "$build/fuzz/trigger_set_seeds" "$build/seeds/$target"
    seeds+=("$build/seeds/$target") ;;
esac
[ -d "tests/data/fuzz/$target" ] && seeds+=("tests/data/fuzz/$target")

# driver_fuzz gives every input a folder of files (settings, log,
# recordings): kept in memory, they cost the disk nothing.
[ -d /dev/shm ] && export TMPDIR=${TMPDIR:-/dev/shm}
"$build/fuzz/$target" -max_total_time="$seconds" -max_len=65536 -timeout=10 \
  -artifact_prefix="$crashes/" "$corpus" "${seeds[@]}"
