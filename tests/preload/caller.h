#pragma once
// For the preloaded test libraries: who made a call. An allocation counts as
// the program's when its caller is the program's executable; a present counts
// unless SDL made it itself (SDL_Flip and SDL_SetPalette present through
// SDL_UpdateRect), so that several of these libraries can be stacked.
#include <dlfcn.h>
#include <elf.h>
#include <link.h>
#include <sys/auxv.h>

#include <algorithm>
#include <cstdint>

namespace caller {

struct Range {
  uintptr_t begin = 0;
  uintptr_t end = 0;
};

// The executable's code segments, from its program headers.
inline Range program_code() {
  const auto *headers = reinterpret_cast<const ElfW(Phdr) *>(getauxval(AT_PHDR));
  const size_t count = getauxval(AT_PHNUM);
  Range range;
  if (headers == nullptr)
    return range;
  uintptr_t bias = 0;
  for (size_t i = 0; i < count; ++i)
    if (headers[i].p_type == PT_PHDR)
      bias = reinterpret_cast<uintptr_t>(headers) - headers[i].p_vaddr;
  uintptr_t begin = UINTPTR_MAX, end = 0;
  for (size_t i = 0; i < count; ++i) {
    const ElfW(Phdr) &h = headers[i];
    if (h.p_type != PT_LOAD || (h.p_flags & PF_X) == 0)
      continue;
    begin = std::min<uintptr_t>(begin, bias + h.p_vaddr);
    end = std::max<uintptr_t>(end, bias + h.p_vaddr + h.p_memsz);
  }
  if (begin < end)
    range = {begin, end};
  return range;
}

inline bool in(const Range &range, const void *return_address) {
  const auto a = reinterpret_cast<uintptr_t>(return_address);
  return a >= range.begin && a < range.end;
}

// Whether the call returns into SDL itself: the library that defines
// SDL_Init, which none of the preloaded libraries wraps.
inline bool inside_sdl(const void *return_address) {
  static const void *sdl_init = dlsym(RTLD_DEFAULT, "SDL_Init");
  Dl_info of_sdl, of_caller;
  return sdl_init != nullptr && dladdr(sdl_init, &of_sdl) != 0 &&
         dladdr(return_address, &of_caller) != 0 && of_sdl.dli_fbase == of_caller.dli_fbase;
}

} // namespace caller
