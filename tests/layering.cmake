# cmake -DROOT=<source folder> -P tests/layering.cmake
#
# The folders of the library stack like floors: each source includes only
# headers of its own folder or of a lower floor, so no folder cycle can form.
# The two-material walks (stack, delay, dispersion, gradient) and the general
# engine (engine, profile) stand side by side on geometry: neither includes
# the other. Every folder holding sources must have a floor here (tests and
# bench stand above everything and are not read). The argument library
# (gateways/gateway.*) knows nothing of any walk: it includes no folder above
# geometry. Fails, naming each offending include, when any rule is broken.
cmake_minimum_required(VERSION 3.20)
set(floors
  numeric 1
  platform 2
  geometry 3
  stack 4   delay 5   dispersion 6   gradient 6
  engine 4  profile 5
  gateways 7)
set(two_material stack delay dispersion gradient)
set(general engine profile)
set(above_all tests bench)
set(argument_library gateways/gateway.h gateways/gateway.cpp)
set(argument_library_ceiling 3)

set(known "")
list(LENGTH floors count)
math(EXPR last "${count} - 1")
foreach(i RANGE 0 ${last} 2)
  math(EXPR j "${i} + 1")
  list(GET floors ${i} folder)
  list(GET floors ${j} floor)
  set(floor_${folder} ${floor})
  list(APPEND known ${folder})
endforeach()

file(GLOB_RECURSE sources RELATIVE ${ROOT} ${ROOT}/*.h ${ROOT}/*.cpp)
set(faults "")
set(checked 0)
foreach(source IN LISTS sources)
  string(REGEX MATCH "^[^/]+" folder "${source}")
  if(folder STREQUAL source OR folder IN_LIST above_all OR folder MATCHES "^build")
    continue()
  endif()
  if(NOT folder IN_LIST known)
    list(APPEND faults "${source}: folder '${folder}' has no floor in tests/layering.cmake")
    continue()
  endif()
  math(EXPR checked "${checked} + 1")
  file(STRINGS ${ROOT}/${source} lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"[^\"]+/[^\"]+\"")
  foreach(line IN LISTS lines)
    string(REGEX REPLACE "^[^\"]*\"([^\"]+)\".*$" "\\1" header "${line}")
    string(REGEX MATCH "^[^/]+" target "${header}")
    if(target STREQUAL folder)
      continue()
    endif()
    if(NOT target IN_LIST known)
      list(APPEND faults "${source}: includes ${header}, of a folder with no floor")
    elseif(NOT floor_${target} LESS floor_${folder})
      list(APPEND faults "${source} (floor ${floor_${folder}}): includes ${header} (floor ${floor_${target}})")
    elseif((folder IN_LIST general AND target IN_LIST two_material)
           OR (folder IN_LIST two_material AND target IN_LIST general))
      list(APPEND faults "${source}: includes ${header} across the general engine and the two-material walks")
    elseif(source IN_LIST argument_library AND floor_${target} GREATER argument_library_ceiling)
      list(APPEND faults "${source}: the argument library includes ${header}, a walk")
    endif()
  endforeach()
endforeach()

if(faults)
  list(JOIN faults "\n  " text)
  message(FATAL_ERROR "layering broken:\n  ${text}")
endif()
message(STATUS "layering holds over ${checked} sources")
