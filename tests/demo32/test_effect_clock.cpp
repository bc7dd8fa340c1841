// The 12 ms animation step and the tables built at start.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>

#include "demo32/effects/effect_state.h"
#include "demo32/effects/random.h"
#include "demo32/timeline/draw_scene.h"
#include "demo32/timeline/scene_texts.h"

using namespace d32;

namespace {

EffectTables &tables() {
  static const auto built = std::make_unique<EffectTables>();
  return *built;
}

std::unique_ptr<EffectState> fresh() {
  auto fx = std::make_unique<EffectState>();
  init_effect_tables(*fx, tables(), 1);
  return fx;
}

} // namespace

TEST(EffectTables, ShadeRampRunsFrom255To64) {
  auto fx = fresh();
  const int32_t expected[40] = {255, 250, 245, 240, 235, 230, 225, 220, 215, 210,
                                206, 201, 196, 191, 186, 181, 176, 171, 166, 161,
                                157, 152, 147, 142, 137, 132, 127, 122, 117, 112,
                                108, 103, 98,  93,  88,  83,  78,  73,  68,  64};
  for (int j = 0; j < 40; ++j)
    EXPECT_EQ(tables().shade_ramp[j], expected[j]) << j;
}

TEST(EffectTables, OscillatorTablesAreTruncatedSinesAboveZero) {
  auto fx = fresh();
  EXPECT_EQ(tables().osc_table[0][0], 40);
  EXPECT_EQ(tables().osc_table[0][256], 80);
  EXPECT_EQ(tables().osc_table[0][512], 40);
  EXPECT_EQ(tables().osc_table[0][768], 0);
  for (int c = 0; c < OSCILLATORS; ++c) {
    const int32_t a = fx->plasma.oscillators[c].amplitude;
    for (int j = 0; j < 1024; ++j) {
      ASSERT_GE(tables().osc_table[c][j], 0);
      ASSERT_LE(tables().osc_table[c][j], 2 * a);
    }
  }
  // Truncation, not rounding: entry 1 of oscillator 5 (A = 60) is 60.36 -> 60.
  EXPECT_EQ(tables().osc_table[5][1], 60);
  EXPECT_EQ(tables().osc_table[5][1023], 59); // 59.63 -> 59
}

TEST(EffectTables, OscillatorGroupsSumTo127) {
  auto fx = fresh();
  for (int s = 0; s < 4; ++s) {
    int sum = 0;
    for (int k = 0; k < 4; ++k)
      sum += fx->plasma.oscillators[4 * s + k].amplitude;
    EXPECT_EQ(sum, 127) << s;
  }
  EXPECT_EQ(fx->plasma.oscillators[8].phase, 721);
  EXPECT_EQ(fx->plasma.oscillators[14].speed, 11);
  EXPECT_EQ(fx->plasma.oscillators[3].step, -17);
}

TEST(EffectTables, VertexMotionFollowsTheDrawOrder) {
  auto fx = std::make_unique<EffectState>();
  init_effect_tables(*fx, tables(), 1234);
  Random random;
  seed_random(random, 1234);
  for (int i = 0; i < VERTEX_COUNT; ++i) {
    const int r1 = next_random(random), r2 = next_random(random);
    const int r3 = next_random(random), r4 = next_random(random);
    EXPECT_EQ(fx->polygon.vertex_speed_x[i], static_cast<float>(((r1 % 500) / 250.0 - 1) / 40.0));
    EXPECT_EQ(fx->polygon.vertex_speed_y[i], static_cast<float>(((r2 % 500) / 250.0 - 1) / 40.0));
    EXPECT_EQ(fx->polygon.vertex_angle_x[i], static_cast<float>((r3 % 500) / 150.0 - 1));
    EXPECT_EQ(fx->polygon.vertex_angle_y[i], static_cast<float>((r4 % 500) / 150.0 - 1));
    EXPECT_GE(fx->polygon.vertex_speed_x[i], -0.025f);
    EXPECT_LE(fx->polygon.vertex_speed_x[i], 0.02495f);
    EXPECT_GE(fx->polygon.vertex_angle_y[i], -1.0f);
    EXPECT_LE(fx->polygon.vertex_angle_y[i], 2.3267f);
  }
}

