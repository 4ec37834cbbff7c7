# Make-ups on the large demonstration school: the booking list of one credit
# among 60 weekly lessons of 300 students, and 10,000 credits expiring at once.
add_executable(bench_makeup ${CMAKE_CURRENT_LIST_DIR}/bench_makeup.cpp)
target_link_libraries(bench_makeup PRIVATE kaede_benchschool kaede_makeup benchmark::benchmark)
