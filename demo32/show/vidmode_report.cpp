#include "demo32/show/vidmode_report.h"

#include <cstdio>

namespace d32 {

namespace {

struct FlagName {
  uint32_t mask;
  const char *name;
};

// After the first entry (which prints one of two names) a name is printed when
// any bit of its mask is set, so the OpenGL blit entry also shows for plain GL.
constexpr FlagName FLAG_NAMES[] = {
    {0x00000004u, "SDL_ASYNCBLIT "},  {0x10000000u, "SDL_ANYFORMAT "},
    {0x20000000u, "SDL_HWPALETTE "},  {0x40000000u, "SDL_DOUBLEBUF "},
    {0x80000000u, "SDL_FULLSCREEN "}, {0x00000002u, "SDL_OPENGL "},
    {0x0000000Au, "SDL_OPENGLBLIT "}, {0x00000010u, "SDL_RESIZABLE "},
    {0x00000100u, "SDL_HWACCEL "},    {0x00001000u, "SDL_SRCCOLORKEY "},
    {0x00004000u, "SDL_RLEACCEL "},   {0x00010000u, "SDL_SRCALPHA "},
    {0x01000000u, "SDL_PREALLOC "},
};

} // namespace

std::string vidmode_report(uint32_t flags) {
  char head[48];
  std::snprintf(head, sizeof head, "vidmode flags (%i): ", static_cast<int>(flags));
  std::string line = head;
  line += (flags & 0x00000001u) ? "SDL_HWSURFACE " : "SDL_SWSURFACE ";
  for (const FlagName &f : FLAG_NAMES)
    if (flags & f.mask)
      line += f.name;
  line += '\n';
  return line;
}

const char *lock_remark(bool must_lock) {
  return must_lock ? "o-ou! dblbuf pit\xE4\xE4 olla lukossa!"
                   : "jipii ei tarvi mit\xE4\xE4 lukkoja ees!";
}

} // namespace d32
