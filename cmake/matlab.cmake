# MATLAB build, where CMake finds an installation. Untested here: no MATLAB
# can be installed on the machines this project is built on.
foreach(module IN LISTS COAT_MODULES)
  matlab_add_mex(NAME ${module}_matlab SRC gateways/${module}.cpp ${COAT_GATEWAY_SOURCES}
    OUTPUT_NAME ${module} LINK_TO coatcore)
  target_include_directories(${module}_matlab PRIVATE ${PROJECT_SOURCE_DIR})
  set_target_properties(${module}_matlab PROPERTIES
    LIBRARY_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/matlab)
endforeach()
foreach(module IN LISTS COAT_LEGACY_MODULES)
  matlab_add_mex(NAME ${module}_legacy_matlab SRC gateways/legacy/${module}.cpp
    ${COAT_GATEWAY_SOURCES} OUTPUT_NAME ${module} LINK_TO coatcore)
  target_include_directories(${module}_legacy_matlab PRIVATE ${PROJECT_SOURCE_DIR})
  set_target_properties(${module}_legacy_matlab PROPERTIES
    LIBRARY_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/matlab/legacy)
endforeach()
