#!/usr/bin/env bash
# Measures both shows against their performance budgets and prints one table.
#
# Builds in Release (build-release), runs demo-bench with repetitions and takes
# medians, renders each whole show offline with demo-capture (no output files)
# and reads its wall time, CPU time and peak memory from GNU time.
#
# Then, side by side on the same demo32 frames (seed 2005): demo-capture --png
# against ffmpeg's PNG encoder, and demo-capture --video against ffmpeg
# encoding the same frames alone with the same settings. ffmpeg reads the
# frames rendered beforehand as one rgb24 file (made from --raw, not timed),
# so its figures are encoding alone; demo-capture's include rendering them.
# For the video ffmpeg also enlarges (nearest neighbour) and converts them
# (BT.709, limited range, 4:2:0) as demo-capture does, and encodes the same
# soundtrack to AAC; both use every core.
#
# With --against, demo-capture --png of this build and of another one run in
# turn on the same frames, whole runs alternating, and the table gives the
# time and the size of the files of each and their ratios; PERF_PNG_LEVELS
# adds runs of this build at those --png-level values.
#
# Usage: tools/perf.sh [--check] [--no-build] [--against REV|FILE]
#   --check       exit with status 1 when a budget is missed
#   --no-build    use the binaries already in build-release
#   --against REV the demo-capture of git revision REV, built in Release into
#                 build-release/against-SHA (kept for the next run), or an
#                 executable FILE
# Environment: PERF_REPS (benchmark repetitions, default 5), PERF_MIN_TIME
# (seconds per repetition, default 0.2), PERF_RENDERS (offline renders of each
# show, default 3), PERF_JOBS (build jobs, default 2), PERF_FRAMES (a demo32
# range A-B for the comparisons of files, default the whole show),
# PERF_ENCODE=0 (leave the comparison with ffmpeg out), PERF_PNG_LEVELS (with
# --against: levels to measure besides the default, e.g. "1 4 9"),
# PERF_PNG_RUNS (with --against: alternating runs of each, default 3).
#
# Frame and music figures are CPU time of the benchmark thread: on a shared
# machine wall time also counts the time other processes held the core. The
# offline renders are judged by wall time as the budget says, with the CPU
# figure beside it.
set -euo pipefail
cd "$(dirname "$0")/.."

check=0
build=1
against=""
usage() {
  echo "usage: tools/perf.sh [--check] [--no-build] [--against REV|FILE]" >&2
  exit 2
}
while [ $# -gt 0 ]; do
  case "$1" in
  --check) check=1 ;;
  --no-build) build=0 ;;
  --against)
    [ $# -ge 2 ] || usage
    against=$2
    shift
    ;;
  *) usage ;;
  esac
  shift
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

# The other demo-capture of --against: a file as it is, a revision built from
# its own sources (git archive) with the same settings.
against_cap=""
against_name=""
if [ -n "$against" ] && [ -f "$against" ] && [ -x "$against" ]; then
  against_cap=$against
  against_name=$against
elif [ -n "$against" ]; then
  sha=$(git rev-parse --verify --quiet "$against^{commit}") || {
    echo "perf: --against $against is neither an executable nor a git revision" >&2
    exit 2
  }
  against_name="$against (${sha:0:7})"
  case $sha in "$against"*) against_name=${sha:0:7} ;; esac
  against_dir="$dir/against-${sha:0:12}"
  against_cap="$against_dir/build/demo-capture"
  if [ ! -x "$against_cap" ]; then
    echo "perf: building demo-capture of $against_name in $against_dir" >&2
    rm -rf "$against_dir"
    mkdir -p "$against_dir/src"
    git archive "$sha" | tar -x -C "$against_dir/src"
    cmake -S "$against_dir/src" -B "$against_dir/build" -DCMAKE_BUILD_TYPE=Release \
      -DDEMO_TESTS=OFF -DDEMO_BENCH=OFF >/dev/null
    cmake --build "$against_dir/build" --target demo-capture -j"$jobs" >/dev/null
  fi
fi

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

# Wall seconds, user + system CPU seconds of the command and its children,
# appended to $work/encode under name (a name measured again gets one line
# per run).
timed() {  # name command...
  local name=$1 start end
  shift
  start=$EPOCHREALTIME
  /usr/bin/time -o "$work/gnu_time" -f '%U %S' "$@" >/dev/null 2>"$work/cmd.err" || {
    cat "$work/cmd.err" >&2
    echo "perf: $name failed" >&2
    exit 1
  }
  end=$EPOCHREALTIME
  read -r user system <"$work/gnu_time"
  echo "$name $(python3 -c "print($end - $start, $user + $system)")" >>"$work/encode"
}
bytes_of() { du -sb --apparent-size "$1" | cut -f1; }

