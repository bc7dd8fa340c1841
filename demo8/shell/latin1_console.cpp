#include "demo8/shell/latin1_console.h"

#ifdef _WIN32
#include <windows.h>

#include <cstdlib>
#endif

namespace d8 {

#ifdef _WIN32

namespace {

constexpr UINT LATIN1 = 28591; // ISO 8859-1
UINT console_code_page = 0;    // the console's own, given back at exit

void restore_code_page() {
  SetConsoleOutputCP(console_code_page);
}

} // namespace

void latin1_console() {
  console_code_page = GetConsoleOutputCP();
  // 0: no console at all. Output redirected to a file keeps its bytes anyway.
  if (console_code_page == 0 || console_code_page == LATIN1)
    return;
  if (SetConsoleOutputCP(LATIN1))
    std::atexit(restore_code_page);
}

#else

void latin1_console() {}

#endif

} // namespace d8
