#!/usr/bin/env bash
# One case of the zelkdmd replay tests:
#   replay_test.sh CASE ZELKDMD DEMO_DIR EXPECTED_FILE WORK_DIR
# The demo table's recording is 128x32 RGB24; frame k (from 1) shows:
#   63 JACKPOT (trigger 2), 157 ball icon (4), 181 EXTRA BALL and ball icon
#   (3 and 4), 201 GAME OVER (5), 46 a score display that matches nothing.
# The recordings case writes .zdr recordings of those frames by hand.
set -uo pipefail
case_name=$1 zelkdmd=$2 demo=$3 expected_file=$4 work=$5
root=$demo/media/ZelkVideos
capture=$root/zelkdemo/ZelkCapture
recording=$demo/zelkdemo.rgb
frame_bytes=$((128 * 32 * 3))
failures=0
rm -rf "$work" && mkdir -p "$work"

fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

# frames K [COUNT]: COUNT copies of recording frame K on stdout.
frames() {
  local i
  for ((i = 0; i < ${2:-1}; i++)); do
    dd if="$recording" bs=$frame_bytes skip=$(($1 - 1)) count=1 status=none
  done
}

run() { "$zelkdmd" replay "$@" >"$work/out" 2>"$work/err"; echo $? >"$work/rc"; }

# expect_triggers "LINES" ARGS...: exit 0, exactly these stdout lines, quiet stderr.
expect_triggers() {
  local want=$1; shift
  run "$@"
  [ "$(cat "$work/rc")" = 0 ] || fail "exit $(cat "$work/rc") for: $* ($(cat "$work/err"))"
  [ "$(cat "$work/out")" = "$want" ] || fail "for: $*
  expected: $(echo $want)
  got:      $(echo $(cat "$work/out"))"
  [ ! -s "$work/err" ] || fail "stderr not empty for: $*: $(cat "$work/err")"
}

# expect_refusal CODE FRAGMENT ARGS...: exit CODE, nothing on stdout, FRAGMENT on stderr.
expect_refusal() {
  local code=$1 fragment=$2; shift 2
  run "$@"
  [ "$(cat "$work/rc")" = "$code" ] || fail "exit $(cat "$work/rc"), expected $code, for: $*"
  [ ! -s "$work/out" ] || fail "stdout not empty for: $*"
  grep -qF -- "$fragment" "$work/err" || fail "stderr lacks '$fragment' for: $*: $(cat "$work/err")"
}

case $case_name in
demo)
  expect_triggers "$(cat "$expected_file")" --media-root "$root" --game zelkdemo "$recording"
  # A trailing slash on the root and "--" before the files change nothing.
  expect_triggers "$(cat "$expected_file")" --game zelkdemo --media-root "$root/" -- "$recording"
  # The plug-in keeps the part after the last backslash or colon; a VANTOR\
  # name also makes it call B2SInit, which must not show on stdout.
  expect_triggers "$(cat "$expected_file")" --media-root "$root" --game 'VANTOR\zelkdemo' "$recording"
  expect_triggers "$(cat "$expected_file")" --media-root "$root" --game 'C:\Tables\zelkdemo' "$recording"
  # Triggers that cannot be written are a failure, not an empty result.
  "$zelkdmd" replay --media-root "$root" --game zelkdemo "$recording" >/dev/full 2>"$work/err"
  [ $? = 1 ] && grep -q "cannot write" "$work/err" || fail "a failed write to stdout passed"
  "$zelkdmd" replay --help >"$work/out" 2>"$work/err"
  [ $? = 0 ] && grep -q "^usage: zelkdmd replay" "$work/out" || fail "--help"
  ;;

bad_arguments)
  game=(--media-root "$root" --game zelkdemo)
  long_name=$(printf 'g%.0s' {1..128})
  expect_refusal 2 "--media-root DIR is required" --game zelkdemo "$recording"
  expect_refusal 2 "--game NAME is required" --media-root "$root" "$recording"
  expect_refusal 2 "--game NAME is required" --media-root "$root" --game "" "$recording"
  expect_refusal 2 "no FRAME file given" "${game[@]}"
  expect_refusal 2 "unknown option '--bogus'" "${game[@]}" --bogus "$recording"
  expect_refusal 2 "--size needs a value" "${game[@]}" "$recording" --size
  expect_refusal 2 "at most 127 bytes" --media-root "$root" --game "$long_name" "$recording"
  # 127 bytes still reach the plug-in whole: it looks for that folder.
  expect_refusal 1 "/${long_name:1}/ZelkCapture'" --media-root "$root" --game "${long_name:1}" "$recording"
  for size in 0x32 128x0 16385x32 128x16385 128 x32 128x -1x32 128x32x2 axb 128x32.0; do
    expect_refusal 2 "--size '$size'" "${game[@]}" --size "$size" "$recording"
  done
  for reset in abc 1.5 2147483648 -2147483649 "" 0x10; do
    expect_refusal 2 "--match-reset '$reset'" "${game[@]}" --match-reset "$reset" "$recording"
  done
  "$zelkdmd" frobnicate >"$work/out" 2>"$work/err"
  [ $? = 2 ] && grep -q "unknown command 'frobnicate'" "$work/err" || fail "unknown command accepted"
  ;;

