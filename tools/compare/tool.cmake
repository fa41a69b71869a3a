# The image comparison: two image files compared by address, and the
# integrity fields of one checked; torvane-cli's diff and verify.
torvane_tool(
  LOGIC    compare_tool.cpp
  DIALOG   compare_dialog.cpp
  COMMAND  ${PROJECT_SOURCE_DIR}/cli/diff_command.cpp ${PROJECT_SOURCE_DIR}/cli/verify_command.cpp
  TESTS    compare_tool_test.cpp
  CLI_TESTS diff_verify_test.cpp
)
