# The BIN to C array converter.
torvane_tool(
  LOGIC    bin_to_c_array.cpp bin_to_c_tool.cpp
  DIALOG   bin_to_c_dialog.cpp
  COMMAND  ${PROJECT_SOURCE_DIR}/cli/bin2c_command.cpp
  TESTS    bin2c_test.cpp
)
