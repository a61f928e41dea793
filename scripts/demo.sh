#!/usr/bin/env bash
# The main job on any machine: replays the recorded DMD frames of the demo
# table through the plug-in's own matching code and prints every trigger it
# sends to the player. On a fresh Debian 12 machine it first installs what is
# missing (as root, or through sudo), then builds only what it needs.
# Standard output carries zelkdmd's trigger lines only; the explanation goes
# to standard error.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh native >&2
cmake --preset native >/dev/null
cmake --build --preset native -j "$(nproc)" --target zelkdmd demo_data >&2

demo=build/native/demo
zelkdmd=build/native/tools/zelkdmd/zelkdmd
cat >&2 <<EOT

== Demo table "zelkdemo" (drawn by tools/demo/make_demo_game.cpp)
Trigger pictures in $demo/media/ZelkVideos/zelkdemo/ZelkCapture:
  1.bmp MULTIBALL, the whole picture is its region
  2.bmp JACKPOT, 3.bmp EXTRA BALL, 4.bmp a ball icon, 5.bmp GAME OVER: each
        outlines its region in the marker colour 253,0,253; the rest is ignored
Recording $demo/zelkdemo.rgb: 260 frames of 128x32 RGB24
  1-40, 231-260 attract mode, matches nothing
  41-45   MULTIBALL                  -> D1 once
  63-132  JACKPOT held, value counting below it
                                     -> D2 at 63, again at re-arming frames 93, 124
  157-159 ball icon                  -> D4
  170-172 ball icon again, nothing matched in between -> not sent again
  181-183 EXTRA BALL and ball icon   -> D3 and D4 on every frame (they alternate)
  201-230 GAME OVER                  -> D5 at 201, again at re-arming frame 217
  With MATCHRESET 30 the plug-in re-arms the last trigger on every 31st frame.

\$ $zelkdmd replay --media-root $demo/media/ZelkVideos --game zelkdemo --sheet $demo/zelkdemo-sheet.png $demo/zelkdemo.rgb
EOT

output=$(mktemp)
trap 'rm -f "$output"' EXIT
sheet=$demo/zelkdemo-sheet.png
"$zelkdmd" replay --media-root "$demo/media/ZelkVideos" --game zelkdemo --sheet "$sheet" "$demo/zelkdemo.rgb" |
  tee "$output"
if diff -u demo/expected-replay.txt "$output" >&2; then
  echo "== the triggers are those in demo/expected-replay.txt" >&2
else
  echo "== the triggers differ from demo/expected-replay.txt (diff above)" >&2
  exit 1
fi
echo "== every frame a trigger was sent on, its region outlined: $sheet" >&2

cat >&2 <<EOT

== The same replay explained, trigger by trigger
\$ $zelkdmd replay --explain --media-root $demo/media/ZelkVideos --game zelkdemo $demo/zelkdemo.rgb
EOT
"$zelkdmd" replay --explain --media-root "$demo/media/ZelkVideos" --game zelkdemo "$demo/zelkdemo.rgb" >&2
