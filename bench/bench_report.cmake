target_link_libraries(bench_report PRIVATE hostfw_report hostfw_db ate_server_core Qt6::Gui Qt6::PrintSupport Qt6::Sql)
target_compile_definitions(bench_report PRIVATE ATE_REPORTS_DIR="${PROJECT_SOURCE_DIR}/reports")
