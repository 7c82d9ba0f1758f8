# The tests load the real libuiHook.so from the bin folder and drive it under Xvfb.
add_dependencies(${name} uiHook)
target_compile_definitions(${name} PRIVATE VYK_REAL_HOOK_DIR="${VYK_BIN_DIR}/")
target_link_libraries(${name} PRIVATE ${CMAKE_DL_LIBS} PkgConfig::X11LIBS Qt6::Widgets)
