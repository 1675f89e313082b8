# MEX modules for GNU Octave, compiled against its own mex.h. Octave resolves
# the mx*/mex* calls from its own process when it loads a module, so nothing
# is linked; a version script exports mexFunction and mexVersion under the
# node MEX and hides everything else.
find_program(MKOCTFILE mkoctfile REQUIRED)
execute_process(COMMAND ${MKOCTFILE} -p OCTINCLUDEDIR
  OUTPUT_VARIABLE OCTAVE_INCLUDE_DIR OUTPUT_STRIP_TRAILING_WHITESPACE)
if(NOT EXISTS "${OCTAVE_INCLUDE_DIR}/mex.h")
  message(FATAL_ERROR "mex.h not found in '${OCTAVE_INCLUDE_DIR}' (install octave-dev)")
endif()

set(COAT_EXPORTS ${PROJECT_SOURCE_DIR}/gateways/exports.map)

add_library(coatgateway OBJECT ${COAT_GATEWAY_SOURCES})
target_include_directories(coatgateway PUBLIC ${PROJECT_SOURCE_DIR} ${OCTAVE_INCLUDE_DIR})

# coat_octave_module(<target> <output name> <folder> <gateway source> <help file>)
function(coat_octave_module target name folder source help)
  add_library(${target} MODULE ${source} $<TARGET_OBJECTS:coatgateway>)
  target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR} ${OCTAVE_INCLUDE_DIR})
  target_link_libraries(${target} PRIVATE coatcore)
  target_link_options(${target} PRIVATE -Wl,--version-script=${COAT_EXPORTS})
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
foreach(module IN LISTS COAT_LEGACY_MODULES)
  coat_octave_module(${module}_legacy ${module} ${COAT_LEGACY_DIR}
    ${PROJECT_SOURCE_DIR}/gateways/legacy/${module}.cpp
    ${PROJECT_SOURCE_DIR}/gateways/legacy/${module}.m)
endforeach()
