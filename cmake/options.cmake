# Shared by the 32-bit project and the 64-bit one (helper/).

# Warnings as errors for our own targets only (GoogleTest is built as it comes).
function(tessiver_options target)
  if(MSVC)
    target_compile_options(${target} PRIVATE /W4 /WX /utf-8)
  else()
    target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
  endif()
  target_compile_definitions(${target} PRIVATE
    UNICODE _UNICODE NOMINMAX WIN32_LEAN_AND_MEAN _WIN32_WINNT=0x0601 WINVER=0x0601)
endfunction()

# Release builds are made for size: the program waits on the system, not on its
# own code, and a smaller file maps and starts sooner. They carry no debug
# information (the static runtimes bring theirs) and drop the code nothing calls.
if(NOT MSVC AND CMAKE_BUILD_TYPE STREQUAL "Release")
  set(CMAKE_C_FLAGS_RELEASE "-Os -DNDEBUG")
  set(CMAKE_CXX_FLAGS_RELEASE "-Os -DNDEBUG")
  add_compile_options(-ffunction-sections -fdata-sections)
  add_link_options(-Wl,--gc-sections -s)
endif()
