# Builds the Debian package with cpack, unpacks it into a scratch root as dpkg would install
# it, and checks its file list, the dependencies dpkg-shlibdeps worked out, that its manual
# page reads without a warning from man, and that lintian, Debian's package checker, reports
# no error and no warning. Its informational and pedantic notes are printed, not refused.
file(REMOVE_RECURSE "${SCRATCH}")
file(MAKE_DIRECTORY "${SCRATCH}")
execute_process(COMMAND cpack --config "${BUILD_DIR}/CPackConfig.cmake" -G DEB -B "${SCRATCH}"
                RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "cpack failed: ${output}")
endif()
file(GLOB packages "${SCRATCH}/tessara_${VERSION}_*.deb")
list(LENGTH packages count)
if(NOT count EQUAL 1)
    message(FATAL_ERROR "expected one tessara_${VERSION}_<arch>.deb, found: ${packages}")
endif()
execute_process(COMMAND dpkg-deb -x "${packages}" "${SCRATCH}/root" RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "dpkg-deb -x failed")
endif()
foreach(file IN LISTS EXPECTED)
    if(NOT EXISTS "${SCRATCH}/root/usr/${file}")
        message(FATAL_ERROR "not in the package: ${file}")
    endif()
endforeach()
execute_process(COMMAND dpkg-deb -f "${packages}" Depends OUTPUT_VARIABLE depends)
if(NOT depends MATCHES "libqt6widgets6")
    message(FATAL_ERROR "dependencies not computed: '${depends}'")
endif()

set(page "${SCRATCH}/root/usr/share/man/man1/tessara.1.gz")
if(MAN)
    execute_process(COMMAND ${CMAKE_COMMAND} -E env LC_ALL=C.UTF-8 MANWIDTH=80
                            "${MAN}" --warnings -E UTF-8 -l -Tutf8 "${page}"
                    RESULT_VARIABLE result OUTPUT_QUIET ERROR_VARIABLE warnings)
    if(NOT result EQUAL 0 OR NOT warnings STREQUAL "")
        message(FATAL_ERROR "man reads the manual page with warnings (${result}):\n${warnings}")
    endif()
else()
    message(STATUS "man is not installed: the manual page was not read")
endif()

if(LINTIAN)
    # --allow-root: lintian only warns that root need not run it.
    execute_process(COMMAND "${LINTIAN}" --allow-root --fail-on error,warning --display-info
                            --pedantic "${packages}"
                    RESULT_VARIABLE result OUTPUT_VARIABLE tags ERROR_VARIABLE tags)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "lintian refuses the package (${result}):\n${tags}")
    endif()
    message(STATUS "lintian:\n${tags}")
else()
    message(STATUS "lintian is not installed: the package was not checked against Debian's "
                   "policy (scripts/install-deps.sh installs it)")
endif()
file(REMOVE_RECURSE "${SCRATCH}")
