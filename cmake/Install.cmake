# What `cmake --install` puts beside the programs (whose own rules sit in
# app/, cli/ and sim/): the desktop entry, the icon and the manual that the
# Help buttons open. app/ compiles the manual's place relative to the bin
# folder into the program.

set(VELKARO_MANUAL_DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/velkaro-desktop/manual)

if(VELKARO_GUI)
  install(FILES ${PROJECT_SOURCE_DIR}/resources/velkaro-desktop.desktop
    DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${PROJECT_SOURCE_DIR}/resources/icons/velkaro-desktop.svg
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
  foreach(size 16 24 32 48 64 128 256)
    install(FILES ${PROJECT_SOURCE_DIR}/resources/icons/velkaro-desktop-${size}.png
      DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME velkaro-desktop.png)
  endforeach()
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/resources/manual/
    DESTINATION ${VELKARO_MANUAL_DESTINATION}
    FILES_MATCHING PATTERN "*.html" PATTERN "*.css" PATTERN "*.svg" PATTERN "*.png")
endif()

if(VELKARO_TESTS)
  # Installs the build into a scratch prefix and looks at what arrived.
  file(RELATIVE_PATH velkaro_manual_from_bindir ${CMAKE_INSTALL_FULL_BINDIR}
    ${CMAKE_INSTALL_PREFIX}/${VELKARO_MANUAL_DESTINATION})
  if(VELKARO_GUI)
    set(velkaro_installs_gui 1)
  else()
    set(velkaro_installs_gui 0)
  endif()
  add_test(NAME install.Layout
    COMMAND sh ${PROJECT_SOURCE_DIR}/cmake/check-install.sh ${CMAKE_COMMAND} ${PROJECT_BINARY_DIR}
      ${CMAKE_INSTALL_BINDIR} ${CMAKE_INSTALL_DATADIR} ${VELKARO_MANUAL_DESTINATION}
      ${velkaro_manual_from_bindir} ${velkaro_installs_gui})
endif()
