#include "demo32/web/sound.h"

#include <algorithm>

namespace web32 {

namespace {

ClockState state_of(const d32::ShowClock &clock, int64_t from_sample) {
  return {from_sample, d32::get(clock.song_tick), d32::get(clock.song_row),
          d32::get(clock.song_position), d32::get(clock.song_end)};
}

ClockState &newest(Sound32 &sound) {
  return sound.states[(sound.noted - 1) % KEPT_STATES];
}

} // namespace

void start_sound(Sound32 &sound) {
  sound.music.synth = d32::Synth{};
  d32::put(sound.music.clock.song_tick, 0);
  d32::put(sound.music.clock.song_row, 0);
  d32::put(sound.music.clock.song_position, 0);
  d32::put(sound.music.clock.song_end, 0);
  sound.rendered = 0;
  sound.noted = 1;
  newest(sound) = state_of(sound.music.clock, 0);
}

void note_clock(Sound32 &sound) {
  // A state no sample was rendered with is replaced, not kept.
  if (newest(sound).from_sample < sound.rendered)
    ++sound.noted;
  newest(sound) = state_of(sound.music.clock, sound.rendered);
}

int32_t render_sound(Sound32 &sound, int16_t *out, int32_t n) {
  if (d32::get(sound.music.clock.song_end) != 0)
    return 0;
  d32::Synth &synth = sound.music.synth;
  for (int32_t done = 0; done < n;) {
    // Up to the end of the tick at most, so that its state is seen.
    const int32_t piece = std::min(n - done, d32::TICK_SAMPLES - synth.tick_fill);
    d32::synth_render(synth, sound.music.wave_memory, sound.music.clock, out + done, piece);
    done += piece;
    sound.rendered += piece;
    if (synth.tick_fill == 0)
      note_clock(sound);
  }
  return n;
}

void clock_at(const Sound32 &sound, int64_t heard, d32::ShowClock &clock) {
  // From the newest state back: what is heard is only a few ticks behind.
  const int64_t oldest = std::max<int64_t>(0, sound.noted - KEPT_STATES);
  int64_t i = sound.noted - 1;
  while (i > oldest && sound.states[i % KEPT_STATES].from_sample > heard)
    --i;
  const ClockState &s = sound.states[i % KEPT_STATES];
  d32::put(clock.song_tick, s.song_tick);
  d32::put(clock.song_row, s.song_row);
  d32::put(clock.song_position, s.song_position);
  d32::put(clock.song_end, s.song_end);
}

} // namespace web32
