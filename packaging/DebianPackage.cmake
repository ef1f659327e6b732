# `make package` (cpack -G DEB): a .deb of what the install rules install below /usr, plus the
# copyright and changelog files Debian asks for. Its dependencies come from dpkg-shlibdeps.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME morlith)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Morlith team")
set(CPACK_PACKAGE_CONTACT "Morlith team <morlith@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "firmware updater for KEV-xxx-BUS modules over a serial line")
set(CPACK_PACKAGE_DESCRIPTION
  "Morlith talks to the bootloader of a KEV-xxx-BUS module through a serial
port: it writes an application image from a firmware package into a
controller, reads the controller's data segment into a file or writes a
file back into it.

The package holds the desktop program (morlith), the command-line tool
(morlith-cli) and a virtual module on a pseudo-terminal (morlith-module),
with a udev rule that gives the logged-in user access to common USB
serial adapters.")
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt's own translations: without them the standard buttons of a Russian box stay English.
# CPack adds the shared libraries' packages to this list.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_SOURCE_IGNORE_FILES "/build/;/\\\\.git/")

# The copyright file and the compressed changelog, written into the staging tree before packing,
# and the manual pages compressed there.
set(MORLITH_DEBIAN_COPYRIGHT ${CMAKE_CURRENT_LIST_DIR}/copyright)
configure_file(${CMAKE_CURRENT_LIST_DIR}/DebianDocs.cmake.in
  ${CMAKE_CURRENT_BINARY_DIR}/DebianDocs.cmake @ONLY)
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_BINARY_DIR}/DebianDocs.cmake)

include(CPack)
