# The three reports on the large demonstration school, and the openpyxl peer of the daily report
# (bench/compare_nippou.py runs both and prints the ratio).
add_executable(bench_reports ${CMAKE_CURRENT_LIST_DIR}/bench_reports.cpp)
target_compile_definitions(bench_reports PRIVATE KAEDE_PROGRAM_DIR="${KAEDE_PROGRAM_DIR}")
target_link_libraries(bench_reports PRIVATE kaede_benchschool benchmark::benchmark)

# The report selection window: opening it, ">>" over every lesson, a daily report from the click.
add_executable(bench_report_select ${CMAKE_CURRENT_LIST_DIR}/bench_report_select.cpp)
target_link_libraries(bench_report_select PRIVATE kaede_benchschool kaede_reports benchmark::benchmark)
