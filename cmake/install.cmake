# Install rules: the programs, and for the window its desktop entry, metainfo
# and icons; man pages and torvane-cli's bash completion. Paths follow
# GNUInstallDirs under CMAKE_INSTALL_PREFIX (/usr in the Debian package).
include(GNUInstallDirs)

set(torvane_data ${CMAKE_CURRENT_SOURCE_DIR}/data)

install(TARGETS torvane-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# Debian keeps man pages compressed; -n leaves out the name and time, so the
# same page gives the same bytes.
set(torvane_man_pages torvane-cli)
if(TORVANE_GUI)
  list(APPEND torvane_man_pages torvane)
endif()
set(torvane_man_outputs)
foreach(page IN LISTS torvane_man_pages)
  set(out ${CMAKE_CURRENT_BINARY_DIR}/man/${page}.1.gz)
  add_custom_command(OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -E copy ${torvane_data}/man/${page}.1 ${CMAKE_CURRENT_BINARY_DIR}/man/${page}.1
    COMMAND gzip -9nf ${CMAKE_CURRENT_BINARY_DIR}/man/${page}.1
    DEPENDS ${torvane_data}/man/${page}.1
    VERBATIM)
  list(APPEND torvane_man_outputs ${out})
  install(FILES ${out} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
add_custom_target(torvane_man_pages ALL DEPENDS ${torvane_man_outputs})

install(FILES ${torvane_data}/completion/torvane-cli
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)

# The package's paper: the copyright in Debian's machine-readable format and
# the Debian changelog, compressed as Debian keeps it (-n: the same bytes
# every build).
set(torvane_changelog ${CMAKE_CURRENT_BINARY_DIR}/package/changelog.Debian.gz)
add_custom_command(OUTPUT ${torvane_changelog}
  COMMAND ${CMAKE_COMMAND} -E copy ${torvane_data}/package/changelog.Debian ${CMAKE_CURRENT_BINARY_DIR}/package/changelog.Debian
  COMMAND gzip -9nf ${CMAKE_CURRENT_BINARY_DIR}/package/changelog.Debian
  DEPENDS ${torvane_data}/package/changelog.Debian
  VERBATIM)
add_custom_target(torvane_changelog ALL DEPENDS ${torvane_changelog})
install(FILES ${torvane_data}/package/copyright ${torvane_changelog}
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/torvane)

if(TORVANE_GUI)
  install(TARGETS torvane RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  # The entry and the metainfo carry TORVANE_APP_ID (CMakeLists.txt) in their
  # names and their text; the sources name it @TORVANE_APP_ID@.
  set(torvane_generated_data ${CMAKE_CURRENT_BINARY_DIR}/data)
  configure_file(${torvane_data}/torvane.desktop.in ${torvane_generated_data}/${TORVANE_APP_ID}.desktop @ONLY)
  configure_file(${torvane_data}/torvane.metainfo.xml.in ${torvane_generated_data}/${TORVANE_APP_ID}.metainfo.xml @ONLY)
  install(FILES ${torvane_generated_data}/${TORVANE_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${torvane_generated_data}/${TORVANE_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  # The types the entry opens that the shared MIME database lacks.
  install(FILES ${torvane_data}/torvane-mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
          RENAME ${TORVANE_APP_ID}.xml)

  set(svg ${torvane_data}/icons/torvane.svg)
  install(FILES ${svg} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps RENAME ${TORVANE_APP_ID}.svg)
  # The fixed sizes are drawn from the SVG at build time; no picture is kept
  # in the repository.
  find_program(TORVANE_RSVG_CONVERT rsvg-convert)
  if(TORVANE_RSVG_CONVERT)
    set(torvane_icon_outputs)
    foreach(size 16 24 32 48 64 128 256)
      set(dir ${CMAKE_CURRENT_BINARY_DIR}/icons/${size}x${size})
      set(out ${dir}/${TORVANE_APP_ID}.png)
      add_custom_command(OUTPUT ${out}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}
        COMMAND ${TORVANE_RSVG_CONVERT} -w ${size} -h ${size} -o ${out} ${svg}
        DEPENDS ${svg}
        VERBATIM)
      list(APPEND torvane_icon_outputs ${out})
      install(FILES ${out} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
    endforeach()
    add_custom_target(torvane_icons ALL DEPENDS ${torvane_icon_outputs})
  else()
    message(WARNING "rsvg-convert (Debian: librsvg2-bin) not found: only the scalable icon is installed")
  endif()
endif()
