# What both Windows tool chains share; cmake/mingw-i686.cmake (the product,
# a 32-bit program) and cmake/mingw-x86_64.cmake (the same sources as a
# 64-bit one) set MINGW_TRIPLET, CMAKE_SYSTEM_PROCESSOR and the Wine they run
# under, then include this.
# GCC for the triplet in its posix-threads variant (std::thread, mutex,
# jthread); resources through windres; test programs run under Wine.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${MINGW_TRIPLET}-windres)

# The prefix kind and the loader this build's programs run under, read by
# scripts/wine-env.sh from the cache. Test programs and anything else CMake
# runs of the target's go through that loader; the caller exports the prefix.
set(DERAVIZIZIVU_WINEARCH ${MINGW_WINEARCH} CACHE STRING "The Wine prefix kind this build runs in")
set(DERAVIZIZIVU_WINELOADER ${MINGW_WINELOADER} CACHE FILEPATH "The Wine loader this build runs under")
if(NOT DEFINED CMAKE_CROSSCOMPILING_EMULATOR)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${DERAVIZIZIVU_WINELOADER})
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
