# What a Windows program with Qt needs beside it, as the zip and the installer ship it: Qt's DLLs,
# the mingw-w64 runtime DLLs that Qt itself was built against (SDU_WINDOWS_RUNTIME_DLLS, their
# full paths), the platform and style plug-ins in platforms/ and styles/, and qt.conf. The
# programs without Qt link the runtime statically and need none.
set(SDU_WINDOWS_RUNTIME_DLLS)
foreach(dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
                    OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(NOT IS_ABSOLUTE "${path}" OR NOT EXISTS "${path}")
        message(FATAL_ERROR "${CMAKE_CXX_COMPILER} knows no ${dll}")
    endif()
    file(REAL_PATH "${path}" path)
    list(APPEND SDU_WINDOWS_RUNTIME_DLLS "${path}")
endforeach()

set(SDU_WINDOWS_QT_PLUGINS
    platforms Qt6::QWindowsIntegrationPlugin
    styles Qt6::QWindowsVistaStylePlugin)
set(SDU_WINDOWS_QT_CONF ${PROJECT_SOURCE_DIR}/packaging/windows/qt.conf)

# sdu_windows_deploy_beside(<target>...): after each build of the program, the same files beside
# it in the build tree, so that it starts there (under wine: the tests) as it does installed.
function(sdu_windows_deploy_beside)
    if(NOT WIN32)
        return()
    endif()
    foreach(target IN LISTS ARGN)
        set(dir $<TARGET_FILE_DIR:${target}>)
        set(commands
            COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_RUNTIME_DLLS:${target}>
                    ${SDU_WINDOWS_RUNTIME_DLLS} ${SDU_WINDOWS_QT_CONF} ${dir})
        set(plugins ${SDU_WINDOWS_QT_PLUGINS})
        while(plugins)
            list(POP_FRONT plugins folder plugin)
            list(APPEND commands
                COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}/${folder}
                COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:${plugin}>
                        ${dir}/${folder})
        endwhile()
        add_custom_command(TARGET ${target} POST_BUILD ${commands} COMMAND_EXPAND_LISTS VERBATIM)
    endforeach()
endfunction()
