# The monitor's logic, the simulated mouse in-process, and the programs the tests start.
target_link_libraries(${name} PRIVATE vyk_monitor vyk_sim_server)
target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
add_dependencies(${name} VykMon uiHook)
