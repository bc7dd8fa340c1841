#pragma once
// What demo32 says when it gets no sound, in its own words, on every platform
// that opens a sound device (the desktop's and the page's). Latin-1, no
// newline.
#include <string>

namespace d32 {

// No sound device, for the reason why.
inline std::string no_sound_line(const std::string &why) {
  return "emm\xE4 osaa soittaa musiiccia ku oot lameri t\xE4st\xE4 syyst\xE4: " + why;
}

// A device that came in another format than the one asked for.
inline std::string refused_sound_line(const std::string &why) {
  return no_sound_line(why) + " (ja et t\xE4yt\xE4 mun laatuvaatimuksia!)";
}

} // namespace d32
