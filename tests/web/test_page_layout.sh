#!/usr/bin/env bash
# Both pages on screens of every kind in headless Chromium: the picture as
# large as fits in whole device pixels at device pixel ratios from 1 to 3,
# every show pixel a k by k block of the screenshot, above the fold, the page
# scrolling by wheel and touch; full screen and its stand-in; the index's
# pictures unstretched; the accessible name, the line without JavaScript, the
# icon; a page opened from its folder; a missing or broken program reported.
# Screenshots at 1366x657, 390x844 and 844x390 go to BUILD_DIR/web-screens.
. "$(dirname "$0")/lib.sh"
web_setup layout

"$DEMO_CAPTURE" demo8 --frames 100-100 --raw d8 --quiet || fail "demo-capture demo8 --raw"
frame100=$(sha256sum d8/frame_00100.raw | cut -d' ' -f1)

cat >plan.json <<EOF2
{
  "site": "$site",
  "shots": "$shots",
  "frame100": "$frame100"
}
EOF2
node "$source_dir/tests/web/layout.mjs" plan.json || fail "the pages do not fit as they should"
echo "PASS"
