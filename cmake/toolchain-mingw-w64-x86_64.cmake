# Cross build for Windows x86-64 with Debian's MinGW-w64 compilers, POSIX
# thread model (g++-mingw-w64-x86-64-posix); programs run under Wine (wine64).
#   cmake -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw-w64-x86_64.cmake
#         -DCOAT_CROSS_PREFIX=<folder with the target's GoogleTest and xsimd> ...
# Wine keeps its state in $WINEPREFIX (a scratch folder is best).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES COAT_CROSS_PREFIX)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32 ${COAT_CROSS_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Programs linked statically, so that Wine needs none of MinGW's runtime DLLs.
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)

find_program(COAT_WINE NAMES wine64 wine PATHS /usr/lib/wine)
if(COAT_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR env WINEDEBUG=-all ${COAT_WINE})
endif()
