# A Debian package of the installed files: `cpack -G DEB` in the build folder makes
# tessara_<version>_amd64.deb. Its dependencies are read off the program's libraries by
# dpkg-shlibdeps, so they follow whatever Qt the machine builds with.
set(CPACK_PACKAGE_NAME "tessara")
set(CPACK_PACKAGE_VENDOR "Tessara")
set(CPACK_PACKAGE_CONTACT "Tessara developers <tessara@users.noreply.github.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Lays a hex grid over a scanned wargame map")
set(CPACK_PACKAGE_DESCRIPTION
    "Tessara draws a grid of hexagons into a picture of a map, fitted to a grid or a scale bar \
already printed on it, numbers the hexes, and saves, prints and exports the result. It also \
grids maps from the command line (tessara grid).")
set(CPACK_PACKAGE_INSTALL_DIRECTORY "tessara")
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR "DEB")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION "games")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The image plugins read TIFF and WebP maps; the program starts without them.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-image-formats-plugins, fonts-dejavu-core")
# Only the program's own files: the tests are not installed.
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
include(CPack)
