target_link_libraries(bench_server_tls PRIVATE ate_server_net ate_server_core hostfw_net ate_wire Qt6::Core Qt6::Network)
target_compile_definitions(bench_server_tls PRIVATE ATE_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
