# The vector sines and cosines of the kernels (platform/): glibc's vector math
# library where the target has it (x86-64 Linux), xsimd's header-only routines
# elsewhere (Windows, macOS, aarch64), each instruction set in a unit compiled
# with its own flags.
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
  target_sources(coatcore PRIVATE ${PROJECT_SOURCE_DIR}/platform/vector_trig_mvec.cpp)
  # PRIVATE: a static library hands its link dependencies on all the same.
  target_link_libraries(coatcore PRIVATE mvec m)
else()
  find_path(COAT_XSIMD_INCLUDE_DIR xsimd/xsimd.hpp
    DOC "Folder holding xsimd/xsimd.hpp (Debian: libxsimd-dev)")
  if(NOT COAT_XSIMD_INCLUDE_DIR)
    message(FATAL_ERROR "xsimd not found: install it (Debian: libxsimd-dev; MSYS2, Homebrew, "
      "conda: xsimd) or set COAT_XSIMD_INCLUDE_DIR to the folder holding xsimd/xsimd.hpp")
  endif()
  set(trig_sources ${PROJECT_SOURCE_DIR}/platform/trig_xsimd.cpp)
  if(COAT_ARCH STREQUAL "x86_64")
    list(APPEND trig_sources ${PROJECT_SOURCE_DIR}/platform/trig_xsimd_avx2.cpp
                             ${PROJECT_SOURCE_DIR}/platform/trig_xsimd_avx512.cpp)
    set_source_files_properties(${PROJECT_SOURCE_DIR}/platform/trig_xsimd_avx2.cpp
      PROPERTIES COMPILE_OPTIONS -mavx2)
    set_source_files_properties(${PROJECT_SOURCE_DIR}/platform/trig_xsimd_avx512.cpp
      PROPERTIES COMPILE_OPTIONS -mavx512f)
  endif()
  target_sources(coatcore PRIVATE ${trig_sources})
  set_source_files_properties(${trig_sources} PROPERTIES
    INCLUDE_DIRECTORIES ${COAT_XSIMD_INCLUDE_DIR})
  if(NOT WIN32 AND NOT APPLE)
    target_link_libraries(coatcore PRIVATE m)
  endif()
endif()
