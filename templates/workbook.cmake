# The template workbook of the reports, generated into the program folder; made
# again whenever the generator changes.
set(KAEDE_TEMPLATE_WORKBOOK "${KAEDE_PROGRAM_DIR}/塾管理楓丸くん.xlt")
add_custom_command(OUTPUT "${KAEDE_TEMPLATE_WORKBOOK}"
  COMMAND kaedemaru-maketemplate "${KAEDE_TEMPLATE_WORKBOOK}"
  DEPENDS kaedemaru-maketemplate
  COMMENT "塾管理楓丸くん.xlt in the program folder")
add_custom_target(template_workbook ALL DEPENDS "${KAEDE_TEMPLATE_WORKBOOK}")
