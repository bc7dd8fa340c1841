# Cross compiling the programs as 64-bit Windows executables with Debian's
# MinGW-w64 (packages g++-mingw-w64-x86-64 and binutils-mingw-w64-x86-64).
#   cmake -S . -B build-windows/win64 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake
# As the 32-bit toolchain file, for Windows on x86-64, where the arithmetic
# is SSE2 already.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(MINGW_TRIPLET x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
