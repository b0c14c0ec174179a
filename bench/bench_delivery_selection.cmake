target_link_libraries(bench_delivery_selection PRIVATE ate02700_objects Qt6::Widgets Qt6::Sql Qt6::Test)
add_dependencies(bench_delivery_selection ate02700-server)
