target_link_libraries(bench_scale PRIVATE ate_server_core Qt6::Core Qt6::Sql)
