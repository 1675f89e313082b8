# Cross build for aarch64 Linux with Debian's GNU cross compilers
# (g++-aarch64-linux-gnu); programs run under qemu-user (qemu-user-static).
#   cmake -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-aarch64-linux-gnu.cmake
#         -DCOAT_CROSS_PREFIX=<folder with the target's GoogleTest and xsimd> ...
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(CMAKE_C_COMPILER aarch64-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)

set(COAT_SYSROOT /usr/aarch64-linux-gnu)
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES COAT_CROSS_PREFIX)
set(CMAKE_FIND_ROOT_PATH ${COAT_SYSROOT} ${COAT_CROSS_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Test programs (and GoogleTest's discovery of their tests) run through qemu,
# with the target's C and C++ libraries from the cross toolchain's folder.
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-aarch64-static -L ${COAT_SYSROOT})
