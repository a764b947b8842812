# The Debian package, made with CPack from what the install rules put under /usr.
#
# One package for everything installed (no component split): an executable that gets its own
# install(TARGETS ...) later lands in this same package, whatever component it names.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vorlend)
set(CPACK_PACKAGE_VENDOR "VORLEND")
set(CPACK_PACKAGE_CONTACT "VORLEND developers <vorlend@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "programming software for the VORLEND handheld radio")
set(CPACK_PACKAGE_DESCRIPTION
    "Reads the 16 channels and the settings of a VORLEND radio over its serial (USB) cable,\n"
    "edits them in a table, writes them back, and keeps them in .kt files. The interface is\n"
    "in Russian.\n"
    "\n"
    "The serial ports belong to the dialout group: add each user who programs a radio to it\n"
    "(adduser USER dialout), then log in again.")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEB_COMPONENT_INSTALL OFF)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION hamradio)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries the binaries link (Qt 6, zlib, udev, the C++ runtime) come from
# dpkg-shlibdeps; the X11 platform plugin and the icon theme are loaded at run time.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, hicolor-icon-theme")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_CURRENT_LIST_DIR}/../packaging/debian/postinst)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
