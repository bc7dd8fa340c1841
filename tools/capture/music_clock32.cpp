#include "tools/capture/music_clock32.h"

#include <algorithm>

namespace capture {

namespace {

constexpr int64_t TICKS_PER_SONG = int64_t{d32::SONG_POSITIONS} * 64 * 6;

ClockAt clock_values(const d32::ShowClock &clock) {
  return {d32::get(clock.song_tick), d32::get(clock.song_row), d32::get(clock.song_position),
          d32::get(clock.song_end)};
}

} // namespace

int64_t find_end_sample() {
  d32::Synth synth;
  d32::ShowClock clock;
  for (int64_t tick = 1; tick <= 2 * TICKS_PER_SONG; ++tick) {
    d32::sequencer_tick_end(synth, clock);
    if (d32::get(clock.song_end) != 0)
      return tick * d32::TICK_SAMPLES;
  }
  return -1;
}

void chart_song(SongChart &chart) {
  d32::Synth synth;
  d32::ShowClock clock;
  chart.after_tick.clear();
  chart.after_tick.reserve(static_cast<size_t>(2 * TICKS_PER_SONG) + 1);
  chart.after_tick.push_back(clock_values(clock));
  chart.end_sample = -1;
  for (int64_t tick = 1; tick <= 2 * TICKS_PER_SONG; ++tick) {
    d32::sequencer_tick_end(synth, clock);
    chart.after_tick.push_back(clock_values(clock));
    if (d32::get(clock.song_end) != 0) {
      chart.end_sample = tick * d32::TICK_SAMPLES;
      return;
    }
  }
}

void clock_at_sample(const SongChart &chart, int64_t target, d32::ShowClock &clock) {
  // The sequencer runs at the end of every whole tick rendered.
  const auto ticks = static_cast<size_t>(std::max<int64_t>(target, 0) / d32::TICK_SAMPLES);
  const ClockAt &c = chart.after_tick[std::min(ticks, chart.after_tick.size() - 1)];
  d32::put(clock.song_tick, c.song_tick);
  d32::put(clock.song_row, c.song_row);
  d32::put(clock.song_position, c.song_position);
  d32::put(clock.song_end, c.song_end);
}

int32_t render_music_piece(Music32 &m, const d32::WaveMemory &memory, int64_t target, bool stems) {
  if (m.samples >= target || d32::get(m.clock.song_end) != 0)
    return 0;
  const int64_t room = d32::TICK_SAMPLES - m.synth.tick_fill;
  const auto n = static_cast<int32_t>(std::min(room, target - m.samples));
  d32::synth_render(m.synth, memory, m.clock, m.mix, n, stems ? m.stems : nullptr);
  m.samples += n;
  return n;
}

} // namespace capture
