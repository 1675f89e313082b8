# Writes the Octave package coatings-<version>.tar.gz into a folder (default
# build/), from what sources.txt lists, as cmake/sources.cmake reads it:
#   cmake [-DCOAT_PACKAGE_DIR=<folder>] -P package/make_package.cmake
# (./build.sh package [folder] runs it). Users install the package with
# `pkg install coatings-<version>.tar.gz` and `pkg load coatings`; pkg
# install runs make in src/, with the Makefile written here from
# package/Makefile.in. MATLAB users run the coat_build.m at its top, which
# builds from src/ too, after the table private/coat_sources.m beside it.
# Needs CMake, tar and gzip, and xsimd's headers, which the package carries
# for the targets without glibc's libmvec (Windows, macOS, aarch64): those of
# the folder XSIMD_INCLUDE_DIR (-D or the environment; by default
# /usr/include, Debian: libxsimd-dev), and its licence, the file
# XSIMD_LICENCE (by default Debian's copyright file).
cmake_minimum_required(VERSION 3.20)
include(${CMAKE_CURRENT_LIST_DIR}/../cmake/sources.cmake)
set(root ${coat_root})

foreach(name XSIMD_INCLUDE_DIR XSIMD_LICENCE)
  if(NOT ${name})
    set(${name} "$ENV{${name}}")
  endif()
endforeach()
if(NOT XSIMD_INCLUDE_DIR)
  set(XSIMD_INCLUDE_DIR /usr/include)
endif()
if(NOT XSIMD_LICENCE)
  set(XSIMD_LICENCE /usr/share/doc/libxsimd-dev/copyright)
endif()
if(NOT EXISTS ${XSIMD_INCLUDE_DIR}/xsimd/xsimd.hpp)
  message(FATAL_ERROR "xsimd's headers not found in ${XSIMD_INCLUDE_DIR}/xsimd (Debian: apt-get "
    "install libxsimd-dev; or set XSIMD_INCLUDE_DIR to the folder holding xsimd/xsimd.hpp)")
endif()
if(NOT EXISTS ${XSIMD_LICENCE})
  message(FATAL_ERROR "xsimd's licence not found at ${XSIMD_LICENCE} (set XSIMD_LICENCE to its file)")
endif()

if(NOT COAT_PACKAGE_DIR)
  set(COAT_PACKAGE_DIR ${root}/build)
endif()
get_filename_component(out ${COAT_PACKAGE_DIR} ABSOLUTE)
set(name coatings-${COAT_VERSION})
set(stage ${out}/${name}.stage)
set(top ${stage}/${name})
file(REMOVE_RECURSE ${stage})
file(MAKE_DIRECTORY ${top}/inst/private ${top}/src/legacy)

