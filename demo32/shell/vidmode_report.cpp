#include "demo32/shell/vidmode_report.h"

#include <SDL.h>

#include <cstdio>

namespace d32 {

namespace {

struct FlagName {
  uint32_t mask;
  const char *name;
};

// After the surface kind (one of two names) a name is printed when any bit
// of its mask is set, so the OpenGL blit name also shows for plain OpenGL.
constexpr FlagName FLAG_NAMES[] = {
    {SDL_ASYNCBLIT, "SDL_ASYNCBLIT "},   {SDL_ANYFORMAT, "SDL_ANYFORMAT "},
    {SDL_HWPALETTE, "SDL_HWPALETTE "},   {SDL_DOUBLEBUF, "SDL_DOUBLEBUF "},
    {SDL_FULLSCREEN, "SDL_FULLSCREEN "}, {SDL_OPENGL, "SDL_OPENGL "},
    {SDL_OPENGLBLIT, "SDL_OPENGLBLIT "}, {SDL_RESIZABLE, "SDL_RESIZABLE "},
    {SDL_HWACCEL, "SDL_HWACCEL "},       {SDL_SRCCOLORKEY, "SDL_SRCCOLORKEY "},
    {SDL_RLEACCEL, "SDL_RLEACCEL "},     {SDL_SRCALPHA, "SDL_SRCALPHA "},
    {SDL_PREALLOC, "SDL_PREALLOC "},
};

} // namespace

std::string vidmode_report(uint32_t flags) {
  char head[48];
  std::snprintf(head, sizeof head, "vidmode flags (%i): ", static_cast<int>(flags));
  std::string line = head;
  line += (flags & SDL_HWSURFACE) ? "SDL_HWSURFACE " : "SDL_SWSURFACE ";
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
