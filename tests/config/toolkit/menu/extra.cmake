# The popup tests drive the menus with real mouse and key events through QTest.
find_package(Qt6 REQUIRED COMPONENTS Test)
target_link_libraries(${name} PRIVATE Qt6::Test)
