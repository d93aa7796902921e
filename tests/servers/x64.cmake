# The 64-bit test servers, built by the 64-bit project (helper/) into
# SERVERS64_DIR, which is tests/servers/x64 of the main build.
include(${CMAKE_CURRENT_LIST_DIR}/testserver.cmake)

set(S ${CMAKE_CURRENT_LIST_DIR})
test_server(comserver64 DIR ${SERVERS64_DIR} SOURCES ${S}/comserver.cpp ${S}/comserver.def)
test_server(failreg64 DIR ${SERVERS64_DIR} SOURCES ${S}/fixedresult.cpp ${S}/registration.def)
target_compile_definitions(failreg64 PRIVATE SERVER_RESULT=E_ACCESSDENIED)
test_server(crashserver64 DIR ${SERVERS64_DIR} SOURCES ${S}/crashserver.cpp ${S}/registration.def)
test_server(dllmaincrash64 DIR ${SERVERS64_DIR} SOURCES ${S}/dllmaincrash.cpp ${S}/registration.def)
test_server(plain64 DIR ${SERVERS64_DIR} SOURCES ${S}/plain.cpp ${S}/plain.def)
test_server(hangserver64 DIR ${SERVERS64_DIR} SOURCES ${S}/hangserver.cpp ${S}/registration.def)
test_server(chattyserver64 DIR ${SERVERS64_DIR} SOURCES ${S}/chattyserver.cpp ${S}/registration.def)
test_server(recordserver64 DIR ${SERVERS64_DIR} SOURCES ${S}/recordserver.cpp ${S}/recordserver.def)
target_link_libraries(recordserver64 PRIVATE user32)
# A server whose DLL beside it needs a helper that lies where no search looks.
test_server(probehelper DIR ${SERVERS64_DIR}/elsewhere SOURCES ${S}/probehelper.cpp)
test_server(probemiddle DIR ${SERVERS64_DIR}/probe SOURCES ${S}/probemiddle.cpp)
target_link_libraries(probemiddle PRIVATE probehelper)
test_server(probeserver DIR ${SERVERS64_DIR}/probe SOURCES ${S}/probeserver.cpp ${S}/registration.def)
target_link_libraries(probeserver PRIVATE probemiddle)
test_server(leaveserver64 DIR ${SERVERS64_DIR} SOURCES ${S}/leaveserver.cpp ${S}/registration.def)
# A server that needs a C/C++ runtime DLL found nowhere.
test_server(mfc140u DIR ${SERVERS64_DIR}/elsewhere SOURCES ${S}/besidehelper.cpp)
test_server(needsmfc64 DIR ${SERVERS64_DIR} SOURCES ${S}/needsdep.cpp ${S}/registration.def)
target_link_libraries(needsmfc64 PRIVATE mfc140u)
# A planted copy's stand-in, a server whose system DLL it may shadow, and a
# server whose helper only the PATH names.
test_server(planted64 DIR ${SERVERS64_DIR} SOURCES ${S}/planted.cpp)
test_server(shadowserver64 DIR ${SERVERS64_DIR} SOURCES ${S}/shadowserver.cpp ${S}/registration.def)
target_link_libraries(shadowserver64 PRIVATE msimg32)
test_server(pathhelper DIR ${SERVERS64_DIR}/onpath SOURCES ${S}/besidehelper.cpp)
test_server(pathserver64 DIR ${SERVERS64_DIR}/pathserver SOURCES ${S}/needsdep.cpp ${S}/registration.def)
target_link_libraries(pathserver64 PRIVATE pathhelper)
# Servers that reach out of a preview, and one with more classes than an answer carries.
test_server(linkserver64 DIR ${SERVERS64_DIR} SOURCES ${S}/containserver.cpp ${S}/registration.def)
target_compile_definitions(linkserver64 PRIVATE CONTAIN_KIND=1)
test_server(manyserver64 DIR ${SERVERS64_DIR} SOURCES ${S}/containserver.cpp ${S}/registration.def)
target_compile_definitions(manyserver64 PRIVATE CONTAIN_KIND=3)

# The manifest's servers, 64-bit, the dual one with its type library compiled
# for 64-bit, and a 64-bit client that activates them from the manifest.
set(STDOLE64_DIR /usr/lib/x86_64-linux-gnu/wine/x86_64-windows)
set(LIB64 ${CMAKE_CURRENT_BINARY_DIR}/exportlib)
add_custom_command(OUTPUT ${LIB64}.tlb
  COMMAND x86_64-w64-mingw32-widl --win64 -L ${STDOLE64_DIR} -t -o ${LIB64}.tlb ${S}/exportlib.idl
  DEPENDS ${S}/exportlib.idl)
add_custom_command(OUTPUT ${LIB64}.res.obj
  COMMAND x86_64-w64-mingw32-windres -I ${CMAKE_CURRENT_BINARY_DIR} -i ${S}/exportlib.rc -O coff -o ${LIB64}.res.obj
  DEPENDS ${S}/exportlib.rc ${LIB64}.tlb)
foreach(shape DUAL PROXY CLAIM)
  string(TOLOWER ${shape} name)
  test_server(${name}server64 DIR ${SERVERS64_DIR}/export SOURCES ${S}/exportserver.cpp ${S}/exportserver.def)
  target_compile_definitions(${name}server64 PRIVATE EXPORT_${shape})
  target_link_libraries(${name}server64 PRIVATE oleaut32)
endforeach()
target_sources(dualserver64 PRIVATE ${LIB64}.res.obj)
add_executable(actctxclient ${S}/actctxclient.cpp)
tessiver_options(actctxclient)
set_target_properties(actctxclient PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${SERVERS64_DIR})
target_link_options(actctxclient PRIVATE -municode)
target_link_libraries(actctxclient PRIVATE ole32 oleaut32)
