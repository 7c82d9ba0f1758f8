# The shipped config.ini is checked against the store's defaults.
target_compile_definitions(${name} PRIVATE VYK_TEST_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
