# What `cmake --install` puts beside the programs (whose own rules sit in
# app/, cli/ and sim/): the desktop entry, the icon and the manual that the
# Help buttons open. app/ compiles the manual's place relative to the bin
# folder into the program.

set(VELKARO_MANUAL_DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/velkaro-desktop/manual)

if(VELKARO_GUI)
  install(FILES ${PROJECT_SOURCE_DIR}/resources/org.example.velkaro.Desktop.desktop
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

# The desktop's metadata: the software centre's description and the MIME
# types of the card archives, which the desktop entry names so that a
# double-click on a backup opens it in the program.
if(VELKARO_GUI)
  install(FILES ${PROJECT_SOURCE_DIR}/resources/org.example.velkaro.Desktop.metainfo.xml
    DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  install(FILES ${PROJECT_SOURCE_DIR}/resources/velkaro-desktop-mime.xml
    DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages RENAME velkaro-desktop.xml)
endif()

# Completion of commands, options and files for bash.
install(FILES ${PROJECT_SOURCE_DIR}/resources/completion/velkaro
  ${PROJECT_SOURCE_DIR}/resources/completion/velkaro-phone-sim
  DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)

# The address-book sync as a systemd user service and timer, for the user to
# enable (systemctl --user enable --now velkaro-sync.timer); the package
# enables nothing.
# The service names the program without a folder: systemd finds it in its
# fixed search path (/usr/local/bin, /usr/bin, ...).
install(FILES ${PROJECT_SOURCE_DIR}/resources/systemd/velkaro-sync.service
  ${PROJECT_SOURCE_DIR}/resources/systemd/velkaro-sync.timer
  DESTINATION lib/systemd/user)

# The manual pages, made from their scdoc sources when scdoc is there and
# compressed as Debian installs them.
find_program(VELKARO_SCDOC scdoc)
find_program(VELKARO_GZIP gzip)
set(velkaro_man_pages velkaro velkaro-phone-sim)
if(VELKARO_GUI)
  list(APPEND velkaro_man_pages velkaro-desktop velkaro-phone-panel)
endif()
if(VELKARO_SCDOC AND VELKARO_GZIP)
  set(velkaro_man_outputs)
  foreach(page ${velkaro_man_pages})
    set(source ${PROJECT_SOURCE_DIR}/resources/man/${page}.1.scd)
    set(output ${PROJECT_BINARY_DIR}/man/${page}.1.gz)
    add_custom_command(OUTPUT ${output}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/man
      COMMAND sh -c "\"$1\" < \"$2\" | \"$3\" -9n > \"$4\"" sh ${VELKARO_SCDOC} ${source} ${VELKARO_GZIP} ${output}
      DEPENDS ${source}
      VERBATIM)
    list(APPEND velkaro_man_outputs ${output})
  endforeach()
  add_custom_target(velkaro_man ALL DEPENDS ${velkaro_man_outputs})
  install(FILES ${velkaro_man_outputs} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  set(VELKARO_HAS_MAN 1)
else()
  message(STATUS "scdoc not found: the manual pages are not built")
  set(VELKARO_HAS_MAN 0)
endif()

# What a Debian package carries beside the programs. The changelog and the
# metainfo list the releases by hand; the newest of each is the version of
# project(), which the package and the programs carry.
string(REPLACE "." "\\." velkaro_version_pattern ${PROJECT_VERSION})
file(STRINGS ${PROJECT_SOURCE_DIR}/resources/package/changelog velkaro_newest LIMIT_COUNT 1)
file(STRINGS ${PROJECT_SOURCE_DIR}/resources/org.example.velkaro.Desktop.metainfo.xml velkaro_newest_release
  REGEX "<release " LIMIT_COUNT 1)
if(NOT velkaro_newest MATCHES "^velkaro-desktop \\(${velkaro_version_pattern}\\) "
    OR NOT velkaro_newest_release MATCHES "version=\"${velkaro_version_pattern}\"")
  message(FATAL_ERROR "The newest release of resources/package/changelog and of the metainfo is not "
    "${PROJECT_VERSION}: ${velkaro_newest} / ${velkaro_newest_release}")
endif()
set(velkaro_changelog_gz ${PROJECT_BINARY_DIR}/package/changelog.gz)
if(VELKARO_GZIP)
  add_custom_command(OUTPUT ${velkaro_changelog_gz}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/package
    COMMAND sh -c "\"$1\" -9n < \"$2\" > \"$3\"" sh ${VELKARO_GZIP} ${PROJECT_SOURCE_DIR}/resources/package/changelog
      ${velkaro_changelog_gz}
    DEPENDS ${PROJECT_SOURCE_DIR}/resources/package/changelog
    VERBATIM)
  add_custom_target(velkaro_changelog ALL DEPENDS ${velkaro_changelog_gz})
  install(FILES ${velkaro_changelog_gz} DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/velkaro-desktop)
  # The README, compressed as Debian keeps documents of more than a few
  # kilobytes.
  set(velkaro_readme_gz ${PROJECT_BINARY_DIR}/package/README.md.gz)
  add_custom_command(OUTPUT ${velkaro_readme_gz}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/package
    COMMAND sh -c "\"$1\" -9n < \"$2\" > \"$3\"" sh ${VELKARO_GZIP} ${PROJECT_SOURCE_DIR}/README.md ${velkaro_readme_gz}
    DEPENDS ${PROJECT_SOURCE_DIR}/README.md
    VERBATIM)
  add_custom_target(velkaro_readme ALL DEPENDS ${velkaro_readme_gz})
  install(FILES ${velkaro_readme_gz} DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/velkaro-desktop)
endif()
# The HTML manual, registered with doc-base so that documentation browsers
# list it.
if(VELKARO_GUI)
  install(FILES ${PROJECT_SOURCE_DIR}/resources/package/doc-base RENAME velkaro-desktop
    DESTINATION ${CMAKE_INSTALL_DATADIR}/doc-base)
endif()
install(FILES ${PROJECT_SOURCE_DIR}/resources/package/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/velkaro-desktop)
