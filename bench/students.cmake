# The student windows on the large demonstration school: the list from the menu
# and the detail window of a student with a photograph.
add_executable(bench_students ${CMAKE_CURRENT_LIST_DIR}/bench_students.cpp)
target_link_libraries(bench_students PRIVATE kaede_benchschool kaede_demo kaede_shell benchmark::benchmark)
