target_link_libraries(bench_server_core PRIVATE ate_server_core Qt6::Core Qt6::Sql)
