#pragma once
// The clock that replaces wall time when a show is rendered offline. Frame i
// of a recording at fps frames per second sees the music rendered up to
// sample S_i and the effect steps E_i that real time would have run by then.
#include <cstdint>

namespace capture {

constexpr int64_t MUSIC32_RATE = 44100; // demo32 samples per second
constexpr int64_t STEP_MS = 12;         // one demo32 effect step per 12 ms of show time
constexpr int64_t DEMO8_FPS = 25;
constexpr int64_t DEMO8_SAMPLES_PER_FRAME = 882; // 22050 Hz / 25

// S_i = floor(i * 44100 / fps), the music rendered before frame i is drawn.
int64_t sample_of_frame(int64_t i, int32_t fps);

// E_i = floor(i * 1000 / (12 * fps)), effect steps run by frame i; E_-1 is 0.
int64_t steps_by_frame(int64_t i, int32_t fps);

// E_i - E_(i-1): the steps frame i runs before drawing (0 for frame 0).
uint32_t steps_of_frame(int64_t i, int32_t fps);

// The millisecond reading frame i hands to the debug overlay.
uint32_t millis_of_frame(int64_t i, int32_t fps);

// The last frame drawn when the end mark is read at end_sample: a frame is
// drawn while S_i < end_sample. -1 if not even frame 0 is.
int64_t last_frame_before(int64_t end_sample, int32_t fps);

} // namespace capture