frames_text="whole show"
range=()
if [ -n "${PERF_FRAMES:-}" ]; then
  range=(--frames "$PERF_FRAMES")
  frames_text="frames $PERF_FRAMES"
fi
cap=("$dir/demo-capture" demo32 --seed 2005 "${range[@]}" --quiet)

# One --png run of the demo32 frames; its files' size goes beside its times.
png_run() {  # name demo-capture [option...]
  local name=$1 exe=$2
  shift 2
  rm -rf "$work/png_run"
  timed "$name" "$exe" demo32 --seed 2005 "${range[@]}" --quiet --png "$work/png_run" "$@"
  echo "size $name $(bytes_of "$work/png_run")" >>"$work/encode"
  rm -rf "$work/png_run"
}

if [ -n "$against_cap" ]; then
  runs=${PERF_PNG_RUNS:-3}
  for i in $(seq 1 "$runs"); do
    echo "perf: --png against $against_name ($i/$runs)" >&2
    png_run png_against "$against_cap"
    png_run png_new "$dir/demo-capture"
    for level in ${PERF_PNG_LEVELS:-}; do
      png_run "png_level_$level" "$dir/demo-capture" --png-level "$level"
    done
  done
  echo "against $against_name" >>"$work/encode"
fi

if [ "${PERF_ENCODE:-1}" != 0 ]; then
  if ! command -v ffmpeg >/dev/null 2>&1; then
    echo "perf: ffmpeg is missing; no comparison with it (PERF_ENCODE=0 leaves it out)" >&2
    exit 2
  fi
  echo "perf: demo32 frames for ffmpeg ($frames_text)" >&2
  "${cap[@]}" --raw "$work/raw" --wav "$work/sound.wav"
  # The raw files hold 0x00RRGGBB words in little-endian order: bgr0.
  find "$work/raw" -name 'frame_*.raw' | sort | xargs cat |
    ffmpeg -hide_banner -loglevel error -f rawvideo -pix_fmt bgr0 -s 320x240 -i - \
      -f rawvideo -pix_fmt rgb24 "$work/frames.rgb"
  rm -rf "$work/raw"
  frames=$(($(stat -c %s "$work/frames.rgb") / 230400))
  input=(-f rawvideo -pix_fmt rgb24 -s 320x240 -framerate 60 -i "$work/frames.rgb")

  echo "perf: --png against ffmpeg's PNG encoder ($frames frames)" >&2
  png_run png_ours "$dir/demo-capture"
  png_run png_ours_jobs1 "$dir/demo-capture" --jobs 1
  mkdir "$work/png_ffmpeg"
  timed png_ffmpeg ffmpeg -hide_banner -loglevel error "${input[@]}" -c:v png \
    "$work/png_ffmpeg/%05d.png"
  echo "size png_ffmpeg $(bytes_of "$work/png_ffmpeg")" >>"$work/encode"
  rm -rf "$work/png_ffmpeg"

  echo "perf: --video against ffmpeg alone" >&2
  timed video_ours "${cap[@]}" --video "$work/ours.mkv"
  # The settings demo-capture passes by default: scale 4, CRF 16, its preset.
  preset=$("$dir/demo-capture" --help | sed -n 's/.*--preset NAME.*(default \([a-z]*\)).*/\1/p')
  timed video_ffmpeg ffmpeg -hide_banner -loglevel error "${input[@]}" -i "$work/sound.wav" \
    -vf "scale=1280:960:flags=neighbor:out_color_matrix=bt709:out_range=tv,format=yuv420p" \
    -c:v libx264 -preset "$preset" -crf 16 -color_range tv -colorspace bt709 \
    -color_primaries bt709 -color_trc iec61966-2-1 -c:a aac -b:a 192k "$work/ffmpeg.mkv"
  echo "size video_ours $(bytes_of "$work/ours.mkv")" >>"$work/encode"
  echo "size video_ffmpeg $(bytes_of "$work/ffmpeg.mkv")" >>"$work/encode"
  echo "preset $preset" >>"$work/encode"
  rm -f "$work/frames.rgb" "$work/ours.mkv" "$work/ffmpeg.mkv"
fi

python3 - "$work" "$renders" "$check" "$frames_text" <<'EOF'
import json
import os
import statistics
import sys

work, renders, check = sys.argv[1], int(sys.argv[2]), sys.argv[3] == "1"
frames_text = sys.argv[4]

