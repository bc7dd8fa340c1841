#!/usr/bin/env bash
# Full screen on 1366x768: both shows at 3x, 960x720 at (203,24) between
# black borders (full_screen.sh). DEMO_FULLSCREEN_SCALING=fill gives the whole
# height instead, 1024x768 at (171,0), a scale of 3.2;
# SDL12COMPAT_SCALE_METHOD=linear smooths the 3x picture.
. "$(dirname "$0")/lib.sh"
SCREEN=1366x768 SCALE=3
. "$(dirname "$0")/full_screen.sh"

demo8_frame demo8_1366x768_fill DEMO_FULLSCREEN_SCALING=fill
expect_picture demo8_1366x768_fill fill
demo32_frame demo32_1366x768_linear SDL12COMPAT_SCALE_METHOD=linear
expect_picture demo32_1366x768_linear linear 3
echo "PASS"
