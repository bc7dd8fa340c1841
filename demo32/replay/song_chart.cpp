#include "demo32/replay/song_chart.h"

#include <algorithm>

namespace d32 {

namespace {

constexpr int64_t TICKS_PER_SONG = int64_t{SONG_POSITIONS} * ROWS_PER_POSITION * TICKS_PER_ROW;

ClockAt clock_values(const ShowClock &clock) {
  return {get(clock.song_tick), get(clock.song_row), get(clock.song_position), get(clock.song_end)};
}

} // namespace

void chart_song(SongChart &chart) {
  Synth synth;
  ShowClock clock;
  chart.after_tick.clear();
  chart.after_tick.reserve(static_cast<size_t>(2 * TICKS_PER_SONG) + 1);
  chart.after_tick.push_back(clock_values(clock));
  chart.end_sample = -1;
  for (int64_t tick = 1; tick <= 2 * TICKS_PER_SONG; ++tick) {
    sequencer_tick_end(synth, clock);
    chart.after_tick.push_back(clock_values(clock));
    if (get(clock.song_end) != 0) {
      chart.end_sample = tick * TICK_SAMPLES;
      return;
    }
  }
}

void clock_at_sample(const SongChart &chart, int64_t target, ShowClock &clock) {
  // The sequencer runs at the end of every whole tick rendered.
  const auto ticks = static_cast<size_t>(std::max<int64_t>(target, 0) / TICK_SAMPLES);
  const ClockAt &c = chart.after_tick[std::min(ticks, chart.after_tick.size() - 1)];
  put(clock.song_tick, c.song_tick);
  put(clock.song_row, c.song_row);
  put(clock.song_position, c.song_position);
  put(clock.song_end, c.song_end);
}

} // namespace d32
