#pragma once
// Shared pieces of demo-bench: the registration of each group of benchmarks
// (main registers them in a fixed order, the memcpy baseline first) and the
// reporters that express every figure as a multiple of that baseline.
#include <benchmark/benchmark.h>

namespace bench {

// Name of the baseline benchmark: one 320x240x4 frame copied with memcpy.
inline constexpr const char *BASELINE_NAME = "baseline/memcpy_frame";

void register_baseline();
void register_effects32();
void register_frames32();
void register_effects8();
void register_frames8();
void register_music();
void register_startup();

// Console and JSON reporters that add the counter "x_memcpy": the run's CPU
// time per iteration divided by the baseline's: a mean or median by the
// baseline's mean or median, a single repetition by the same repetition.
benchmark::BenchmarkReporter *multiple_console_reporter();
benchmark::BenchmarkReporter *multiple_json_reporter();

} // namespace bench
