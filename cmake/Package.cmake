# The Debian package: `cmake --build build --target package` makes
# velkaro-desktop_<version>_<arch>.deb from the install rules, its dependencies
# found by dpkg-shlibdeps and its programs stripped. Installed under /usr
# whatever CMAKE_INSTALL_PREFIX says.

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME velkaro-desktop)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Velkaro")
set(CPACK_PACKAGE_CONTACT "Velkaro Desktop maintainers <velkaro-desktop@velkaro.example.org>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "address book of the Velkaro R4 table telephone")
# The long description; CPack puts the summary above it and indents each line.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Velkaro Desktop keeps the address book of a Velkaro R4 table telephone on
the computer and moves it over the serial line: browse and edit the cards
on a picture of the telephone's display, import addresses from spreadsheets
and text files, export, print and back them up, send cards to the
telephone, receive the cards it sends, have it dial, and fetch and save its
call list, in German, English or French.

The package holds the desktop program velkaro-desktop, the command-line
companion velkaro and the simulated telephone velkaro-phone-sim with its
window velkaro-phone-panel, for a demo without a telephone
(velkaro-desktop --demo).")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION comm)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://velkaro.example.org/")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt's texts of its own dialogs in German and French; xdg-open, which opens
# the manual from the Help menu with the desktop's handler of HTML (without
# it the program names the manual's file). The platform plugin is pulled in
# by the Qt libraries themselves.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n, xdg-utils")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
include(CPack)
