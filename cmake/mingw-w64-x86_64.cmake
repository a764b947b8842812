# Cross-compiles for 64-bit Windows with Debian's MinGW-w64. Test executables run under Wine.
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-x86_64-compilers.cmake)

# Unicode Win32 API, Windows 7 as the oldest target.
add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
# The MinGW runtime DLLs are linked in, so the executables run without a DLL search path. The
# program built against Qt shares Qt's runtime DLLs instead (VORLEND_MINGW_SHARED_RUNTIME), so
# one C++ runtime owns what crosses between them.
if(NOT VORLEND_MINGW_SHARED_RUNTIME)
    set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
endif()

# A Qt for Windows outside the MinGW root (tools/windows-qt.sh): searched like the root.
if(VORLEND_QT_PREFIX)
    list(APPEND CMAKE_FIND_ROOT_PATH ${VORLEND_QT_PREFIX})
endif()

find_program(VORLEND_WINE NAMES wine wine64)
if(VORLEND_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${VORLEND_WINE})
endif()
