# The network-adapter configuration reader and upgrade-file generator.
torvane_tool(
  LOGIC    nic_config.cpp upgrade_image.cpp
  DIALOG   upgrade_dialog.cpp
  COMMAND  ${PROJECT_SOURCE_DIR}/cli/nic_commands.cpp
  TESTS    nic_config_test.cpp upgrade_image_test.cpp
  CLI_TESTS nic_commands_test.cpp
)
