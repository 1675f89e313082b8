# MEX modules for GNU Octave, compiled against its own mex.h. Each exports
# mexFunction and mexVersion and hides everything else, as its platform's
# linker does it:
# - Linux (ELF): Octave resolves the mx*/mex* calls from its own process when
#   it loads a module, so nothing is linked; a version script exports the two
#   under the node MEX.
# - macOS (untested): the same calls are left to be looked up at load time,
#   and an exported-symbols list names the two.
# - Windows (untested): a DLL cannot leave them unresolved; it links against
#   Octave's liboctinterp and liboctave import libraries, as mkoctfile --mex
#   does, and a .def file names the two.
find_program(MKOCTFILE mkoctfile REQUIRED)
execute_process(COMMAND ${MKOCTFILE} -p OCTINCLUDEDIR
  OUTPUT_VARIABLE OCTAVE_INCLUDE_DIR OUTPUT_STRIP_TRAILING_WHITESPACE)
if(NOT EXISTS "${OCTAVE_INCLUDE_DIR}/mex.h")
  message(FATAL_ERROR "mex.h not found in '${OCTAVE_INCLUDE_DIR}' (install octave-dev)")
endif()

if(APPLE)
  set(COAT_EXPORTS ${PROJECT_SOURCE_DIR}/gateways/exports.txt)
  set(COAT_EXPORT_OPTIONS -Wl,-exported_symbols_list,${COAT_EXPORTS} -Wl,-undefined,dynamic_lookup)
elseif(WIN32)
  set(COAT_EXPORTS ${PROJECT_SOURCE_DIR}/gateways/exports.def)
  set(COAT_EXPORT_OPTIONS "")
  execute_process(COMMAND ${MKOCTFILE} -p OCTLIBDIR
    OUTPUT_VARIABLE OCTAVE_LIBRARY_DIR OUTPUT_STRIP_TRAILING_WHITESPACE)
  find_library(OCTAVE_OCTINTERP_LIBRARY octinterp HINTS ${OCTAVE_LIBRARY_DIR} REQUIRED)
  find_library(OCTAVE_OCTAVE_LIBRARY octave HINTS ${OCTAVE_LIBRARY_DIR} REQUIRED)
else()
  set(COAT_EXPORTS ${PROJECT_SOURCE_DIR}/gateways/exports.map)
  set(COAT_EXPORT_OPTIONS -Wl,--version-script=${COAT_EXPORTS})
endif()

add_library(coatgateway OBJECT ${COAT_GATEWAY_SOURCES})
target_include_directories(coatgateway PUBLIC ${PROJECT_SOURCE_DIR} ${OCTAVE_INCLUDE_DIR})

# coat_octave_module(<target> <output name> <folder> <gateway source> <help file>)
function(coat_octave_module target name folder source help)
  add_library(${target} MODULE ${source} $<TARGET_OBJECTS:coatgateway>)
  target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR} ${OCTAVE_INCLUDE_DIR})
  target_link_libraries(${target} PRIVATE coatcore)
  target_link_options(${target} PRIVATE ${COAT_EXPORT_OPTIONS})
  if(WIN32)
    target_sources(${target} PRIVATE ${COAT_EXPORTS})
    target_link_libraries(${target} PRIVATE ${OCTAVE_OCTINTERP_LIBRARY} ${OCTAVE_OCTAVE_LIBRARY})
  endif()
  set_target_properties(${target} PROPERTIES
    PREFIX "" SUFFIX ".mex" OUTPUT_NAME ${name}
    LIBRARY_OUTPUT_DIRECTORY ${folder}
    LINK_DEPENDS ${COAT_EXPORTS})
  # The comment-only .m beside the module gives `help <name>` and, with its
  # test blocks, `test <name>`; copied again whenever it changes.
  configure_file(${help} ${folder}/${name}.m COPYONLY)
endfunction()

foreach(module IN LISTS COAT_MODULES)
  coat_octave_module(${module} ${module} ${COAT_MEX_DIR}
    ${PROJECT_SOURCE_DIR}/gateways/${module}.cpp ${PROJECT_SOURCE_DIR}/gateways/${module}.m)
endforeach()
coat_copy_functions(${COAT_MEX_DIR})
foreach(module IN LISTS COAT_LEGACY_MODULES)
  coat_octave_module(${module}_legacy ${module} ${COAT_LEGACY_DIR}
    ${PROJECT_SOURCE_DIR}/gateways/legacy/${module}.cpp
    ${PROJECT_SOURCE_DIR}/gateways/legacy/${module}.m)
endforeach()
