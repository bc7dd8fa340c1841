# Cross compiling the two programs as 32-bit Windows executables with Debian's
# MinGW-w64 (packages g++-mingw-w64-i686 and binutils-mingw-w64-i686).
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake
# tools/build-windows.sh does this and builds demo32.exe, demo8.exe and
# demo-capture.exe; tools/build-windows-sdl.sh builds SDL's DLLs with it too.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(MINGW_TRIPLET i686-w64-mingw32)
# The win32 thread model: its libstdc++ needs no libwinpthread-1.dll, so with
# libgcc and libstdc++ linked statically the programs need only SDL.dll and
# DLLs that come with Windows. Nothing here uses std::thread or std::mutex;
# the audio and timer threads are SDL's.
set(CMAKE_CXX_COMPILER ${MINGW_TRIPLET}-g++-win32)
set(CMAKE_C_COMPILER ${MINGW_TRIPLET}-gcc-win32)
set(CMAKE_RC_COMPILER ${MINGW_TRIPLET}-windres)
set(CMAKE_AR ${MINGW_TRIPLET}-gcc-ar-win32 CACHE FILEPATH "")
set(CMAKE_RANLIB ${MINGW_TRIPLET}-gcc-ranlib-win32 CACHE FILEPATH "")
set(CMAKE_DLLTOOL ${MINGW_TRIPLET}-dlltool CACHE FILEPATH "")
set(CMAKE_OBJCOPY ${MINGW_TRIPLET}-objcopy CACHE FILEPATH "")

# SSE2 arithmetic instead of the x87 stack: x87 keeps intermediates in 80 bits
# and rounds them when it spills, so pictures and sound would no longer match
# the 64-bit build bit for bit.
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static-libgcc")
set(CMAKE_EXE_LINKER_FLAGS_RELEASE_INIT "-s")

set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
