# Cross-compiles for 64-bit Windows with Debian's MinGW-w64 (posix threads variant,
# which std::thread and std::mutex need). Test executables run under Wine.
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

# Unicode Win32 API, Windows 7 as the oldest target.
add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
# The MinGW runtime DLLs are linked in, so the executables run without a DLL search path.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

find_program(VORLEND_WINE NAMES wine wine64)
if(VORLEND_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${VORLEND_WINE})
endif()
