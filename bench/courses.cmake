# The course list on the large demonstration school: filling it with every
# lesson, a search keeping a tenth, a column sort, deleting 1,000 lessons.
add_executable(bench_courses ${CMAKE_CURRENT_LIST_DIR}/bench_courses.cpp)
target_link_libraries(bench_courses PRIVATE kaede_benchschool kaede_demo kaede_courses benchmark::benchmark)
