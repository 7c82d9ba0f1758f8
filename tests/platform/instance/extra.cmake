# A helper process that competes for the lock, so the tests can start several at once.
add_executable(vyk_instance_probe ${CMAKE_CURRENT_LIST_DIR}/instance_probe.cc)
target_link_libraries(vyk_instance_probe PRIVATE vyk_platform_instance)
set_target_properties(vyk_instance_probe PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests-bin)
add_dependencies(${name} vyk_instance_probe)
target_compile_definitions(${name} PRIVATE VYK_INSTANCE_PROBE="$<TARGET_FILE:vyk_instance_probe>")
