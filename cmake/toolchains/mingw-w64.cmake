# Shared by the MinGW-w64 toolchain files: they set LABEL_MINGW_TRIPLET and
# LABEL_MINGW_PROCESSOR, then include this. The executables link everything
# but the system's own DLLs into themselves, so each one runs on its own.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR "${LABEL_MINGW_PROCESSOR}")

# The win32 thread variant, which needs no threads DLL. The programs do start
# threads (the helpers that bound a name lookup and each spooler call,
# platform/windows_helper_thread.cpp), but with the system's CreateThread,
# not std::thread, so they need no C++ thread library.
set(CMAKE_CXX_COMPILER "${LABEL_MINGW_TRIPLET}-g++-win32")

set(CMAKE_FIND_ROOT_PATH "/usr/${LABEL_MINGW_TRIPLET}")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
