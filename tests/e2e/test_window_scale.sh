#!/usr/bin/env bash
# The window's default size: the largest whole scale, 3 at most, at which the
# window and its frame fit in the desktop's usable area. On a 1366x768 screen
# whose bottom 40 rows are kept for a panel (the usable area is 1366x728), a
# 3x window with its title bar does not fit: both shows open 640x480, and the
# whole framed window lies inside the usable area. A scale the viewer has set
# (SDL12COMPAT_WINDOW_SCALING) is kept even where it does not fit. A program
# that finds no SDL 2 library loaded (as under another SDL 1.2) opens 3x, as
# before. The 3x default on a larger screen is what every other windowed test
# sees.
. "$(dirname "$0")/lib.sh"
XVFB_SCREEN=1366x768x24 start_xvfb
enter_workdir
cat >rc.xml <<'XML'
<?xml version="1.0" encoding="UTF-8"?>
<openbox_config xmlns="http://openbox.org/3.4/rc">
  <margins><top>0</top><bottom>40</bottom><left>0</left><right>0</right></margins>
</openbox_config>
XML
start_window_manager "$WORK/rc.xml"
usable_area() { xprop -root _NET_WORKAREA | sed -E 's/.*= ([0-9]+), ([0-9]+), ([0-9]+), ([0-9]+).*/\1 \2 \3 \4/'; }
usable_area_with_panel() { [ "$(usable_area)" = "0 0 1366 728" ]; }
wait_until "a usable area of 1366x728" usable_area_with_panel
read -r ux uy uw uh < <(usable_area)

# Runs the program in a window until it has shown three frames, then checks
# the size of its visible window and where its frame lies; ends it with Escape.
expect_window() {  # size class [VAR=value...] program args...
  local want=$1 class=$2
  shift 2
  start_app env SDL_AUDIODRIVER=dummy "$@"
  wait_frames 3 || fail "$class ended: $(cat err.txt)"
  # The window that shows the frames (SDL may have replaced the first one).
  focus_window --onlyvisible --class "$class"
  local x y w h left right top bottom
  read -r x y < <(xwininfo -id "$WINDOW_ID" | awk '/Absolute upper-left X/ { x = $NF }
    /Absolute upper-left Y/ { y = $NF } END { print x, y }')
  read -r w h < <(xwininfo -id "$WINDOW_ID" | awk '/Width:/ { w = $NF } /Height:/ { h = $NF }
    END { print w, h }')
  read -r left right top bottom < <(xprop -id "$WINDOW_ID" _NET_FRAME_EXTENTS |
    sed -E 's/.*= ([0-9]+), ([0-9]+), ([0-9]+), ([0-9]+).*/\1 \2 \3 \4/')
  key Escape
  wait_app
  [ "$APP_STATUS" -eq 0 ] || fail "$class: exit status $APP_STATUS: $(cat err.txt)"
  [ "${w}x$h" = "$want" ] || fail "$*: window ${w}x$h, expected $want"
  echo "$*: window ${w}x$h at ($x,$y), frame left $left right $right top $top bottom $bottom"
  if [ "$want" != 960x720 ]; then
    [ $((x - left)) -ge "$ux" ] && [ $((y - top)) -ge "$uy" ] &&
      [ $((x + w + right)) -le $((ux + uw)) ] && [ $((y + h + bottom)) -le $((uy + uh)) ] ||
      fail "$*: the framed window is not inside the usable area ${uw}x$uh at ($ux,$uy)"
  fi
}

expect_window 640x480 demo8 "$DEMO8" w
expect_window 640x480 demo32 "$DEMO32" -window -nosound
expect_window 960x720 demo32 SDL12COMPAT_WINDOW_SCALING=3 "$DEMO32" -window -nosound
# Without SDL 2 in reach (as under another SDL 1.2): 3x, as before.
LD_PRELOAD=$BUILD_DIR/preload/no_sdl2_in_reach.so expect_window 960x720 demo8 "$DEMO8" w
grep -q 'RTLD_NOLOAD) refused' err.txt || fail "the preload library did not act: $(cat err.txt)"
echo "PASS"
