target_link_libraries(bench_server PRIVATE ate_server_net ate_server_core hostfw_net ate_wire Qt6::Core Qt6::Network Qt6::Sql)
