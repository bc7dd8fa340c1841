#pragma once

namespace d32 {

// The desktop program's command line.
struct Switches {
  int windowed = 0;      // 1 with "-window": a window instead of full screen
  int no_sound = 0;      // 1 with "-nosound"
  int smear_enabled = 1; // 0 with "-2005"
  int debug_mode = 0;    // 1 with "-debug"
};

// Every argument after the program name is compared whole, byte for byte, with
// each switch; anything else is ignored.
Switches parse_switches(int argc, const char *const *argv);

} // namespace d32
