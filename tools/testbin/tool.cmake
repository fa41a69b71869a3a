# The test BIN generator.
torvane_tool(
  LOGIC    test_bin_tool.cpp test_image.cpp
  DIALOG   test_bin_dialog.cpp
  COMMAND  ${PROJECT_SOURCE_DIR}/cli/testbin_command.cpp
  TESTS    testbin_test.cpp
)
