#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "demo8/effects/timeline.h"

namespace {

using namespace d8;

constexpr int PITCH = 400; // wider than the picture: bytes 320..399 must stay
constexpr uint8_t UNTOUCHED = 0xAB;

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

  // FNV-1a, 64 bits, of the picture's 320 columns, row by row.
  uint64_t fingerprint() const {
    uint64_t h = 0xcbf29ce484222325u;
    for (int y = 0; y < 240; ++y)
      for (int x = 0; x < 320; ++x) {
        h ^= at(x, y);
        h *= 0x100000001b3u;
      }
    return h;
  }
};

// The first and the last frame of every phase, pinned: a phase that starts a
// frame early or late, a background or cubes where they do not belong, or a
// change in any effect or the scroller shows here. A frame after the tunnel
// is drawn from the offsets the tunnel leaves, which a fresh scene state
// holds. Taken from the timeline whose frames outside checks found exact.
TEST_F(Scene, FirstAndLastFrameOfEveryPhaseArePinned) {
  struct Pin {
    int32_t frame;
    uint64_t fingerprint;
  };
  const Pin pins[] = {
      {0, 0xd57d9de71e3211afu},    {287, 0xd4bb015028531654u},  // tunnel, cubes
      {288, 0x5c612f16844abbbbu},  {575, 0x720514a06f2871e9u},  // rotozoomer, cubes
      {576, 0x44d42e9c906b6602u},  {767, 0x7eb90618faa6a7c6u},  // plasma, cubes
      {768, 0x51dd58d97ce76129u},  {895, 0x7c8f6591ea8bbd15u},  // black, cubes
      {896, 0x631d77804c2732c5u},  {959, 0x5abe058713e6b680u},  // banded rings, cubes
      {960, 0xb10430005d31ebccu},  {1151, 0x13cdf5d36f47b82eu}, // banded rings
      {1152, 0xaa31f8d62572396cu}, {1280, 0x455021974898164eu}, // XOR rings
      {1281, 0xef7c4a0455b9a62du}, {1535, 0x12d9e9249501036fu}, // XOR rings, cubes
      {1536, 0xbfc10e8421cf4825u}, {1567, 0xbfc10e8421cf4825u}, // black, the text gone
  };
  for (const Pin &pin : pins) {
    SceneState state;
    int running = 1;
    draw_frame(surface(), *tables, state, pin.frame, running);
    EXPECT_EQ(fingerprint(), pin.fingerprint) << "frame " << pin.frame;
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
  // The last frame is still drawn in full.
  std::fill(pixels.begin(), pixels.end(), UNTOUCHED);
  int running = 1;
  draw_frame(surface(), *tables, state, 1567, running);
  EXPECT_EQ(running, 0);
  for (int y = 0; y < 240; ++y)
    for (int x = 0; x < 320; ++x)
      ASSERT_NE(at(x, y), UNTOUCHED) << x << "," << y;
}

TEST_F(Scene, OffsetsFollowTheTunnelThenStay) {
  SceneState state;
  draw_without_text(0, state);
  EXPECT_EQ(state.ox, 40);
  EXPECT_EQ(state.oy, 20);
  draw_without_text(287, state);
  EXPECT_EQ(state.ox, 35);
  EXPECT_EQ(state.oy, 15);
  // Later phases leave them alone, and the cubes read them as they are: the
  // same frame from other offsets shows them elsewhere.
  draw_without_text(300, state);
  const std::vector<uint8_t> from_the_tunnel = pixels;
  state = SceneState{1, 2};
  draw_without_text(300, state);
  EXPECT_EQ(state.ox, 1);
  EXPECT_EQ(state.oy, 2);
  int differing = 0;
  for (int y = 0; y < 240; ++y)
    for (int x = 0; x < 320; ++x)
      differing += pixels[y * PITCH + x] != from_the_tunnel[y * PITCH + x];
  EXPECT_GT(differing, 100);
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
