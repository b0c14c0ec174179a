target_link_libraries(bench_server_load PRIVATE ate_wire Qt6::Core)
add_dependencies(bench_server_load ate02700-server)
