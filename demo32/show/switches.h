#pragma once
#include <cstdint>

namespace d32 {

constexpr uint32_t FLAG_FULLSCREEN = 0x80000000u;
constexpr uint32_t FLAG_HWSURFACE = 0x00000001u;

struct Switches {
  uint32_t video_flags = FLAG_FULLSCREEN; // 0 with "-window"
  int no_sound = 0;                       // 1 with "-nosound"
  int smear_enabled = 1;                  // 0 with "-2005"
  int debug_mode = 0;                     // 1 with "-debug"
};

// Every argument after the program name is compared whole, byte for byte, with
// each switch; anything else is ignored.
Switches parse_switches(int argc, const char *const *argv);

} // namespace d32
