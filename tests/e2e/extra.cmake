# The whole suite: the configuration window with its real link in this process, the real
# VykMon program it starts, the simulated mouse in-process and a private sound server.
find_package(Qt6 REQUIRED COMPONENTS Test)
target_link_libraries(${name} PRIVATE vyk_config vyk_monitor vyk_sim_server Qt6::Test)
add_dependencies(${name} VykCfg VykMon uiHook)
