# The 32-bit Windows build, cross-compiled on Debian:
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake
# GCC for i686-w64-mingw32 in its posix-threads variant (std::thread, mutex,
# jthread); resources through windres; test programs run under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)

set(MINGW_TRIPLET i686-w64-mingw32)
set(CMAKE_C_COMPILER ${MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${MINGW_TRIPLET}-windres)

# Doubles computed in SSE2 registers, as on every 64-bit ground: the x87
# unit's wider intermediates would round a bar's filled width (0.666… of 339
# pixels) differently in two places that compute it. Every processor that
# runs a supported Windows has SSE2.
set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse")
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse")

# Test programs and anything else CMake runs of the target's go through Wine;
# the caller exports the prefix (scripts/wine-env.sh).
if(NOT DEFINED CMAKE_CROSSCOMPILING_EMULATOR)
  set(CMAKE_CROSSCOMPILING_EMULATOR wine)
endif()

# Only the cross tool chain's own headers and libraries (and prefixes the
# build names, such as the cross-built curl): nothing of the Linux host.
set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(PKG_CONFIG_EXECUTABLE ${MINGW_TRIPLET}-pkg-config CACHE FILEPATH "")

# Everything of the compiler's run time is linked in: libgcc, libstdc++ and
# winpthread (which the posix-threads variant's std::thread calls). A plain
# -static-libgcc -static-libstdc++ still leaves libwinpthread-1.dll behind,
# since the linker prefers its import library; -static makes every -l pick
# the archive. System libraries are unaffected: their archives are the
# import libraries of kernel32, user32 and the rest.
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)
set(CMAKE_SHARED_LINKER_FLAGS_INIT -static)
set(CMAKE_MODULE_LINKER_FLAGS_INIT -static)
