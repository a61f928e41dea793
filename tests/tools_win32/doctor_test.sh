#!/usr/bin/env bash
# zelkdmd.exe doctor under Wine, on a cabinet this script plants in the
# prefix: VPinMAME registered with the plug-in as DmdDevice64.dll, a settings
# file with a misspelt key and a FORWARD to a 32-bit driver, the player with
# one good and one broken pack, and the control program. The report must name
# those three problems and nothing else; mended, the doctor exits 0.
#   doctor_test.sh WORK_DIR EMULATOR ZELKDMD PLUGIN DRIVER OTHER_BITNESS_DRIVER CONTROL_PROGRAM
set -uo pipefail
work=$1 wine=$2 zelkdmd=$3 plugin=$4 driver=$5 driver32=$6 control=$7
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
rm -rf "$work" && mkdir -p "$work/vpm" "$work/player" && cd "$work" || exit 1
win() { local p="Z:$1"; echo "${p//\//\\}"; }

vpm_clsid='{F389C8B7-144F-4C63-A2E3-246D168F9D39}'
player_clsid='{88919FAC-00B2-4AA8-B1C7-52AD65C476D3}'
control_clsid='{10610679-3C2E-437A-82DC-3C040D12B26A}'
reg() { "$wine" reg "$@" >/dev/null 2>&1; }
unregister() {
  for key in 'HKCR\VPinMAME.Controller' "HKCR\\CLSID\\$vpm_clsid" "HKCR\\CLSID\\$player_clsid" \
             'HKCR\ZelkDMDControl.DMD' "HKCR\\CLSID\\$control_clsid"; do reg delete "$key" /f; done
}
trap unregister EXIT

cp "$driver" vpm/VPinMAME64.dll
cp "$plugin" vpm/DmdDevice64.dll
cp "$driver32" vpm/DmdDevice32-real.dll
cp "$driver" vpm/DmdDevice64-real.dll
cp "$control" vpm/ZelkDMDControl.exe
cp "$zelkdmd" player/VantorPlayer.exe
printf '[SETTINGS]\r\nSHADEDHOTS=1\r\nFORWARD=DmdDevice32-real.dll\r\n' >vpm/dmddevicezelk.ini
python3 - <<'PY' || exit 1
import os, struct
def bmp(path, w=128, h=32):
    stride = (w * 3 + 3) // 4 * 4
    rows = b''.join(bytes(v for x in range(w) for v in [255 if 10 <= x < 20 and y < 8 else 0] * 3).ljust(stride, b'\0')
                    for y in range(h))
    header = struct.pack('<2sIHHIIiiHHIIiiII', b'BM', 54 + len(rows), 0, 0, 54, 40, w, h, 1, 24, 0, len(rows), 0, 0, 0, 0)
    open(path, 'wb').write(header + rows)
for game in ('good', 'broken'):
    os.makedirs('player/ZelkVideos/%s/ZelkCapture' % game)
bmp('player/ZelkVideos/good/ZelkCapture/1.bmp')
open('player/ZelkVideos/broken/ZelkCapture/1.bmp', 'wb').write(b'BM not a picture')
PY

reg add 'HKCR\VPinMAME.Controller\CLSID' /ve /d "$vpm_clsid" /f
reg add "HKCR\\CLSID\\$vpm_clsid\\InprocServer32" /ve /d "$(win "$PWD/vpm/VPinMAME64.dll")" /f
reg add "HKCR\\CLSID\\$player_clsid\\LocalServer32" /ve /d "\"$(win "$PWD/player/VantorPlayer.exe")\" /automation" /f
reg add 'HKCR\ZelkDMDControl.DMD\CLSID' /ve /d "$control_clsid" /f
reg add "HKCR\\CLSID\\$control_clsid\\LocalServer32" /ve /d "\"$(win "$PWD/vpm/ZelkDMDControl.exe")\"" /f

# doctor EXPECTED_EXIT ARGS...: the report in out (text) or out.json.
doctor() {
  local code=$1
  shift
  "$wine" "$zelkdmd" doctor "$@" >out.raw 2>err
  local rc=$?
  tr -d '\r' <out.raw >out
  [ $rc = "$code" ] || fail "exit $rc, expected $code, for doctor $*: $(cat out err)"
}

# problems EXPECTED...: the kinds and texts of the problems in out, each
# expected "kind:word" matched once by one problem, no other problem.
problems() {
  python3 - "$@" <<'PY' || fail "problems: $(cat out)"
import json, sys
report = json.load(open('out'))
found = [(s['kind'], f) for s in report['sections'] for f in s['findings'] if f['status'] == 'problem']
assert report['problems'] == len(found), report['problems']
expected = [e.split(':', 1) for e in sys.argv[1:]]
assert len(found) == len(expected), [f['text'] for _, f in found]
for kind, word in expected:
    assert [f for _, f in found if f['kind'] == kind and word in f['text'] and f['fix']], (kind, word, found)
plugin = [f for s in report['sections'] for f in s['findings'] if f['text'].startswith('DmdDevice64.dll: the plug-in ZelkDMD')]
assert plugin, 'the plug-in was not recognised'
PY
}

doctor 1 --json
problems unknown-key:SHADEDHOTS forward-bitness:DmdDevice32-real.dll pack:broken
doctor 1
grep -q 'do: did you mean SHADEDHOST? write SHADEDHOST=1' out || fail "no nearest key offered: $(cat out)"

# Mended: the key spelt right, the driver of the plug-in's bitness, the pack whole.
printf '[SETTINGS]\r\nSHADEDHOST=1\r\nFORWARD=DmdDevice64-real.dll\r\n' >vpm/dmddevicezelk.ini
cp player/ZelkVideos/good/ZelkCapture/1.bmp player/ZelkVideos/broken/ZelkCapture/1.bmp
doctor 0 --json
problems
doctor 0
lines=$(wc -l <out)
[ "$lines" -le 24 ] || fail "the report of a cabinet in order takes $lines lines: $(cat out)"
doctor 2 --bogus

[ $failures = 0 ] || { echo "$failures check(s) failed" >&2; exit 1; }
echo "zelkdmd doctor: all checks passed"
