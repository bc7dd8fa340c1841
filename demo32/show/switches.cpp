#include "demo32/show/switches.h"

#include <cstring>

namespace d32 {

Switches parse_switches(int argc, const char *const *argv) {
  Switches s;
  for (int i = 1; i < argc; ++i) {
    const char *arg = argv[i];
    if (arg == nullptr)
      continue;
    if (std::strcmp(arg, "-window") == 0)
      s.windowed = 1;
    if (std::strcmp(arg, "-2005") == 0)
      s.smear_enabled = 0;
    if (std::strcmp(arg, "-nosound") == 0)
      s.no_sound = 1;
    if (std::strcmp(arg, "-debug") == 0)
      s.debug_mode = 1;
  }
  return s;
}

} // namespace d32
