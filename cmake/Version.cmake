# The project's version is written once, in the cache variable
# DERAVIZIZIVU_VERSION: major.minor.patch, and a build number where Windows
# wants four parts (0 without one).
function(deravizizivu_version_numbers version out)
  if(NOT version MATCHES "^([0-9]+)\\.([0-9]+)\\.([0-9]+)(\\.([0-9]+))?$")
    message(FATAL_ERROR "A version is major.minor.patch[.build]: ${version}")
  endif()
  set(build 0)
  if(CMAKE_MATCH_5)
    set(build ${CMAKE_MATCH_5})
  endif()
  set(${out} "${CMAKE_MATCH_1},${CMAKE_MATCH_2},${CMAKE_MATCH_3},${build}" PARENT_SCOPE)
endfunction()

# <folder>/Version.h, which the resource scripts include, for one version.
function(deravizizivu_version_header folder version)
  deravizizivu_version_numbers(${version} numbers)
  configure_file(${PROJECT_SOURCE_DIR}/res/Version.h.in ${folder}/Version.h @ONLY)
endfunction()