# DESCRIPTION, dated by the last commit.
execute_process(COMMAND git -C ${root} log -1 --format=%cs
  OUTPUT_VARIABLE DATE OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
if(NOT DATE)
  string(TIMESTAMP DATE "%Y-%m-%d")
endif()
configure_file(${root}/package/DESCRIPTION.in ${top}/DESCRIPTION @ONLY)

# The modules compiled on targets without libmvec contain xsimd's code: its
# licence goes with theirs.
file(READ ${root}/LICENSE licence)
file(READ ${XSIMD_LICENCE} xsimd_licence)
file(WRITE ${top}/COPYING "${licence}\n\nsrc/xsimd holds the headers of xsimd \
(https://github.com/xtensor-stack/xsimd),\nused for the sine and cosine on targets \
without glibc's libmvec, under\nthese terms:\n\n${xsimd_licence}")

# The function index: categories in their order in sources.txt, modules
# first, then functions, then examples, each followed by its functions.
set(categories "")
foreach(entry IN LISTS COAT_MODULES COAT_FUNCTIONS COAT_EXAMPLES)
  set(category "${COAT_CATEGORY_${entry}}")
  string(MAKE_C_IDENTIFIER "${category}" key)
  if(NOT DEFINED index_${key})
    list(APPEND categories "${category}")
    set(index_${key} "")
  endif()
  string(APPEND index_${key} "  ${entry}\n")
endforeach()
set(index "toolbox >> coatings\n")
foreach(category IN LISTS categories)
  string(MAKE_C_IDENTIFIER "${category}" key)
  string(APPEND index "${category}\n${index_${key}}")
endforeach()
file(WRITE ${top}/INDEX "${index}")

# The scripts at the top: post_install.m for pkg install, coat_build.m for
# MATLAB, with what it builds in private/coat_sources.m, where only it sees it.
file(COPY ${root}/package/post_install.m ${root}/coat_build.m DESTINATION ${top})
coat_write_matlab_sources(${top}/private/coat_sources.m)

# inst/: the modules' help files, the functions for users and the examples,
# installed as they are, and in inst/private/ the helpers the functions share
# (coat_build.m takes the functions, helpers and examples from here too).
foreach(module IN LISTS COAT_MODULES)
  file(COPY ${root}/gateways/${module}.m DESTINATION ${top}/inst)
endforeach()
foreach(function IN LISTS COAT_FUNCTIONS)
  file(COPY ${root}/toolbox/${function}.m DESTINATION ${top}/inst)
endforeach()
foreach(example IN LISTS COAT_EXAMPLES)
  file(COPY ${root}/examples/${example}.m DESTINATION ${top}/inst)
endforeach()
foreach(helper IN LISTS COAT_PRIVATE)
  file(COPY ${root}/toolbox/private/${helper}.m DESTINATION ${top}/inst/private)
endforeach()

# src/: every source of every target in its folder, every header, the
# modules' help files for coat_build.m, xsimd's headers and the Makefile.
# The first-generation builds' help files go to src/legacy too, which
# post_install.m places beside the installed modules.
function(copy_src path)
  get_filename_component(folder ${path} DIRECTORY)
  file(COPY ${root}/${path} DESTINATION ${top}/src/${folder})
endfunction()
foreach(id IN LISTS COAT_ENTRIES_core)
  list(GET ${id}_FIELDS 0 path)
  copy_src(${path})
endforeach()
foreach(path IN LISTS COAT_GATEWAY_SOURCES ITEMS gateways/exports.map)
  copy_src(${path})
endforeach()
foreach(module IN LISTS COAT_MODULES)
  copy_src(gateways/${module}.cpp)
  copy_src(gateways/${module}.m)
endforeach()
foreach(module IN LISTS COAT_LEGACY_MODULES)
  copy_src(gateways/legacy/${module}.cpp)
  copy_src(gateways/legacy/${module}.m)
  file(COPY ${root}/gateways/legacy/${module}.m DESTINATION ${top}/src/legacy)
endforeach()
get_filename_component(xsimd ${XSIMD_INCLUDE_DIR}/xsimd REALPATH)
file(COPY ${xsimd}/ DESTINATION ${top}/src/xsimd)
file(GLOB folders LIST_DIRECTORIES true RELATIVE ${root} ${root}/*)
list(FILTER folders EXCLUDE REGEX "^(build.*|tests|bench|[.].*)$")
foreach(folder IN LISTS folders)
  if(IS_DIRECTORY ${root}/${folder})
    file(GLOB_RECURSE headers RELATIVE ${root} ${root}/${folder}/*.h)
    foreach(header IN LISTS headers)
      copy_src(${header})
    endforeach()
  endif()
endforeach()

# The Makefile: its template, with what sources.txt lists in make's words.
function(objects out)
  list(TRANSFORM ARGN REPLACE "[.]cpp$" ".o")
  list(JOIN ARGN " " words)
  set(${out} "${words}" PARENT_SCOPE)
endfunction()
# CONDITION,...:WORD for each word of an entry that holds for some targets only.
function(when out id)
  list(JOIN ${id}_WHEN "," conditions)
  list(TRANSFORM ARGN PREPEND "${conditions}:")
  set(${out} ${ARGN} PARENT_SCOPE)
endfunction()
list(JOIN COAT_FLAGS " " flags)
list(JOIN COAT_RELEASE_FLAGS " " release)
set(MK_FLAGS "${flags} ${release}")
set(core "")
set(core_when "")
set(MK_OWN_FLAGS "")
foreach(id IN LISTS COAT_ENTRIES_core)
  set(own ${${id}_FIELDS})
  list(POP_FRONT own path)
  objects(object ${path})
  if(${id}_WHEN)
    when(words ${id} ${object})
    list(APPEND core_when ${words})
  else()
    list(APPEND core ${object})
  endif()
  if(own)
    list(JOIN own " " own)
    string(APPEND MK_OWN_FLAGS "${object}: FLAGS += ${own}\n")
  endif()
endforeach()
list(JOIN core " " MK_CORE)
list(JOIN core_when " " MK_CORE_WHEN)
set(libraries "")
set(libraries_when "")
foreach(id IN LISTS COAT_ENTRIES_library)
  if(${id}_WHEN)
    when(words ${id} ${${id}_FIELDS})
    list(APPEND libraries_when ${words})
  else()
    list(TRANSFORM ${id}_FIELDS PREPEND -l OUTPUT_VARIABLE words)
    list(APPEND libraries ${words})
  endif()
endforeach()
list(JOIN libraries " " MK_LIBRARIES)
list(JOIN libraries_when " " MK_LIBRARIES_WHEN)
set(targets "")
foreach(id IN LISTS COAT_ENTRIES_target)
  set(conditions ${${id}_FIELDS})
  list(POP_FRONT conditions pattern)
  string(REPLACE "*" "%" pattern "${pattern}")
  list(JOIN conditions "," conditions)
  list(APPEND targets "${pattern}=${conditions}")
endforeach()
list(JOIN targets " " MK_TARGETS)
objects(MK_GATEWAY ${COAT_GATEWAY_SOURCES})
list(TRANSFORM COAT_MODULES APPEND .mex OUTPUT_VARIABLE modules)
list(JOIN modules " " MK_MODULES)
list(TRANSFORM COAT_LEGACY_MODULES REPLACE "^(.+)$" "legacy/\\1.mex" OUTPUT_VARIABLE legacy)
list(JOIN legacy " " MK_LEGACY)
configure_file(${root}/package/Makefile.in ${top}/src/Makefile @ONLY)

execute_process(COMMAND tar -C ${stage} --owner=0 --group=0 --numeric-owner
    -czf ${out}/${name}.tar.gz ${name}
  RESULT_VARIABLE failed)
file(REMOVE_RECURSE ${stage})
if(failed)
  message(FATAL_ERROR "tar could not write ${out}/${name}.tar.gz")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E echo ${out}/${name}.tar.gz)
