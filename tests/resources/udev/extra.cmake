# The simulated mouse's descriptors are among the cases the udev rule is matched against.
target_link_libraries(${name} PRIVATE vyk_sim_server)
