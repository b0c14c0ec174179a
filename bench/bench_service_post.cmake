# The real form against a real server: the module's objects with the framework's static parts,
# and the test support that runs the server.
target_link_libraries(bench_service_post PRIVATE ate02700_objects ate_testsupport_gui ate_testsupport
                      Qt6::Widgets Qt6::Network Qt6::Sql)
target_include_directories(bench_service_post PRIVATE ${PROJECT_SOURCE_DIR})
add_dependencies(bench_service_post ate02700-server)
