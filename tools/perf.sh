#!/usr/bin/env bash
# Measures both shows against their performance budgets and prints one table.
#
# Builds in Release (build-release), runs demo-bench with repetitions and takes
# medians, renders each whole show offline with demo-capture (no output files)
# and reads its wall time, CPU time and peak memory from GNU time.
#
# Usage: tools/perf.sh [--check] [--no-build]
#   --check     exit with status 1 when a budget is missed
#   --no-build  use the binaries already in build-release
# Environment: PERF_REPS (benchmark repetitions, default 5), PERF_MIN_TIME
# (seconds per repetition, default 0.2), PERF_RENDERS (offline renders of each
# show, default 3), PERF_JOBS (build jobs, default 2).
#
# Frame and music figures are CPU time of the benchmark thread: on a shared
# machine wall time also counts the time other processes held the core. The
# offline renders are judged by wall time as the budget says, with the CPU
# figure beside it.
set -euo pipefail
cd "$(dirname "$0")/.."

check=0
build=1
for arg in "$@"; do
  case "$arg" in
  --check) check=1 ;;
  --no-build) build=0 ;;
  *)
    echo "usage: tools/perf.sh [--check] [--no-build]" >&2
    exit 2
    ;;
  esac
done

reps="${PERF_REPS:-5}"
min_time="${PERF_MIN_TIME:-0.2}"
renders="${PERF_RENDERS:-3}"
jobs="${PERF_JOBS:-2}"
dir="build-release"

if ! /usr/bin/time -f '%M' true >/dev/null 2>&1; then
  echo "perf: GNU time (/usr/bin/time) is missing; run tools/setup.sh" >&2
  exit 2
fi

if [ "$build" = 1 ]; then
  echo "perf: building Release in $dir" >&2
  cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$dir" --target demo-bench demo-capture -j"$jobs" >/dev/null
fi
for exe in demo-bench demo-capture; do
  if [ ! -x "$dir/$exe" ]; then
    echo "perf: $dir/$exe was not built (is Google Benchmark installed?)" >&2
    exit 2
  fi
done

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

echo "perf: benchmarks ($reps repetitions of ${min_time}s each)" >&2
"$dir/demo-bench" --benchmark_repetitions="$reps" --benchmark_min_time="$min_time" \
  --benchmark_report_aggregates_only=true --benchmark_out="$work/bench.json" \
  --benchmark_out_format=json >/dev/null 2>"$work/bench.err" || {
  cat "$work/bench.err" >&2
  exit 1
}

# Per render: wall seconds (bash's microsecond clock; GNU time's has only
# hundredths, too coarse for demo8), then GNU time's user and system CPU
# seconds and peak KiB.
for show in demo32 demo8; do
  seed=()
  if [ "$show" = demo32 ]; then
    seed=(--seed 2005) # the polygon's motion, fixed so runs compare
  fi
  for i in $(seq 1 "$renders"); do
    echo "perf: offline render of $show ($i/$renders)" >&2
    start=$EPOCHREALTIME
    /usr/bin/time -o "$work/gnu_time" -f '%U %S %M' \
      "$dir/demo-capture" "$show" --quiet "${seed[@]}" >/dev/null
    end=$EPOCHREALTIME
    echo "$start $end $(tail -n 1 "$work/gnu_time")" >"$work/time_${show}_$i"
  done
done

python3 - "$work" "$renders" "$check" <<'EOF'
import json
import statistics
import sys

work, renders, check = sys.argv[1], int(sys.argv[2]), sys.argv[3] == "1"

# Show lengths in seconds: demo32 ends with its song's end mark, demo8 after
# 1568 frames at 25 per second.
SHOW_SECONDS = {"demo32": 8756000 / 44100, "demo8": 1568 / 25}
D32_FRAME_BUDGET_US = 1000
D8_FRAME_BUDGET_US = 500
OFFLINE_BUDGET = {"demo32": 80, "demo8": 300}
SYNTH_BUDGET = 500
STARTUP_BUDGET_MS = 30

with open(f"{work}/bench.json") as f:
    report = json.load(f)

UNIT_US = {"ns": 1e-3, "us": 1.0, "ms": 1e3, "s": 1e6}
median_us = {}
for b in report["benchmarks"]:
    if b.get("aggregate_name") == "median" and not b.get("error_occurred"):
        median_us[b["run_name"]] = b["cpu_time"] * UNIT_US[b["time_unit"]]

base = median_us.get("baseline/memcpy_frame")
if not base:
    sys.exit("perf: the memcpy baseline is missing from the benchmark output")

rows = []  # (item, median us, x memcpy, figure, budget, verdict)
missed = []


def us_text(us):
    return f"{us:.3f}" if us < 1 else f"{us:.1f}"


def verdict(ok, item):
    if ok is None:
        return ""
    if not ok:
        missed.append(item)
    return "ok" if ok else "MISS"


def bench_row(name, item, budget_us=None):
    us = median_us.get(name)
    if us is None:
        rows.append((item, "-", "-", "not measured", "", ""))
        return None
    ok = None if budget_us is None else us <= budget_us
    budget = "" if budget_us is None else f"<= {budget_us} us"
    rows.append((item, us_text(us), f"{us / base:.2f}", "", budget, verdict(ok, item)))
    return us


