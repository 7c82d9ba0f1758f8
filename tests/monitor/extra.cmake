# The monitor's logic, the simulated mouse in-process, and the programs the tests start.
target_link_libraries(${name} PRIVATE vyk_monitor vyk_sim_server)
add_dependencies(${name} VykMon uiHook)
