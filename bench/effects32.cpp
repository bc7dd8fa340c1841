// Each demo32 effect on its own, drawn from the representative state over a
// busy picture.
#include <cmath>

#include "bench/bench.h"
#include "bench/state32.h"
#include "demo32/effects/effects.h"
#include "demo32/text/draw_text.h"
#include "demo32/timeline/corner_sets.h"
#include "demo32/timeline/darken.h"
#include "demo32/timeline/scene_texts.h"
#include "demo32/timeline/sine_scroller.h"

namespace bench {

namespace {

using d32::EffectState;

// Runs draw(pixels, fx) on a copy of the start state; the state is not
// advanced, so every iteration draws the same picture.
template <typename Draw> void effect_benchmark(benchmark::State &state, Draw draw) {
  d32::Show32 &show = show32();
  restore_motion(show.fx, start_fx());
  fill_busy_picture32();
  uint32_t *pixels = surface32();
  for (auto _ : state) {
    draw(pixels, show.fx);
    benchmark::ClobberMemory();
  }
}

// The scene script's wandering polygon: 20 vertices on Lissajous paths.
void polygon_vertices(const EffectState &fx, d32::Vertex (&vertices)[d32::VERTEX_COUNT]) {
  for (int i = 0; i < d32::VERTEX_COUNT; ++i) {
    vertices[i].x =
        static_cast<int32_t>(std::cos(double{fx.polygon.vertex_angle_x[i]}) * 150 + 160);
    vertices[i].y =
        static_cast<int32_t>(std::sin(double{fx.polygon.vertex_angle_y[i]}) * 110 + 120);
  }
}

void effect_tick(benchmark::State &state) {
  d32::Show32 &show = show32();
  restore_motion(show.fx, start_fx());
  // Row 60 of a name position: the wipe and the names both move. The wipe
  // soon rests at its limit and the names run out, which costs the same.
  for (auto _ : state) {
    d32::effect_tick(show.fx, 60, true);
    benchmark::ClobberMemory();
  }
}

void rotozoomer(benchmark::State &state) {
  effect_benchmark(state, [](uint32_t *p, EffectState &fx) { d32::draw_rotozoomer(p, fx.phases); });
}

void quad(benchmark::State &state) {
  effect_benchmark(state, [](uint32_t *p, EffectState &fx) {
    const d32::QuadCorners corners = d32::quad_corners(d32::CornerSet::SLANTED_ROTATION, fx.phases);
    d32::draw_quad(p, corners, 0, 0, d32::SCREEN_WIDTH, d32::SCREEN_HEIGHT);
  });
}

void twister(benchmark::State &state) {
  effect_benchmark(state, [](uint32_t *p, EffectState &fx) {
    d32::draw_twister(p, fx.phases, show32().tables);
  });
}

void name_orbit(benchmark::State &state) {
  effect_benchmark(state, [](uint32_t *p, EffectState &fx) {
    d32::draw_name_orbit(p, fx.phases, fx.names, show32().tables);
  });
}

void polygon(benchmark::State &state) {
  effect_benchmark(state, [](uint32_t *p, EffectState &fx) {
    d32::Vertex vertices[d32::VERTEX_COUNT];
    polygon_vertices(fx, vertices);
    d32::fill_polygon(p, d32::VERTEX_COUNT, vertices, 0x00FF00);
  });
}

// 21 glyphs and their shadows: the glyph drawer as the show uses it.
void sine_scroller(benchmark::State &state) {
  effect_benchmark(state,
                   [](uint32_t *p, EffectState &fx) { d32::draw_sine_scroller(p, fx.scroller); });
}

void credits_text(benchmark::State &state) {
  effect_benchmark(state, [](uint32_t *p, EffectState &) {
    for (const d32::SceneText &line : d32::CREDITS) {
      const int32_t shadow_x = line.x == d32::CENTRED ? d32::CENTRED : line.x + 2;
      d32::draw_text(p, shadow_x, line.y + 2, 0x000000, d32::NO_BACKGROUND, line.text, 0, 319);
      d32::draw_text(p, line.x, line.y, 0xFFFFFF, d32::NO_BACKGROUND, line.text, 0, 319);
    }
  });
}

void boxed_text(benchmark::State &state) {
  effect_benchmark(state, [](uint32_t *p, EffectState &) {
    for (const d32::SceneText &line : d32::NAME_BOXES)
      d32::draw_text(p, d32::CENTRED, line.y, 0xFFFFFF, 0x000000, line.text, 0, 319);
  });
}

void dot_hourglass(benchmark::State &state) {
  effect_benchmark(state,
                   [](uint32_t *p, EffectState &fx) { d32::draw_dot_hourglass(p, fx.phases); });
}

void plasma(benchmark::State &state) {
  effect_benchmark(state, [](uint32_t *p, EffectState &fx) {
    d32::draw_plasma(p, fx.plasma, show32().tables, 0, 239, 0);
  });
}

void lens(benchmark::State &state) {
  effect_benchmark(
      state, [](uint32_t *p, EffectState &fx) { d32::draw_lens(p, fx.phases, show32().lens); });
}

void smear(benchmark::State &state) {
  effect_benchmark(state, [](uint32_t *p, EffectState &) { d32::smear_rows(p); });
}

void darken(benchmark::State &state) {
  effect_benchmark(state, [](uint32_t *p, EffectState &) { d32::darken_frame(p); });
}

} // namespace

void register_effects32() {
  const struct {
    const char *name;
    void (*run)(benchmark::State &);
  } effects[] = {
      {"d32_effect/effect_tick", effect_tick},
      {"d32_effect/rotozoomer", rotozoomer},
      {"d32_effect/quad", quad},
      {"d32_effect/twister", twister},
      {"d32_effect/name_orbit", name_orbit},
      {"d32_effect/polygon", polygon},
      {"d32_effect/sine_scroller", sine_scroller},
      {"d32_effect/credits_text", credits_text},
      {"d32_effect/boxed_text", boxed_text},
      {"d32_effect/dot_hourglass", dot_hourglass},
      {"d32_effect/plasma", plasma},
      {"d32_effect/lens", lens},
      {"d32_effect/smear", smear},
      {"d32_effect/darken", darken},
  };
  for (const auto &e : effects)
    benchmark::RegisterBenchmark(e.name, e.run)->Unit(benchmark::kMicrosecond);
}

} // namespace bench
