# Install rules and CPack settings. On Linux `cpack -G DEB` makes the Debian package
# sdupdate_<version>_amd64.deb. In a Windows build the install rules make the folder that
# scripts/package signs, checks and packs into sdupdate-<version>-windows-x64.zip and the
# installer sdupdate-<version>-windows-x64-setup.exe (makensis). The version everywhere is the
# project's: project(VERSION) in CMakeLists.txt.

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
    # The Windows package: one folder, which the zip holds as it is and the installer copies to
    # Program Files. scripts/package installs it into a staging folder (`cmake --install
    # --strip`), signs the programs, checks the DLLs and packs the same folder twice:
    #   sdupdate.exe, sdupdate-cli.exe        the window and the (static) headless updater
    #   Qt6Core.dll, Qt6Gui.dll, Qt6Widgets.dll, libstdc++-6.dll, libgcc_s_seh-1.dll,
    #   libwinpthread-1.dll, platforms\qwindows.dll, styles\qwindowsvistastyle.dll, qt.conf
    #                                         what the window needs beside it
    #   README.txt, LICENSE.txt, THIRD-PARTY.txt, licenses\   texts, CR LF for Notepad
    # Without Qt (SDU_BUILD_QT=OFF) it holds the headless updater and the texts only.
    # sdu_crlf_copy(<in> <out>): a copy of a text file with CR LF line ends (and one at its
    # end), its bytes otherwise unchanged (no @VAR@ replaced, unlike configure_file).
    function(sdu_crlf_copy in out)
        file(READ "${in}" text)
        string(REPLACE "\r\n" "\n" text "${text}")
        if(NOT text MATCHES "\n$")
            string(APPEND text "\n")
        endif()
        string(REPLACE "\n" "\r\n" text "${text}")
        file(WRITE "${out}.tmp" "${text}")
        configure_file("${out}.tmp" "${out}" COPYONLY)
        file(REMOVE "${out}.tmp")
        set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${in}")
    endfunction()

    # sdu_debian_origin(<prefix> <file>): the Debian package that holds <file>:
    # <prefix>_PACKAGE, _VERSION, _SOURCE (source package and version) and _COPYRIGHT (its
    # copyright file).
    function(sdu_debian_origin prefix file)
        execute_process(COMMAND dpkg-query -S "${file}" OUTPUT_VARIABLE out
                        RESULT_VARIABLE rc ERROR_QUIET OUTPUT_STRIP_TRAILING_WHITESPACE)
        if(NOT rc EQUAL 0 OR NOT out MATCHES "^([^:, ]+)")
            message(FATAL_ERROR "No Debian package holds ${file}: the Windows package names "
                                "the source of every DLL it carries")
        endif()
        set(package ${CMAKE_MATCH_1})
        execute_process(COMMAND dpkg-query -W "-f=\${Version}|\${source:Package} \${source:Version}"
                                ${package}
                        OUTPUT_VARIABLE out RESULT_VARIABLE rc OUTPUT_STRIP_TRAILING_WHITESPACE)
        set(copyright /usr/share/doc/${package}/copyright)
        if(NOT rc EQUAL 0 OR NOT out MATCHES "^([^|]+)\\|(.+)$" OR NOT EXISTS ${copyright})
            message(FATAL_ERROR "dpkg-query knows no version of ${package}, or ${copyright} "
                                "is missing")
        endif()
        set(${prefix}_PACKAGE ${package} PARENT_SCOPE)
        set(${prefix}_VERSION ${CMAKE_MATCH_1} PARENT_SCOPE)
        set(${prefix}_SOURCE ${CMAKE_MATCH_2} PARENT_SCOPE)
        set(${prefix}_COPYRIGHT ${copyright} PARENT_SCOPE)
    endfunction()

    foreach(program sdupdate sdupdate-cli)
        if(TARGET ${program})
            install(TARGETS ${program} RUNTIME DESTINATION .)
        endif()
    endforeach()
    configure_file(${SDU_PACKAGING_DIR}/windows/README.txt.in ${SDU_PACKAGING_OUT}/README.txt
                   @ONLY NEWLINE_STYLE CRLF)
    sdu_crlf_copy(${PROJECT_SOURCE_DIR}/LICENSE ${SDU_PACKAGING_OUT}/LICENSE.txt)
    install(FILES ${SDU_PACKAGING_OUT}/README.txt ${SDU_PACKAGING_OUT}/LICENSE.txt DESTINATION .)

    if(TARGET sdupdate AND MINGW)
        # Qt's DLLs as the program links them, the runtime DLLs, the two plug-ins, qt.conf.
        sdu_crlf_copy(${SDU_WINDOWS_QT_CONF} ${SDU_PACKAGING_OUT}/qt.conf)
        install(FILES $<TARGET_RUNTIME_DLLS:sdupdate> ${SDU_WINDOWS_RUNTIME_DLLS}
                      ${SDU_PACKAGING_OUT}/qt.conf
                DESTINATION .)
        set(plugins ${SDU_WINDOWS_QT_PLUGINS})
        set(plugin_dlls)
        while(plugins)
            list(POP_FRONT plugins folder plugin)
            install(FILES $<TARGET_FILE:${plugin}> DESTINATION ${folder})
            list(APPEND plugin_dlls "${folder}/$<TARGET_FILE_NAME:${plugin}>")
        endwhile()
        # The installed copies of the DLLs stripped of their symbols (libstdc++-6.dll: 23.7 MB
        # before, 2 MB after); the build tree keeps its unstripped ones.
        install(CODE "
            set(dlls \"${plugin_dlls}\")
            set(paths \"$<TARGET_RUNTIME_DLLS:sdupdate>;${SDU_WINDOWS_RUNTIME_DLLS}\")
            foreach(path IN LISTS paths)
                get_filename_component(name \"\${path}\" NAME)
                list(APPEND dlls \"\${name}\")
            endforeach()
            foreach(dll IN LISTS dlls)
                set(file \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/\${dll}\")
                message(STATUS \"Stripping: \${file}\")
                execute_process(COMMAND \"${CMAKE_STRIP}\" --strip-unneeded \"\${file}\"
                                RESULT_VARIABLE rc)
                if(NOT rc EQUAL 0)
                    message(FATAL_ERROR \"${CMAKE_STRIP} --strip-unneeded \${file} failed\")
                endif()
            endforeach()")

        # The installer's script, for makensis (scripts/windows-installer fills in the
        # staging folder and the file lists).
        set(SDU_INSTALLER_ICON ${SDU_PACKAGING_DIR}/icons/sdupdate.ico)
        configure_file(${SDU_PACKAGING_DIR}/windows/installer.nsi.in
                       ${SDU_PACKAGING_OUT}/installer.nsi @ONLY)

        # The licences of what the DLLs are made of and where their source is: THIRD-PARTY.txt
        # and licenses\. Qt's prefix (scripts/install-qt-mingw) names its source and holds its
        # licence texts; the other facts come from the Debian packages the DLLs and the
        # compiler were taken from. A build without them (on Windows, with another Qt)
        # installs without these notes; scripts/package asks for them.
        set(qt_notes ${QT6_INSTALL_PREFIX}/share/sdupdate)
        find_program(SDU_DPKG_QUERY dpkg-query)
        if(EXISTS ${qt_notes}/Qt-SOURCE.txt AND SDU_DPKG_QUERY)
            set(sdu_notes_default ON)
        else()
            set(sdu_notes_default OFF)
        endif()
        option(SDU_WINDOWS_PACKAGE
               "Install the notes on third-party code (Qt from scripts/install-qt-mingw, Debian)"
               ${sdu_notes_default})
        if(NOT SDU_WINDOWS_PACKAGE)
            message(STATUS "The Windows install holds no THIRD-PARTY.txt and licenses\\ "
                           "(SDU_WINDOWS_PACKAGE is OFF): not a release package")
            return()
        endif()
        if(NOT EXISTS ${qt_notes}/Qt-SOURCE.txt)
            message(FATAL_ERROR "${qt_notes}/Qt-SOURCE.txt is missing: the Windows package "
                                "needs Qt built by scripts/install-qt-mingw")
        endif()
        file(STRINGS ${qt_notes}/Qt-SOURCE.txt qt_source LIMIT_COUNT 1)
        if(NOT qt_source MATCHES "source package qt6-base ([^ ]+)")
            message(FATAL_ERROR "${qt_notes}/Qt-SOURCE.txt names no version of qt6-base")
        endif()
        set(SDU_QT_DEBIAN_VERSION ${CMAKE_MATCH_1})
        set(SDU_QT_VERSION ${Qt6_VERSION})
        # Debian's copyright file of that same source (the host's Qt, whose moc, rcc and uic
        # the cross build uses, is built from it): every holder and licence in Qt's source,
        # those of the libraries Qt bundles (FreeType, HarfBuzz, libpng, PCRE2, zlib, ...) too.
        sdu_debian_origin(sdu_qt_host ${QT_HOST_PATH_CMAKE_DIR}/Qt6Core/Qt6CoreConfig.cmake)
        if(NOT sdu_qt_host_SOURCE STREQUAL "qt6-base ${SDU_QT_DEBIAN_VERSION}")
            message(FATAL_ERROR "Qt for mingw was built from qt6-base ${SDU_QT_DEBIAN_VERSION}, "
                                "the host's Qt is ${sdu_qt_host_SOURCE}: rebuild it "
                                "(scripts/install-qt-mingw)")
        endif()
        set(sdu_winpthread ${SDU_WINDOWS_RUNTIME_DLLS})
        list(FILTER sdu_winpthread INCLUDE REGEX "/libwinpthread-1\\.dll$")
        set(sdu_libstdcxx ${SDU_WINDOWS_RUNTIME_DLLS})
        list(FILTER sdu_libstdcxx INCLUDE REGEX "/libstdc\\+\\+-6\\.dll$")
        sdu_debian_origin(SDU_GCC_RUNTIME "${sdu_libstdcxx}")
        sdu_debian_origin(SDU_MINGW_RUNTIME "${sdu_winpthread}")
        # Debian's version of the runtime starts with GCC's (12.2.0-14+...).
        string(REGEX REPLACE "-.*" "" SDU_GCC_VERSION "${SDU_GCC_RUNTIME_VERSION}")

        set(licenses ${SDU_PACKAGING_OUT}/licenses)
        file(GLOB qt_licenses ${qt_notes}/licenses/*.txt)
        set(qt_license_copies)
        foreach(text IN LISTS qt_licenses)
            cmake_path(GET text FILENAME name)
            sdu_crlf_copy(${text} ${licenses}/Qt/${name})
            list(APPEND qt_license_copies ${licenses}/Qt/${name})
        endforeach()
        if(NOT EXISTS ${licenses}/Qt/LGPL-3.0-only.txt OR NOT EXISTS ${licenses}/Qt/GPL-3.0-only.txt)
            message(FATAL_ERROR "${qt_notes}/licenses lacks LGPL-3.0-only.txt or GPL-3.0-only.txt")
        endif()
        sdu_crlf_copy(${qt_notes}/Qt-SOURCE.txt ${licenses}/Qt-SOURCE.txt)
        sdu_crlf_copy(${sdu_qt_host_COPYRIGHT} ${licenses}/Qt-copyright.txt)
        sdu_crlf_copy(${SDU_GCC_RUNTIME_COPYRIGHT} ${licenses}/gcc-runtime-copyright.txt)
        sdu_crlf_copy(${SDU_MINGW_RUNTIME_COPYRIGHT} ${licenses}/mingw-w64-copyright.txt)
        configure_file(${SDU_PACKAGING_DIR}/windows/THIRD-PARTY.txt.in
                       ${SDU_PACKAGING_OUT}/THIRD-PARTY.txt @ONLY NEWLINE_STYLE CRLF)
        install(FILES ${SDU_PACKAGING_OUT}/THIRD-PARTY.txt DESTINATION .)
        install(FILES ${licenses}/Qt-SOURCE.txt ${licenses}/Qt-copyright.txt
                      ${licenses}/gcc-runtime-copyright.txt ${licenses}/mingw-w64-copyright.txt
                DESTINATION licenses)
        install(FILES ${qt_license_copies} DESTINATION licenses/Qt)
    endif()
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
