# The course detail window on the large demonstration school.
add_executable(bench_detail ${CMAKE_CURRENT_LIST_DIR}/bench_detail.cpp)
target_link_libraries(bench_detail PRIVATE kaede_benchschool kaede_demo kaede_courses benchmark::benchmark)