# Show lengths in seconds: demo32 ends with its song's end mark, demo8 after
# 1568 frames at 25 per second.
SHOW_SECONDS = {"demo32": 8756000 / 44100, "demo8": 1568 / 25}
D32_FRAME_BUDGET_US = 1000
D8_FRAME_BUDGET_US = 500
OFFLINE_BUDGET = {"demo32": 80, "demo8": 300}
SYNTH_BUDGET = 500
# Goals against ffmpeg on the same frames; shown, not counted by --check.
PNG_GOAL = 0.4
VIDEO_GOAL = 1.1
STARTUP_BUDGET_MS = 30

with open(f"{work}/bench.json") as f:
    report = json.load(f)

UNIT_US = {"ns": 1e-3, "us": 1.0, "ms": 1e3, "s": 1e6}
median_us = {}
# One repetition (PERF_REPS=1) gives no aggregates: its single run is the median.
runs_us = {}
for b in report["benchmarks"]:
    if b.get("error_occurred"):
        continue
    us = b["cpu_time"] * UNIT_US[b["time_unit"]]
    if b.get("aggregate_name") == "median":
        median_us[b["run_name"]] = us
    elif b.get("run_type") == "iteration":
        runs_us.setdefault(b["run_name"], []).append(us)
for name, values in runs_us.items():
    median_us.setdefault(name, statistics.median(values))

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

if os.path.exists(f"{work}/encode"):
    runs, sizes, notes = {}, {}, {}
    with open(f"{work}/encode") as f:
        for line in f:
            name, *values = line.split(maxsplit=1 if line.startswith(("against", "preset")) else -1)
            if name == "size":
                sizes[values[0]] = int(values[1])
            elif name in ("against", "preset"):
                notes[name] = values[0].strip()
            else:
                runs.setdefault(name, []).append((float(values[0]), float(values[1])))
    # Medians of the runs of each: wall, CPU.
    enc = {name: (statistics.median(r[0] for r in rs), statistics.median(r[1] for r in rs))
           for name, rs in runs.items()}
    mib = lambda b: f"{b / 2**20:.0f} MiB"

    def measured(name):
        wall, cpu = enc[name]
        return f"{wall:.1f} s wall, {cpu:.1f} s cpu, {mib(sizes[name])}"

    if "against" in notes:
        other = notes["against"]
        count = len(runs["png_new"])
        section(f"demo32 --png, this build against {other} ({frames_text}; median of {count} "
                "alternating runs)")
        rows.append((f"demo-capture --png of {other}", "", "", measured("png_against"), "", ""))
        old_wall, old_size = enc["png_against"][0], sizes["png_against"]
        levels = sorted((n for n in enc if n.startswith("png_level_")),
                        key=lambda n: int(n.rsplit("_", 1)[1]))
        for name in ["png_new"] + levels:
            label = "demo-capture --png" + ("" if name == "png_new" else
                                            f" --png-level {name.rsplit('_', 1)[1]}")
            rows.append((label, "", "", f"{measured(name)}: {enc[name][0] / old_wall:.3f}x the "
                         f"time, {sizes[name] / old_size:.3f}x the files", "", ""))

    if "png_ffmpeg" in enc:
        section(f"demo32 files against ffmpeg on the same frames ({frames_text}; wall s, cpu s)")
        for name, label in (("png_ours", "demo-capture --png"),
                            ("png_ours_jobs1", "demo-capture --png --jobs 1"),
                            ("png_ffmpeg", "ffmpeg -c:v png, rgb24")):
            rows.append((label, "", "", measured(name), "", ""))
        ratio = enc["png_ours"][0] / enc["png_ffmpeg"][0]
        files = sizes["png_ours"] / sizes["png_ffmpeg"]
        rows.append(("--png time / ffmpeg's", "", "", f"{ratio:.2f}x, files {files:.2f}x",
                     f"goal <= {PNG_GOAL}x", "ok" if ratio <= PNG_GOAL else "short"))
        preset = notes["preset"]
        for name, label in (("video_ours", f"demo-capture --video (preset {preset})"),
                            ("video_ffmpeg", "ffmpeg alone, same settings")):
            rows.append((label, "", "", measured(name), "", ""))
        ratio = enc["video_ours"][0] / enc["video_ffmpeg"][0]
        rows.append(("--video time / ffmpeg's", "", "", f"{ratio:.2f}x", f"goal <= {VIDEO_GOAL}x",
                     "ok" if ratio <= VIDEO_GOAL else "short"))

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
