# A build with AddressSanitizer and UndefinedBehaviorSanitizer (GCC or Clang):
# every read and write checked, every undefined operation fatal. UBSan's
# float-divide-by-zero stays off: IEEE division by zero is how NaN and Inf
# reach their outputs.
add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
add_link_options(-fsanitize=address,undefined)

# Compiled for checking, not for speed. With every walk flattened into each
# kernel variant at -O2 (platform/dispatch.h), the instrumented kernels took
# minutes a unit to compile; plain variants, -O1 (ASan's reports keep their
# frames) and no tracking of variable locations (a report names files and
# lines, which the line tables give) take a fifth of the time, for tests that
# run somewhat longer. Each variant still runs the same walk; the shipped
# build's own tests check the flattened code.
add_compile_definitions(COAT_PLAIN_VARIANTS)
add_compile_options(-O1 $<$<CXX_COMPILER_ID:GNU>:-fno-var-tracking-assignments>)

# A module built so can only run in a host whose first library is the ASan
# runtime, so octave-cli starts with it preloaded (libubsan comes in as a
# dependency of each module). The allocator is then replaced for the whole
# process and Octave's own arrays get red zones too: a module reading past an
# input array is caught. Recording a deep allocation stack for each of
# Octave's many small allocations would make a run about 60 times slower; two
# frames still name the module's. Leaks are looked for by the leak_check
# helper while the modules are loaded, not at exit, where Octave's own would
# drown them and the modules are gone.
execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=libasan.so
  OUTPUT_VARIABLE COAT_ASAN_RUNTIME OUTPUT_STRIP_TRAILING_WHITESPACE)
if(NOT IS_ABSOLUTE "${COAT_ASAN_RUNTIME}" OR NOT EXISTS "${COAT_ASAN_RUNTIME}")
  message(FATAL_ERROR "the ASan runtime of ${CMAKE_CXX_COMPILER} was not found ('${COAT_ASAN_RUNTIME}')")
endif()
set(COAT_SANITIZED_HOST_ENV
  "LD_PRELOAD=${COAT_ASAN_RUNTIME}"
  "ASAN_OPTIONS=malloc_context_size=2:detect_leaks=1:leak_check_at_exit=0"
  "LSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/tests/sanitize/lsan.supp"
  "UBSAN_OPTIONS=print_stacktrace=1"
  # Three threads for every call that has lane groups enough: the threaded
  # paths run under the sanitizers too.
  "COAT_THREADS=3" "COAT_THREADS_MIN_WORK=0"
  # The worker processes of Octave's parallel package abort under ASan (a
  # use-after-free it reports in the package's own pthread_sigmask call,
  # before any module runs): coatdesign's and coattolerance's parallel calls
  # run in one process here; the other builds test the parallel path.
  "COAT_PARALLEL=0")
