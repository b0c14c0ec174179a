target_link_libraries(bench_grid_paint PRIVATE hostfw_grid hostfw_ui hostfw_units hostfw_data Qt6::Widgets)
