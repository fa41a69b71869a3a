# The check-value calculator: its logic, its torvane-cli command, its dialog and their tests.
torvane_tool(
  LOGIC    check_tool.cpp check_value.cpp
  DIALOG   check_dialog.cpp
  COMMAND  ${PROJECT_SOURCE_DIR}/cli/checksum_command.cpp
  TESTS    checksum_test.cpp check_tool_test.cpp
  CLI_TESTS tool_commands_test.cpp
)
