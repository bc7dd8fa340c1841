// LD_PRELOAD library: the programs find no SDL 2 library already loaded, as
// under an SDL 1.2 that is not the compatibility layer. Only a look-up that
// loads nothing (RTLD_NOLOAD) is refused, so the layer still loads SDL 2 for
// itself and the show runs; what the programs do then is what they did before
// they reached for SDL 2's renderer. The line on standard error shows the test
// that the refusal happened.
#include <dlfcn.h>

#include <cstdio>
#include <cstring>

extern "C" void *dlopen(const char *file, int mode) {
  static const auto real =
      reinterpret_cast<void *(*)(const char *, int)>(dlsym(RTLD_NEXT, "dlopen"));
  if ((mode & RTLD_NOLOAD) != 0 && file != nullptr && std::strstr(file, "libSDL2") != nullptr) {
    std::fprintf(stderr, "preload: dlopen(%s, RTLD_NOLOAD) refused\n", file);
    return nullptr;
  }
  return real(file, mode);
}
