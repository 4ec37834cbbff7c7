# What the command-line tools share.
add_library(kaede_toolcommon STATIC ${CMAKE_CURRENT_LIST_DIR}/ToolCommon.cpp ${CMAKE_CURRENT_LIST_DIR}/ToolCommon.h)
target_include_directories(kaede_toolcommon PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(kaede_toolcommon PUBLIC kaede_data kaede_common)

# Students from a spreadsheet into a school's database, for whoever sets the school up.
add_executable(kaedemaru-import ${CMAKE_CURRENT_LIST_DIR}/kaedemaru-import.cpp)
target_link_libraries(kaedemaru-import PRIVATE kaede_import kaede_toolcommon)
