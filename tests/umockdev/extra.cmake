# The real hidraw backend and udev monitor against a mocked kernel interface: umockdev for
# sysfs and uevents, and fake_hidraw (tests only) for the /dev/hidraw* nodes, backed by the
# simulated mouse. The program re-executes itself with both in LD_PRELOAD (hidraw_testbed.cpp).
pkg_check_modules(UMOCKDEV REQUIRED IMPORTED_TARGET umockdev-1.0)

add_library(vyk_fake_hidraw SHARED
  ${CMAKE_CURRENT_SOURCE_DIR}/umockdev/fake_hidraw/fake_hidraw.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/umockdev/fake_hidraw/fake_hidraw.h
  ${CMAKE_SOURCE_DIR}/platform/hid/sim_protocol.cpp)
target_include_directories(vyk_fake_hidraw PRIVATE ${CMAKE_SOURCE_DIR})
target_link_libraries(vyk_fake_hidraw PRIVATE Threads::Threads ${CMAKE_DL_LIBS})
set_target_properties(vyk_fake_hidraw PROPERTIES CXX_VISIBILITY_PRESET hidden
                                                 LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests-bin)

# The monitor's reopen on arrival is tested with the monitor itself (and its hook library);
# a mouse refused to the user with both programs (VykCfg's window driven through QTest).
find_package(Qt6 REQUIRED COMPONENTS Test)
target_link_libraries(${name} PRIVATE vyk_monitor vyk_config Qt6::Test vyk_sim_server vyk_fake_hidraw
                                      PkgConfig::UMOCKDEV ${CMAKE_DL_LIBS})
add_dependencies(${name} uiHook)
target_compile_definitions(${name} PRIVATE VYK_FAKE_HIDRAW_LIB="$<TARGET_FILE:vyk_fake_hidraw>")
