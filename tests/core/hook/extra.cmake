# Two stand-ins for the hook library, each named libuiHook.so in a folder of its own: a full
# one whose events the tests choose, and one that lacks DisableMouseHook. The real library is
# used by the tests under Xvfb.
if(NOT TARGET vyk_fake_uihook)
  foreach(variant full partial)
    set(fake vyk_fake_uihook)
    if(variant STREQUAL "partial")
      set(fake vyk_fake_uihook_partial)
    endif()
    add_library(${fake} SHARED ${CMAKE_CURRENT_LIST_DIR}/fake/fake_hook.cpp)
    target_include_directories(${fake} PRIVATE ${CMAKE_SOURCE_DIR})
    set_target_properties(${fake} PROPERTIES
      OUTPUT_NAME uiHook
      LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests-bin/fakehook-${variant}
      CXX_VISIBILITY_PRESET hidden)
    if(variant STREQUAL "partial")
      target_compile_definitions(${fake} PRIVATE FAKE_HOOK_WITHOUT_DISABLE_MOUSE)
    endif()
  endforeach()
endif()
add_dependencies(${name} vyk_fake_uihook vyk_fake_uihook_partial uiHook)
target_compile_definitions(${name} PRIVATE
  VYK_FAKE_HOOK_DIR="${CMAKE_BINARY_DIR}/tests-bin/fakehook-full/"
  VYK_PARTIAL_HOOK_DIR="${CMAKE_BINARY_DIR}/tests-bin/fakehook-partial/"
  VYK_REAL_HOOK_DIR="${VYK_BIN_DIR}/")
target_link_libraries(${name} PRIVATE ${CMAKE_DL_LIBS})
# The recording tests under Xvfb share the server fixture of the library tests.
target_sources(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests/platform/hooklib/x_probe.cpp)
target_link_libraries(${name} PRIVATE PkgConfig::X11LIBS)
