#include "cli/json_events.h"

#include "comm/uExceptions1V0.h"
#include "firmware/device_names.h"
#include "firmware/firmware_header.h"
#include "firmware/uFWVersions.h"
#include "record/update_record.h"
#include "workflow/local_time.h"
#include "workflow/status_table.h"
#include "workflow/status_texts.h"

#include <cmath>

using json = nlohmann::ordered_json;

double seconds(std::chrono::steady_clock::duration duration) {
    return std::round(std::chrono::duration<double>(duration).count() * 10) / 10;
}

void TJsonEvents::emit(json event) {
    json line = {{"event", event["event"]},
                 {"time", isoTimestamp(std::chrono::system_clock::now())}};
    for (auto& [key, value] : event.items()) {
        line[key] = value;
    }
    // A lone surrogate or a byte that is not UTF-8 (a port name) must not throw here.
    std::fputs((line.dump(-1, ' ', false, json::error_handler_t::replace) + "\n").c_str(), FOut);
    std::fflush(FOut);
}

void TJsonEvents::start(const std::string& port, const std::optional<TAdapterInfo>& adapter) {
    emit({{"event", "start"}, {"port", port}, {"adapter", adapterJson(adapter)}});
}

void TJsonEvents::status(std::int32_t code, std::int32_t value, const std::string& portText) {
    const TStatusRow* row = findStatusRow(code);
    json event = {{"event", "status"},
                  {"code", code},
                  {"name", row != nullptr ? json(row->name) : json(nullptr)},
                  {"value", value}};
    if (row != nullptr) {
        std::optional<std::string> text;
        if (row->effect == TRunEffect::Fails) {
            const TErrorRow& error = errorRow(value);
            event["error_name"] = error.name;
            text = error.text(portText);
        } else if (!row->outputs.empty()) {
            text = row->text(value, portText);
        }
        if (text) {
            event["text"] = *text;
        }
    }
    emit(std::move(event));
}

void TJsonEvents::progress(int percent, const TRunProgress& progress,
                           std::chrono::steady_clock::duration elapsed) {
    json event = {
        {"event", "progress"},
        {"percent", percent},
        {"line", progress.lines > 0 ? json(progress.line + 1) : json(nullptr)},
        {"lines", progress.lines > 0 ? json(progress.lines) : json(nullptr)},
        {"elapsed", seconds(elapsed)},
        {"estimate", progress.estimate ? json(seconds(*progress.estimate)) : json(nullptr)}};
    emit(std::move(event));
}

void TJsonEvents::phase(const TRunProgress& progress) {
    emit({{"event", "phase"},
          {"phase", phaseNames(progress).name},
          {"text", runPhaseText(progress)}});
}

void TJsonEvents::restart(int restart, const char* cause) {
    emit({{"event", "restart"}, {"restart", restart}, {"cause", cause}});
}

void TJsonEvents::result(const TRunOutcome& outcome, int linesRetried,
                         const std::optional<TAdapterInfo>& adapter) {
    json image = nullptr;
    if (outcome.selectedImage >= 0) {
        const TBl3FileHeader h = getFirmwareHeader(outcome.selectedImage);
        image = {{"number", outcome.selectedImage},
                 {"name", getClassName(h.zel_class, h.zel_print)},
                 {"version", firmwareVersionText(h.zel_verH, h.zel_verL)},
                 {"date", h.zel_date}};
    }
    json errorCode = nullptr;
    json errorText = nullptr;
    if (outcome.endedWith && outcome.endedWith->code == kStatusFailed) {
        errorCode = outcome.endedWith->value;
    } else if (outcome.endedWith && outcome.endedWith->code == kStatusRepeat) {
        errorCode = kErrNoReply;
    } else if (!outcome.endedWith) {
        errorCode = kErrFatal;
    }
    if (!errorCode.is_null()) {
        errorText = resultText(outcome.endedWith, outcome.port);
    }
    emit({{"event", "result"},
          {"exit_code", exitStatusFor(outcome.endedWith)},
          {"result", resultName(outcome.endedWith)},
          {"error_code", errorCode},
          {"error_text", errorText},
          {"image", image},
          {"adapter_serial",
           adapter && !adapter->serialNumber.empty() ? json(adapter->serialNumber) : json(nullptr)},
          {"duration", seconds(outcome.duration)},
          {"restarts", outcome.restarts},
          {"lines_retried", linesRetried}});
}
