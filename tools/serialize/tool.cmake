# The serialiser: one image per device from a template, with its serial
# number, MAC address and integrity fields, and a manifest of every image.
torvane_tool(
  LOGIC    serial_number.cpp manifest.cpp serialize_tool.cpp serial_project.cpp
  DIALOG   serialize_dialog.cpp
  COMMAND  ${PROJECT_SOURCE_DIR}/cli/serialize_command.cpp
  TESTS    serial_number_test.cpp manifest_test.cpp serialize_tool_test.cpp
  CLI_TESTS serialize_test.cpp
)
