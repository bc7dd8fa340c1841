// The whole frame pass of demo32 at every song position: one effect step, the
// scene and the smear filter, as the show loop runs it.
#include <cstdio>
#include <string>

#include "bench/bench.h"
#include "bench/state32.h"
#include "demo32/show/plain_platform.h"

namespace bench {

namespace {

constexpr int32_t MIDDLE_ROW = 40; // both boxes of position 4, the polygon of 7
constexpr int32_t WIPE_ROW = 60;   // the wipe runs on rows 56..63
constexpr int WARM_FRAMES = 3;

// Wipe state 42 steps into a pattern end: the next step brings wipe_row to
// 118, so about half of the screen shows each plasma set.
constexpr int32_t WIPE_STEPS_DONE = 42;
constexpr int32_t WIPE_SPEED = 32 * WIPE_STEPS_DONE;
constexpr int32_t WIPE_POS = 16 * WIPE_STEPS_DONE * (WIPE_STEPS_DONE + 1);

struct FrameCase {
  int32_t position;
  bool wipe;
};

void set_moment(d32::EffectState &fx, bool wipe) {
  restore_motion(fx, start_fx());
  if (wipe) {
    fx.wipe.wipe_speed = WIPE_SPEED;
    fx.wipe.wipe_pos = WIPE_POS;
  }
}

void frame_benchmark(benchmark::State &state, FrameCase c) {
  d32::Show32 &show = show32();
  show.smear_enabled = 1;
  show.debug_mode = 0;
  d32::ShowClock clock;
  d32::put(clock.song_position, c.position);
  d32::put(clock.song_row, c.wipe ? WIPE_ROW : MIDDLE_ROW);
  d32::PlainScreen screen{surface32()};
  const d32::Platform32 platform = d32::plain_platform(screen);
  // Every pass one step on: one effect step and a frame, as at full speed.
  const auto one_pass = [&] {
    screen.now = show.step_clock + d32::STEP_MS;
    d32::show_pass(show, clock, platform);
  };

  // What the position draws over: a busy picture and a few of its own frames.
  fill_busy_picture32();
  for (int i = 0; i < WARM_FRAMES; ++i) {
    set_moment(show.fx, c.wipe);
    one_pass();
  }
  for (auto _ : state) {
    // Back to the same moment each time, so the names never run out and the
    // wipe never settles; the copy is a few hundred bytes.
    set_moment(show.fx, c.wipe);
    one_pass();
    benchmark::ClobberMemory();
  }
  if (c.wipe)
    state.SetLabel("wipe_row " + std::to_string(show.fx.wipe.wipe_row));
}

} // namespace

void register_frames32() {
  for (int32_t p = 0; p < d32::SONG_POSITIONS; ++p) {
    for (bool wipe : {false, true}) {
      if (wipe && (p < 12 || p > 15))
        continue;
      char name[40];
      std::snprintf(name, sizeof name, "d32_frame/pos%02d%s", static_cast<int>(p),
                    wipe ? "_wipe" : "");
      benchmark::RegisterBenchmark(name, frame_benchmark, FrameCase{p, wipe})
          ->Unit(benchmark::kMicrosecond);
    }
  }
}

} // namespace bench
