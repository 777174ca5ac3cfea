# nlohmann/json, header-only, from Debian's nlohmann-json3-dev. A cross build, whose
# find_package looks only in the target's root, gets a copy of the same headers in its build
# tree (the host's /usr/include itself must not come before mingw's C headers).
find_package(nlohmann_json 3 QUIET)
if(NOT nlohmann_json_FOUND)
    find_path(SDU_NLOHMANN_JSON_INCLUDE nlohmann/json.hpp PATHS /usr/include
              NO_CMAKE_FIND_ROOT_PATH NO_DEFAULT_PATH)
    if(NOT SDU_NLOHMANN_JSON_INCLUDE)
        message(FATAL_ERROR "nlohmann/json.hpp is missing: install the Debian package "
                            "nlohmann-json3-dev")
    endif()
    set(copy ${CMAKE_BINARY_DIR}/third_party/include)
    file(COPY ${SDU_NLOHMANN_JSON_INCLUDE}/nlohmann DESTINATION ${copy})
    add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED GLOBAL)
    set_target_properties(nlohmann_json::nlohmann_json PROPERTIES
        INTERFACE_INCLUDE_DIRECTORIES ${copy})
endif()
