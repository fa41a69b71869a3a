# The Qt dialogs of the four tools, thin views over their logic, and their tests.
# They are compiled into torvane_ui and torvane_ui_tests.

list(APPEND TORVANE_TOOL_UI_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/checksum/check_dialog.cpp
  ${CMAKE_CURRENT_LIST_DIR}/testbin/test_bin_dialog.cpp
  ${CMAKE_CURRENT_LIST_DIR}/bin2c/bin_to_c_dialog.cpp
  ${CMAKE_CURRENT_LIST_DIR}/nic/upgrade_dialog.cpp
)

list(APPEND TORVANE_TOOL_UI_TEST_SOURCES
  ${CMAKE_SOURCE_DIR}/tests/ui/tool_dialogs_test.cpp
)
