#pragma once
// The show clock of demo32: the sequencer's counters. Written by the audio
// thread (or the silent timer), read by the main thread; each counter is read
// and written whole, no reader needs two of them to agree, so relaxed atomics.
#include <atomic>
#include <cstdint>

namespace d32 {

struct ShowClock {
  std::atomic<int32_t> song_tick{0};      // 0..5, tick within the row
  std::atomic<int32_t> song_row{0};       // 0..63, the next row to be read
  std::atomic<int32_t> song_position{0};  // 0..28
  std::atomic<int32_t> song_end{0};       // 1 once the end mark is read
};

inline int32_t get(const std::atomic<int32_t> &counter) {
  return counter.load(std::memory_order_relaxed);
}
inline void put(std::atomic<int32_t> &counter, int32_t value) {
  counter.store(value, std::memory_order_relaxed);
}

constexpr int32_t SONG_POSITIONS = 29;

} // namespace d32
