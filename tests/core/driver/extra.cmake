# Device-list matching is also checked against the simulated mouse, run in-process.
target_link_libraries(${name} PRIVATE vyk_sim_server)
