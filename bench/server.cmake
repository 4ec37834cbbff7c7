# The embedded file and a server side by side on the large demonstration school
# (a throw-away cluster is started for the run).
add_executable(bench_server ${CMAKE_CURRENT_LIST_DIR}/bench_server.cpp)
target_compile_definitions(bench_server PRIVATE KAEDE_PROGRAM_DIR="${KAEDE_PROGRAM_DIR}"
  KAEDE_PG_CLUSTER="${CMAKE_SOURCE_DIR}/tests/support/pgcluster.sh" KAEDE_INITDB="$<TARGET_FILE:kaedemaru-initdb>")
target_link_libraries(bench_server PRIVATE kaede_benchschool kaede_demo kaede_courses kaede_reports_engine benchmark::benchmark)
add_dependencies(bench_server template_workbook kaedemaru-initdb)
