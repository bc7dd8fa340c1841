#!/usr/bin/env bash
# Hostile command lines for the real programs under Xvfb: empty, huge and
# non-ASCII arguments. demo8 looks only at the first character of its first
# argument ('w': a window); demo32 only at whole switches. Each run must pick
# the right mode, show its window and end normally on Escape.
# A single argument can be at most 128 KiB on Linux (MAX_ARG_STRLEN), so the
# "1 MB command line" is eight arguments just under that size.
. "$(dirname "$0")/../e2e/lib.sh"
start_xvfb
enter_workdir
export SDL_AUDIODRIVER=dummy SDL12COMPAT_WINDOW_SCALING=3

HUGE=$(head -c 131000 /dev/zero | tr '\0' 'x')
HIGH=$(printf '\xff\xfe\xe4\xf6\x80\xa0')
MEGABYTE=()
for i in 1 2 3 4 5 6 7 8; do MEGABYTE+=("$HUGE$i"); done

# Starts the program (optionally under another argv[0]), finds its mapped
# window and reports "window" or "full" from what SDL made of the request:
# the compatibility layer opens a window 3x the surface, while a full-screen
# request on Xvfb (which has no 320x240 mode to switch to) gets a window of
# the surface's own size.
mode_of_run() {  # class argv0 program args...
  local class=$1 argv0=$2
  shift 2
  if [ -n "$argv0" ]; then
    start_app bash -c 'exec -a "$0" "$@"' "$argv0" "$@"
  else
    start_app "$@"
  fi
  focus_window --onlyvisible --class "$class"
  xdotool mousemove --window "$WINDOW_ID" 20 20
  wait_frames 3 || fail "$class ended before Escape: $(cat out.txt err.txt)"
  # The window that shows the frames (SDL may have replaced the first one).
  focus_window --onlyvisible --class "$class"
  local geometry
  geometry=$(xdotool getwindowgeometry "$WINDOW_ID" | sed -n 's/.*Geometry: //p')
  key Escape
  wait_app
  [ "$APP_STATUS" -eq 0 ] || fail "$class: exit status $APP_STATUS: $(cat err.txt)"
  case $geometry in
  960x720) MODE=window ;;
  320x240) MODE=full ;;
  *) fail "$class: cannot tell the mode from a window of $geometry" ;;
  esac
}

expect_demo8() {  # mode description args...
  local want=$1 what=$2
  shift 2
  mode_of_run demo8 "" "$DEMO8" "$@"
  [ "$MODE" = "$want" ] || fail "demo8 $what: $MODE, expected $want"
  tail -n 1 out.txt | cmp -s - <(printf 'Kurppana tykk\xe4\xe4 kebabista. Niin min\xe4kin.\n') ||
    fail "demo8 $what: no closing line"
  echo "demo8 $what: $MODE"
}

expect_demo8 full "empty first argument" "" w
expect_demo8 window "'w' and 131 KB" "w$HUGE"
expect_demo8 full "bytes above 0x7F" "$HIGH" w
expect_demo8 window "'w' then bytes above 0x7F" "w$HIGH"
expect_demo8 full "upper-case W" W
expect_demo8 full "1 MB after an 'x'" x "${MEGABYTE[@]}" w

# demo32 says which mode it got: a full-screen surface's flags are negative.
expect_demo32() {  # mode description argv0 args...
  local want=$1 what=$2 argv0=$3
  shift 3
  mode_of_run demo32 "$argv0" "$DEMO32" "$@"
  local flags
  flags=$(sed -n '1s/^vidmode flags (\(-\{0,1\}[0-9]*\)): .*/\1/p' out.txt)
  [ -n "$flags" ] || fail "demo32 $what: no flags line: $(head -n 1 out.txt)"
  if [ "$flags" -lt 0 ]; then got=full; else got=window; fi
  [ "$got" = "$want" ] && [ "$MODE" = "$want" ] ||
    fail "demo32 $what: flags $flags, window $MODE, expected $want"
  grep -q LAMER out.txt && fail "demo32 $what: failure line"
  echo "demo32 $what: $MODE"
}

expect_demo32 window "switches among huge, empty and high-byte arguments" "" \
  "$HUGE" "" -nosound "$HIGH" -window "-window$HIGH"
expect_demo32 full "near misses only" "" -WINDOW -Window -window2 " -window" "" "$HIGH" -nosound
expect_demo32 window "switches after 1 MB" "" "${MEGABYTE[@]}" -window -nosound
expect_demo32 full "-window as the program's own name" "-window" -nosound
echo "PASS"
