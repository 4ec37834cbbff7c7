# The demonstration and benchmark school: a library shared with the benchmarks and tests, and its tool.
add_library(kaede_demo STATIC ${CMAKE_CURRENT_LIST_DIR}/DemoSchool.cpp ${CMAKE_CURRENT_LIST_DIR}/DemoSchool.h)
target_include_directories(kaede_demo PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(kaede_demo PUBLIC kaede_data kaede_makeup Qt6::Gui)

add_executable(kaedemaru-demo ${CMAKE_CURRENT_LIST_DIR}/kaedemaru-demo.cpp)
target_link_libraries(kaedemaru-demo PRIVATE kaede_demo)
