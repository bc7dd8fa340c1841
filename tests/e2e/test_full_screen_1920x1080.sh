#!/usr/bin/env bash
# Full screen on 1920x1080: both shows at 4x, 1280x960 at (320,60) between
# black borders (full_screen.sh). DEMO_FULLSCREEN_SCALING=fill gives the whole
# height instead, 1440x1080 at (240,0) with pixels 4 and 5 screen pixels
# wide; so does a program that finds no SDL 2 library loaded.
. "$(dirname "$0")/lib.sh"
SCREEN=1920x1080 SCALE=4
. "$(dirname "$0")/full_screen.sh"

demo32_frame demo32_1920x1080_fill DEMO_FULLSCREEN_SCALING=fill
expect_picture demo32_1920x1080_fill fill
# Without SDL 2 in reach (as under another SDL 1.2) the program does as before.
LD_PRELOAD=$BUILD_DIR/preload/no_sdl2_in_reach.so demo8_frame demo8_1920x1080_no_sdl2
grep -q 'RTLD_NOLOAD) refused' err.txt || fail "the preload library did not act: $(cat err.txt)"
expect_picture demo8_1920x1080_no_sdl2 fill
echo "PASS"
