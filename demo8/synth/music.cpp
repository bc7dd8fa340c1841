// The music of demo8: everything is a function of one sample counter, plus the
// bass filter and the snare's noise generator, so any split of the output
// into buffers gives the same stream.
#include "demo8/synth/music.h"

#include <cmath>

namespace d8 {

const uint8_t note_table[8][16] = {
    {0, 0, 12, 0, 0, 0, 10, 0, 0, 0, 18, 0, 0, 0, 15, 0},
    {22, 22, 22, 18, 15, 15, 0, 18, 18, 17, 18, 20, 20, 20, 15, 15},
    {20, 20, 20, 18, 0, 18, 15, 18, 18, 0, 18, 0, 20, 0, 15, 0},
    {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
    {0, 0, 12, 0, 0, 0, 10, 0, 0, 0, 0, 0, 22, 22, 20, 26},
    {0, 0, 0, 0, 0, 22, 22, 20, 26, 0, 0, 0, 0, 0, 0, 0},
    {22, 22, 20, 26, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
    {16, 16, 16, 15, 16, 16, 16, 13, 16, 16, 15, 15, 16, 16, 13, 13},
};

// One character per song position; the low four bits pick the pattern.
const char pulse_sequence[17] = "@@@@@@@@@@GGGGGG";
const char saw_sequence[17] = "ABADEF@@GGGGGGGG";

namespace {

// Written to eight decimals, slightly off a true semitone; the pitches depend
// on this exact value.
constexpr double SEMITONE = 1.05946309;

int32_t note_at(const char *sequence, uint32_t c) {
  const int pattern = sequence[(c >> 16) & 15] & 15;
  return note_table[pattern][(c >> 12) & 15];
}

// Phase of a melodic voice: a ramp restarted every 2048 samples whose slope
// follows the note. Evaluated in this order; truncation toward zero.
int32_t voice_phase(int32_t note, uint32_t c) {
  return static_cast<int32_t>(std::pow(SEMITONE, note) * static_cast<double>(c & 2047) / 22050.0 *
                              8363.0);
}

// Kick: a sine whose frequency falls across the step, cut off at its end.
int32_t add_kick(int32_t v, uint32_t c) {
  const int32_t e = static_cast<int32_t>(c & 4095);
  return static_cast<int32_t>(v + 63.0 * std::sin((38 * e) / (0.4 * e + 400.0)));
}

// Snare: noise fading linearly from full scale to almost nothing.
int32_t add_snare(int32_t v, uint32_t c, uint16_t &noise_seed) {
  const int32_t m = 768 - static_cast<int32_t>((c >> 4) & 1023);
  noise_seed = static_cast<uint16_t>(3u * noise_seed + 0x1111u);
  const int32_t noise = static_cast<int32_t>((noise_seed >> 4) & 63) - 32;
  // Arithmetic shift: rounds toward minus infinity, unlike a division.
  return v + ((noise * m) >> 8);
}

// Pulse bass through a one-pole low-pass that closes as the step goes on.
int32_t add_bass(int32_t v, uint32_t c, int32_t &bass_filter) {
  const int32_t h = static_cast<int32_t>((c & 4095) >> 8) + 1;
  // The counter times the rate is far beyond 32 bits late in the show; in
  // double precision the quotient truncates exactly as the true value.
  const uint32_t phase = static_cast<uint32_t>(static_cast<double>(c) * 8363.0 / 22050.0);
  const int32_t target = (phase & 255) <= 32 ? 64 : -64;
  bass_filter = (h * bass_filter + target) / (h + 1);
  return v + bass_filter;
}

} // namespace

void music_render(Music &music, uint8_t *out, int32_t len) {
  for (int32_t i = 0; i < len; ++i) {
    const uint32_t c = music.sample_clock;

    int32_t v = 128;
    const int32_t pulse_note = note_at(pulse_sequence, c);
    if (pulse_note != 0)
      v = (voice_phase(pulse_note, c) & 0x320) ? 144 : 112;

    const int32_t saw_note = note_at(saw_sequence, c);
    if (saw_note != 0)
      v += ((voice_phase(saw_note, c) >> 2) & 31) - 16;

    const uint32_t d = c & 16383;
    if (d <= 4095)
      v = add_kick(v, c);
    else if (d >= 8192 && d <= 12287)
      v = add_snare(v, c, music.noise_seed);
    else
      v = add_bass(v, c, music.bass_filter);

    out[i] = static_cast<uint8_t>(v & 255);
    music.sample_clock = c + 1;
  }
}

} // namespace d8
