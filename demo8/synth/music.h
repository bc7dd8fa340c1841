#pragma once
// The formula-driven music of demo8: plain code, no SDL.
#include <cstdint>

namespace d8 {

constexpr int32_t MUSIC_RATE = 22050;

struct Music {
  uint32_t sample_clock = 0;    // samples rendered since the music started
  int32_t bass_filter = 0;      // pulse bass low-pass state
  uint16_t noise_seed = 0xFFFF; // snare noise generator
};

extern const uint8_t note_table[8][16];
extern const char pulse_sequence[17];
extern const char saw_sequence[17];

// Fills len unsigned 8-bit samples and advances sample_clock.
void music_render(Music &music, uint8_t *out, int32_t len);

} // namespace d8
