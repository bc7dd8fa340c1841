# Cross compiling the programs as 32-bit Windows executables with Debian's
# MinGW-w64 (packages g++-mingw-w64-i686 and binutils-mingw-w64-i686).
#   cmake -S . -B build-windows/win32 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake
# tools/build-windows.sh does this and builds demo32.exe, demo8.exe and
# demo-capture.exe; tools/build-windows-sdl.sh builds SDL's DLLs with it too.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(MINGW_TRIPLET i686-w64-mingw32)
# SSE2 arithmetic instead of the x87 stack: x87 keeps intermediates in 80 bits
# and rounds them when it spills, so pictures and sound would no longer match
# the 64-bit build bit for bit.
set(MINGW_ARCH_FLAGS "-msse2 -mfpmath=sse")
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
