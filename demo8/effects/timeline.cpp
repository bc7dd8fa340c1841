#include "demo8/effects/timeline.h"

#include <cstring>
#include <iterator>

namespace d8 {

namespace {

// The show's phases in order, hard cuts between them.
constexpr Phase PHASES[] = {
    {287, Background::TUNNEL, true},        {575, Background::ROTOZOOMER, true},
    {767, Background::PLASMA, true},        {895, Background::BLACK, true},
    {959, Background::BANDED_RINGS, true},  {1151, Background::BANDED_RINGS, false},
    {1280, Background::XOR_RINGS, false},   {1535, Background::XOR_RINGS, true},
    {LAST_FRAME, Background::BLACK, false},
};

uint8_t *row_at(Surface8 s, int32_t y) {
  return s.pixels + static_cast<intptr_t>(y) * s.pitch;
}

} // namespace

const Phase &phase_at(int32_t t) {
  for (const Phase &phase : PHASES)
    if (t <= phase.last_frame)
      return phase;
  return PHASES[std::size(PHASES) - 1];
}

void draw_frame(Surface8 s, const Tables &tables, SceneState &state, int32_t t, int &running) {
  const Phase &phase = phase_at(t);
  const Background bg = phase.background;

  TunnelParams tunnel{};
  RotozoomParams roto{};
  RingParams rings{};
  if (bg == Background::TUNNEL) {
    // The offsets stay at their last tunnel values for the cubes afterwards.
    tunnel = tunnel_params(t, state.ox, state.oy);
  } else if (bg == Background::ROTOZOOMER) {
    roto = rotozoom_params(t);
  } else if (bg == Background::BANDED_RINGS || bg == Background::XOR_RINGS) {
    rings = ring_params(t);
  }
  // The last frame ends the show, but is still drawn and shown in full.
  if (t >= LAST_FRAME) {
    running = 0;
  }

  int32_t a = 0; // rotozoomer row accumulators
  int32_t b = 0;

  for (int32_t y = 0; y < SCREEN_HEIGHT; ++y) {
    // The accumulators advance on even rows too: odd rows sample every
    // second row of the turned plane.
    a += roto.dv;
    b -= roto.du;
    if (y % 2 == 0) {
      // The fixed gradient that lies under the whole show.
      std::memset(row_at(s, y), y / 2, SCREEN_WIDTH);
      continue;
    }
    const int32_t j = y / 2;
    switch (bg) {
    case Background::TUNNEL:
      draw_tunnel_row(s, tables, j, t, state.ox, state.oy, tunnel);
      break;
    case Background::ROTOZOOMER:
      draw_rotozoom_row(s, y, a, b, roto);
      break;
    case Background::PLASMA:
      draw_plasma_row(s, tables, y, t);
      break;
    case Background::BLACK:
      std::memset(row_at(s, y), 0, SCREEN_WIDTH);
      break;
    case Background::BANDED_RINGS:
      draw_rings_row(s, tables, j, rings, true);
      break;
    case Background::XOR_RINGS:
      draw_rings_row(s, tables, j, rings, false);
      break;
    }
  }

  if (phase.cubes) {
    draw_cubes(s, t, state.ox, state.oy);
  }
  draw_scroller(s, t);
}

} // namespace d8
