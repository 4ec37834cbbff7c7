# The user guide: an HTML document that the program opens under its fixed name kaedemaru.chm.
set(KAEDE_HELP_SOURCE ${CMAKE_CURRENT_LIST_DIR}/kaedemaru-help.html)
add_custom_command(OUTPUT ${KAEDE_PROGRAM_DIR}/kaedemaru.chm
  COMMAND ${CMAKE_COMMAND} -E copy ${KAEDE_HELP_SOURCE} ${KAEDE_PROGRAM_DIR}/kaedemaru.chm
  DEPENDS ${KAEDE_HELP_SOURCE}
  COMMENT "kaedemaru.chm in the program folder")
add_custom_target(help_file ALL DEPENDS ${KAEDE_PROGRAM_DIR}/kaedemaru.chm)
add_dependencies(kaedemaru help_file)
