# Importing a ledger of 3,000 students (.xlsx and Excel's Japanese CSV) into the
# large school, and writing the school's student list out.
add_executable(bench_import ${CMAKE_CURRENT_LIST_DIR}/bench_import.cpp)
target_link_libraries(bench_import PRIVATE kaede_benchschool kaede_import kaede_students benchmark::benchmark)
