#include "cli/port_board.h"

#include "cli/cli_view.h"

#include <chrono>
#include <cmath>

namespace {

std::string padded(std::string text, std::size_t width) {
    if (text.size() < width) {
        text.append(width - text.size(), ' ');
    }
    return text;
}

std::string secondsText(double seconds) {
    return durationText(std::chrono::seconds(static_cast<long long>(std::lround(seconds))));
}

} // namespace

void applyChildEvent(TPortState& state, const nlohmann::ordered_json& event) {
    const std::string kind = event.value("event", "");
    if (kind == "start") {
        if (event.contains("adapter") && event["adapter"].is_object() &&
            event["adapter"]["serial"].is_string()) {
            state.adapterSerial = event["adapter"]["serial"].get<std::string>();
        }
    } else if (kind == "phase") {
        state.phase = event.value("text", state.phase);
    } else if (kind == "progress") {
        state.percent = event.value("percent", state.percent);
        if (event.contains("line") && event["line"].is_number() && event["lines"].is_number()) {
            state.phase = "writing line " + std::to_string(event["line"].get<int>()) + " of " +
                          std::to_string(event["lines"].get<int>());
        }
        state.estimate.reset();
        if (event.contains("estimate") && event["estimate"].is_number()) {
            state.estimate = event["estimate"].get<double>();
        }
    } else if (kind == "result") {
        state.exitCode = event.value("exit_code", 1);
        state.result = event.value("result", "");
        if (event.contains("adapter_serial") && event["adapter_serial"].is_string()) {
            state.adapterSerial = event["adapter_serial"].get<std::string>();
        }
        if (event.contains("image") && event["image"].is_object()) {
            const auto& image = event["image"];
            state.image = std::to_string(image.value("number", -1)) + " (" +
                          image.value("name", "") + " V" + image.value("version", "") + ")";
        }
        state.duration = event.value("duration", 0.0);
        state.phase = state.result;
        state.estimate.reset();
    }
}

void applyChildStderr(TPortState& state, const std::string& line) {
    const std::string prefix = "sdupdate-cli: ";
    state.stderrLines.push_back(line.rfind(prefix, 0) == 0 ? line.substr(prefix.size()) : line);
}

std::string liveLine(const TPortState& state) {
    std::string line =
        padded(state.port, 14) + padded(state.adapterSerial, 12) + padded(state.phase, 32);
    if (!state.exitCode) {
        char percent[8];
        std::snprintf(percent, sizeof percent, "%3d%%", state.percent);
        line += percent;
        if (state.estimate) {
            line += "  about " + secondsText(*state.estimate) + " left";
        }
    } else if (!state.image.empty()) {
        line += "image " + state.image;
    }
    return line;
}

std::vector<std::string> summaryTable(const std::vector<TPortState>& states) {
    std::vector<std::string> rows = {padded("port", 14) + padded("adapter", 12) +
                                     padded("result", 22) + padded("image", 30) + "duration"};
    for (const TPortState& s : states) {
        std::string result = s.result.empty() ? std::string("not started") : s.result;
        if (s.exitCode && *s.exitCode != 0) {
            result += " (" + std::to_string(*s.exitCode) + ")";
        }
        rows.push_back(padded(s.port, 14) +
                       padded(s.adapterSerial.empty() ? "-" : s.adapterSerial, 12) +
                       padded(result, 22) + padded(s.image.empty() ? "-" : s.image, 30) +
                       secondsText(s.duration));
    }
    return rows;
}

void TLiveBoard::draw(const std::vector<std::string>& lines) {
    std::string text;
    if (FDrawn > 0) {
        text += "\033[" + std::to_string(FDrawn) + "A"; // back to the first line
    }
    for (const auto& line : lines) {
        text += "\r" + line + "\033[K\n";
    }
    std::fputs(text.c_str(), FOut);
    std::fflush(FOut);
    FDrawn = lines.size();
}
