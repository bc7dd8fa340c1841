#!/usr/bin/env bash
# README.md's Performance command, run as written from the top of the
# repository, with the variables the section names set for the least
# precision (one repetition, one render, a short stretch against ffmpeg):
# it builds in Release, measures, and prints one table with a row for every
# budget the section gives and for every song position. The figures are not
# judged here (they are the machine's); that the run completes and reports
# them all is.
. "$(dirname "$0")/lib.sh"
README=${SOURCE_DIR:?}/README.md
LINE="tools/perf.sh"
grep -qxF -- "$LINE" "$README" || fail "README.md no longer shows '$LINE': change it here"
for name in PERF_REPS PERF_MIN_TIME PERF_RENDERS PERF_FRAMES; do
  grep -qF "\`$name" "$README" || fail "README.md no longer names $name: change it here"
done
enter_workdir
trap stop_xvfb EXIT

echo "README: $LINE"
(cd "$SOURCE_DIR" && PERF_REPS=1 PERF_MIN_TIME=0.01 PERF_RENDERS=1 PERF_FRAMES=0-49 eval "$LINE") \
  >table.txt 2>err.txt || fail "'$LINE' failed: $(tail -n 5 err.txt)"
cat table.txt

row() { grep -qE "^$1" table.txt || fail "no row '$1' in the table"; }
for p in $(seq -w 0 28); do row "pos$p "; done
for name in tunnel_cubes rotozoomer_cubes plasma_cubes rings_banded rings_xor_cubes \
  'demo32 worst: ' 'demo8 worst: ' 'demo32 synth_render ' 'demo32 all tables ' \
  'demo8 polar \+ wave tables ' 'demo32 demo-capture --quiet ' 'demo8 demo-capture --quiet ' \
  'demo32 peak memory ' 'demo8 peak memory '; do
  row "$name"
done
# Every budgeted row carries its verdict.
budgeted=$(grep -cE '(<=|>=|<) [0-9]+ ?(us|x|ms) ' table.txt)
verdicts=$(grep -cE '(<=|>=|<) [0-9]+ ?(us|x|ms) +(ok|MISS)$' table.txt)
[ "$budgeted" -ge 40 ] && [ "$budgeted" -eq "$verdicts" ] ||
  fail "$budgeted budgeted rows, $verdicts with a verdict"
if command -v ffmpeg >/dev/null 2>&1; then
  row 'demo-capture --png '
  row 'ffmpeg -c:v png'
  row 'demo-capture --video '
fi
echo "PASS"
