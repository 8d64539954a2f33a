# How the two programs are linked; see "Linking" in HACKING.md for the
# measurements behind the default. The C library stays shared: host names are
# looked up through its name service modules, which only the system's own C
# library may load. The C++ runtime is built in, since loading and relocating
# it is most of what a dynamically linked run costs.
if(CMAKE_CXX_FLAGS MATCHES "-fsanitize=")
  # The sanitizers' runtimes only work in a dynamically linked program.
  set(default_linking dynamic)
else()
  set(default_linking static-runtime)
endif()
set(LABEL_LINKING "${default_linking}" CACHE STRING
  "How the programs are linked: dynamic, static-runtime (C++ runtime built in, the default) or static (nothing shared; a host name lookup then needs the C library of the very version the programs were built with)")
set_property(CACHE LABEL_LINKING PROPERTY STRINGS dynamic static-runtime static)

function(label_link_program target)
  if(MSVC OR LABEL_LINKING STREQUAL "dynamic")
    return()
  elseif(LABEL_LINKING STREQUAL "static-runtime" AND WIN32)
    target_link_options(${target} PRIVATE -static-libstdc++ -static-libgcc)
  elseif(LABEL_LINKING STREQUAL "static-runtime")
    # Every call into the C library bound at start (-z now), so that the
    # table of its addresses is made read-only at once; a session measured
    # no slower for it.
    target_link_options(${target} PRIVATE -static-libstdc++ -static-libgcc -Wl,-z,now)
  elseif(LABEL_LINKING STREQUAL "static" AND WIN32)
    target_link_options(${target} PRIVATE -static)
  elseif(LABEL_LINKING STREQUAL "static")
    target_link_options(${target} PRIVATE -static-pie)
  else()
    message(FATAL_ERROR "LABEL_LINKING is \"${LABEL_LINKING}\"; use dynamic, static-runtime or static")
  endif()
endfunction()