def section(title):
    rows.append((f"-- {title}", "", "", "", "", ""))


section("baseline")
bench_row("baseline/memcpy_frame", "memcpy 320x240x4")

section("demo32 frame pass (step + scene + smear), row 40; wipe: row 60")
d32 = {}
for name in sorted(n for n in median_us if n.startswith("d32_frame/")):
    d32[name] = bench_row(name, name.split("/", 1)[1], D32_FRAME_BUDGET_US)

section("demo8 frames")
d8 = {}
for name in [n for n in median_us if n.startswith("d8_frame/")]:
    d8[name] = bench_row(name, name.split("/", 1)[1], D8_FRAME_BUDGET_US)

section("worst frames")
for label, frames, budget in (("demo32", d32, D32_FRAME_BUDGET_US), ("demo8", d8, D8_FRAME_BUDGET_US)):
    measured = {k: v for k, v in frames.items() if v is not None}
    if measured:
        name = max(measured, key=measured.get)
        us = measured[name]
        rows.append((f"{label} worst: {name.split('/', 1)[1]}", f"{us:.1f}", f"{us / base:.2f}",
                     "", f"<= {budget} us", verdict(us <= budget, f"{label} worst frame")))

section("music, one second of audio")
for name, label, budget in (("music/d32_synth_1s", "demo32 synth_render 44100", SYNTH_BUDGET),
                            ("music/d8_music_1s", "demo8 music_render 22050", None)):
    us = median_us.get(name)
    if us is None:
        rows.append((label, "-", "-", "not measured", "", ""))
        continue
    speed = 1e6 / us
    ok = None if budget is None else speed >= budget
    rows.append((label, f"{us:.1f}", f"{us / base:.2f}", f"{speed:.0f}x real time",
                 "" if budget is None else f">= {budget}x", verdict(ok, label)))

section("effects on their own (no budget; where the frame time goes)")
for name in [n for n in median_us if n.startswith(("d32_effect/", "d8_effect/"))]:
    bench_row(name, name.replace("_effect/", " "))

section("start-up: tables before the first frame")
prepare = median_us.get("startup/d32_prepare_show")
wave = median_us.get("startup/d32_wave_memory")
tables8 = median_us.get("startup/d8_tables")
bench_row("startup/d32_prepare_show", "demo32 prepare_show")
bench_row("startup/d32_wave_memory", "demo32 build_wave_memory")
if prepare is not None and wave is not None:
    total = prepare + wave
    rows.append(("demo32 all tables", f"{total:.1f}", f"{total / base:.2f}", f"{total / 1000:.2f} ms",
                 f"< {STARTUP_BUDGET_MS} ms", verdict(total < STARTUP_BUDGET_MS * 1000, "demo32 start-up")))
if tables8 is not None:
    rows.append(("demo8 polar + wave tables", f"{tables8:.1f}", f"{tables8 / base:.2f}",
                 f"{tables8 / 1000:.2f} ms", f"< {STARTUP_BUDGET_MS} ms",
                 verdict(tables8 < STARTUP_BUDGET_MS * 1000, "demo8 start-up")))

section(f"offline render of the whole show (median of {renders})")
for show in ("demo32", "demo8"):
    runs = []
    for i in range(1, renders + 1):
        with open(f"{work}/time_{show}_{i}") as f:
            start, end, user, system, peak = f.read().split()
        runs.append((float(end) - float(start), float(user) + float(system), int(peak)))
    wall = statistics.median(r[0] for r in runs)
    cpu = statistics.median(r[1] for r in runs)
    peak = max(r[2] for r in runs)
    length = SHOW_SECONDS[show]
    wall_speed = length / wall if wall > 0 else float("inf")
    cpu_speed = length / cpu if cpu > 0 else float("inf")
    budget = OFFLINE_BUDGET[show]
    rows.append((f"{show} demo-capture --quiet", "", "",
                 f"{wall_speed:.0f}x wall ({wall:.2f} s), {cpu_speed:.0f}x cpu",
                 f">= {budget}x", verdict(wall_speed >= budget, f"{show} offline render")))
    rows.append((f"{show} peak memory", "", "", f"{peak / 1024:.1f} MiB max RSS", "", ""))

headers = ("item", "median us", "x memcpy", "figure", "budget", "")
table = [headers] + [r for r in rows if not r[0].startswith("-- ")]
widths = [max(len(str(r[i])) for r in table) for i in range(len(headers))]
for r in [headers] + rows:
    if r[0].startswith("-- "):
        print(r[0])
        continue
    cells = [str(c).rjust(widths[i]) if i in (1, 2) else str(c).ljust(widths[i])
             for i, c in enumerate(r)]
    print("  ".join(cells).rstrip())

ctx = report.get("context", {})
print(f"\nmedians of CPU time over the repetitions; load average at the start "
      f"{ctx.get('load_avg', ['?'])}; {ctx.get('num_cpus', '?')} CPUs")
if missed:
    print("missed: " + ", ".join(missed))
    if check:
        sys.exit(1)
EOF
