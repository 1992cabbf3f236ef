# The 32-bit Windows build, the product (cmake --preset windows-x86).
set(MINGW_TRIPLET i686-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR x86)
# Debian's wrapper picks the 32-bit loader; a win32 prefix.
set(MINGW_WINEARCH win32)
set(MINGW_WINELOADER wine)

# Doubles computed in SSE2 registers, as on every 64-bit ground: the x87
# unit's wider intermediates would round a bar's filled width (0.666… of 339
# pixels) differently in two places that compute it. Every processor that
# runs a supported Windows has SSE2.
set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse")
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse")

include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
