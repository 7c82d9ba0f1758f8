# The program itself is run by one test: build it first.
add_dependencies(${name} vyk-mouse-sim)
target_compile_definitions(${name} PRIVATE VYK_SIM_PROGRAM="$<TARGET_FILE:vyk-mouse-sim>")
