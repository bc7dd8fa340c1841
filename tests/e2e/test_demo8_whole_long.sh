#!/usr/bin/env bash
# The whole show of demo8 (1568 frames, about 63 s) in a window under a
# virtual X server: it ends by itself with status 0 and the closing line last,
# and its resident memory stays flat over the run.
# With DEMO8_SHOTS set to a directory, a screenshot of every phase is saved
# there (frame numbers are approximate: the show slides when frames are late).
. "$(dirname "$0")/lib.sh"
start_xvfb
enter_workdir

start=$(date +%s)
SDL_AUDIODRIVER=dummy start_app "$DEMO8" w

if [ -n "${DEMO8_SHOTS:-}" ] && command -v import >/dev/null 2>&1; then
  mkdir -p "$DEMO8_SHOTS"
  # Seconds after start: tunnel, rotozoomer, plasma, black, banded rings
  # (with and without cubes), XOR rings (without and with cubes), black.
  for s in 5 17 27 33 37.5 42 48 56 62.3; do
    sleep_for=$(awk -v s="$s" -v t0="$start" -v now="$(date +%s.%N)" \
      'BEGIN { d = t0 + s - now; print (d > 0 ? d : 0) }')
    sleep "$sleep_for"
    app_running || break
    import -window root "$DEMO8_SHOTS/demo8_${s}s.png" 2>/dev/null
  done
fi

# Resident memory every two seconds until the end. Generous: a loaded machine
# slows the show down, never the other way.
: >rss.txt
while app_running && [ $(($(date +%s) - start)) -le 180 ]; do
  rss=$(awk '/^VmRSS:/ { print $2 }' "/proc/$APP_PID/status" 2>/dev/null)
  [ -n "$rss" ] && echo "$(($(date +%s) - start)) $rss" >>rss.txt
  sleep 2
done
wait_app 5
status=$APP_STATUS
elapsed=$(($(date +%s) - start))

[ "$status" -eq 0 ] || fail "exit status $status, expected 0"
[ "$elapsed" -ge 62 ] || fail "the show lasted only ${elapsed} s; 1568 frames take 62.7 s or more"
printf 'Kurppana tykk\xe4\xe4 kebabista. Niin min\xe4kin.\n' >expected_last
tail -n 1 out.txt | cmp -s - expected_last || fail "the closing line is not the last line"
# After the first seconds (window, tables, audio) the show allocates nothing.
settled=$(awk '$1 >= 6 { print $2 }' rss.txt)
[ "$(wc -l <<<"$settled")" -ge 10 ] || fail "too few memory samples: $(tr '\n' ' ' <rss.txt)"
base=$(head -n 1 <<<"$settled")
peak=$(sort -n <<<"$settled" | tail -n 1)
[ $((peak - base)) -le 4096 ] || fail "resident memory grew from $base kB to $peak kB"
echo "PASS (${elapsed} s; resident memory $base kB after 6 s, peak $peak kB)"
