# Writes the three placeholder firmware description files from a fixed seed:
#   cmake [-DOUT_DIR=<dir>] -P tools/make_placeholder_images.cmake
# The headers and the record layout are those of the real images; the data bytes are
# deterministic pseudo-random bytes (xorshift32), so every run writes the same files.
# OUT_DIR defaults to src/firmware/images.

cmake_minimum_required(VERSION 3.25)

if(NOT DEFINED OUT_DIR)
    get_filename_component(OUT_DIR "${CMAKE_CURRENT_LIST_DIR}/../src/firmware/images" ABSOLUTE)
endif()

set(SEED_BASE 0x5EED2483)

# 8 upper-case hex digits of a 32-bit value.
function(hex8 value out)
    math(EXPR v "${value} + 0x100000000" OUTPUT_FORMAT HEXADECIMAL)
    string(SUBSTRING "${v}" 3 8 v)
    string(TOUPPER "${v}" v)
    set(${out} "${v}" PARENT_SCOPE)
endfunction()

# The checksum digits of a record given as hex digits (count, address, type, data).
function(record_checksum digits out)
    string(REGEX REPLACE "(..)" "+0x\\1" expr "${digits}")
    math(EXPR c "(256 - ((0${expr}) % 256)) % 256 + 0x100" OUTPUT_FORMAT HEXADECIMAL)
    string(SUBSTRING "${c}" 3 2 c)
    string(TOUPPER "${c}" c)
    set(${out} "${c}" PARENT_SCOPE)
endfunction()

# One 64-byte data record at `address`; the generator state travels in `state`.
function(data_record address state_var out)
    set(x "${${state_var}}")
    set(data "")
    foreach(i RANGE 1 16)
        math(EXPR x "${x} ^ ((${x} << 13) & 0xFFFFFFFF)")
        math(EXPR x "${x} ^ (${x} >> 17)")
        math(EXPR x "${x} ^ ((${x} << 5) & 0xFFFFFFFF)")
        hex8(${x} word)
        string(APPEND data "${word}")
    endforeach()
    hex8(${address} a)
    string(SUBSTRING "${a}" 4 4 a)
    set(digits "40${a}00${data}")
    record_checksum("${digits}" sum)
    set(${state_var} "${x}" PARENT_SCOPE)
    set(${out} ":${digits}${sum}" PARENT_SCOPE)
endfunction()

function(write_image number header run_start run_records)
    math(EXPR state "${SEED_BASE} + ${number}")
    set(text "")
    foreach(line IN LISTS header)
        string(APPEND text "${line}\n")
    endforeach()
    # A line with "=" is no firmware line; it marks the file as a placeholder.
    string(APPEND text "placeholder=made by tools/make_placeholder_images.cmake from seed ${SEED_BASE}, not real firmware\n")
    math(EXPR last "${run_records} - 1")
    foreach(i RANGE 0 ${last})
        math(EXPR address "${run_start} + 64 * ${i}")
        data_record(${address} state record)
        string(APPEND text "${record}\n")
    endforeach()
    foreach(address 0xF600 0xF7C0)
        data_record(${address} state record)
        string(APPEND text "${record}\n")
    endforeach()
    string(APPEND text ":00000001FF\n")
    file(WRITE "${OUT_DIR}/image${number}.txt" "${text}")
    message(STATUS "wrote ${OUT_DIR}/image${number}.txt")
endfunction()

write_image(1 "bootloader=2;bootloader version=0;class=26122;versionH=1;versionL=4;platform=3;print=3;date=24.07.2012 17:19:26" 0x8000 225)
write_image(2 "bootloader=2;bootloader version=1;class=26122;versionH=2;versionL=102;platform=11;print=17;date=13.12.2022 15:45:48" 0x4400 257)
write_image(3 "bootloader=2;bootloader version=1;class=26122;versionH=4;versionL=108;platform=25;print=52;date=12.12.2024 12:05:28" 0x4400 205)
