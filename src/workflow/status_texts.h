#pragma once
// The texts the operator sees for status messages and error codes, shared by the window and
// the headless updater.

#include <cstdint>
#include <optional>
#include <string>

// Text of error code `errorCode` (the value of status code 10). `portText` is the port
// selector's text, named by error 10. Unknown codes get "Fatal Exception has occurred!".
std::string errorText(std::int32_t errorCode, const std::string& portText);

// Text of status code `code` with `value`, or nothing when the code has no text (unknown codes,
// code 0 for the test command, code 40 with values other than 0 and 1).
std::optional<std::string> statusText(std::int32_t code, std::int32_t value,
                                      const std::string& portText);

// "Start at serial port "COM3"".
std::string startText(const std::string& portText);
// The application title for a progress position: "42%".
std::string progressTitle(int position);
// "%d.%.2d" of a firmware version, "%d.%d" of a boot loader; numbers as unsigned 16-bit.
std::string firmwareVersionText(std::uint16_t major, std::uint16_t minor);
std::string bootLoaderText(std::uint16_t bl, std::uint16_t version);

// The program's name: the main window's caption, the application title when idle and the
// caption of the program's error box.
inline constexpr const char* kProgramTitle = "Tarnwell";
