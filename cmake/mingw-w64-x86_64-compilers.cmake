# Debian's MinGW-w64 compilers for 64-bit Windows (posix threads variant, which std::thread
# and std::mutex need) and the target's search root. Shared by the program's toolchain and
# the one Qt is cross-built with.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(VORLEND_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${VORLEND_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VORLEND_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${VORLEND_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${VORLEND_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
