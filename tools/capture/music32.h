#pragma once
// demo32's music rendered offline exactly as the audio callback renders it,
// and the soundtrack and voice files made from it.
#include <cstdint>

#include "demo32/synth/synth.h"
#include "tools/capture/wav_writer.h"

namespace capture {

struct Music32 {
  d32::Synth synth;
  d32::ShowClock clock; // the show clock the sequencer advances
  int64_t samples = 0;  // rendered so far
  int16_t mix[d32::TICK_SAMPLES] = {};
  int16_t stems[d32::VOICES * d32::TICK_SAMPLES] = {};
};

// Where rendered samples go; samples before first_sample are dropped.
struct Sound32Outputs {
  WavFile *mix[2] = {};     // the soundtrack, the video's copy; null: unused
  WavFile *stems = nullptr; // d32::VOICES files, or null
  int64_t first_sample = 0;
};

// The sample count after which the song's end mark has been read, found by
// stepping the sequencer alone (it never looks at the samples). -1 if the song
// has none within two passes through its positions.
int64_t find_end_sample();

// Renders up to sample target, in pieces that never cross a tick end, so the
// run stops on the very sample whose tick read the end mark. Returns false
// once the end mark has been read (music.samples is then the end sample).
bool advance_music(Music32 &music, const d32::WaveMemory &memory, int64_t target,
                   const Sound32Outputs *outputs);

} // namespace capture
