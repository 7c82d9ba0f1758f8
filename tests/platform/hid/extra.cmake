# The simulator backend is tested against the simulator's server, run in-process.
target_link_libraries(${name} PRIVATE vyk_sim_server)
