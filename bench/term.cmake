# Planning a school year for 40 regular classes on the large demonstration
# school: the term's preview and its storing, and the holiday lookup.
add_executable(bench_term ${CMAKE_CURRENT_LIST_DIR}/bench_term.cpp)
target_link_libraries(bench_term PRIVATE kaede_benchschool kaede_classes benchmark::benchmark)
