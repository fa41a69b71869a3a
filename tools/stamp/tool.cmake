# The stamp tool: integrity fields written into a copy of an image file.
torvane_tool(
  LOGIC    stamp_tool.cpp
  DIALOG   stamp_dialog.cpp field_editor.cpp field_list_editor.cpp
  COMMAND  ${PROJECT_SOURCE_DIR}/cli/stamp_command.cpp
  TESTS    stamp_tool_test.cpp
  CLI_TESTS stamp_test.cpp
)
