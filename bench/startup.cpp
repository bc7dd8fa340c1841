// Start-up: every table built before the first frame of each show.

#include "bench/bench.h"
#include "demo32/show/show.h"
#include "demo32/synth/synth.h"
#include "demo8/effects/effects.h"

namespace bench {

namespace {

// Separate from the benchmarks' own prepared show, which must stay put.
d32::Show32 fresh_show;
d32::WaveMemory fresh_wave_memory;
d8::Tables fresh_tables;

void prepare_show32(benchmark::State &state) {
  for (auto _ : state) {
    d32::prepare_show(fresh_show, 2005);
    benchmark::ClobberMemory();
  }
}

void wave_memory32(benchmark::State &state) {
  for (auto _ : state) {
    d32::build_wave_memory(fresh_wave_memory);
    benchmark::ClobberMemory();
  }
}

void tables8(benchmark::State &state) {
  for (auto _ : state) {
    d8::build_polar_tables(fresh_tables);
    d8::build_wave_table(fresh_tables);
    benchmark::ClobberMemory();
  }
}

} // namespace

void register_startup() {
  benchmark::RegisterBenchmark("startup/d32_prepare_show", prepare_show32)
      ->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("startup/d32_wave_memory", wave_memory32)
      ->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("startup/d8_tables", tables8)->Unit(benchmark::kMillisecond);
}

} // namespace bench
