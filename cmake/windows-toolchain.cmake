# CMake toolchain file for the Windows x86-64 cross build with mingw-w64
# on Debian (packages gcc-mingw-w64-x86-64-posix, g++-mingw-w64-x86-64-posix).
#
# Usage:
#   cmake -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/windows-toolchain.cmake \
#         -DZELVO_WINDOWS_DEPS=/path/to/deps ...
#
# ZELVO_WINDOWS_DEPS is the install prefix written by scripts/windows-deps.sh
# (libmpg123 DLL, static libpng); it is searched after the mingw sysroot.

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(ZELVO_MINGW_TRIPLE x86_64-w64-mingw32)

# The -posix variants: the win32-thread variant lacks std::mutex / std::thread.
set(CMAKE_C_COMPILER   ${ZELVO_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZELVO_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER  ${ZELVO_MINGW_TRIPLE}-windres)

# Extra prefix with the third-party libraries built by scripts/windows-deps.sh.
set(ZELVO_WINDOWS_DEPS "" CACHE PATH
    "Install prefix of the Windows third-party libraries (scripts/windows-deps.sh)")
# Try-compile projects get the same value.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES ZELVO_WINDOWS_DEPS)

set(CMAKE_FIND_ROOT_PATH /usr/${ZELVO_MINGW_TRIPLE})
if(ZELVO_WINDOWS_DEPS)
  list(APPEND CMAKE_FIND_ROOT_PATH "${ZELVO_WINDOWS_DEPS}")
endif()

# Libraries, headers and packages only from the target roots; programs
# (code generators, tools) always from the build machine.
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# pkg-config, if a project uses it, must look at the target's .pc files only.
if(ZELVO_WINDOWS_DEPS)
  set(ENV{PKG_CONFIG_LIBDIR}
      "${ZELVO_WINDOWS_DEPS}/lib/pkgconfig:/usr/${ZELVO_MINGW_TRIPLE}/lib/pkgconfig")
else()
  set(ENV{PKG_CONFIG_LIBDIR} "/usr/${ZELVO_MINGW_TRIPLE}/lib/pkgconfig")
endif()

# No libgcc_s / libstdc++ / libwinpthread DLLs to ship: link the runtime
# statically into every executable and DLL. With -static, "-lfoo" only finds
# libfoo.a; DLL import libraries (libmpg123.dll.a) are linked by full path,
# as find_library / imported targets give them.
set(CMAKE_EXE_LINKER_FLAGS_INIT    "-static-libgcc -static-libstdc++ -static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static-libgcc -static-libstdc++ -static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static-libgcc -static-libstdc++ -static")

# Run cross-built programs (tests, try_run) through wine when it is installed.
find_program(ZELVO_WINE64 NAMES wine64
             PATHS /usr/lib/wine /usr/lib64/wine
             NO_CMAKE_FIND_ROOT_PATH)
if(ZELVO_WINE64)
  set(CMAKE_CROSSCOMPILING_EMULATOR "${ZELVO_WINE64}")
endif()
