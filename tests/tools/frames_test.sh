#!/usr/bin/env bash
# One case of the tests of `zelkdmd frames` and `zelkdmd replay --explain`
# on small inputs drawn here, natively and under Wine alike:
#   frames_test.sh CASE WORK_DIR ZELKDMD_COMMAND...
# (the command is the tool's path, after the emulator when there is one).
# A frame is 128x32 RGB24; "lit N" lights the first N dots of row 0.
set -uo pipefail
case_name=$1 work=$2
shift 2
zelkdmd=("$@")
here=$(cd "$(dirname "$0")" && pwd)
frame_bytes=$((128 * 32 * 3))
failures=0
rm -rf "$work" && mkdir -p "$work" && cd "$work" || exit 1

fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

# lit N: one frame, its first N dots of row 0 in red 200, green 100, blue 50.
lit() {
  local i
  for ((i = 0; i < $1; i++)); do printf '\310\144\062'; done
  head -c $((frame_bytes - 3 * $1)) /dev/zero
}

# run ARGS...: the tool's exit status in rc, its output (Windows line ends
# made plain) in out and err.
run() {
  "${zelkdmd[@]}" "$@" >out.raw 2>err.raw
  echo $? >rc
  tr -d '\r' <out.raw >out
  tr -d '\r' <err.raw >err
}

# expect CODE "STDOUT" ARGS...: exit CODE and exactly this output.
expect() {
  local code=$1 want=$2
  shift 2
  run "$@"
  [ "$(cat rc)" = "$code" ] || fail "exit $(cat rc), expected $code, for: $* ($(cat err))"
  [ "$(cat out)" = "$want" ] || fail "for: $*
  expected: $want
  got:      $(cat out)"
}

# expect_refusal CODE FRAGMENT ARGS...: exit CODE, FRAGMENT on stderr.
expect_refusal() {
  local code=$1 fragment=$2
  shift 2
  run "$@"
  [ "$(cat rc)" = "$code" ] || fail "exit $(cat rc), expected $code, for: $*"
  grep -qF -- "$fragment" err || fail "stderr lacks '$fragment' for: $*: $(cat err)"
}

files() { (cd "$1" && echo $(ls)); }

case $case_name in
frames)
  { lit 0; lit 1; lit 1; lit 3; lit 0; } >a.rgb
  expect 0 "5 of frames 1-5 written to all" frames a.rgb --out all
  [ "$(files all)" = "000001.bmp 000002.bmp 000003.bmp 000004.bmp 000005.bmp" ] || fail "names: $(files all)"
  # A bottom-up 24-bit BMP of 128x32: frame row 0 is the last row, blue first.
  bmp=all/000004.bmp
  header=$(od -An -tu4 -j18 -N8 "$bmp" | tr -s ' ')
  [ "$(head -c2 "$bmp")" = BM ] && [ "$(stat -c %s "$bmp")" = 12342 ] && [ "$header" = " 128 32" ] &&
    [ "$(od -An -tu2 -j28 -N2 "$bmp" | tr -d ' ')" = 24 ] || fail "BMP header of $bmp"
  [ "$(od -An -tu1 -j$((54 + 31 * 384)) -N12 "$bmp" | tr -s ' ')" = " 50 100 200 50 100 200 50 100 200 0 0 0" ] ||
    fail "BMP pixels of $bmp: $(od -An -tu1 -j$((54 + 31 * 384)) -N12 "$bmp")"
  # A BMP input comes out as it went in, numbered after the frames before it.
  expect 0 "1 of frames 6-6 written to more" frames a.rgb "$bmp" --out more --from 6
  cmp -s more/000006.bmp "$bmp" || fail "a BMP input did not come out unchanged"
  # --changed: frame 3 repeats frame 2; the first frame of a range is always written.
  expect 0 "5 of frames 1-6 written to changed" frames a.rgb "$bmp" --out changed --changed
  [ "$(files changed)" = "000001.bmp 000002.bmp 000004.bmp 000005.bmp 000006.bmp" ] ||
    fail "--changed: $(files changed)"
  expect 0 "1 of frames 2-3 written to range" frames a.rgb --out range --from 2 --to 3 --changed
  expect 0 "1 of frames 3-3 written to range3" frames a.rgb --out range3 --from 3 --to 3 --changed
  [ "$(files range3)" = 000003.bmp ] || fail "--from 3 --changed: $(files range3)"
  # A recording made by the plug-in (docs/recording-format.md): a frame and
  # a record of 2 repeats are 3 frames, and --changed keeps the first.
  { printf 'ZDR\x1a\x01\x00\x80\x00\x20\x00\x00\x00F'; lit 2; printf 'R\x02\x00\x00\x00'; } >game.zdr
  expect 0 "3 of frames 1-3 written to rec" frames game.zdr --out rec
  expect 0 "1 of frames 1-3 written to recchanged" frames game.zdr --out recchanged --changed
  cmp -s rec/000001.bmp rec/000003.bmp &&
    [ "$(od -An -tu1 -j$((54 + 31 * 384)) -N9 rec/000003.bmp | tr -s ' ')" = " 50 100 200 50 100 200 0 0 0" ] ||
    fail "frame 3 of the recording is not its frame"
  # --to past the end stops at the last frame.
  expect 0 "2 of frames 4-5 written to end" frames a.rgb --out end --from 4 --to 99
  # A picture of the range in the folder stops the run before it writes anything.
  expect_refusal 1 "000005.bmp' exists" frames a.rgb --out all --from 5
  expect_refusal 1 "000004.bmp' exists" frames a.rgb "$bmp" --out end --from 4
  [ "$(files end)" = "000004.bmp 000005.bmp" ] || fail "a refused run wrote: $(files end)"
  mkdir upper && : >upper/000002.BMP
  expect_refusal 1 "000002.BMP' exists" frames a.rgb --out upper
  # ... nor one that appears later: 000001.bmp, then 67108863 repeats, the
  # time for a picture of the last frame to appear before it is written.
  printf 'ZDR\x1a\x01\x00\x01\x00\x01\x00\x00\x00F\x01\x02\x03R\xff\xff\xff\x03F\x04\x05\x06' >race.zdr
  # Looked for every 10 ms, asleep in between: the run takes seconds.
  timeout 60 bash -c 'until [ -e race/000001.bmp ]; do sleep 0.01; done; echo old >race/67108865.bmp' &
  expect_refusal 1 "67108865.bmp' appeared while frames were written" frames race.zdr --changed --out race
  wait
  [ "$(cat race/67108865.bmp)" = old ] || fail "a picture that appeared meanwhile was written over"
  # A write that fails (the file size limit standing in for a full disk)
  # says so and leaves no half-written picture behind.
  (trap '' XFSZ && ulimit -f 4 && run frames a.rgb --out full)
  grep -q "Cannot write file" err && ! grep -q appeared err && [ "$(files full)" = "" ] ||
    fail "a failed write: $(cat err) left: $(files full)"
  expect_refusal 1 "--from 7: the inputs hold 6 frames" frames a.rgb "$bmp" --out late --from 7
  expect_refusal 1 "is not a folder" frames a.rgb --out a.rgb
  expect_refusal 1 "cannot be found" frames missing.rgb --out x
  expect_refusal 1 "not a whole number" frames a.rgb --size 100x10 --out x
  expect_refusal 2 "--out DIR is required" frames a.rgb
  expect_refusal 2 "no INPUT file given" frames --out x
  expect_refusal 2 "--from '0'" frames a.rgb --out x --from 0
  expect_refusal 2 "--to 2 comes before --from 3" frames a.rgb --out x --from 3 --to 2
  expect_refusal 2 "unknown option '--bogus'" frames a.rgb --out x --bogus
  [ ! -e x ] && [ ! -e late ] || fail "a refused run made its --out folder"
  run frames --help
  [ "$(cat rc)" = 0 ] && grep -q "^usage: zelkdmd frames" out || fail "frames --help"
  ;;

