#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "demo32/effects/effects.h"
#include "demo32/text/draw_text.h"
#include "demo32/timeline/corner_sets.h"
#include "demo32/timeline/darken.h"
#include "demo32/timeline/draw_scene.h"
#include "demo32/timeline/scene_texts.h"
#include "demo32/timeline/sine_scroller.h"

namespace {

using d32::CENTRED;
using d32::EffectState;
using d32::NO_BACKGROUND;
using Frame = std::vector<uint32_t>;

// A frame with a different value in every pixel, top byte included.
Frame patterned() {
  Frame f(d32::SCREEN_PIXELS);
  for (size_t i = 0; i < f.size(); ++i)
    f[i] = static_cast<uint32_t>(i * 2654435761u);
  return f;
}

const d32::LensTables &lens_tables() {
  static const auto lens = [] {
    auto l = std::make_unique<d32::LensTables>();
    d32::build_lens_tables(*l);
    return l;
  }();
  return *lens;
}

// The scenes' drawing calls made one by one: the oracle for draw_scene.
void shadowed(Frame &f, const char *text, int32_t x, int32_t y) {
  d32::draw_text(f.data(), x == CENTRED ? x : x + 2, y + 2, 0x000000, NO_BACKGROUND, text, 0, 319);
  d32::draw_text(f.data(), x, y, 0xFFFFFF, NO_BACKGROUND, text, 0, 319);
}
void boxed(Frame &f, const char *text, int32_t y) {
  d32::draw_text(f.data(), CENTRED, y, 0xFFFFFF, 0x000000, text, 0, 319);
}
void polygon(Frame &f, const EffectState &fx) {
  d32::Vertex v[20];
  for (int i = 0; i < 20; ++i)
    v[i] = {static_cast<int32_t>(std::cos(double{fx.polygon.vertex_angle_x[i]}) * 150 + 160),
            static_cast<int32_t>(std::sin(double{fx.polygon.vertex_angle_y[i]}) * 110 + 120)};
  d32::fill_polygon(f.data(), 20, v, 0x00FF00);
}

struct Scene : ::testing::Test {
  std::unique_ptr<EffectState> fx = std::make_unique<EffectState>();
  std::unique_ptr<d32::EffectTables> tables = std::make_unique<d32::EffectTables>();
  d32::ShowClock clock;
  const Frame before = patterned();

  void SetUp() override {
    fx->phases.phase17 = 1234;
    fx->phases.phase29 = 4321;
    fx->phases.phase4 = 777;
    fx->phases.phase6 = 1500;
    for (int i = 0; i < 20; ++i) {
      fx->polygon.vertex_angle_x[i] = 0.3f * static_cast<float>(i);
      fx->polygon.vertex_angle_y[i] = 0.7f * static_cast<float>(i) - 1.0f;
    }
    fx->scroller.scroll_text = d32::scroll_text_2;
    fx->scroller.scroll_char = 5;
    fx->scroller.scroll_pixel = 0x13;
    fx->scroller.scroll_wave = 17;
    for (int k = 0; k < d32::NAME_SLOTS; ++k) {
      fx->names.name_slot_text[k] = d32::name_list[k];
      fx->names.name_slot_phase[k] = 100 + 500 * k;
    }
  }

