# The Windows side of the programs: each .exe gets a resource with the icon
# (an .ico drawn at build time from the SVG), the version information from
# project(VERSION) and a manifest; the window is a GUI program (no console)
# and carries Qt's own Chinese texts, since no Qt is installed beside it.
set(TORVANE_PUBLISHER "The Torvane developers")
set(torvane_windows_dir ${CMAKE_CURRENT_SOURCE_DIR}/windows)
set(torvane_windows_out ${CMAKE_CURRENT_BINARY_DIR}/windows)

# The icon: the sizes Explorer and the title bar use, the largest kept as PNG.
find_program(TORVANE_RSVG_CONVERT rsvg-convert)
find_program(TORVANE_ICOTOOL icotool)
set(TORVANE_ICO ${torvane_windows_out}/torvane.ico)
if(TORVANE_RSVG_CONVERT AND TORVANE_ICOTOOL)
  set(torvane_svg ${CMAKE_CURRENT_SOURCE_DIR}/data/icons/torvane.svg)
  set(torvane_ico_pngs)
  set(torvane_ico_commands)
  foreach(size 16 20 24 32 40 48 64 256)
    set(png ${torvane_windows_out}/icon-${size}.png)
    list(APPEND torvane_ico_pngs ${png})
    list(APPEND torvane_ico_commands COMMAND ${TORVANE_RSVG_CONVERT} -w ${size} -h ${size} -o ${png} ${torvane_svg})
  endforeach()
  list(POP_BACK torvane_ico_pngs torvane_ico_raw)
  add_custom_command(OUTPUT ${TORVANE_ICO}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${torvane_windows_out}
    ${torvane_ico_commands}
    COMMAND ${TORVANE_ICOTOOL} -c -o ${TORVANE_ICO} ${torvane_ico_pngs} -r ${torvane_ico_raw}
    DEPENDS ${torvane_svg}
    VERBATIM)
  add_custom_target(torvane_windows_icon DEPENDS ${TORVANE_ICO})
else()
  message(FATAL_ERROR "The Windows icon needs rsvg-convert (Debian: librsvg2-bin) and icotool (icoutils)")
endif()

# torvane_windows_resource(TARGET DESCRIPTION): icon, version and manifest.
function(torvane_windows_resource target description)
  set(TORVANE_RC_NAME ${target})
  set(TORVANE_RC_DESCRIPTION ${description})
  set(TORVANE_RC_ICON ${TORVANE_ICO})
  set(TORVANE_RC_VERSION_COMMAS "${PROJECT_VERSION_MAJOR},${PROJECT_VERSION_MINOR},${PROJECT_VERSION_PATCH},0")
  set(TORVANE_RC_VERSION_DOTS "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH}.0")
  set(TORVANE_RC_MANIFEST ${torvane_windows_out}/${target}.manifest)
  configure_file(${torvane_windows_dir}/torvane.manifest ${TORVANE_RC_MANIFEST} @ONLY)
  set(rc ${torvane_windows_out}/${target}.rc)
  configure_file(${torvane_windows_dir}/torvane.rc.in ${rc} @ONLY)
  set_source_files_properties(${rc} PROPERTIES OBJECT_DEPENDS "${TORVANE_ICO};${TORVANE_RC_MANIFEST}")
  target_sources(${target} PRIVATE ${rc})
  add_dependencies(${target} torvane_windows_icon)
endfunction()

torvane_windows_resource(torvane-cli "Torvane 固件工具（命令行）")

if(TORVANE_GUI)
  set_target_properties(torvane PROPERTIES WIN32_EXECUTABLE ON)
  torvane_windows_resource(torvane "Torvane 固件工具")

  # Qt's own texts (确定, 取消, the file dialog's) from Debian's
  # qt6-translations-l10n, inside the program as :/qt-translations/.
  find_file(TORVANE_QTBASE_ZH_QM qtbase_zh_CN.qm
            PATHS /usr/share/qt6/translations NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
  if(NOT TORVANE_QTBASE_ZH_QM)
    message(FATAL_ERROR "qtbase_zh_CN.qm not found: install qt6-translations-l10n or set TORVANE_QTBASE_ZH_QM")
  endif()
  get_filename_component(torvane_qm_dir ${TORVANE_QTBASE_ZH_QM} DIRECTORY)
  qt_add_resources(torvane_ui torvane_qt_translations
    PREFIX /qt-translations BASE ${torvane_qm_dir} FILES ${TORVANE_QTBASE_ZH_QM})
endif()
