# Cross-compiles the program for Windows on Arm (ARM64) with Debian's own
# clang, lld and llvm tools. Debian has no ARM64 mingw-w64 runtime or import
# libraries, and the program needs none: the mingw-w64 headers Debian ships
# serve every target, and CMakeLists.txt makes the import libraries from the
# project's list of the functions called (platform/imports/*.def).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR aarch64)

set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_CXX_COMPILER_TARGET aarch64-w64-mingw32)
set(CMAKE_CXX_FLAGS_INIT "-isystem /usr/share/mingw-w64/include")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-fuse-ld=lld")
# There is no runtime to link a trial program against.
set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)

# Debian keeps llvm-windres in LLVM's own folder, beside the real clang.
find_program(VELNORID_CLANG clang REQUIRED)
get_filename_component(LLVM_BIN ${VELNORID_CLANG} REALPATH)
get_filename_component(LLVM_BIN ${LLVM_BIN} DIRECTORY)
set(CMAKE_RC_COMPILER ${LLVM_BIN}/llvm-windres)
set(CMAKE_RC_FLAGS_INIT "--target=aarch64-w64-mingw32 --preprocessor-arg=-isystem/usr/share/mingw-w64/include")
set(CMAKE_OBJDUMP ${LLVM_BIN}/llvm-objdump)
set(IMPORT_LIBRARY_TOOL ${LLVM_BIN}/llvm-dlltool -m arm64)
