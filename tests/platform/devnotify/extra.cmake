target_link_libraries(${name} PRIVATE vyk_sim_server)