  Frame run(int32_t position, int32_t row) {
    Frame f = before;
    d32::put(clock.song_position, position);
    d32::put(clock.song_row, row);
    // As the frame pass does: the scene draws, then applies its resets.
    d32::draw_scene(f.data(), *fx, *tables, lens_tables(), clock, position);
    d32::finish_scene(*fx, position);
    return f;
  }
};

TEST(Darken, HalvesColourBytesAndKeepsTheFourth) {
  Frame f(d32::SCREEN_PIXELS, 0x00FFFFFF);
  const uint32_t in[] = {0x00000000, 0xFF010101, 0x12345678, 0x80FE0203, 0x01000100, 0xFFFFFFFF};
  const uint32_t out[] = {0x00000000, 0xFF000000, 0x121A2B3C, 0x807F0101, 0x01000000, 0xFF7F7F7F};
  const int at[] = {0, 1, 4000, 40000, 76798, 76799};
  for (int i = 0; i < 6; ++i)
    f[at[i]] = in[i];
  d32::darken_frame(f.data());
  for (int i = 0; i < 6; ++i)
    EXPECT_EQ(f[at[i]], out[i]) << i;
  EXPECT_EQ(f[100], 0x007F7F7Fu);
  EXPECT_EQ(f[70000], 0x007F7F7Fu);
}

TEST_F(Scene, NothingOutsidePositionsZeroToTwentySeven) {
  for (int32_t position : {28, 29, 63, 1000, -1, INT32_MIN, INT32_MAX}) {
    EXPECT_EQ(run(position, 10), before) << position;
    EXPECT_EQ(fx->scroller.scroll_text, d32::scroll_text_2);
    EXPECT_EQ(fx->scroller.scroll_char, 5);
  }
}

TEST_F(Scene, TeaserBoxesFollowTheRow) {
  const struct {
    int32_t row;
    int boxes;
  } cases[] = {{0, 0}, {16, 0}, {17, 1}, {32, 1}, {33, 2}, {59, 2}, {60, 0}, {63, 0}};
  for (const auto &c : cases) {
    Frame expected = before;
    if (c.boxes >= 1)
      boxed(expected, "yet another", 100);
    if (c.boxes >= 2)
      boxed(expected, "zyrkon malvestra", 116);
    EXPECT_EQ(run(4, c.row), expected) << "row " << c.row;
  }
}

TEST_F(Scene, TeaserBoxesAreSolidCells) {
  const Frame one = run(4, 32), two = run(4, 33);
  // "yet another": 11 cells from column 72; "zyrkon malvestra": 16 from 32.
  auto solid = [](const Frame &f, int x0, int x1, int y0) {
    for (int y = y0; y < y0 + 16; ++y)
      for (int x = x0; x < x1; ++x)
        if (f[y * 320 + x] != 0xFFFFFF && f[y * 320 + x] != 0x000000)
          return false;
    return true;
  };
  EXPECT_TRUE(solid(one, 72, 248, 100));
  EXPECT_FALSE(solid(one, 32, 288, 116));
  EXPECT_TRUE(solid(two, 72, 248, 100));
  EXPECT_TRUE(solid(two, 32, 288, 116));
  EXPECT_EQ(one[100 * 320 + 71], before[100 * 320 + 71]);
}

TEST_F(Scene, TitlesAndCredits) {
  Frame expected = before;
  d32::draw_rotozoomer(expected.data(), fx->phases);
  shadowed(expected, "qobu presents", CENTRED, 100);
  shadowed(expected, "in 2005", CENTRED, 116);
  EXPECT_EQ(run(0, 5), expected);

  expected = before;
  d32::draw_rotozoomer(expected.data(), fx->phases);
  shadowed(expected, "a", CENTRED, 100);
  shadowed(expected, "realtime multimedia", CENTRED, 116);
  shadowed(expected, "presentation", CENTRED, 132);
  EXPECT_EQ(run(1, 5), expected);

  expected = before;
  boxed(expected, "zyrkon malvestra", 80);
  boxed(expected, "part two", 112);
  boxed(expected, "da phunky partiKel", 144);
  EXPECT_EQ(run(5, 5), expected);

  expected = before;
  d32::draw_lens(expected.data(), fx->phases, lens_tables());
  shadowed(expected, "Zyrkon Malvestra", 16, 20);
  shadowed(expected, "part 2", 64, 36);
  shadowed(expected, "Program", 32, 80);
  shadowed(expected, "Design", 32, 96);
  shadowed(expected, "Muzak", 32, 112);
  shadowed(expected, "by. turvelo", 120, 128);
  shadowed(expected, d32::CREDIT_YEAR_LINE, CENTRED, 200);
  shadowed(expected, "qobu", CENTRED, 216);
  EXPECT_EQ(run(27, 5), expected);
}

TEST_F(Scene, PolygonStopsAfterRow47AndTheScrollerRestarts) {
  Frame hourglass = before;
  d32::draw_dot_hourglass(hourglass.data(), fx->phases);
  Frame with_polygon = hourglass;
  polygon(with_polygon, *fx);

  EXPECT_EQ(run(6, 60), with_polygon);
  EXPECT_EQ(run(7, 47), with_polygon);
  EXPECT_EQ(fx->scroller.scroll_text, d32::scroll_text_1);
  EXPECT_EQ(fx->scroller.scroll_char, 0);
  EXPECT_EQ(fx->scroller.scroll_pixel, 0);
  EXPECT_EQ(fx->scroller.scroll_wave, 0);
  EXPECT_EQ(run(7, 48), hourglass);
}

TEST_F(Scene, PolygonVerticesFollowTheAngles) {
  // Five vertices each at the right, bottom, left and top: a diamond
  // reaching columns 10..310 and rows 10..230.
  const float x_angles[4] = {0.0f, 1.5707964f, 3.1415927f, 1.5707964f};
  const float y_angles[4] = {0.0f, 1.5707964f, 0.0f, -1.5707964f};
  for (int i = 0; i < 20; ++i) {
    fx->polygon.vertex_angle_x[i] = x_angles[i / 5];
    fx->polygon.vertex_angle_y[i] = y_angles[i / 5];
  }
  const Frame blank(d32::SCREEN_PIXELS, 0);
  Frame f = blank;
  d32::put(clock.song_position, 7);
  d32::put(clock.song_row, 0);
  d32::draw_scene(f.data(), *fx, *tables, lens_tables(), clock, 7);
  Frame hourglass = blank;
  d32::draw_dot_hourglass(hourglass.data(), fx->phases);
  auto green = [&](int x, int y) { return (f[y * 320 + x] & ~hourglass[y * 320 + x]) == 0x00FF00; };
  for (auto [x, y] : {std::pair{160, 120}, {300, 120}, {20, 120}, {160, 20}, {160, 220}})
    EXPECT_TRUE(green(x, y)) << x << "," << y;
  for (auto [x, y] : {std::pair{5, 120}, {315, 120}, {160, 5}, {160, 235}, {30, 30}, {290, 210}})
    EXPECT_EQ(f[y * 320 + x], hourglass[y * 320 + x]) << x << "," << y;
}

TEST_F(Scene, WarpedTextureScenes) {
  const struct {
    int32_t position;
    d32::CornerSet corners;
    bool polygon_and_scroller;
  } cases[] = {{2, d32::CornerSet::SLANTED_ROTATION, false},
               {3, d32::CornerSet::SLANTED_ROTATION, false},
               {8, d32::CornerSet::SLANTED_ROTATION, true},
               {11, d32::CornerSet::SLANTED_ROTATION, true},
               {20, d32::CornerSet::FOLD, false},
               {21, d32::CornerSet::FOLD, false},
               {22, d32::CornerSet::WANDER, false},
               {23, d32::CornerSet::WANDER, false}};
  for (const auto &c : cases) {
    EXPECT_EQ(d32::scene_at(c.position).corners, c.corners) << c.position;
    Frame expected = before;
    d32::draw_quad(expected.data(), d32::quad_corners(c.corners, fx->phases), 0, 0, 320, 240);
    if (c.polygon_and_scroller) {
      polygon(expected, *fx);
      d32::draw_sine_scroller(expected.data(), fx->scroller);
    }
    EXPECT_EQ(run(c.position, 30), expected) << c.position;
  }
}

TEST_F(Scene, PlasmaWipesAndTheSecondScrollerReset) {
  for (int32_t wipe_row : {0, 1, 150, 239}) {
    fx->wipe.wipe_row = wipe_row;
    for (int32_t set = 0; set < 4; ++set) {
      Frame expected = before;
      d32::draw_plasma(expected.data(), fx->plasma, *tables, wipe_row, 239, set);
      if (set < 3 && wipe_row > 0)
        d32::draw_plasma(expected.data(), fx->plasma, *tables, 0, wipe_row, set + 1);
      EXPECT_EQ(run(12 + set, 60), expected) << "set " << set << " wipe " << wipe_row;
    }
  }
  EXPECT_EQ(fx->scroller.scroll_text, d32::scroll_text_2);
  EXPECT_EQ(fx->scroller.scroll_char, 0);
  EXPECT_EQ(fx->scroller.scroll_pixel, 0);
  EXPECT_EQ(fx->scroller.scroll_wave, 0);
}

TEST_F(Scene, GreetingsAndLens) {
  fx->scroller.scroll_text = d32::scroll_text_1;
  for (int32_t position = 16; position <= 19; ++position) {
    Frame expected = before;
    d32::darken_frame(expected.data());
    d32::draw_dot_hourglass(expected.data(), fx->phases);
    d32::draw_name_orbit(expected.data(), fx->phases, fx->names, *tables);
    d32::draw_sine_scroller(expected.data(), fx->scroller);
    EXPECT_EQ(run(position, 3), expected) << position;
    EXPECT_EQ(fx->scroller.scroll_char, 5); // no reset here
  }
  for (int32_t position = 24; position <= 26; ++position) {
    Frame expected = before;
    d32::draw_lens(expected.data(), fx->phases, lens_tables());
    EXPECT_EQ(run(position, 3), expected) << position;
  }
}

} // namespace
