# The target of this build, as sources.txt's target entries know it:
# COAT_MACHINE, the GNU triple its compiler gives for -dumpmachine (asked for
# CMAKE_CXX_COMPILER_TARGET where a toolchain sets one; -DCOAT_MACHINE=...
# for a compiler that cannot tell), and COAT_CONDITIONS, the conditions it
# meets (cmake/sources.cmake). Where those take xsimd for the vector sines
# and cosines, xsimd's include folder is COAT_XSIMD_INCLUDE_DIR. Then
# COAT_CORE_SOURCES and COAT_LIBRARIES, the entries that hold for it.
set(coat_machine "${COAT_MACHINE}")
if(NOT coat_machine)
  set(coat_target "")
  if(CMAKE_CXX_COMPILER_TARGET)
    set(coat_target --target=${CMAKE_CXX_COMPILER_TARGET})
  endif()
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} ${coat_target} -dumpmachine
    OUTPUT_VARIABLE coat_machine OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE coat_failed)
  if(coat_failed OR NOT coat_machine)
    message(FATAL_ERROR "${CMAKE_CXX_COMPILER} does not give its target for -dumpmachine: "
      "set COAT_MACHINE to its GNU triple (x86_64-w64-mingw32, aarch64-linux-gnu, ...)")
  endif()
endif()

option(COAT_LIBMVEC "Vector sin/cos from glibc's libmvec where the target has it (x86-64 Linux); \
OFF takes xsimd's there too" ON)
coat_conditions(COAT_CONDITIONS "${coat_machine}" "${COAT_LIBMVEC}")
list(JOIN COAT_CONDITIONS " " coat_words)
message(STATUS "Target ${coat_machine}: ${coat_words}")

if("xsimd" IN_LIST COAT_CONDITIONS)
  find_path(COAT_XSIMD_INCLUDE_DIR xsimd/xsimd.hpp
    DOC "Folder holding xsimd/xsimd.hpp (Debian: libxsimd-dev)")
  if(NOT COAT_XSIMD_INCLUDE_DIR)
    message(FATAL_ERROR "xsimd not found: install it (Debian: libxsimd-dev; MSYS2, Homebrew, "
      "conda: xsimd) or set COAT_XSIMD_INCLUDE_DIR to the folder holding xsimd/xsimd.hpp")
  endif()
endif()

coat_take_entries("${COAT_CONDITIONS}")
