# Include scopes that follow the layers. Every library sees the headers of its
# own folders and of the libraries it links, nothing else: a file of the core
# that includes "ui/..." or "cli/..." does not compile. A scope is a folder in
# the build tree holding links to the source folders of its layer, so the
# includes keep their "core/file_list.h" form and always read the sources.

set(TORVANE_SCOPES_DIR ${PROJECT_BINARY_DIR}/scopes)

# torvane_scope(<target> <folder>...): <target> sees the given source folders
# (relative to the source root, e.g. "core" or "tools"), and so does
# everything that links it.
function(torvane_scope target)
  set(scope ${TORVANE_SCOPES_DIR}/${target})
  # A link left from an earlier layout of the layers would keep a folder in
  # sight that the layer no longer sees.
  set(wanted)
  foreach(folder IN LISTS ARGN)
    string(REGEX REPLACE "/.*" "" top ${folder})
    list(APPEND wanted ${top})
  endforeach()
  file(GLOB present LIST_DIRECTORIES true ${scope}/*)
  foreach(link IN LISTS present)
    get_filename_component(name ${link} NAME)
    if(IS_SYMLINK ${link} AND NOT name IN_LIST wanted)
      file(REMOVE ${link})
    endif()
  endforeach()
  foreach(folder IN LISTS ARGN)
    get_filename_component(parent ${scope}/${folder} DIRECTORY)
    file(MAKE_DIRECTORY ${parent})
    if(NOT EXISTS ${scope}/${folder})
      if(CMAKE_HOST_WIN32)
        # A folder junction needs no privilege on Windows; a symbolic link does.
        file(TO_NATIVE_PATH ${scope}/${folder} link)
        file(TO_NATIVE_PATH ${PROJECT_SOURCE_DIR}/${folder} source)
        execute_process(COMMAND cmd /c mklink /J "${link}" "${source}" OUTPUT_QUIET RESULT_VARIABLE failed)
        if(failed)
          message(FATAL_ERROR "cannot link ${link} to ${source}")
        endif()
      else()
        file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${folder} ${scope}/${folder} SYMBOLIC COPY_ON_ERROR)
      endif()
    endif()
  endforeach()
  target_include_directories(${target} PUBLIC ${scope})
endfunction()

# torvane_tool(LOGIC ... DIALOG ... COMMAND ... TESTS ... CLI_TESTS ...): called
# by a tool's tools/<tool>/tool.cmake. LOGIC and DIALOG are the tool's own files
# (its folder), COMMAND its torvane-cli command, TESTS the logic tests under
# tests/tools/, CLI_TESTS the command tests under tests/cli/.
macro(torvane_tool)
  cmake_parse_arguments(tool "" "" "LOGIC;DIALOG;COMMAND;TESTS;CLI_TESTS" ${ARGN})
  foreach(f IN LISTS tool_LOGIC)
    list(APPEND TORVANE_TOOL_SOURCES ${CMAKE_CURRENT_LIST_DIR}/${f})
  endforeach()
  foreach(f IN LISTS tool_DIALOG)
    list(APPEND TORVANE_TOOL_DIALOG_SOURCES ${CMAKE_CURRENT_LIST_DIR}/${f})
  endforeach()
  list(APPEND TORVANE_TOOL_CLI_SOURCES ${tool_COMMAND})
  foreach(f IN LISTS tool_TESTS)
    list(APPEND TORVANE_TOOL_TEST_SOURCES ${PROJECT_SOURCE_DIR}/tests/tools/${f})
  endforeach()
  foreach(f IN LISTS tool_CLI_TESTS)
    list(APPEND TORVANE_TOOL_CLI_TEST_SOURCES ${PROJECT_SOURCE_DIR}/tests/cli/${f})
  endforeach()
endmacro()
