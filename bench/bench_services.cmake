target_link_libraries(bench_services PRIVATE ate02700_objects ate_testsupport_gui ate_testsupport Qt6::Test Qt6::Widgets)
add_dependencies(bench_services ate02700-server)
