# The macro manager records through the hook client: the stand-in hook library of the hook
# client's tests (events chosen by the test) and the real one under Xvfb.
include(${CMAKE_SOURCE_DIR}/tests/core/hook/extra.cmake)
find_package(Qt6 REQUIRED COMPONENTS Test)
target_link_libraries(${name} PRIVATE Qt6::Test)
# The minimise tests read real window states through the stand-in window manager.
target_sources(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests/support/x11/stand_in_wm.cpp)
