# The Debian package that scripts/package builds with cpack.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vindre)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "ゼルビク製作所 <info@example.com>")
set(CPACK_PACKAGE_VENDOR "ゼルビク製作所")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE http://www.example.com/)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "colour picker that copies HTML and CSS colour codes
A small colour picker for people who write web pages by hand. Three scroll
bars set red, green and blue; the window shows the colour as a swatch, as
numbers and as its code #RRGGBB, and copies it to the clipboard bare or in
one of twelve HTML attribute and CSS declaration forms.")
# Computed from the program's libraries; the X11 platform plugin and the interface
# font are loaded at run time, so no library dependency names them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-ipafont-gothic, qt6-qpa-plugins")
# Qt's own Japanese (the colour dialog, buttons, context menus); without it Qt speaks English.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS qt6-translations-l10n)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_CURRENT_SOURCE_DIR}/packaging/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION TRUE)
include(CPack)
