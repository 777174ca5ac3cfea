# sdu_windows_resources(<target> <description>): a Windows program's resources, compiled in
# with windres: the program's icon, its version information (the project's one version, seen
# in Explorer's properties and by installers) and a manifest that runs it as the user who
# started it (no elevation: Windows would otherwise guess from "update" in the name that the
# program is an installer) on Windows 10 and later. Does nothing on other systems.
set(SDU_PRODUCT_NAME "SD Card Module Updater")
set(SDU_PUBLISHER "the sdupdate developers")

function(sdu_windows_resources target description)
    if(NOT WIN32)
        return()
    endif()
    set(SDU_RC_NAME ${target})
    set(SDU_RC_DESCRIPTION "${description}")
    set(SDU_RC_ICON ${PROJECT_SOURCE_DIR}/packaging/icons/sdupdate.ico)
    set(out ${CMAKE_CURRENT_BINARY_DIR}/${target}-resources)
    set(SDU_RC_MANIFEST ${out}/${target}.manifest)
    configure_file(${PROJECT_SOURCE_DIR}/packaging/windows/program.manifest.in
                   ${SDU_RC_MANIFEST} @ONLY)
    configure_file(${PROJECT_SOURCE_DIR}/packaging/windows/program.rc.in ${out}/${target}.rc
                   @ONLY)
    target_sources(${target} PRIVATE ${out}/${target}.rc)
    # windres reads the icon and the manifest when it compiles the script.
    set_source_files_properties(${out}/${target}.rc PROPERTIES
        OBJECT_DEPENDS "${SDU_RC_ICON};${SDU_RC_MANIFEST}")
endfunction()
