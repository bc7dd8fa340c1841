// The yardstick: copying one 320x240 frame of 32-bit pixels. Every other figure
// is also given as a multiple of it, which makes runs on different machines
// (and on a busy one) comparable.
#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include <unistd.h>

#include "bench/bench.h"

namespace bench {

namespace {

constexpr int FRAME_BYTES = 320 * 240 * 4;

alignas(64) uint8_t source_frame[FRAME_BYTES];
alignas(64) uint8_t target_frame[FRAME_BYTES];

void memcpy_frame(benchmark::State &state) {
  for (int i = 0; i < FRAME_BYTES; ++i)
    source_frame[i] = static_cast<uint8_t>(i * 7);
  for (auto _ : state) {
    std::memcpy(target_frame, source_frame, FRAME_BYTES);
    benchmark::DoNotOptimize(target_frame);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * FRAME_BYTES);
}

// CPU seconds per iteration of a run, whatever its display unit. CPU time,
// because on a shared machine real time also counts other processes' turns.
double seconds_per_iteration(const benchmark::BenchmarkReporter::Run &run) {
  return run.GetAdjustedCPUTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
}

// The baseline's time per statistic ("median", ...) and per repetition.
struct BaselineTimes {
  std::map<std::string, double> aggregates;
  std::map<int64_t, double> repetitions;
};
BaselineTimes baseline;

std::vector<benchmark::BenchmarkReporter::Run>
with_multiples(const std::vector<benchmark::BenchmarkReporter::Run> &runs) {
  using Run = benchmark::BenchmarkReporter::Run;
  std::vector<Run> out = runs;
  for (Run &run : out) {
    if (run.error_occurred || run.run_name.function_name != BASELINE_NAME)
      continue;
    if (run.run_type == Run::RT_Aggregate)
      baseline.aggregates[run.aggregate_name] = seconds_per_iteration(run);
    else
      baseline.repetitions[run.repetition_index] = seconds_per_iteration(run);
  }
  for (Run &run : out) {
    if (run.error_occurred)
      continue;
    double reference = 0;
    if (run.run_type == Run::RT_Aggregate) {
      // A spread as a multiple of the baseline's spread would mean nothing.
      if (run.aggregate_name != "mean" && run.aggregate_name != "median")
        continue;
      const auto found = baseline.aggregates.find(run.aggregate_name);
      if (found != baseline.aggregates.end())
        reference = found->second;
    } else {
      const auto found = baseline.repetitions.find(run.repetition_index);
      if (found != baseline.repetitions.end())
        reference = found->second;
    }
    if (reference > 0)
      run.counters["x_memcpy"] = benchmark::Counter(seconds_per_iteration(run) / reference);
  }
  return out;
}

template <typename Base> struct MultipleReporter : Base {
  using Base::Base;
  void ReportRuns(const std::vector<benchmark::BenchmarkReporter::Run> &runs) override {
    Base::ReportRuns(with_multiples(runs));
  }
};

} // namespace

void register_baseline() {
  benchmark::RegisterBenchmark(BASELINE_NAME, memcpy_frame)->Unit(benchmark::kMicrosecond);
}

benchmark::BenchmarkReporter *multiple_console_reporter() {
  // Plain lines (counters as name=value), coloured only on a terminal.
  static MultipleReporter<benchmark::ConsoleReporter> reporter(
      isatty(STDOUT_FILENO) != 0 ? benchmark::ConsoleReporter::OO_Color
                                 : benchmark::ConsoleReporter::OO_None);
  return &reporter;
}

benchmark::BenchmarkReporter *multiple_json_reporter() {
  static MultipleReporter<benchmark::JSONReporter> reporter;
  return &reporter;
}

} // namespace bench
