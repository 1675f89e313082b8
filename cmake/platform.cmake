# What sources.txt's conditions are for this target (COAT_CONDITIONS): the
# processor, and where the vector sines and cosines of the kernels come from:
# glibc's vector math library where the target has it (x86-64 Linux),
# xsimd's header-only routines elsewhere (Windows, macOS, aarch64), whose
# include folder is then COAT_XSIMD_INCLUDE_DIR.
include(CheckLibraryExists)
if(CMAKE_SYSTEM_PROCESSOR MATCHES "^(x86_64|AMD64|amd64)$")
  set(COAT_ARCH x86_64)
elseif(CMAKE_SYSTEM_PROCESSOR MATCHES "^(aarch64|arm64|ARM64)$")
  set(COAT_ARCH aarch64)
else()
  set(COAT_ARCH other)
endif()

if(COAT_ARCH STREQUAL "x86_64" AND CMAKE_SYSTEM_NAME STREQUAL "Linux" AND NOT DEFINED COAT_LIBMVEC)
  check_library_exists(mvec _ZGVdN4v_sin "" COAT_HAVE_LIBMVEC)
endif()
option(COAT_LIBMVEC "Vector sin/cos from glibc's libmvec (x86-64 Linux)" ${COAT_HAVE_LIBMVEC})

if(COAT_LIBMVEC)
  set(COAT_CONDITIONS mvec ${COAT_ARCH})
else()
  set(COAT_CONDITIONS xsimd ${COAT_ARCH})
  find_path(COAT_XSIMD_INCLUDE_DIR xsimd/xsimd.hpp
    DOC "Folder holding xsimd/xsimd.hpp (Debian: libxsimd-dev)")
  if(NOT COAT_XSIMD_INCLUDE_DIR)
    message(FATAL_ERROR "xsimd not found: install it (Debian: libxsimd-dev; MSYS2, Homebrew, "
      "conda: xsimd) or set COAT_XSIMD_INCLUDE_DIR to the folder holding xsimd/xsimd.hpp")
  endif()
endif()
