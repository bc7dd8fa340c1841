#pragma once
// demo32's soundtrack and voice files, made from the music on the replay
// clock (demo32/replay/replay_clock.h).
#include <cstdint>

#include "demo32/replay/replay_clock.h"
#include "tools/capture/wav_writer.h"

namespace capture {

// Where rendered samples go; samples before first_sample are dropped.
struct Sound32Outputs {
  WavFile *mix[2] = {};     // the soundtrack, the video's copy; null: unused
  WavFile *stems = nullptr; // d32::VOICES files, or null
  int64_t first_sample = 0;
};

// Renders up to sample target and writes what it renders to outputs (may be
// null). Returns false once the end mark has been read (music.samples is then
// the end sample).
bool advance_music(d32::ReplayMusic &music, const d32::WaveMemory &memory, int64_t target,
                   const Sound32Outputs *outputs);

} // namespace capture
