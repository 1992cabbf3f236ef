# The same sources as a 64-bit Windows program (cmake --preset windows-x64),
# for hosts that run no 32-bit code.
set(MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
# A win64 prefix, and Wine's 64-bit loader called directly: Debian's `wine`
# wrapper takes the 32-bit one whenever it is installed, even for a 64-bit
# program.
set(MINGW_WINEARCH win64)
set(MINGW_WINELOADER /usr/lib/wine/wine64)

include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
