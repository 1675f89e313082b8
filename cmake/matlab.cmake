# MATLAB build, where CMake finds an installation. Untested here: no MATLAB
# can be installed on the machines this project is built on.
foreach(module IN LISTS COAT_MODULES)
  matlab_add_mex(NAME ${module}_matlab SRC gateways/${module}.cpp gateways/gateway.cpp
    gateways/full_dispersion_inputs.cpp
    OUTPUT_NAME ${module} LINK_TO coatcore)
  target_include_directories(${module}_matlab PRIVATE ${PROJECT_SOURCE_DIR})
  set_target_properties(${module}_matlab PROPERTIES
    LIBRARY_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/matlab)
endforeach()
matlab_add_mex(NAME coatdelay_legacy_matlab SRC gateways/legacy/coatdelay.cpp gateways/gateway.cpp
  OUTPUT_NAME coatdelay LINK_TO coatcore)
target_include_directories(coatdelay_legacy_matlab PRIVATE ${PROJECT_SOURCE_DIR})
set_target_properties(coatdelay_legacy_matlab PROPERTIES
  LIBRARY_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/matlab/legacy)
