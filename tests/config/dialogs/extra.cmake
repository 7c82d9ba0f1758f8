# Widget tests drive the controls and dialogs with real mouse and key events through QTest.
find_package(Qt6 REQUIRED COMPONENTS Test)
target_link_libraries(${name} PRIVATE Qt6::Test)
