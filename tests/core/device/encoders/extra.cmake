# The writers are tested against the simulated mouse, run inside the test process.
target_link_libraries(${name} PRIVATE vyk_sim_server)
