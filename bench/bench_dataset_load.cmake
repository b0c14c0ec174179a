target_link_libraries(bench_dataset_load PRIVATE hostfw_data ate_wire Qt6::Core)
