# 64-bit Windows.
set(LABEL_MINGW_TRIPLET x86_64-w64-mingw32)
set(LABEL_MINGW_PROCESSOR AMD64)
include("${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake")
