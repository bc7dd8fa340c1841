#include "web/gallery/stills.h"

#include "demo32/replay/replay_clock.h"
#include "demo8/effects/timeline.h"

namespace gallery {

namespace {

// first..last, a run of frames of one part; the step nearest its middle
// that lies inside it (or the middle itself).
int64_t middle_step(int64_t first, int64_t last, int64_t step) {
  const int64_t middle = (first + last) / 2;
  const int64_t near = (middle + step / 2) / step * step;
  return near >= first && near <= last ? near : middle;
}

const char *background_name(d8::Background background, bool cubes) {
  switch (background) {
  case d8::Background::TUNNEL:
    return "the tunnel with the cubes";
  case d8::Background::ROTOZOOMER:
    return "the XOR rotozoomer with the cubes";
  case d8::Background::PLASMA:
    return "the plasma with the cubes";
  case d8::Background::BANDED_RINGS:
    return cubes ? "banded rings with the cubes" : "banded rings";
  case d8::Background::XOR_RINGS:
    return cubes ? "XOR rings with the cubes" : "XOR rings";
  case d8::Background::BLACK:
    break;
  }
  return cubes ? "the cubes on black" : "the scroller on black";
}

} // namespace

std::vector<Still> stills32(const d32::SongChart &chart) {
  const int64_t last = d32::last_frame_before(chart.end_sample, FPS32);
  std::vector<Still> stills;
  int64_t first = 0;
  for (int64_t i = 0; i <= last; ++i) {
    d32::ShowClock clock;
    d32::clock_at_sample(chart, d32::sample_of_frame(i, FPS32), clock);
    const int32_t position = d32::get(clock.song_position);
    if (i == 0 || position != stills.back().part) {
      if (i > 0)
        stills.back().frame = middle_step(first, i - 1, STEP32);
      stills.push_back({0, position,
                        "position=" + std::to_string(position) + "&seed=" + std::to_string(SEED32),
                        ""});
      first = i;
    }
  }
  stills.back().frame = middle_step(first, last, STEP32);
  for (Still &s : stills)
    s.alt = "demo32 at song position " + std::to_string(s.part) + ", frame " +
            std::to_string(s.frame) + " at 60 frames a second";
  return stills;
}

std::vector<Still> stills8() {
  std::vector<Still> stills;
  const d8::Phase *phase = nullptr;
  int64_t first = 0;
  for (int32_t t = 0; t <= d8::LAST_FRAME + 1; ++t) {
    const d8::Phase *now = t <= d8::LAST_FRAME ? &d8::phase_at(t) : nullptr;
    if (now == phase)
      continue;
    if (phase != nullptr) {
      const int64_t frame = middle_step(first, t - 1, STEP8);
      stills.push_back({frame, static_cast<int32_t>(stills.size()),
                        "frame=" + std::to_string(frame),
                        "demo8, frame " + std::to_string(frame) + ": " +
                            background_name(phase->background, phase->cubes)});
    }
    phase = now;
    first = t;
  }
  return stills;
}

} // namespace gallery
