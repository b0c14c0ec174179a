target_link_libraries(bench_emission PRIVATE ate02700_objects ate_server_net ate_server_core hostfw_report hostfw_db
                      hostfw_net ate_wire Qt6::Widgets Qt6::Sql)
target_compile_definitions(bench_emission PRIVATE ATE_REPORTS_DIR="${PROJECT_SOURCE_DIR}/reports")
