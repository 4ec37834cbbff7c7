# The three reports on the large demonstration school, and the openpyxl peer of the daily report
# (bench/compare_nippou.py runs both and prints the ratio).
add_executable(bench_reports ${CMAKE_CURRENT_LIST_DIR}/bench_reports.cpp)
target_compile_definitions(bench_reports PRIVATE KAEDE_PROGRAM_DIR="${KAEDE_PROGRAM_DIR}")
target_link_libraries(bench_reports PRIVATE kaede_demo kaede_reports_engine benchmark::benchmark)
add_dependencies(bench_reports template_workbook)
