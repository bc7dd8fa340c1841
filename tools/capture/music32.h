#pragma once
// demo32's soundtrack and voice files, made from the music on the virtual
// clock (music_clock32.h).
#include <cstdint>

#include "tools/capture/music_clock32.h"
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
bool advance_music(Music32 &music, const d32::WaveMemory &memory, int64_t target,
                   const Sound32Outputs *outputs);

} // namespace capture
