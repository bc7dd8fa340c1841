// The flag report demo32 prints once its video mode is set, against the
// flag values of SDL's own header.
#include <gtest/gtest.h>

#include "demo32/shell/vidmode_report.h"

using namespace d32;

TEST(VidmodeReport, WindowedSoftwareSurface) {
  EXPECT_EQ(vidmode_report(0), "vidmode flags (0): SDL_SWSURFACE \n");
  EXPECT_EQ(vidmode_report(0x1), "vidmode flags (1): SDL_HWSURFACE \n");
}

TEST(VidmodeReport, FullScreenPrintsNegativeNumber) {
  EXPECT_EQ(vidmode_report(0x80000001u),
            "vidmode flags (-2147483647): SDL_HWSURFACE SDL_FULLSCREEN \n");
  EXPECT_EQ(vidmode_report(0xC0000000u),
            "vidmode flags (-1073741824): SDL_SWSURFACE SDL_DOUBLEBUF SDL_FULLSCREEN \n");
}

TEST(VidmodeReport, AllNamesInTableOrder) {
  EXPECT_EQ(vidmode_report(0xFFFFFFFFu),
            "vidmode flags (-1): SDL_HWSURFACE SDL_ASYNCBLIT SDL_ANYFORMAT SDL_HWPALETTE "
            "SDL_DOUBLEBUF SDL_FULLSCREEN SDL_OPENGL SDL_OPENGLBLIT SDL_RESIZABLE SDL_HWACCEL "
            "SDL_SRCCOLORKEY SDL_RLEACCEL SDL_SRCALPHA SDL_PREALLOC \n");
  // The blit name's mask shares a bit with plain OpenGL and has one of its own.
  EXPECT_EQ(vidmode_report(0x2), "vidmode flags (2): SDL_SWSURFACE SDL_OPENGL SDL_OPENGLBLIT \n");
  EXPECT_EQ(vidmode_report(0x8), "vidmode flags (8): SDL_SWSURFACE SDL_OPENGLBLIT \n");
}

TEST(VidmodeReport, LockRemarksAreLatin1) {
  EXPECT_STREQ(lock_remark(true), "o-ou! dblbuf pit\xE4\xE4 olla lukossa!");
  EXPECT_STREQ(lock_remark(false), "jipii ei tarvi mit\xE4\xE4 lukkoja ees!");
}
