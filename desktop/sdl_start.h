#pragma once
// Starting SDL for a desktop show, the same for demo32 and demo8.

namespace desktop {

enum class SdlStart {
  STARTED,    // video, and audio where a sound layer could start
  NO_SDL,     // not even video could start
  NO_DISPLAY, // SDL fell back to an off-screen driver nobody asked for
};

// Starts audio and video together; when the sound layer cannot start at all,
// video alone: the show then runs silent, its audio device being refused
// like a missing one. With no display (and no SDL_VIDEODRIVER chosen by the
// user) SDL quietly picks a driver that shows nothing: that counts as no
// video mode, not as a show nobody sees.
SdlStart start_sdl();

} // namespace desktop