explain)
  # The authoring loop in small: frames become trigger pictures.
  { lit 0; lit 3; lit 1; lit 1; } >game.rgb
  # Trigger 3 marks a 4x2 region at (1,1) with an outline whose top edge is 6
  # dots and left edge 4 dots long; the region is dark.
  {
    printf '\375\000\375%.0s' 1 2 3 4 5 6
    head -c $((384 - 18)) /dev/zero
    for row in 1 2 3; do printf '\375\000\375'; head -c 381 /dev/zero; done
    head -c $((frame_bytes - 4 * 384)) /dev/zero
  } >marked.rgb
  lit 4 >four.rgb
  head -c $((256 * 64 * 3)) /dev/zero >big.rgb
  expect 0 "4 of frames 1-4 written to shots" frames game.rgb --out shots
  expect 0 "2 of frames 1-2 written to more" frames four.rgb marked.rgb --out more
  expect 0 "1 of frames 1-1 written to big" frames --size 256x64 big.rgb --out big
  mkdir -p root/mini/ZelkCapture
  cp more/000001.bmp root/mini/ZelkCapture/1.bmp
  cp shots/000003.bmp root/mini/ZelkCapture/2.bmp
  cp more/000002.bmp root/mini/ZelkCapture/3.bmp
  cp big/000001.bmp root/mini/ZelkCapture/4.bmp
  game=(replay --media-root root --game mini game.rgb)
  expect 0 $'1 D3\n3 D2\n3 D3\n4 D2\n4 D3' "${game[@]}"
  expect 0 "4 frames replayed, 4 compared with 4 trigger pictures
D1: never sent; nearest frame 2, 1 of its 4096 mask bytes differ
D2: sent 2 times on frames 3-4
D3: sent 3 times on frames 1, 3-4
D4: never sent; its region does not lie inside trigger picture 1, so it never matches" "${game[@]}" --explain
  # Five sends, two tiles a row: a valid PNG of the sheet's size.
  expect 0 $'1 D3\n3 D2\n3 D3\n4 D2\n4 D3' "${game[@]}" --sheet sheet.png
  size=$(python3 "$here/png_size.py" sheet.png) || fail "sheet.png is not a valid PNG"
  [ "$size" = 1078x542 ] || fail "sheet.png is $size"
  expect_refusal 1 "does not exist" "${game[@]}" --sheet nowhere/sheet.png
  expect_refusal 1 "is one of the FRAME files" "${game[@]}" --sheet game.rgb
  expect_refusal 2 "--sheet needs a file name" "${game[@]}" --sheet ""
  cmp -s game.rgb <({ lit 0; lit 3; lit 1; lit 1; }) || fail "a refused sheet replaced a FRAME file"
  ;;

*)
  fail "unknown case $case_name"
  ;;
esac

[ $failures = 0 ] || { echo "$failures check(s) failed in case $case_name" >&2; exit 1; }
echo "case $case_name: all checks passed"
