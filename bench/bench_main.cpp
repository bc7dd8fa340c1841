// demo-bench: the cost of every effect, every frame of both shows, the music
// renderers and start-up, next to the cost of copying one frame.
#include <cstring>

#include "bench/bench.h"

int main(int argc, char **argv) {
  // Google Benchmark runs benchmarks in registration order; registering here
  // rather than from static initialisers fixes that order across files.
  bench::register_baseline();
  bench::register_effects32();
  bench::register_frames32();
  bench::register_effects8();
  bench::register_frames8();
  bench::register_music();
  bench::register_startup();

  // A file reporter of our own is only allowed when --benchmark_out names a file.
  bool has_out = false;
  for (int i = 1; i < argc; ++i)
    has_out = has_out || std::strncmp(argv[i], "--benchmark_out=", 16) == 0;

  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv))
    return 1;
  benchmark::RunSpecifiedBenchmarks(bench::multiple_console_reporter(),
                                    has_out ? bench::multiple_json_reporter() : nullptr);
  benchmark::Shutdown();
  return 0;
}
