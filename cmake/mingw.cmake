# What the two MinGW-w64 toolchain files share; each sets MINGW_TRIPLET and
# CMAKE_SYSTEM_PROCESSOR, and MINGW_ARCH_FLAGS where it needs any, first.
set(CMAKE_SYSTEM_NAME Windows)

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

set(CMAKE_CXX_FLAGS_INIT "${MINGW_ARCH_FLAGS}")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static-libgcc")
set(CMAKE_EXE_LINKER_FLAGS_RELEASE_INIT "-s")

set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
