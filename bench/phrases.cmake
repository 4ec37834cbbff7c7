# The month's count of unchanged stock phrases on the large demonstration school.
add_executable(bench_phrases ${CMAKE_CURRENT_LIST_DIR}/bench_phrases.cpp)
target_link_libraries(bench_phrases PRIVATE kaede_benchschool kaede_phrases benchmark::benchmark)
