# Regenerates the placeholder images into WORK_DIR and compares them with the committed ones.
file(REMOVE_RECURSE "${WORK_DIR}")
file(MAKE_DIRECTORY "${WORK_DIR}")
execute_process(
    COMMAND ${CMAKE_COMMAND} -DOUT_DIR=${WORK_DIR}
            -P ${SOURCE_DIR}/tools/make_placeholder_images.cmake
    RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "the generator failed")
endif()
foreach(n 1 2 3)
    file(STRINGS "${SOURCE_DIR}/src/firmware/images/image${n}.txt" marker REGEX "^placeholder=")
    if(NOT marker)
        message(STATUS "image${n}.txt is real firmware, not compared")
        continue()
    endif()
    file(SHA256 "${WORK_DIR}/image${n}.txt" made)
    file(SHA256 "${SOURCE_DIR}/src/firmware/images/image${n}.txt" committed)
    if(NOT made STREQUAL committed)
        message(FATAL_ERROR "image${n}.txt differs from what the generator makes")
    endif()
endforeach()
