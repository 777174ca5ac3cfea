# Install rules and CPack settings. On Linux `cpack -G DEB` makes the Debian package
# sdupdate_<version>_amd64.deb; in the Windows cross build `cpack -G ZIP` makes
# sdupdate-<version>-windows-x64.zip with the headless updater. scripts/package (make package)
# drives both. The version everywhere is the project's: project(VERSION) in CMakeLists.txt.

set(SDU_PACKAGING_DIR ${PROJECT_SOURCE_DIR}/packaging)
set(SDU_PACKAGING_OUT ${PROJECT_BINARY_DIR}/packaging)
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_PACKAGE_NAME sdupdate)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "the sdupdate developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)
set(CPACK_OUTPUT_FILE_PREFIX dist)

if(WIN32)
    # The zip: the static headless updater, a README for Windows users and the licence, in
    # one folder named after the version. Text files with CR LF for Notepad.
    if(TARGET sdupdate-cli)
        install(TARGETS sdupdate-cli RUNTIME DESTINATION .)
    endif()
    configure_file(${SDU_PACKAGING_DIR}/windows/README.txt.in ${SDU_PACKAGING_OUT}/README.txt
                   @ONLY NEWLINE_STYLE CRLF)
    configure_file(${PROJECT_SOURCE_DIR}/LICENSE ${SDU_PACKAGING_OUT}/LICENSE.txt
                   @ONLY NEWLINE_STYLE CRLF)
    install(FILES ${SDU_PACKAGING_OUT}/README.txt ${SDU_PACKAGING_OUT}/LICENSE.txt DESTINATION .)

    set(CPACK_GENERATOR ZIP)
    set(CPACK_PACKAGE_FILE_NAME sdupdate-${PROJECT_VERSION}-windows-x64)
    set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
    include(CPack)
    return()
endif()

include(GNUInstallDirs)

# --- what the package holds -------------------------------------------------------------------
foreach(program sdupdate sdupdate-cli loggersim)
    if(TARGET ${program})
        install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    endif()
endforeach()

install(FILES ${SDU_PACKAGING_DIR}/sdupdate.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${SDU_PACKAGING_DIR}/icons/sdupdate.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(DIRECTORY ${SDU_PACKAGING_DIR}/icons/hicolor/ DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor
        FILES_MATCHING PATTERN "*.png")
# udev reads its rules from /usr/lib/udev whatever the install prefix.
install(FILES ${SDU_PACKAGING_DIR}/udev/70-sdupdate-ftdi.rules DESTINATION /usr/lib/udev/rules.d)

# The manual pages carry the version; Debian wants them and the changelog compressed with
# gzip -9n (no name, no time stamp: the same bytes on every build).
set(SDU_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/sdupdate)
set(sdu_gzipped)
foreach(page sdupdate sdupdate-cli loggersim)
    configure_file(${SDU_PACKAGING_DIR}/man/${page}.1.in ${SDU_PACKAGING_OUT}/man/${page}.1 @ONLY)
    list(APPEND sdu_gzipped ${SDU_PACKAGING_OUT}/man/${page}.1)
endforeach()
configure_file(${SDU_PACKAGING_DIR}/debian/changelog ${SDU_PACKAGING_OUT}/doc/changelog COPYONLY)
list(APPEND sdu_gzipped ${SDU_PACKAGING_OUT}/doc/changelog)
install(CODE "
    foreach(file ${sdu_gzipped})
        execute_process(COMMAND gzip -9n --force --keep \${file} RESULT_VARIABLE rc)
        if(NOT rc EQUAL 0)
            message(FATAL_ERROR \"gzip \${file} failed\")
        endif()
    endforeach()")
install(FILES ${SDU_PACKAGING_OUT}/man/sdupdate.1.gz ${SDU_PACKAGING_OUT}/man/sdupdate-cli.1.gz
              ${SDU_PACKAGING_OUT}/man/loggersim.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${SDU_PACKAGING_OUT}/doc/changelog.gz ${SDU_PACKAGING_DIR}/debian/copyright
              ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/docs/cli.md
        DESTINATION ${SDU_DOC_DIR})

# One version: the changelog's newest entry must be this project's version.
file(STRINGS ${SDU_PACKAGING_DIR}/debian/changelog sdu_changelog_head LIMIT_COUNT 1)
if(NOT sdu_changelog_head MATCHES "^sdupdate \\(${PROJECT_VERSION}\\) ")
    message(FATAL_ERROR "packaging/debian/changelog starts with '${sdu_changelog_head}': "
                        "add an entry for version ${PROJECT_VERSION} at its top")
endif()

# --- the Debian package --------------------------------------------------------------------------
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(SDU_PACKAGE_MAINTAINER "sdupdate developers <sdupdate@example.org>"
    CACHE STRING "Maintainer field of the Debian package")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${SDU_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The window asks for "Liberation Sans" when the form's own font is missing.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS fonts-liberation)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Replaces the firmware of the SD card module inside a data logger over the\n"
    "logger's USB serial adapter (FTDI virtual COM port, 9600 baud 8N1).\n"
    "\n"
    "The package holds the desktop program sdupdate, the headless updater\n"
    "sdupdate-cli for scripts and service benches, and loggersim, a simulated\n"
    "logger on a pseudo-terminal for training and for checking a desk without a\n"
    "logger. A udev rule gives the user logged in at the desk access to the\n"
    "FTDI adapters without membership of the dialout group.")
string(REPLACE ";" "" CPACK_DEBIAN_PACKAGE_DESCRIPTION "${CPACK_DEBIAN_PACKAGE_DESCRIPTION}")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${SDU_PACKAGING_DIR}/debian/postinst)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
