#!/usr/bin/env bash
# Both shows as web pages (tools/build-web.sh) in headless Chromium, against
# the desktop build: frames of every song position of demo32 (with and
# without smear, at 60 and 50 frames a second, seeds on both sides of 2^31)
# and of every phase of demo8 hash as demo-capture's raw frames do; both
# whole soundtracks hash as the sample data of demo-capture's WAV files, and
# a request past their end is refused; the index's stills are demo-capture's
# frames; the timing line works without cross-origin isolation.
. "$(dirname "$0")/lib.sh"
web_setup pages

# The desktop's frames: FIRST, FIRST+EVERY, ... up to the show's last frame
# (11,912 at 60 fps, 9,927 at 50), an interval shorter than a song position
# (418 frames at 60 fps, 348 at 50).
captures=()
reference32() {  # name fps seed smear(0/1) first every last
  local name=$1 fps=$2 seed=$3 smear=$4 first=$5 every=$6 last=$7 flag="" query="" label
  label="demo32 seed $seed, $fps fps, smear"
  [ "$smear" = 1 ] || { flag=--no-smear; query="&nosmear"; label="demo32 seed $seed, $fps fps, no smear"; }
  "$DEMO_CAPTURE" demo32 --fps "$fps" --seed "$seed" $flag --frames "$first-$last" --every "$every" \
    --raw "$name" --quiet || fail "demo-capture demo32 ($name)"
  (cd "$name" && sha256sum frame_*.raw) >"$name.sha256"
  local frames
  frames=$(cd "$name" && ls frame_*.raw | sed 's/^frame_0*\([0-9]\)/\1/; s/\.raw$//' | paste -sd,)
  captures+=("{\"label\": \"$label\", \"query\": \"demo32.html?capture=$frames&seed=$seed&fps=$fps$query\", \"expected\": \"$WORK/$name.sha256\"}")
  rm -rf "$name"
}
reference32 smear60 60 7 1 208 209 11912
reference32 sharp60 60 3000000001 0 100 209 11912
reference32 smear50 50 4294967295 1 9 174 9927
reference32 sharp50 50 0 0 90 174 9927

# demo8: every 30th frame, up to its last (1567), meets every phase.
"$DEMO_CAPTURE" demo8 --frames 7-1567 --every 30 --raw d8 --quiet ||
  fail "demo-capture demo8"
(cd d8 && sha256sum frame_*.raw) >d8.sha256
frames8=$(cd d8 && ls frame_*.raw | sed 's/^frame_0*\([0-9]\)/\1/; s/\.raw$//' | paste -sd,)
captures+=("{\"label\": \"demo8\", \"query\": \"demo8.html?capture=$frames8\", \"expected\": \"$WORK/d8.sha256\"}")
rm -rf d8
# The whole soundtracks (a range's sound file holds only that range).
"$DEMO_CAPTURE" demo8 --wav demo8.wav --quiet || fail "demo-capture demo8 --wav"
"$DEMO_CAPTURE" demo32 --seed 1 --wav demo32.wav --quiet || fail "demo-capture demo32 --wav"
# The frames the index's stills may be: demo32 once a second (seed 2005, 60
# fps), demo8 every tenth frame.
"$DEMO_CAPTURE" demo32 --seed 2005 --frames 0-11912 --every 60 --png stills32 --quiet ||
  fail "demo-capture demo32 --png"
"$DEMO_CAPTURE" demo8 --frames 0-1567 --every 10 --png stills8 --quiet ||
  fail "demo-capture demo8 --png"

cat >plan.json <<EOF2
{
  "site": "$site",
  "captures": [$(IFS=,; echo "${captures[*]}")],
  "sounds": [
    {"page": "demo32.html", "wav": "$WORK/demo32.wav", "bytes": 2},
    {"page": "demo8.html", "wav": "$WORK/demo8.wav", "bytes": 1}
  ],
  "stills": {"demo32": "$WORK/stills32", "demo8": "$WORK/stills8"}
}
EOF2
node "$source_dir/tests/web/pages.mjs" plan.json || fail "the pages differ from the desktop build"
echo "PASS"
