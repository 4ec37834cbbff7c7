# The generator of the template workbook (laid into the program folder by templates/workbook.cmake).
add_executable(kaedemaru-maketemplate kaedemaru-maketemplate.cpp)
target_include_directories(kaedemaru-maketemplate PRIVATE ${CMAKE_SOURCE_DIR}/src/reportengine)
target_link_libraries(kaedemaru-maketemplate PRIVATE PkgConfig::XLSXWRITER)