unreadable_input)
  game=(--media-root "$root" --game zelkdemo)
  head -c $((frame_bytes - 1)) "$recording" >"$work/short.rgb"
  : >"$work/empty.rgb"
  printf 'BM' >"$work/broken.bmp" && head -c 100 /dev/zero >>"$work/broken.bmp"
  head -c 1000 "$capture/1.bmp" >"$work/truncated.bmp"
  expect_refusal 1 "'$work/missing.rgb': cannot be found" "${game[@]}" "$work/missing.rgb"
  expect_refusal 1 "'$work': is not a regular file" "${game[@]}" "$work"
  expect_refusal 1 "'$work/short.rgb': holds 12287 bytes" "${game[@]}" "$work/short.rgb"
  expect_refusal 1 "is --size right?" "${game[@]}" --size 100x10 "$recording"
  expect_refusal 1 "broken.bmp" "${game[@]}" "$work/broken.bmp"
  expect_refusal 1 "truncated.bmp" "${game[@]}" "$work/truncated.bmp"
  expect_refusal 1 "hold no frames" "${game[@]}" "$work/empty.rgb"
  # Every file is checked before the first frame: a bad last file prints nothing.
  expect_refusal 1 "missing.rgb" "${game[@]}" "$recording" "$work/missing.rgb"
  expect_refusal 1 "--media-root '$work/nowhere' is not a folder" \
    --media-root "$work/nowhere" --game zelkdemo "$recording"
  expect_refusal 1 "no trigger folder" --media-root "$root" --game nosuchgame "$recording"
  mkdir -p "$work/root/badgame/ZelkCapture"
  cp "$work/truncated.bmp" "$work/root/badgame/ZelkCapture/1.bmp"
  expect_refusal 1 "a trigger picture cannot be used" --media-root "$work/root" --game badgame "$recording"
  ;;

bmp_frames)
  game=(--media-root "$root" --game zelkdemo)
  # A trigger picture shown as a frame matches itself (its outline lies
  # outside its region); frames are numbered across all inputs.
  expect_triggers $'1 D2\n3 D1' "${game[@]}" "$capture/2.bmp" "$capture/2.bmp" "$capture/1.bmp"
  frames 63 2 >"$work/jackpot.rgb"
  expect_triggers $'1 D1\n2 D2' "${game[@]}" "$capture/1.bmp" "$work/jackpot.rgb"
  expect_triggers $'1 D3\n2 D4\n3 D5' "${game[@]}" "$capture/3.bmp" "$capture/4.bmp" "$capture/5.bmp"
  ;;

frame_size)
  game=(--media-root "$root" --game zelkdemo)
  # A 256x64 host: the demo's frames in the top-left corner of larger frames.
  for k in 63 201; do
    for ((y = 0; y < 32; y++)); do
      dd if="$recording" bs=384 skip=$(((k - 1) * 32 + y)) count=1 status=none
      head -c 384 /dev/zero
    done
    head -c $((768 * 32)) /dev/zero
  done >"$work/large.rgb"
  expect_triggers $'1 D2\n2 D5' "${game[@]}" --size 256x64 "$work/large.rgb"
  # Frames smaller than the trigger pictures never match.
  frames 63 3 >"$work/jackpot.rgb"
  expect_triggers "" "${game[@]}" --size 128x16 "$work/jackpot.rgb"
  expect_triggers "" "${game[@]}" --size 64x32 "$work/jackpot.rgb"
  ;;

re_arming)
  game=(--media-root "$root" --game zelkdemo)
  frames 63 100 >"$work/jackpot100.rgb"
  frames 63 14 >"$work/jackpot14.rgb"
  frames 63 3 >"$work/jackpot3.rgb"
  # Held on the DMD: sent again on every (N + 1)-th frame, default N = 30.
  expect_triggers $'1 D2\n31 D2\n62 D2\n93 D2' "${game[@]}" "$work/jackpot100.rgb"
  expect_triggers $'1 D2\n31 D2\n62 D2\n93 D2' "${game[@]}" --match-reset 30 "$work/jackpot100.rgb"
  expect_triggers $'1 D2\n6 D2\n12 D2' "${game[@]}" --match-reset 5 "$work/jackpot14.rgb"
  # Below 1: re-armed before every frame.
  expect_triggers $'1 D2\n2 D2\n3 D2' "${game[@]}" --match-reset 0 "$work/jackpot3.rgb"
  expect_triggers $'1 D2\n2 D2\n3 D2' "${game[@]}" --match-reset -1 "$work/jackpot3.rgb"
  # Gone and back without another trigger or a re-arming: not sent again.
  { frames 63; frames 46 10; frames 63 2; } >"$work/back.rgb"
  expect_triggers "1 D2" "${game[@]}" "$work/back.rgb"
  # ... but sent again once re-armed in between.
  expect_triggers $'1 D2\n12 D2' "${game[@]}" --match-reset 5 "$work/back.rgb"
  # Two regions on one frame alternate, so both go out on every frame.
  frames 181 3 >"$work/both.rgb"
  expect_triggers $'1 D3\n1 D4\n2 D3\n2 D4\n3 D3\n3 D4' "${game[@]}" "$work/both.rgb"
  ;;

