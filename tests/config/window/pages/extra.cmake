# Widget tests drive the window with real mouse and key events through QTest; the window's
# resources (skin) are built beside the programs.
find_package(Qt6 REQUIRED COMPONENTS Test)
target_link_libraries(${name} PRIVATE Qt6::Test)
