# The monthly reports as PDF files from the command line, for offices that make them from a script.
add_executable(kaedemaru-report ${CMAKE_CURRENT_LIST_DIR}/kaedemaru-report.cpp)
target_link_libraries(kaedemaru-report PRIVATE kaede_monthlypdf kaede_toolcommon)
