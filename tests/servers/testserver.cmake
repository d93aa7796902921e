# test_server(name DIR folder SOURCES ...): a test DLL named exactly `name`.dll
# in `folder`; shared by the 32-bit build and the 64-bit one.
function(test_server name)
  cmake_parse_arguments(S "" "DIR" "SOURCES" ${ARGN})
  add_library(${name} SHARED ${S_SOURCES})
  tessiver_options(${name})
  set_target_properties(${name} PROPERTIES PREFIX "" RUNTIME_OUTPUT_DIRECTORY ${S_DIR})
  target_link_libraries(${name} PRIVATE ole32 advapi32)
  # The .def files name the exports undecorated; let the linker map them quietly.
  target_link_options(${name} PRIVATE -Wl,--enable-stdcall-fixup)
endfunction()
