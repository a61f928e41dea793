#!/usr/bin/env bash
# zelkdmd check, run as a pack author runs it, on two small packs this script
# writes: natively, or zelkdmd.exe under Wine (the emulator given first).
#   check_test.sh WORK_DIR [EMULATOR...] ZELKDMD
# Paths handed to the tool are relative to WORK_DIR, so that they mean the
# same to a Windows program under Wine.
set -uo pipefail
work=$1
shift
tool=("$@")
failures=0
rm -rf "$work" && mkdir -p "$work" && cd "$work" || exit 1

fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

# good/ZelkCapture: 1.bmp a lit screen, 2.bmp an outline around x 1-4, y 1-2.
# gap/ZelkCapture: the same with 4.bmp added, which the gap at 3 hides.
python3 - <<'PY' || exit 1
import os, struct
def bmp(path, art):
    colours = {'.': (0, 0, 0), '#': (255, 255, 255), 'M': (253, 0, 253)}
    w, h = len(art[0]), len(art)
    stride = (w * 3 + 3) // 4 * 4
    rows = b''.join(bytes(c for ch in row for c in reversed(colours[ch])).ljust(stride, b'\0')
                    for row in reversed(art))
    header = struct.pack('<2sIHHIIiiHHIIiiII', b'BM', 54 + len(rows), 0, 0, 54, 40, w, h, 1, 24, 0,
                         len(rows), 2835, 2835, 0, 0)
    with open(path, 'wb') as f:
        f.write(header + rows)
screen = ['........', '.######.', '........', '..####..']
outline = ['MMMMMM..', 'M#...M..', 'M..#.M..', 'MMMMMM..']
for game, numbers in (('good', (1, 2)), ('gap', (1, 2, 4))):
    os.makedirs(game + '/ZelkCapture')
    for n in numbers:
        bmp('%s/ZelkCapture/%d.bmp' % (game, n), outline if n == 2 else screen)
PY

# run ARGS...: stdout, stderr (without the CRs of a Windows program) and the status.
run() {
  "${tool[@]}" "$@" >out.raw 2>err.raw
  echo $? >rc
  tr -d '\r' <out.raw >out
  tr -d '\r' <err.raw >err
}

# expect CODE STREAM TEXT ARGS...: exit CODE and TEXT in STREAM (out or err).
expect() {
  local code=$1 stream=$2 text=$3
  shift 3
  run "$@"
  [ "$(cat rc)" = "$code" ] || fail "exit $(cat rc), expected $code, for: $*: $(cat out err)"
  grep -qF -- "$text" "$stream" || fail "$stream lacks '$text' for: $*: $(cat out err)"
}

expect 0 out "2.bmp: 8x4, region x 1-4, y 1-2 (4x2), 2 dots lit" check good
expect 0 out "2 pictures loaded, matching on; 0 errors, 0 warnings" check good/ZelkCapture
expect 1 out "error: 3.bmp is missing, which ends the set at picture 2: 1 later picture is ignored (4.bmp)" check gap
# 4.BMP after the gap: under the gap where letter case does not count (Windows), misnamed where it does.
cp -r gap gapcase && mv gapcase/ZelkCapture/4.bmp gapcase/ZelkCapture/4.BMP
[ ${#tool[@]} -gt 1 ] && found="1 later picture is ignored (4.BMP)" || found="4.BMP is never loaded: the plug-in asks"
expect 1 out "$found" check gapcase
expect 1 err "is not a folder" check nowhere
expect 2 err "no FOLDER given" check
expect 2 err "unknown option '--bogus'" check --bogus good
expect 2 err "one FOLDER only" check good gap
expect 0 out "usage: zelkdmd check [--json] FOLDER" check --help
expect 0 out "usage: zelkdmd check [--json] FOLDER" check -h
expect 0 out "usage: zelkdmd COMMAND" --help
expect 0 out "zelkdmd " --version
[ ! -s err ] || fail "--version wrote to stderr: $(cat err)"

# Names outside the Windows code page (Greek): arguments, folders, input and
# output files alike, as UTF-8 on Linux and through the wide command line on
# Windows.
cp -r good Ωmega
expect 0 out 'game "Ωmega"' check Ωmega
expect 0 out "1 of frames 1-1 written" frames Ωmega/ZelkCapture/2.bmp --out Ωshots
[ -s Ωshots/000001.bmp ] || fail "frames wrote no Ωshots/000001.bmp: $(ls)"

# A game name in the code page (1252) but outside ASCII reaches the plug-in
# as a host hands it, and finds its folder.
cp -r good café
expect 0 out "1 D1" replay --media-root . --game café café/ZelkCapture/1.bmp

# --json: one document that a tool can walk.
expect 1 out '"usable": false' check --json gap
python3 - <<'PY' || fail "--json shape: $(cat out)"
import json
report = json.load(open('out'))
assert report['game'] == 'gap' and report['loaded'] == 2 and report['matchingOn'] is True, report
assert [p['number'] for p in report['pictures']] == [1, 2], report['pictures']
assert report['pictures'][1]['region'] == {'top': 1, 'left': 1, 'right': 5, 'bottom': 3}
assert 'gap' in [f['kind'] for f in report['findings']]
assert all(set(f) == {'severity', 'kind', 'text'} for f in report['findings'])
PY

if [ ${#tool[@]} = 1 ] && [ -e /dev/full ]; then
  "${tool[@]}" check good >/dev/full 2>err
  [ $? = 1 ] && grep -q "cannot write" err || fail "a report that cannot be written passed"
fi

[ $failures = 0 ] || { echo "$failures check(s) failed" >&2; exit 1; }
echo "zelkdmd check: all checks passed"
