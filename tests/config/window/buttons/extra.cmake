# Button assignment is tested end to end through APPLY: the real link against the simulated mouse run in-process, a
# stand-in monitor endpoint, and real clicks through QTest.
find_package(Qt6 REQUIRED COMPONENTS Test)
target_link_libraries(${name} PRIVATE Qt6::Test vyk_sim_server)
