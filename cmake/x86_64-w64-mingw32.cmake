# Cross-compiles the program's x86_64 twin with mingw-w64: the same sources
# for 64-bit Windows (and 64-bit Wine on machines that run no i386 code).
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TOOLCHAIN_PREFIX x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
