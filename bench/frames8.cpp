// Whole demo8 frames, one per phase of the timeline (and per stretch with and
// without the cubes): background rows, cubes and the scroller.
#include "bench/bench.h"
#include "bench/state8.h"
#include "demo8/effects/timeline.h"

namespace bench {

namespace {

void frame_benchmark(benchmark::State &state, int32_t t) {
  const d8::Tables &tables = tables8();
  const d8::Surface8 s = surface8();
  d8::SceneState scene;
  int running = 1;
  // Frames after the tunnel use its last offsets, as the show leaves them.
  if (t > 287)
    d8::tunnel_params(287, scene.ox, scene.oy);
  for (auto _ : state) {
    d8::draw_frame(s, tables, scene, t, running);
    benchmark::ClobberMemory();
  }
}

} // namespace

void register_frames8() {
  const struct {
    const char *name;
    int32_t t;
  } frames[] = {
      {"d8_frame/tunnel_cubes", 200},
      {"d8_frame/rotozoomer_cubes", 400},
      {"d8_frame/plasma_cubes", 700},
      {"d8_frame/black_cubes", 800},
      {"d8_frame/rings_banded_cubes", 920},
      {"d8_frame/rings_banded", 1000},
      {"d8_frame/rings_xor", 1200},
      {"d8_frame/rings_xor_cubes", 1400},
      {"d8_frame/black", 1550},
  };
  for (const auto &f : frames)
    benchmark::RegisterBenchmark(f.name, frame_benchmark, f.t)->Unit(benchmark::kMicrosecond);
}

} // namespace bench
