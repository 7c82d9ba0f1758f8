# Widget tests drive the window with real mouse and key events through QTest; the window's
# resources (skin) are built beside the programs.
find_package(Qt6 REQUIRED COMPONENTS Test)
target_link_libraries(${name} PRIVATE Qt6::Test)
# Tests whose windows stand on a private X server read what the desktop sees through a
# stand-in window manager (tests/support/x11).
target_sources(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests/support/x11/stand_in_wm.cpp)
target_link_libraries(${name} PRIVATE PkgConfig::X11LIBS)
