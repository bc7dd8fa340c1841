#pragma once
// For the preloaded test libraries: who made a call, told by the code its
// return address lies in. An allocation counts as the program's when its
// caller is the program's executable; a present or a clock reading counts
// unless SDL made it itself (SDL_Flip and SDL_SetPalette present through
// SDL_UpdateRect), so that several of these libraries can be stacked.
#include <dlfcn.h>
#include <link.h>
#include <sys/auxv.h>

#include <algorithm>
#include <cstdint>

namespace caller {

struct Range {
  uintptr_t begin = 0;
  uintptr_t end = 0;
};

// The code segments of the loaded object that contains `address`.
inline Range code_of(const void *address) {
  struct Search {
    uintptr_t address;
    Range code;
  } search{reinterpret_cast<uintptr_t>(address), {}};
  dl_iterate_phdr(
      [](dl_phdr_info *info, size_t, void *data) {
        auto &s = *static_cast<Search *>(data);
        bool contains = false;
        Range code{UINTPTR_MAX, 0};
        for (int i = 0; i < info->dlpi_phnum; ++i) {
          const ElfW(Phdr) &h = info->dlpi_phdr[i];
          if (h.p_type != PT_LOAD)
            continue;
          const uintptr_t begin = info->dlpi_addr + h.p_vaddr, end = begin + h.p_memsz;
          contains = contains || (s.address >= begin && s.address < end);
          if ((h.p_flags & PF_X) != 0) {
            code.begin = std::min(code.begin, begin);
            code.end = std::max(code.end, end);
          }
        }
        if (contains)
          s.code = code;
        return contains ? 1 : 0;
      },
      &search);
  return search.code;
}

inline Range program_code() {
  return code_of(reinterpret_cast<const void *>(getauxval(AT_ENTRY)));
}

// SDL: the library that defines SDL_Init, which none of these libraries wraps.
inline Range sdl_code() {
  return code_of(dlsym(RTLD_DEFAULT, "SDL_Init"));
}

inline bool in(const Range &range, const void *return_address) {
  const auto a = reinterpret_cast<uintptr_t>(return_address);
  return a >= range.begin && a < range.end;
}

} // namespace caller
