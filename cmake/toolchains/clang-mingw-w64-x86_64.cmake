# 64-bit Windows as the x86_64 toolchain file builds it, but compiled by
# clang, so that clang-tidy reads the Windows sources with the real build's
# flags and the MinGW-w64 headers. The executables link with the MinGW-w64
# binutils and GCC's runtime libraries, as the g++ build's do.
include("${CMAKE_CURRENT_LIST_DIR}/mingw-w64-x86_64.cmake")

# Asked before the compiler is replaced: this is the GCC whose C++ library
# the g++ build uses.
execute_process(
  COMMAND "${CMAKE_CXX_COMPILER}" -print-libgcc-file-name
  OUTPUT_VARIABLE label_mingw_libgcc
  OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
cmake_path(GET label_mingw_libgcc PARENT_PATH label_mingw_gcc_dir)

set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_CXX_COMPILER_TARGET "${LABEL_MINGW_TRIPLET}")
# Without a sysroot, clang takes the directory above the MinGW gcc it finds
# on PATH for one, and searches the build machine's own /usr/include.
set(CMAKE_SYSROOT "/usr/${LABEL_MINGW_TRIPLET}")
# Clang 14 does not recognise Debian's GCC directory ("12-win32") as a
# version, so it finds neither the C++ headers nor the libraries there.
set(CMAKE_CXX_STANDARD_INCLUDE_DIRECTORIES
  "${label_mingw_gcc_dir}/include/c++"
  "${label_mingw_gcc_dir}/include/c++/${LABEL_MINGW_TRIPLET}"
  "${label_mingw_gcc_dir}/include/c++/backward")
string(APPEND CMAKE_EXE_LINKER_FLAGS_INIT " -L${label_mingw_gcc_dir}")
