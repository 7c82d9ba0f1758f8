# The settings pages are tested on the real window with the real link against the simulated
# mouse run in-process, a stand-in monitor endpoint and a recording pointer backend.
find_package(Qt6 REQUIRED COMPONENTS Test)
target_link_libraries(${name} PRIVATE Qt6::Test vyk_sim_server)
