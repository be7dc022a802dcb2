# Cross-builds for 64-bit Windows with Debian's mingw-w64 (g++-mingw-w64-x86-64-posix).
# The posix thread model gives std::thread; libgcc, libstdc++ and winpthread are linked
# statically, so the programs run on Windows (or under wine) without any DLL of the toolchain.
#
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
#         -DCMAKE_PREFIX_PATH=<folder with libpng, zlib, ... built for mingw>
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(LUMAPRESS_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${LUMAPRESS_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${LUMAPRESS_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${LUMAPRESS_MINGW_TRIPLE}-windres)
set(CMAKE_AR ${LUMAPRESS_MINGW_TRIPLE}-gcc-ar-posix CACHE FILEPATH "")
set(CMAKE_RANLIB ${LUMAPRESS_MINGW_TRIPLE}-gcc-ranlib-posix CACHE FILEPATH "")

# Libraries and headers come from the toolchain's own folder and from CMAKE_PREFIX_PATH;
# programs (pkg-config, the compilers) from the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${LUMAPRESS_MINGW_TRIPLE} ${CMAKE_PREFIX_PATH})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Static archives only: an .exe that needs no zlib1.dll, libpng16.dll, ... beside it.
set(CMAKE_FIND_LIBRARY_SUFFIXES .a)
set(ZLIB_USE_STATIC_LIBS ON)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Programs built here run under wine when ctest or gtest_discover_tests call them.
find_program(LUMAPRESS_WINE wine)
if(LUMAPRESS_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${LUMAPRESS_WINE})
endif()
