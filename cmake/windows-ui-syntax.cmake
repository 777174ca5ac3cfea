# The window's Windows build, compiled for syntax only (SDU_WINDOWS_UI_SYNTAX=ON together with
# the mingw toolchain and SDU_BUILD_QT=ON). Debian has no Qt for mingw, so:
#   - the Qt targets are made here from the host's Qt 6 headers, with the win32-g++ mkspec folder
#     and the definitions that a MinGW build of Qt gives the programs that use it;
#   - at the end of the configure, every target that uses Qt (directly or through another
#     target) gets a twin object library with its sources, its own settings and the usage
#     requirements of what it links (not the linked libraries: nothing else gets built),
#     compiled with -fsyntax-only -Werror. AUTOMOC runs for the twins with the host's moc and
#     the cross compiler's predefined macros, as it would in a Windows build.
# Nothing is linked. The real targets stay as they are; build `sdu_windows_ui_syntax` only.
if(NOT MINGW)
    message(FATAL_ERROR
        "SDU_WINDOWS_UI_SYNTAX needs the mingw toolchain (cmake/mingw-w64-x86_64.cmake)")
endif()

set(SDU_HOST_QT_HEADERS /usr/include/x86_64-linux-gnu/qt6 CACHE PATH "The host's Qt 6 headers")
set(SDU_HOST_QT_MKSPEC /usr/lib/x86_64-linux-gnu/qt6/mkspecs/win32-g++
    CACHE PATH "Qt's win32-g++ mkspec folder")
set(SDU_HOST_QT_MOC /usr/lib/qt6/libexec/moc CACHE FILEPATH "The host's moc")
foreach(path IN ITEMS ${SDU_HOST_QT_HEADERS}/QtWidgets ${SDU_HOST_QT_MKSPEC}/qplatformdefs.h
                      ${SDU_HOST_QT_MOC})
    if(NOT EXISTS ${path})
        message(FATAL_ERROR
            "${path} is missing: install the Debian packages qt6-base-dev and qt6-base-dev-tools")
    endif()
endforeach()

# The version AUTOMOC asks for, read from moc itself ("moc 6.4.2").
execute_process(COMMAND ${SDU_HOST_QT_MOC} -v OUTPUT_VARIABLE moc_version
                COMMAND_ERROR_IS_FATAL ANY)
if(NOT moc_version MATCHES "moc ([0-9]+)\\.([0-9]+)")
    message(FATAL_ERROR "Unexpected answer of ${SDU_HOST_QT_MOC} -v: ${moc_version}")
endif()
set(Qt6Core_VERSION_MAJOR ${CMAKE_MATCH_1})
set(Qt6Core_VERSION_MINOR ${CMAKE_MATCH_2})
add_executable(Qt6::moc IMPORTED)
set_target_properties(Qt6::moc PROPERTIES IMPORTED_LOCATION ${SDU_HOST_QT_MOC})

# Imported, so that Qt's headers are system headers as with find_package(Qt6).
add_library(Qt6::Platform INTERFACE IMPORTED)
set_target_properties(Qt6::Platform PROPERTIES
    INTERFACE_COMPILE_FEATURES cxx_std_17
    INTERFACE_INCLUDE_DIRECTORIES "${SDU_HOST_QT_MKSPEC};${SDU_HOST_QT_HEADERS}"
    INTERFACE_COMPILE_DEFINITIONS
        "UNICODE;_UNICODE;WIN32;WIN64;_WIN64;_ENABLE_EXTENDED_ALIGNED_STORAGE;MINGW_HAS_SECURE_API=1"
)
# sdu_host_qt_module(<name> <dependencies>...): Qt6::<name> from the headers in Qt<name>/.
function(sdu_host_qt_module name)
    string(TOUPPER ${name} upper)
    add_library(Qt6::${name} INTERFACE IMPORTED)
    set_target_properties(Qt6::${name} PROPERTIES
        INTERFACE_INCLUDE_DIRECTORIES ${SDU_HOST_QT_HEADERS}/Qt${name}
        INTERFACE_COMPILE_DEFINITIONS QT_${upper}_LIB
        INTERFACE_LINK_LIBRARIES "${ARGN}"
        INTERFACE_QT_MAJOR_VERSION ${Qt6Core_VERSION_MAJOR}
    )
endfunction()
sdu_host_qt_module(Core Qt6::Platform)
set_property(TARGET Qt6::Core APPEND PROPERTY
    INTERFACE_COMPILE_DEFINITIONS $<$<NOT:$<CONFIG:Debug>>:QT_NO_DEBUG>)
sdu_host_qt_module(Gui Qt6::Core)
sdu_host_qt_module(Widgets Qt6::Gui)
sdu_host_qt_module(Test Qt6::Core)

# All build targets of `dir` and the folders below it.
function(sdu_targets_below dir out)
    get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
    get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
    foreach(subdir IN LISTS subdirs)
        sdu_targets_below(${subdir} below)
        list(APPEND targets ${below})
    endforeach()
    set(${out} ${targets} PARENT_SCOPE)
endfunction()

