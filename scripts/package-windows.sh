#!/usr/bin/env bash
# The Windows release zip, build/package/ZelkDMD-<version>-windows.zip: builds
# the three files it carries in the win64 and win32 presets (a build folder
# that exists, as after scripts/test-windows.sh, is reused as configured),
# writes the zip and checks it (tests/package/check_windows_zip.py).
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)

for preset in win64 win32; do
  echo "== $preset: the plug-in, the control program and zelkdmd"
  [ -f "build/$preset/CMakeCache.txt" ] || cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs" --target dmddeviceZelk ZelkDMDControl zelkdmd
done

version=$(sed -n 's/^#define ZELK_VERSION "\(.*\)"$/\1/p' build/win64/generated/zelk_version.h)
[ -n "$version" ] || { echo "FAIL: no version in build/win64/generated/zelk_version.h"; exit 1; }
zip=build/package/ZelkDMD-$version-windows.zip
rm -f "$zip"
files=()
for arch in x86 x64; do
  preset=$([ $arch = x86 ] && echo win32 || echo win64)
  plugin=$([ $arch = x86 ] && echo dmddeviceZelk.dll || echo dmddeviceZelk64.dll)
  files+=("$arch/$plugin=build/$preset/device/$plugin"
          "$arch/ZelkDMDControl.exe=build/$preset/control/program/win32/ZelkDMDControl.exe"
          "$arch/zelkdmd.exe=build/$preset/tools/zelkdmd/zelkdmd.exe")
done
files+=(LICENSE=LICENSE README.txt=packaging/windows/README.txt
        dmddevicezelk.ini=packaging/windows/dmddevicezelk.ini)
python3 scripts/windows_zip.py "$zip" "${files[@]}"

echo "== checking $zip"
python3 tests/package/check_windows_zip.py "$zip"
