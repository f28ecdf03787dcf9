# The Debian package (make package): CPack's DEB generator over what `cmake --install` puts under /usr.
# Dependencies are computed by dpkg-shlibdeps from the binaries; the version is the project's, which
# `inkspin --version` prints too. Build it from a Release tree configured with CMAKE_INSTALL_PREFIX=/usr (the
# Makefile does), so that the MATE theme entry names /usr/libexec/xscreensaver/inkspin.

# Debian's documentation of a package: its copyright and a changelog, compressed as Debian ships them.
configure_file(${PROJECT_SOURCE_DIR}/resources/package/changelog.in ${PROJECT_BINARY_DIR}/package/changelog
               @ONLY)
add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/package/changelog.gz
  COMMAND gzip -9n -c changelog > changelog.gz
  WORKING_DIRECTORY ${PROJECT_BINARY_DIR}/package
  DEPENDS ${PROJECT_BINARY_DIR}/package/changelog)
add_custom_target(package_documents ALL DEPENDS ${PROJECT_BINARY_DIR}/package/changelog.gz)
install(FILES ${PROJECT_SOURCE_DIR}/resources/package/copyright ${PROJECT_BINARY_DIR}/package/changelog.gz
        DESTINATION share/doc/inkspin)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME inkspin)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "The Inkspin developers <inkspin@inkspin.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "cel-shaded 3D screen saver for XScreenSaver and Wayland")
set(CPACK_PACKAGE_DESCRIPTION "A cubic lattice of square bars spins in perspective, filled in flat bands
of one shade colour and outlined in ink, while the previous frame feeds
back into a zooming background.
.
The package holds the hack for XScreenSaver (with its entry for the
Settings dialog), xsecurelock and MATE's screensaver, the settings window
inkspin-settings with a live preview, and their manual pages. Each user
puts Inkspin in XScreenSaver's list once, with Use in XScreenSaver in
inkspin-settings or inkspin-settings --use-in-xscreensaver.
.
On Wayland it runs natively, as the screen saver on every output or as a
live wallpaper. inkspin-idle starts it when the session is idle on GNOME,
KDE Plasma, sway and the other compositors that tell idle time, honours
inhibitors, and asks the desktop to lock after it; each user turns it on
in inkspin-settings (Use as screen saver) or with systemctl --user enable
inkspin-idle. Installing the package starts nothing.")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT) # inkspin_VERSION_amd64.deb
set(CPACK_DEBIAN_PACKAGE_SECTION x11)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://inkspin.org/)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xscreensaver, qt6-wayland")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS xscreensaver-gl)
include(CPack)
