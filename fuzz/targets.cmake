# The fuzz targets and what each links. Shared by fuzz/CMakeLists.txt (libFuzzer programs,
# clang) and tests/fuzz/CMakeLists.txt (replay of the corpora under ctest, any compiler).
set(VYK_FUZZ_TARGETS
  store_value profile_file macro_db language config_ini hid_descriptor input_report ipc_frame sim_protocol)

set(VYK_FUZZ_LIBS_store_value    vyk_core_store)
set(VYK_FUZZ_LIBS_profile_file   vyk_core_store vyk_core_device)
set(VYK_FUZZ_LIBS_macro_db       vyk_core_macro vyk_core_device)
set(VYK_FUZZ_LIBS_language       vyk_core_language)
set(VYK_FUZZ_LIBS_config_ini     vyk_core_defs vyk_platform_ini vyk_platform_registry)
set(VYK_FUZZ_LIBS_hid_descriptor vyk_core_device vyk_platform_hid)
set(VYK_FUZZ_LIBS_input_report   vyk_monitor)
set(VYK_FUZZ_LIBS_ipc_frame      vyk_platform_ipc)
set(VYK_FUZZ_LIBS_sim_protocol   vyk_sim_server)

# The sandbox and checks every target uses.
if(NOT TARGET vyk_fuzz_support)
  add_library(vyk_fuzz_support STATIC ${CMAKE_SOURCE_DIR}/fuzz/support/fuzz_support.cpp
                                      ${CMAKE_SOURCE_DIR}/fuzz/support/fuzz_support.h)
  target_include_directories(vyk_fuzz_support PUBLIC ${CMAKE_SOURCE_DIR})
  target_link_libraries(vyk_fuzz_support PUBLIC Qt6::Widgets vyk_platform_diag vyk_platform_dialogs)
endif()
