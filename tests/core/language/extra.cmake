# The shipped language file is checked as built.
add_dependencies(${name} vyk_ui_local)
target_compile_definitions(${name} PRIVATE VYK_UI_LOCAL_PATH="${VYK_BIN_DIR}/ui.local")
# The generator itself is run on good and bad sources.
add_dependencies(${name} vyk_ui_local_gen)
target_compile_definitions(${name} PRIVATE VYK_UI_LOCAL_GEN="$<TARGET_FILE:vyk_ui_local_gen>")
