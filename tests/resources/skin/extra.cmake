# The pictures are drawn at build time; the test reads them from the program folder and runs
# the generator again to check that it draws the same bytes.
add_dependencies(${name} vyk_skin vyk_icons)
target_compile_definitions(${name} PRIVATE VYK_SKIN_GEN="$<TARGET_FILE:vyk-skin-gen>")
target_compile_definitions(${name} PRIVATE VYK_ICON_DIR="${CMAKE_BINARY_DIR}/icons")
