// The show's timeline: which background the odd rows carry in frame t, when
// the cubes float over it, and the scroller over everything.
#include <cstring>

#include "demo8/shell/scene.h"

namespace d8 {

namespace {

enum class Background { TUNNEL, ROTOZOOMER, PLASMA, BLACK, BANDED_RINGS, XOR_RINGS };

Background background_at(int32_t t) {
  if (t <= 287)
    return Background::TUNNEL;
  if (t <= 575)
    return Background::ROTOZOOMER;
  if (t <= 767)
    return Background::PLASMA;
  if (t <= 895)
    return Background::BLACK;
  if (t <= 1151)
    return Background::BANDED_RINGS;
  if (t <= 1535)
    return Background::XOR_RINGS;
  return Background::BLACK;
}

bool cubes_at(int32_t t) {
  return t <= 959 || (t >= 1281 && t <= 1535);
}

uint8_t *row_at(Surface8 s, int32_t y) {
  return s.pixels + static_cast<intptr_t>(y) * s.pitch;
}

} // namespace

void draw_frame(Surface8 s, const Tables &tables, SceneState &state, int32_t t, int &running) {
  const Background bg = background_at(t);

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

  if (cubes_at(t)) {
    draw_cubes(s, t, state.ox, state.oy);
  }
  draw_scroller(s, t);
}

} // namespace d8
