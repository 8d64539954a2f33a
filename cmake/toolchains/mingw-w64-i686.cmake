# 32-bit Windows, the programs' first home.
set(LABEL_MINGW_TRIPLET i686-w64-mingw32)
set(LABEL_MINGW_PROCESSOR x86)
include("${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake")
