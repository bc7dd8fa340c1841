#!/usr/bin/env bash
# Full screen on 1920x1080: both shows at 4x, 1280x960 at (320,60) between
# black borders (full_screen.sh). DEMO_FULLSCREEN_SCALING=fill gives the whole
# height instead, 1440x1080 at (240,0) with pixels 4 and 5 screen pixels wide.
. "$(dirname "$0")/lib.sh"
SCREEN=1920x1080 SCALE=4
. "$(dirname "$0")/full_screen.sh"

demo32_frame demo32_1920x1080_fill DEMO_FULLSCREEN_SCALING=fill
expect_picture demo32_1920x1080_fill fill
echo "PASS"
