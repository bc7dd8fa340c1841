#!/usr/bin/env bash
# Both pages playing in headless Chromium, as a visitor uses them: the
# picture in step with the sound being heard (placed by what the browser
# really plays, against demo-capture's soundtracks), a hidden page that
# holds, pause, mute, the keys, Play again, Escape, the debug skip, the seed
# link, starting at a moment, no Web Audio, the screen wake lock and demo8's
# console lines. Screenshots of the playing pages go to BUILD_DIR/web-screens.
. "$(dirname "$0")/lib.sh"
web_setup play

# The first 30 s of demo32's music, all of demo8's, and demo8's frame 800.
"$DEMO_CAPTURE" demo32 --frames 0-1800 --wav demo32.wav --quiet || fail "demo-capture demo32 --wav"
"$DEMO_CAPTURE" demo8 --wav demo8.wav --quiet || fail "demo-capture demo8 --wav"
"$DEMO_CAPTURE" demo8 --frames 800-800 --png d8 --quiet || fail "demo-capture demo8 --png"

cat >plan.json <<EOF2
{
  "site": "$site",
  "shots": "$shots",
  "wav32": "$WORK/demo32.wav",
  "wav8": "$WORK/demo8.wav",
  "frame800": "$WORK/d8/frame_00800.png"
}
EOF2
node "$source_dir/tests/web/play.mjs" plan.json || fail "the pages do not play as they should"
echo "PASS"