explain)
  expect_triggers "260 frames replayed, 260 compared with 5 trigger pictures
D1: sent 1 time on frame 41
D2: sent 3 times on frames 63, 93, 124
D3: sent 3 times on frames 181-183
D4: sent 4 times on frames 157, 181-183
D5: sent 2 times on frames 201, 217" --media-root "$root" --game zelkdemo --explain "$recording"
  ;;

sheet)
  game=(--media-root "$root" --game zelkdemo)
  # 13 sends, two tiles a row; the trigger lines stay as they were.
  expect_triggers "$(cat "$expected_file")" "${game[@]}" --sheet "$work/demo.png" "$recording"
  size=$(python3 "$(dirname "$0")/png_size.py" "$work/demo.png") && [ "$size" = 1078x1218 ] ||
    fail "demo sheet: $size"
  # Bounded: 101 sends make 64 tiles (32 rows), and stderr says so.
  { frames 63 100; frames 201; } >"$work/held.rgb"
  run "${game[@]}" --match-reset 0 --sheet "$work/held.png" "$work/held.rgb"
  [ "$(cat "$work/rc")" = 0 ] && [ "$(wc -l <"$work/out")" = 101 ] || fail "held: exit $(cat "$work/rc")"
  grep -qF "the sheet shows 64 of 101 sends, 37 left out" "$work/err" || fail "held: stderr $(cat "$work/err")"
  size=$(python3 "$(dirname "$0")/png_size.py" "$work/held.png") && [ "$size" = 1078x5443 ] ||
    fail "held sheet: $size"
  ;;

recordings)
  game=(--media-root "$root" --game zelkdemo)
  # A recording as the plug-in writes it (docs/recording-format.md): header,
  # then "F" + a frame, "R" + a little-endian count of repeats.
  header() { printf 'ZDR\x1a\x0'"$1"'\x00\x80\x00\x20\x00\x00\x00'; }
  repeat() { printf 'R'"$1"'\x00\x00\x00'; }
  { header 1; printf F; frames 46; printf F; frames 63; repeat '\x30'; repeat '\x33'; } >"$work/game.zdr"
  # 1 score, then JACKPOT held for 1 + 48 + 51 = 100 frames: every repeat is
  # a frame, exactly as the same frames raw.
  held=$'2 D2\n31 D2\n62 D2\n93 D2'
  { frames 46; frames 63 100; } >"$work/game.rgb"
  expect_triggers "$held" "${game[@]}" "$work/game.rgb"
  expect_triggers "$held" "${game[@]}" "$work/game.zdr"
  # Numbering goes on across inputs, whatever their kind.
  expect_triggers $'1 D1\n2 D5\n4 D2\n31 D2\n62 D2\n93 D2' "${game[@]}" "$capture/1.bmp" "$capture/5.bmp" "$work/game.zdr"
  # Cut inside its last record (the plug-in's host died mid-write): the
  # complete records are replayed, with a warning.
  { cat "$work/game.zdr"; printf F; frames 201 | head -c 1000; } >"$work/cut.zdr"
  run "${game[@]}" "$work/cut.zdr"
  [ "$(cat "$work/rc")" = 0 ] && [ "$(cat "$work/out")" = "$held" ] ||
    fail "cut recording: exit $(cat "$work/rc"), $(cat "$work/out")"
  grep -qF "recording '$work/cut.zdr' was cut short" "$work/err" && grep -qF "its 101 complete frames" "$work/err" ||
    fail "no warning for the cut recording: $(cat "$work/err")"
  { header 3; printf F; frames 63; } >"$work/version3.zdr"
  expect_refusal 1 "version3.zdr\" has recording version 3" "${game[@]}" "$work/version3.zdr"
  { header 1; repeat '\x01'; } >"$work/repeat-first.zdr"
  expect_refusal 1 "repeats a frame before its first frame" "${game[@]}" "$work/repeat-first.zdr"
  ;;

*)
  fail "unknown case $case_name"
  ;;
esac

[ $failures = 0 ] || { echo "$failures check(s) failed in case $case_name" >&2; exit 1; }
echo "case $case_name: all checks passed"
