#include "workflow/status_texts.h"

#include "workflow/status_table.h"
#include "workflow/text_format.h"

std::string errorText(std::int32_t errorCode, const std::string& portText) {
    return errorRow(errorCode).text(portText);
}

std::optional<std::string> statusText(std::int32_t code, std::int32_t value,
                                      const std::string& portText) {
    const TStatusRow* row = findStatusRow(code);
    return row != nullptr ? row->text(value, portText) : std::nullopt;
}

std::string startText(const std::string& portText) {
    return formatText("Start at serial port \"%s\"", portText.c_str());
}

std::string progressTitle(int position) {
    return formatText("%d%%", position);
}

std::string firmwareVersionText(std::uint16_t major, std::uint16_t minor) {
    return formatText("%d.%.2d", major, minor);
}

std::string bootLoaderText(std::uint16_t bl, std::uint16_t version) {
    return formatText("%d.%d", bl, version);
}
