#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "demo8/effects/timeline.h"

namespace {

using namespace d8;

constexpr int PITCH = 400; // wider than the picture: bytes 320..399 must stay
constexpr uint8_t UNTOUCHED = 0xAB;

enum Bg { TUNNEL, ROTO, PLASMA, BLACK, BANDED, XOR };

struct Scene : ::testing::Test {
  static void SetUpTestSuite() {
    tables = std::make_unique<Tables>();
    build_polar_tables(*tables);
    build_wave_table(*tables);
  }
  static inline std::unique_ptr<Tables> tables;

  std::vector<uint8_t> pixels = std::vector<uint8_t>(PITCH * 240, UNTOUCHED);
  Surface8 surface() { return Surface8{pixels.data(), PITCH}; }
  uint8_t at(int x, int y) const { return pixels[y * PITCH + x]; }

  // Frame t as the scene draws it, then the scroller once more, which inverts
  // its text back and leaves background and cubes.
  void draw_without_text(int32_t t, SceneState &state) {
    int running = 1;
    draw_frame(surface(), *tables, state, t, running);
    draw_scroller(surface(), t);
  }
  void draw_without_text(int32_t t) {
    SceneState state;
    draw_without_text(t, state);
  }

  // The frame composed by hand from its parts: the gradient, the background
  // named, and the cubes if asked for.
  static std::vector<uint8_t> composed(Bg bg, int32_t t, bool cubes) {
    std::vector<uint8_t> px(PITCH * 240, UNTOUCHED);
    Surface8 s{px.data(), PITCH};
    int32_t ox = 35, oy = 15;
    TunnelParams tunnel{};
    if (bg == TUNNEL) {
      tunnel = tunnel_params(t, ox, oy);
    }
    for (int32_t y = 0; y < 240; ++y) {
      uint8_t *row = &px[y * PITCH];
      if (y % 2 == 0) {
        std::fill(row, row + 320, static_cast<uint8_t>(y / 2));
        continue;
      }
      const int32_t j = y / 2;
      switch (bg) {
      case TUNNEL:
        draw_tunnel_row(s, *tables, j, t, ox, oy, tunnel);
        break;
      case ROTO: {
        // Closed form of the accumulators: one step per screen row.
        const RotozoomParams p = rotozoom_params(t);
        draw_rotozoom_row(s, y, (y + 1) * p.dv, -(y + 1) * p.du, p);
        break;
      }
      case PLASMA:
        draw_plasma_row(s, *tables, y, t);
        break;
      case BLACK:
        std::fill(row, row + 320, 0);
        break;
      case BANDED:
      case XOR:
        draw_rings_row(s, *tables, j, ring_params(t), bg == BANDED);
        break;
      }
    }
    if (cubes) {
      draw_cubes(s, t, ox, oy);
    }
    return px;
  }

  bool shows(Bg bg, int32_t t, bool cubes) {
    draw_without_text(t);
    return pixels == composed(bg, t, cubes);
  }
};

TEST_F(Scene, BackgroundPhaseBoundaries) {
  EXPECT_TRUE(shows(TUNNEL, 0, true));
  EXPECT_TRUE(shows(TUNNEL, 287, true));
  EXPECT_TRUE(shows(ROTO, 288, true));
  EXPECT_TRUE(shows(ROTO, 575, true));
  EXPECT_TRUE(shows(PLASMA, 576, true));
  EXPECT_TRUE(shows(PLASMA, 767, true));
  EXPECT_TRUE(shows(BLACK, 768, true));
  EXPECT_TRUE(shows(BLACK, 895, true));
  EXPECT_TRUE(shows(BANDED, 896, true));
  EXPECT_TRUE(shows(BANDED, 1151, false));
  EXPECT_TRUE(shows(XOR, 1152, false));
  EXPECT_TRUE(shows(XOR, 1535, true));
  EXPECT_TRUE(shows(BLACK, 1536, false));
  EXPECT_TRUE(shows(BLACK, 1567, false));
  // The neighbouring phase's effect is really different in those frames.
  EXPECT_FALSE(shows(ROTO, 287, true));
  EXPECT_FALSE(shows(TUNNEL, 288, true));
  EXPECT_FALSE(shows(BLACK, 767, true));
  EXPECT_FALSE(shows(PLASMA, 768, true));
  EXPECT_FALSE(shows(BANDED, 895, true));
  EXPECT_FALSE(shows(XOR, 1151, false));
  EXPECT_FALSE(shows(BANDED, 1152, false));
  EXPECT_FALSE(shows(BLACK, 1535, true));
}

TEST_F(Scene, CubesInTwoStretches) {
  EXPECT_TRUE(shows(BANDED, 959, true));
  EXPECT_FALSE(shows(BANDED, 959, false));
  EXPECT_TRUE(shows(BANDED, 960, false));
  EXPECT_TRUE(shows(XOR, 1280, false));
  EXPECT_TRUE(shows(XOR, 1281, true));
  EXPECT_FALSE(shows(XOR, 1281, false));
  EXPECT_TRUE(shows(BLACK, 1536, false));
}

TEST_F(Scene, RotozoomerAccumulatorsAdvanceOnEveryRow) {
  // Mid-phase, where a mistake in the row stepping would show most.
  for (int32_t t : {300, 421, 500}) {
    EXPECT_TRUE(shows(ROTO, t, true)) << t;
  }
}

TEST_F(Scene, EndOfShowIsGradientOverBlack) {
  draw_without_text(1550);
  for (int y = 0; y < 240; ++y) {
    for (int x = 0; x < 320; ++x) {
      ASSERT_EQ(at(x, y), y % 2 ? 0 : y / 2) << x << "," << y;
    }
  }
}

TEST_F(Scene, RunningIsClearedOnlyInTheLastFrame) {
  SceneState state;
  for (int32_t t : {0, 1535, 1566}) {
    int running = 1;
    draw_frame(surface(), *tables, state, t, running);
    EXPECT_EQ(running, 1) << t;
  }
  int running = 1;
  draw_frame(surface(), *tables, state, 1567, running);
  EXPECT_EQ(running, 0);
  // The last frame is still drawn in full.
  draw_scroller(surface(), 1567);
  EXPECT_EQ(pixels, composed(BLACK, 1567, false));
}

TEST_F(Scene, OffsetsFollowTheTunnelThenStay) {
  SceneState state;
  draw_without_text(0, state);
  EXPECT_EQ(state.ox, 40);
  EXPECT_EQ(state.oy, 20);
  draw_without_text(287, state);
  EXPECT_EQ(state.ox, 35);
  EXPECT_EQ(state.oy, 15);
  // Later phases leave them alone, and the cubes read them as they are.
  state = SceneState{1, 2};
  draw_without_text(300, state);
  EXPECT_EQ(state.ox, 1);
  EXPECT_EQ(state.oy, 2);
  std::vector<uint8_t> expected = composed(ROTO, 300, false);
  draw_cubes(Surface8{expected.data(), PITCH}, 300, 1, 2);
  EXPECT_EQ(pixels, expected);
}

TEST_F(Scene, NeverWritesPastColumn319) {
  SceneState state;
  for (int32_t t : {0, 100, 287, 288, 450, 600, 800, 900, 1000, 1200, 1300, 1535, 1560, 1567}) {
    int running = 1;
    draw_frame(surface(), *tables, state, t, running);
    for (int y = 0; y < 240; ++y) {
      for (int x = 320; x < PITCH; ++x) {
        ASSERT_EQ(at(x, y), UNTOUCHED) << t << " " << x << "," << y;
      }
    }
  }
}

} // namespace
