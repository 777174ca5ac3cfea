# Cross-build for 64-bit Windows with Debian's mingw-w64 (posix thread model).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(CMAKE_CROSSCOMPILING_EMULATOR wine)

# Qt for mingw in a prefix of its own (scripts/install-qt-mingw): -DSDU_QT_MINGW_PREFIX=DIR.
# Its packages are searched there as under the mingw root; its build tools (moc, rcc, uic) are
# the host's, of the same version (Debian's qt6-base-dev).
if(SDU_QT_MINGW_PREFIX)
    list(APPEND CMAKE_FIND_ROOT_PATH ${SDU_QT_MINGW_PREFIX})
    set(QT_HOST_PATH /usr CACHE PATH "Qt's host tools for the cross build")
    set(QT_HOST_PATH_CMAKE_DIR /usr/lib/x86_64-linux-gnu/cmake CACHE PATH
        "The CMake packages of Qt's host tools")
endif()
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES SDU_QT_MINGW_PREFIX)
