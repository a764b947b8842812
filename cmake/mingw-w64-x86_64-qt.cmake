# Cross-builds Qt itself for 64-bit Windows: the plain compilers. Qt chooses its own Windows
# API level and links the shared MinGW runtime, which its DLLs and the program then share.
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-x86_64-compilers.cmake)
