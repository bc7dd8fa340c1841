#pragma once
// The replay clock: the show run frame by frame for a recording at fps frames
// a second instead of on wall time. Frame i sees the music rendered up to
// sample S_i and the effect steps that real time would have run by then; the
// steps come from the show's own catch-up, given the frame's millisecond
// reading. The capture tool and the web page's capture mode both run on it.
#include <cstdint>

#include "demo32/synth/synth.h"

namespace d32 {

// S_i = floor(i * 44100 / fps), the music rendered before frame i is drawn.
int64_t sample_of_frame(int64_t i, int32_t fps);

// floor(i * 1000 / fps), the millisecond reading of frame i, wrapping at 2^32
// as SDL's counter does. The show's catch-up turns it into the steps due.
uint32_t millis_of_frame(int64_t i, int32_t fps);

// The last frame drawn when the end mark is read at end_sample: a frame is
// drawn while S_i < end_sample. -1 if not even frame 0 is.
int64_t last_frame_before(int64_t end_sample, int32_t fps);

// The music on the replay clock, rendered exactly as the audio callback
// renders it, in pieces that stop wherever asked.
struct ReplayMusic {
  Synth synth;
  ShowClock clock;     // the show clock the sequencer advances
  int64_t samples = 0; // rendered so far
  int16_t mix[TICK_SAMPLES] = {};
  int16_t stems[VOICES * TICK_SAMPLES] = {};
};

// Renders the next piece toward sample target into mix (and, if stems, each
// voice's share into stems), never past the end of the current tick, so a run
// can stop on the very sample whose tick read the end mark. Returns the
// piece's length: 0 once target is reached or the end mark has been read.
int32_t render_music_piece(ReplayMusic &music, const WaveMemory &memory, int64_t target,
                           bool stems);

} // namespace d32