TEST(EffectTables, NameSlotsAndScrollTextStart) {
  auto fx = fresh();
  for (int k = 0; k < 4; ++k)
    EXPECT_EQ(fx->names.name_slot_text[k], name_list[k]);
  EXPECT_EQ(fx->names.name_slot_phase[0], 0);
  EXPECT_EQ(fx->names.name_slot_phase[3], -1536);
  EXPECT_EQ(fx->names.name_list_index, 3);
  EXPECT_EQ(fx->scroller.scroll_text, scroll_text_1);
}

TEST(NameList, TwentyOneShortLowerCaseNamesOneFiveTimesThenEmpty) {
  int count = 0;
  while (name_list[count] != nullptr)
    ++count;
  ASSERT_EQ(count, 22);
  EXPECT_STREQ(name_list[21], "");
  int most = 0;
  for (int i = 0; i < 21; ++i) {
    const size_t len = std::strlen(name_list[i]);
    EXPECT_GE(len, 3u) << name_list[i];
    EXPECT_LE(len, 8u) << name_list[i];
    for (const char *p = name_list[i]; *p; ++p)
      EXPECT_TRUE(*p >= 'a' && *p <= 'z') << name_list[i];
    int same = 0;
    for (int j = 0; j < 21; ++j)
      same += std::strcmp(name_list[i], name_list[j]) == 0;
    most = std::max(most, same);
  }
  EXPECT_EQ(most, 5);
}

TEST(EffectTick, PhaseCountersStepAndWrapByTheirMasks) {
  auto fx = fresh();
  fx->phases.phase17 = 8190;
  fx->phases.phase29 = 8180;
  fx->phases.phase1 = 2047;
  fx->phases.phase3 = 2046;
  fx->phases.phase4 = 2044;
  fx->phases.phase6 = 2045;
  effect_tick(*fx, 0, scene_at(0).names_orbit);
  EXPECT_EQ(fx->phases.phase17, 15);
  EXPECT_EQ(fx->phases.phase29, 17);
  EXPECT_EQ(fx->phases.phase1, 0);
  EXPECT_EQ(fx->phases.phase3, 1);
  EXPECT_EQ(fx->phases.phase4, 0);
  EXPECT_EQ(fx->phases.phase6, 3);
}

TEST(EffectTick, VertexAnglesAdvanceInSinglePrecision) {
  auto fx = fresh();
  const float x0 = fx->polygon.vertex_angle_x[7], sx = fx->polygon.vertex_speed_x[7];
  effect_tick(*fx, 0, scene_at(0).names_orbit);
  effect_tick(*fx, 0, scene_at(0).names_orbit);
  EXPECT_EQ(fx->polygon.vertex_angle_x[7], (x0 + sx) + sx);
}

TEST(EffectTick, OscillatorPhasesWrapIncludingNegativeSpeeds) {
  auto fx = fresh();
  fx->plasma.oscillators[1].phase = 3;    // speed -7
  fx->plasma.oscillators[0].phase = 1020; // speed 6
  effect_tick(*fx, 0, scene_at(0).names_orbit);
  EXPECT_EQ(fx->plasma.oscillators[1].phase, 1020);
  EXPECT_EQ(fx->plasma.oscillators[0].phase, 2);
}

TEST(EffectTick, ScrollerMovesTwoPixelsAndACharacterEveryEighthTick) {
  auto fx = fresh();
  for (int i = 0; i < 7; ++i)
    effect_tick(*fx, 0, scene_at(0).names_orbit);
  EXPECT_EQ(fx->scroller.scroll_pixel, 14);
  EXPECT_EQ(fx->scroller.scroll_char, 0);
  EXPECT_EQ(fx->scroller.scroll_wave, 21);
  effect_tick(*fx, 0, scene_at(0).names_orbit);
  EXPECT_EQ(fx->scroller.scroll_pixel, 16);
  EXPECT_EQ(fx->scroller.scroll_char, 1);
  // scroll_pixel wraps within 0..255, scroll_wave within 0..159.
  fx->scroller.scroll_pixel = 254;
  fx->scroller.scroll_wave = 158;
  effect_tick(*fx, 0, scene_at(0).names_orbit);
  EXPECT_EQ(fx->scroller.scroll_pixel, 0);
  EXPECT_EQ(fx->scroller.scroll_wave, 1);
}

