# The Debian package of the app, built by CPack from the install rules: the
# executable and its data only (the libraries are linked in statically; tests,
# benchmarks and the shared family libraries stay out).
#
#   cmake --build build --target pilewatch pilewatch-icons pilewatch-docs
#   cpack --config build/CPackConfig.cmake -B build/package
#
# (`make package` does both.) The shared-library dependencies are computed by
# dpkg-shlibdeps from the executable; the packages Qt loads at run time
# without linking them are named here.

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME pilewatch)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Pilewatch developers")
set(CPACK_PACKAGE_CONTACT "The Pilewatch developers <developers@pilewatch.io>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "monitor of the storage load on the Desktop folder")
set(CPACK_PACKAGE_DESCRIPTION
    "Pilewatch watches the Desktop folder and shows how much storage lies on it
against a load of 10 GiB: as a ring gauge, as a status (Light, Moderate, Heavy
or Critical), as a breakdown by file type and as a list of the eight heaviest
entries, in its main window and in a panel opened from the tray icon.

Two one-click remedies act on the heaviest entries: moving those older than a
chosen number of days to the Trash, and moving them into a new dated archive
folder on the Desktop.")

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT) # pilewatch_<version>_<arch>.deb
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Loaded by Qt at run time, so invisible to dpkg-shlibdeps: the X11 platform
# plugin (xcb) and the SVG icon engine that draws the installed symbolic tray
# icon and the scalable application icon.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, libqt6svg6")
# A Wayland session runs the app natively with Qt's Wayland plugin, else
# through Xwayland; the AT-SPI bus lets screen readers and voice control in.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland, at-spi2-core")
# Directories the package creates get the usual 0755 whatever the umask.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

include(CPack)
