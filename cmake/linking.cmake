# How the two programs are linked. Most of what a short run costs is starting
# the process, and most of that is loading and relocating shared libraries;
# see "Linking" in HACKING.md for the measurements behind the default.
# "static" keeps address-space randomisation on Linux (a static PIE).
if(CMAKE_CXX_FLAGS MATCHES "-fsanitize=")
  # The sanitizers' runtimes only work in a dynamically linked program.
  set(default_linking dynamic)
elseif(CMAKE_SYSTEM_NAME STREQUAL "Linux")
  set(default_linking static)
else()
  set(default_linking static-runtime)
endif()
set(LABEL_LINKING "${default_linking}" CACHE STRING
  "How the programs are linked: dynamic, static-runtime (C++ runtime built in) or static (nothing shared; sanitizers need dynamic)")
set_property(CACHE LABEL_LINKING PROPERTY STRINGS dynamic static-runtime static)

function(label_link_program target)
  if(MSVC OR LABEL_LINKING STREQUAL "dynamic")
    return()
  elseif(LABEL_LINKING STREQUAL "static-runtime")
    target_link_options(${target} PRIVATE -static-libstdc++ -static-libgcc)
  elseif(LABEL_LINKING STREQUAL "static" AND WIN32)
    target_link_options(${target} PRIVATE -static)
  elseif(LABEL_LINKING STREQUAL "static")
    target_link_options(${target} PRIVATE -static-pie)
  else()
    message(FATAL_ERROR "LABEL_LINKING is \"${LABEL_LINKING}\"; use dynamic, static-runtime or static")
  endif()
endfunction()
