#pragma once
// The show clock of demo32: the sequencer's counters. The audio thread (or,
// without sound, the silent timer) advances them; the main thread reads them,
// sets song_position to 0 before the music starts and rewrites all three on
// the debug skip. Each counter is read and written whole and no reader needs
// two of them to agree, so they are relaxed atomics and no lock spans them.
#include <atomic>
#include <cstdint>

namespace d32 {

constexpr int32_t TICKS_PER_ROW = 6;
constexpr int32_t ROWS_PER_POSITION = 64;
constexpr int32_t SONG_POSITIONS = 29;

struct ShowClock {
  std::atomic<int32_t> song_tick{0};     // 0..5, tick within the row
  std::atomic<int32_t> song_row{0};      // 0..63, the next row to be read
  std::atomic<int32_t> song_position{0}; // 0..28
  std::atomic<int32_t> song_end{0};      // 1 once the end mark is read
};

inline int32_t get(const std::atomic<int32_t> &counter) {
  return counter.load(std::memory_order_relaxed);
}
inline void put(std::atomic<int32_t> &counter, int32_t value) {
  counter.store(value, std::memory_order_relaxed);
}

// On to the next row; after the last row of a position, the first row of the
// next position, and after the last position the first again.
inline void advance_row(ShowClock &clock) {
  const int32_t row = get(clock.song_row) + 1;
  if (row >= ROWS_PER_POSITION) {
    put(clock.song_row, 0);
    put(clock.song_position, (get(clock.song_position) + 1) % SONG_POSITIONS);
  } else {
    put(clock.song_row, row);
  }
}

} // namespace d32
