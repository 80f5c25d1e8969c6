# Sets QUORVANE_STATIC_TOOL: ON where a static executable links with the
# active compiler and flags, unless the cache already says otherwise.
if(DEFINED QUORVANE_STATIC_TOOL)
  return()
endif()
if(MSVC OR APPLE)
  set(_quorvane_static_links OFF)  # no fully static executables there
else()
  include(CheckCXXSourceCompiles)
  set(CMAKE_REQUIRED_LINK_OPTIONS -static)
  set(CMAKE_REQUIRED_QUIET ON)
  check_cxx_source_compiles("#include <cstdio>\nint main() { std::puts(\"\"); }"
    QUORVANE_STATIC_LINK_WORKS)
  unset(CMAKE_REQUIRED_LINK_OPTIONS)
  unset(CMAKE_REQUIRED_QUIET)
  set(_quorvane_static_links ${QUORVANE_STATIC_LINK_WORKS})
endif()
if(NOT _quorvane_static_links AND NOT MSVC AND NOT APPLE)
  message(STATUS "Quorvane: a static executable does not link with this compiler and these "
    "flags; linking the tool dynamically (QUORVANE_STATIC_TOOL=ON forces static)")
endif()
option(QUORVANE_STATIC_TOOL "Link the Quorvane executable statically" ${_quorvane_static_links})
