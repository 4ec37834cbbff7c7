# Students from a spreadsheet into a school's database, for whoever sets the school up.
add_executable(kaedemaru-import ${CMAKE_CURRENT_LIST_DIR}/kaedemaru-import.cpp)
target_link_libraries(kaedemaru-import PRIVATE kaede_import)