TEST(EffectTick, ScrollCharCyclesThroughTheTextAndBackToZero) {
  auto fx = fresh();
  static const char text[] = "abcdefghijklmnopqrstuvwxyz"; // 26 characters
  fx->scroller.scroll_text = text;
  int max_seen = 0;
  bool wrapped = false;
  for (int i = 0; i < 8 * 10; ++i) {
    const int before = fx->scroller.scroll_char;
    effect_tick(*fx, 0, scene_at(0).names_orbit);
    max_seen = std::max(max_seen, fx->scroller.scroll_char);
    if (before == 6 && fx->scroller.scroll_char == 0)
      wrapped = true;
  }
  EXPECT_EQ(max_seen, 6); // strlen - 20
  EXPECT_TRUE(wrapped);
}

TEST(EffectTick, WipeFallsOnlyInTheLastEightRows) {
  auto fx = fresh();
  effect_tick(*fx, 55, scene_at(12).names_orbit);
  EXPECT_EQ(fx->wipe.wipe_row, 0);
  EXPECT_EQ(fx->wipe.wipe_pos, 0);
  int first_full = -1;
  for (int tick = 1; tick <= 70; ++tick) {
    effect_tick(*fx, 56, scene_at(12).names_orbit);
    EXPECT_EQ(fx->wipe.wipe_speed, std::min(tick, 100) * 32);
    if (fx->wipe.wipe_row == 239 && first_full < 0)
      first_full = tick;
  }
  EXPECT_EQ(first_full, 62);
  EXPECT_EQ(fx->wipe.wipe_pos, 0xEF00);
  effect_tick(*fx, 0, scene_at(13).names_orbit);
  EXPECT_EQ(fx->wipe.wipe_row, 0);
  EXPECT_EQ(fx->wipe.wipe_speed, 0);
  EXPECT_EQ(fx->wipe.wipe_pos, 0);
}

TEST(EffectTick, NameSlotsTurnOnlyInTheGreetingsPositions) {
  auto fx = fresh();
  effect_tick(*fx, 0, scene_at(15).names_orbit);
  effect_tick(*fx, 0, scene_at(20).names_orbit);
  EXPECT_EQ(fx->names.name_slot_phase[0], 0);
  effect_tick(*fx, 0, scene_at(16).names_orbit);
  EXPECT_EQ(fx->names.name_slot_phase[0], 6);
  EXPECT_EQ(fx->names.name_slot_phase[1], -506);
  effect_tick(*fx, 0, scene_at(19).names_orbit);
  EXPECT_EQ(fx->names.name_slot_phase[0], 12);
}

TEST(EffectTick, SlotWrapsToZeroAndTakesTheNextNameUntilTheEmptyTail) {
  auto fx = fresh();
  fx->names.name_slot_phase[0] = 2046;
  effect_tick(*fx, 0, scene_at(17).names_orbit);
  EXPECT_EQ(fx->names.name_slot_phase[0], 0); // 2052 > 2047 becomes exactly 0
  EXPECT_EQ(fx->names.name_list_index, 4);
  EXPECT_EQ(fx->names.name_slot_text[0], name_list[4]);

  // Run long enough to use the whole list: every slot ends on the empty string.
  for (int i = 0; i < 20000; ++i)
    effect_tick(*fx, 0, scene_at(18).names_orbit);
  EXPECT_EQ(fx->names.name_list_index, 21);
  for (int k = 0; k < 4; ++k)
    EXPECT_STREQ(fx->names.name_slot_text[k], "");
}
