target_link_libraries(bench_wire_decode PRIVATE ate_wire Qt6::Core)
