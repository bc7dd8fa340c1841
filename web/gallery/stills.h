#pragma once
// The stills of the index page: one frame of demo32 in every song position
// and one of demo8 in every phase, each a frame demo-capture renders (demo32
// at 60 frames a second with the smear), so that the build makes them from
// the shows' own code. Each still links to the live show at its moment.
#include <cstdint>
#include <string>
#include <vector>

#include "demo32/replay/song_chart.h"

namespace gallery {

constexpr int32_t FPS32 = 60;
constexpr uint32_t SEED32 = 2005;
// Stills lie on these steps, so that a test can take the same frames from
// demo-capture in one run (--every).
constexpr int64_t STEP32 = 60; // one a second
constexpr int64_t STEP8 = 10;

struct Still {
  int64_t frame;     // of the show, as demo-capture numbers it
  int32_t part;      // the song position (demo32) or the phase (demo8, 0..8)
  std::string query; // of the live show's address at that moment
  std::string alt;   // what the picture shows
};

// The step nearest the middle of each song position's frames, up to the
// show's end mark (the song as chart_song charts it).
std::vector<Still> stills32(const d32::SongChart &chart);

// The step nearest the middle of each phase of demo8.
std::vector<Still> stills8();

} // namespace gallery
