// Each demo8 effect on its own: a background is all 120 odd rows of one frame
// in its phase, the cubes and the scroller draw over a full frame.
#include <cstring>

#include "bench/bench.h"
#include "bench/state8.h"
#include "demo8/effects/timeline.h"

namespace bench {

namespace {

constexpr int32_t TUNNEL_T = 200; // k1 already large: strong twist
constexpr int32_t ROTOZOOM_T = 400;
constexpr int32_t PLASMA_T = 700;
constexpr int32_t BANDED_RINGS_T = 1000;
constexpr int32_t XOR_RINGS_T = 1300;
constexpr int32_t CUBES_T = 100;
constexpr int32_t SCROLLER_T = 800;

// A whole frame t to draw over.
void fill_frame8(int32_t t) {
  d8::SceneState scene;
  int running = 1;
  d8::draw_frame(surface8(), tables8(), scene, t, running);
}

void tunnel(benchmark::State &state) {
  const d8::Tables &tables = tables8();
  const d8::Surface8 s = surface8();
  int32_t ox = 0;
  int32_t oy = 0;
  const d8::TunnelParams p = d8::tunnel_params(TUNNEL_T, ox, oy);
  for (auto _ : state) {
    for (int32_t j = 0; j < d8::SCREEN_HEIGHT / 2; ++j)
      d8::draw_tunnel_row(s, tables, j, TUNNEL_T, ox, oy, p);
    benchmark::ClobberMemory();
  }
}

void rotozoomer(benchmark::State &state) {
  const d8::Surface8 s = surface8();
  for (auto _ : state) {
    // Parameters included: they are computed once per frame.
    const d8::RotozoomParams p = d8::rotozoom_params(ROTOZOOM_T);
    int32_t a = 0;
    int32_t b = 0;
    for (int32_t y = 0; y < d8::SCREEN_HEIGHT; ++y) {
      a += p.dv;
      b -= p.du;
      if (y % 2 == 1)
        d8::draw_rotozoom_row(s, y, a, b, p);
    }
    benchmark::ClobberMemory();
  }
}

void plasma(benchmark::State &state) {
  const d8::Tables &tables = tables8();
  const d8::Surface8 s = surface8();
  for (auto _ : state) {
    for (int32_t y = 1; y < d8::SCREEN_HEIGHT; y += 2)
      d8::draw_plasma_row(s, tables, y, PLASMA_T);
    benchmark::ClobberMemory();
  }
}

void rings(benchmark::State &state, int32_t t, bool banded) {
  const d8::Tables &tables = tables8();
  const d8::Surface8 s = surface8();
  for (auto _ : state) {
    const d8::RingParams p = d8::ring_params(t);
    for (int32_t j = 0; j < d8::SCREEN_HEIGHT / 2; ++j)
      d8::draw_rings_row(s, tables, j, p, banded);
    benchmark::ClobberMemory();
  }
}

void rings_banded(benchmark::State &state) {
  rings(state, BANDED_RINGS_T, true);
}
void rings_xor(benchmark::State &state) {
  rings(state, XOR_RINGS_T, false);
}

void cubes(benchmark::State &state) {
  fill_frame8(CUBES_T);
  int32_t ox = 0;
  int32_t oy = 0;
  d8::tunnel_params(CUBES_T, ox, oy);
  const d8::Surface8 s = surface8();
  for (auto _ : state) {
    d8::draw_cubes(s, CUBES_T, ox, oy);
    benchmark::ClobberMemory();
  }
}

// One large triangle across most of the screen, the filler's worst case.
void fill_triangle(benchmark::State &state) {
  fill_frame8(CUBES_T);
  const d8::Surface8 s = surface8();
  for (auto _ : state) {
    d8::fill_triangle(s, 10, 5, 310, 120, 40, 235, 0x807F);
    benchmark::ClobberMemory();
  }
}

void scroller(benchmark::State &state) {
  fill_frame8(SCROLLER_T);
  const d8::Surface8 s = surface8();
  for (auto _ : state) {
    d8::draw_scroller(s, SCROLLER_T);
    benchmark::ClobberMemory();
  }
}

} // namespace

void register_effects8() {
  const struct {
    const char *name;
    void (*run)(benchmark::State &);
  } effects[] = {
      {"d8_effect/tunnel", tunnel},
      {"d8_effect/rotozoomer", rotozoomer},
      {"d8_effect/plasma", plasma},
      {"d8_effect/rings_banded", rings_banded},
      {"d8_effect/rings_xor", rings_xor},
      {"d8_effect/cubes", cubes},
      {"d8_effect/fill_triangle", fill_triangle},
      {"d8_effect/scroller", scroller},
  };
  for (const auto &e : effects)
    benchmark::RegisterBenchmark(e.name, e.run)->Unit(benchmark::kMicrosecond);
}

} // namespace bench
