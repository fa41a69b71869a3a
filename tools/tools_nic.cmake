# Network-adapter configuration reader and upgrade-file generator.
cmake_path(GET CMAKE_CURRENT_LIST_DIR PARENT_PATH torvane_nic_root)
list(APPEND TORVANE_TOOL_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/nic/nic_config.cpp
  ${CMAKE_CURRENT_LIST_DIR}/nic/upgrade_image.cpp
)
list(APPEND TORVANE_TOOL_CLI_SOURCES
  ${torvane_nic_root}/cli/nic_commands.cpp
)
# The command tests call the Run*Command functions directly.
list(APPEND TORVANE_TOOL_TEST_SOURCES
  ${torvane_nic_root}/tests/tools/nic_config_test.cpp
  ${torvane_nic_root}/tests/tools/upgrade_image_test.cpp
  ${torvane_nic_root}/tests/tools/nic_commands_test.cpp
)