# Whether `target` links a Qt6:: target, directly or through the targets it links.
function(sdu_uses_qt target out)
    set(${out} FALSE PARENT_SCOPE)
    set(seen ${ARGN})
    if(target IN_LIST seen)
        return()
    endif()
    list(APPEND seen ${target})
    get_target_property(type ${target} TYPE)
    get_target_property(links ${target} INTERFACE_LINK_LIBRARIES)
    if(NOT type STREQUAL "INTERFACE_LIBRARY")
        get_target_property(own ${target} LINK_LIBRARIES)
        list(APPEND links ${own})
    endif()
    foreach(link IN LISTS links)
        if(link MATCHES "^Qt6::")
            set(${out} TRUE PARENT_SCOPE)
            return()
        endif()
        if(TARGET "${link}")
            sdu_uses_qt(${link} uses ${seen})
            if(uses)
                set(${out} TRUE PARENT_SCOPE)
                return()
            endif()
        endif()
    endforeach()
endfunction()

# The compile-time side of a link item. A target of this project becomes an interface library
# with a copy of its usage requirements, so that the check builds none of the linked libraries.
function(sdu_compile_usage item out)
    set(${out} "" PARENT_SCOPE)
    if(item MATCHES "^::@" OR item MATCHES "^\\$<LINK_ONLY:")
        return() # a folder marker of target_link_libraries, or nothing for compiling
    endif()
    if(NOT TARGET "${item}")
        set(${out} "${item}" PARENT_SCOPE)
        return()
    endif()
    get_target_property(aliased ${item} ALIASED_TARGET)
    if(aliased)
        set(item ${aliased})
    endif()
    get_target_property(imported ${item} IMPORTED)
    if(imported)
        set(${out} ${item} PARENT_SCOPE)
        return()
    endif()
    set(usage ${item}_windows_syntax_usage)
    if(NOT TARGET ${usage})
        add_library(${usage} INTERFACE)
        foreach(property IN ITEMS INCLUDE_DIRECTORIES SYSTEM_INCLUDE_DIRECTORIES
                                  COMPILE_DEFINITIONS COMPILE_OPTIONS COMPILE_FEATURES)
            get_target_property(value ${item} INTERFACE_${property})
            if(value)
                set_property(TARGET ${usage} PROPERTY INTERFACE_${property} "${value}")
            endif()
        endforeach()
        get_target_property(links ${item} INTERFACE_LINK_LIBRARIES)
        sdu_compile_usages("${links}" mapped)
        set_property(TARGET ${usage} PROPERTY INTERFACE_LINK_LIBRARIES "${mapped}")
    endif()
    set(${out} ${usage} PARENT_SCOPE)
endfunction()

function(sdu_compile_usages items out)
    set(mapped "")
    foreach(item IN LISTS items)
        sdu_compile_usage("${item}" usage)
        list(APPEND mapped ${usage})
    endforeach()
    set(${out} "${mapped}" PARENT_SCOPE)
endfunction()

# <target>_windows_syntax: the sources of `target` with its settings, for syntax only.
function(sdu_add_syntax_twin target out)
    get_target_property(sources ${target} SOURCES)
    get_target_property(dir ${target} SOURCE_DIR)
    set(paths "")
    foreach(source IN LISTS sources)
        if(IS_ABSOLUTE "${source}" OR source MATCHES "^\\$<")
            list(APPEND paths "${source}")
        else()
            list(APPEND paths "${dir}/${source}")
        endif()
    endforeach()
    set(twin ${target}_windows_syntax)
    add_library(${twin} OBJECT EXCLUDE_FROM_ALL ${paths})
    foreach(property IN ITEMS INCLUDE_DIRECTORIES COMPILE_DEFINITIONS COMPILE_OPTIONS
                              COMPILE_FEATURES CXX_STANDARD CXX_EXTENSIONS AUTOMOC)
        get_target_property(value ${target} ${property})
        if(NOT value STREQUAL "value-NOTFOUND")
            set_property(TARGET ${twin} PROPERTY ${property} "${value}")
        endif()
    endforeach()
    get_target_property(links ${target} LINK_LIBRARIES)
    sdu_compile_usages("${links}" usages)
    target_link_libraries(${twin} PRIVATE ${usages})
    # The project's own warnings are errors here; Qt's headers are system headers.
    target_compile_options(${twin} PRIVATE -fsyntax-only -Werror)
    set(${out} ${twin} PARENT_SCOPE)
endfunction()

function(sdu_add_windows_ui_syntax)
    sdu_targets_below(${PROJECT_SOURCE_DIR} targets)
    set(twins "")
    foreach(target IN LISTS targets)
        get_target_property(type ${target} TYPE)
        if(type MATCHES "^(STATIC|SHARED|MODULE|OBJECT)_LIBRARY$|^EXECUTABLE$")
            sdu_uses_qt(${target} uses)
            if(uses)
                sdu_add_syntax_twin(${target} twin)
                list(APPEND twins ${twin})
            endif()
        endif()
    endforeach()
    list(TRANSFORM twins REPLACE "_windows_syntax$" "" OUTPUT_VARIABLE checked)
    list(JOIN checked ", " checked)
    message(STATUS "Targets checked for syntax: ${checked}")
    add_custom_target(sdu_windows_ui_syntax)
    add_dependencies(sdu_windows_ui_syntax ${twins})
endfunction()
cmake_language(DEFER CALL sdu_add_windows_ui_syntax)
