# What `cmake --install` puts in place besides the library: the programs, their manual pages,
# the desktop entry with its icon and AppStream data, bash completion and the batch guide.
# Every file is found by the programs through the system's usual places, never through the
# source or build tree.
include(GNUInstallDirs)

set(LUMAPRESS_DATA ${PROJECT_SOURCE_DIR}/resources)

if(TARGET lumapress-cli)
  install(TARGETS lumapress-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${LUMAPRESS_DATA}/man/lumapress-cli.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES ${LUMAPRESS_DATA}/completion/lumapress-cli
          DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/bash-completion/completions)
  install(FILES ${PROJECT_SOURCE_DIR}/docs/batch-at-scale.md
          DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/lumapress)
endif()

# The dialog and what puts it in the desktop's menu, only when it is built.
if(TARGET lumapress)
  install(TARGETS lumapress RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${LUMAPRESS_DATA}/man/lumapress.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES ${LUMAPRESS_DATA}/desktop/lumapress.desktop
          DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/applications)
  install(FILES ${LUMAPRESS_DATA}/desktop/lumapress.metainfo.xml
          DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/metainfo)
  # Drawn by resources/make_artwork.py from the same shapes as the dialog's own icon.
  install(FILES ${LUMAPRESS_DATA}/desktop/lumapress.svg
          DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor/scalable/apps)
endif()
