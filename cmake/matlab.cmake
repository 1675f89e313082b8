# MATLAB build, where CMake finds an installation. Untested here: no MATLAB
# can be installed on the machines this project is built on.
#
# MODULE libraries: on Windows the DLL of a SHARED library goes to the runtime
# output folder, where the current and the first-generation coatdelay.mexw64
# would land on each other. matlab_add_mex exports mexFunction as each
# platform needs it (a version script on Linux, an exported-symbols list on
# macOS, __declspec(dllexport) on Windows), and DOCUMENTATION copies the help
# text beside each module for `help <name>`.
function(coat_matlab_module target name folder source help)
  # The help text joins the target's sources, where a .m file would be taken
  # for Objective-C.
  set_source_files_properties(${help} PROPERTIES HEADER_FILE_ONLY TRUE)
  matlab_add_mex(NAME ${target} MODULE SRC ${source} ${COAT_GATEWAY_SOURCES}
    OUTPUT_NAME ${name} DOCUMENTATION ${help} LINK_TO coatcore)
  target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR})
  # A generator expression keeps multi-configuration generators (Visual
  # Studio, Xcode) from adding a folder per configuration.
  set_target_properties(${target} PROPERTIES
    LIBRARY_OUTPUT_DIRECTORY $<1:${folder}>
    RUNTIME_OUTPUT_DIRECTORY $<1:${folder}>)
endfunction()

foreach(module IN LISTS COAT_MODULES)
  coat_matlab_module(${module}_matlab ${module} ${PROJECT_BINARY_DIR}/matlab
    ${PROJECT_SOURCE_DIR}/gateways/${module}.cpp ${PROJECT_SOURCE_DIR}/gateways/${module}.m)
endforeach()
coat_copy_functions(${PROJECT_BINARY_DIR}/matlab)
foreach(module IN LISTS COAT_LEGACY_MODULES)
  coat_matlab_module(${module}_legacy_matlab ${module} ${PROJECT_BINARY_DIR}/matlab/legacy
    ${PROJECT_SOURCE_DIR}/gateways/legacy/${module}.cpp
    ${PROJECT_SOURCE_DIR}/gateways/legacy/${module}.m)
endforeach()
