# The check-value calculator, the test BIN generator and the C array converter:
# their logic, their torvane-cli commands and their tests.

list(APPEND TORVANE_TOOL_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/checksum/check_tool.cpp
  ${CMAKE_CURRENT_LIST_DIR}/checksum/check_value.cpp
  ${CMAKE_CURRENT_LIST_DIR}/checksum/md5.cpp
  ${CMAKE_CURRENT_LIST_DIR}/testbin/test_bin_tool.cpp
  ${CMAKE_CURRENT_LIST_DIR}/testbin/test_image.cpp
  ${CMAKE_CURRENT_LIST_DIR}/bin2c/bin_to_c_array.cpp
  ${CMAKE_CURRENT_LIST_DIR}/bin2c/bin_to_c_tool.cpp
)

list(APPEND TORVANE_TOOL_CLI_SOURCES
  ${CMAKE_SOURCE_DIR}/cli/tool_commands.cpp
)

list(APPEND TORVANE_TOOL_TEST_SOURCES
  ${CMAKE_SOURCE_DIR}/tests/tools/checksum_test.cpp
  ${CMAKE_SOURCE_DIR}/tests/tools/md5_test.cpp
  ${CMAKE_SOURCE_DIR}/tests/tools/check_tool_test.cpp
  ${CMAKE_SOURCE_DIR}/tests/tools/testbin_test.cpp
  ${CMAKE_SOURCE_DIR}/tests/tools/bin2c_test.cpp
  ${CMAKE_SOURCE_DIR}/tests/cli/tool_commands_test.cpp
)
