# The documents every Debian package carries, installed by cmake --install as well: the
# copyright, the changelog and the manual page. Then a Debian package of the installed files:
# `cpack -G DEB` in the build folder makes tessara_<version>_amd64.deb. Its dependencies are
# read off the program's libraries by dpkg-shlibdeps, so they follow whatever Qt the machine
# builds with.

# The changelog's newest entry is the release being built, so a new version needs its entry.
file(STRINGS "${PROJECT_SOURCE_DIR}/resources/changelog" TESSARA_CHANGELOG_TOP LIMIT_COUNT 1)
if(NOT TESSARA_CHANGELOG_TOP MATCHES "^tessara \\(${PROJECT_VERSION}\\) ")
    message(FATAL_ERROR "resources/changelog starts with '${TESSARA_CHANGELOG_TOP}': "
                        "add an entry for version ${PROJECT_VERSION} on top")
endif()

# Debian wants both compressed the same on every build: best compression, and no file name
# or time stamp in the header.
find_program(GZIP gzip REQUIRED)
set(TESSARA_CHANGELOG "${PROJECT_BINARY_DIR}/changelog")
add_custom_command(OUTPUT "${TESSARA_CHANGELOG}.gz"
    COMMAND ${CMAKE_COMMAND} -E copy "${PROJECT_SOURCE_DIR}/resources/changelog"
            "${TESSARA_CHANGELOG}"
    COMMAND ${GZIP} -n -9 -f "${TESSARA_CHANGELOG}"
    DEPENDS "${PROJECT_SOURCE_DIR}/resources/changelog"
    COMMENT "Compressing the changelog"
    VERBATIM)

# The manual page is made from the built program's --help and --version, so it lists the
# options the program has; resources/tessara.h2m adds what --help does not say.
find_program(HELP2MAN help2man)
if(NOT HELP2MAN)
    message(FATAL_ERROR "help2man makes the manual page: scripts/install-deps.sh installs it")
endif()
set(TESSARA_MAN_PAGE "${PROJECT_BINARY_DIR}/tessara.1")
set(TESSARA_MAN_INCLUDE "${PROJECT_SOURCE_DIR}/resources/tessara.h2m")
add_custom_command(OUTPUT "${TESSARA_MAN_PAGE}" "${TESSARA_MAN_PAGE}.gz"
    COMMAND ${HELP2MAN} --no-info --section=1 "--include=${TESSARA_MAN_INCLUDE}"
            "--output=${TESSARA_MAN_PAGE}" $<TARGET_FILE:tessara>
    # help2man fills the lines of the example into one paragraph, which reads as one long
    # command: each command goes on a line of its own. It also takes a negative number
    # (-30.5,9) for an option and sets it in bold.
    COMMAND sed -i -e "/^\\.SS \"Example:\"$/,/^\\.[PS]/s/^tessara .*/&\\n.br/"
            -e "s/\\\\fB\\\\-\\([0-9][0-9.]*\\)\\\\fR/\\\\-\\1/g" "${TESSARA_MAN_PAGE}"
    COMMAND ${GZIP} -n -9 -k -f "${TESSARA_MAN_PAGE}"
    DEPENDS tessara "${TESSARA_MAN_INCLUDE}"
    COMMENT "Making the manual page with help2man"
    VERBATIM)
add_custom_target(tessara_documents ALL DEPENDS "${TESSARA_CHANGELOG}.gz" "${TESSARA_MAN_PAGE}.gz")

install(FILES "${PROJECT_SOURCE_DIR}/resources/copyright" "${TESSARA_CHANGELOG}.gz"
        DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES "${TESSARA_MAN_PAGE}.gz" DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

set(CPACK_PACKAGE_NAME "tessara")
set(CPACK_PACKAGE_VENDOR "Tessara")
set(CPACK_PACKAGE_CONTACT "Tessara developers <tessara@users.noreply.github.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Lays a hex grid over a scanned wargame map")
# Lines under 80 columns; an empty line separates paragraphs.
set(CPACK_PACKAGE_DESCRIPTION [[
Tessara draws a grid of hexagons into a picture of a map at its full
resolution: load a scanned wargame map, give the map's width and the size of
one hex, pick a colour and a line thickness, and press Generate Hex Grid.

The grid can be fitted to a grid or a scale bar already printed on the map,
with a live preview, and the hexes numbered as games number them (0101, 01.01,
A1). The gridded map is saved, printed on one page or at true scale over
several pages with cut marks and a ruler, or exported as PNG, JPEG, TIFF or
bitmap, and the grid alone as a transparent PNG or an SVG drawing.

The command line (tessara grid) grids whole boxes of maps without a window.]])
set(CPACK_PACKAGE_INSTALL_DIRECTORY "tessara")
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR "DEB")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# A graphics program for players of games, not a game: Debian's games section is for games,
# installed in /usr/games.
set(CPACK_DEBIAN_PACKAGE_SECTION "graphics")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The image plugins read TIFF and WebP maps; the program starts without them.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-image-formats-plugins, fonts-dejavu-core")
# Only the program's own files: the tests are not installed.
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
include(CPack)
