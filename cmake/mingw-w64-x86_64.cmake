# Cross-compiling for 64-bit Windows with Debian's mingw-w64.
# The -posix compilers: their C++ runtime has std::thread (winpthreads),
# which the upload worker needs; the -win32 ones do not.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(ZT_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${ZT_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZT_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${ZT_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${ZT_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Test programs run under Wine, through a wrapper that keeps the Wine prefix
# in the build tree (see scripts/wine-run).
get_filename_component(ZT_TOOLCHAIN_TOP ${CMAKE_CURRENT_LIST_DIR}/.. ABSOLUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR ${ZT_TOOLCHAIN_TOP}/scripts/wine-run)
