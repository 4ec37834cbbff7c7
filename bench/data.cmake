# Data layer costs on the large demonstration school.
add_executable(bench_data ${CMAKE_CURRENT_LIST_DIR}/bench_data.cpp)
target_link_libraries(bench_data PRIVATE kaede_demo kaede_data benchmark::benchmark)
