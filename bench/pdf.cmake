# The monthly report as PDF files on the large demonstration school.
add_executable(bench_pdf ${CMAKE_CURRENT_LIST_DIR}/bench_pdf.cpp)
target_link_libraries(bench_pdf PRIVATE kaede_benchschool kaede_monthlypdf benchmark::benchmark)
