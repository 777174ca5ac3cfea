#include "record/update_record.h"

#include "comm/uExceptions1V0.h"
#include "firmware/device_names.h"
#include "firmware/firmware_header.h"
#include "firmware/uFWVersions.h"
#include "record/sha256.h"
#include "workflow/local_time.h"
#include "workflow/status_table.h"
#include "workflow/status_texts.h"

namespace {

using json = nlohmann::ordered_json;

template <class T> json orNull(const std::optional<T>& value) {
    return value ? json(*value) : json(nullptr);
}

std::string loggerVersionText(std::uint16_t version) {
    return std::to_string(version >> 8) + "." + std::to_string(version & 0xFF);
}

json imageJson(const TUpdateRecord& record) {
    if (record.image < 0) {
        return nullptr;
    }
    const TBl3FileHeader header = getFirmwareHeader(record.image);
    return {{"number", record.image},
            {"name", getClassName(header.zel_class, header.zel_print)},
            {"version", firmwareVersionText(header.zel_verH, header.zel_verL)},
            {"date", header.zel_date},
            {"file", record.image == 0 ? json(record.imageFile) : json(nullptr)},
            {"sha256", imageDigest(record.image)}};
}

json resultJson(const TUpdateRecord& record) {
    const bool failed = record.endedWith && record.endedWith->code == kStatusFailed;
    json errorCode = nullptr;
    if (failed) {
        errorCode = record.endedWith->value;
    } else if (record.endedWith && record.endedWith->code == kStatusRepeat) {
        errorCode = kErrNoReply;
    } else if (!record.endedWith) {
        errorCode = kErrFatal;
    }
    return {{"exit_code", exitStatusFor(record.endedWith)},
            {"name", resultName(record.endedWith)},
            {"error_code", errorCode},
            {"text", resultText(record.endedWith, record.port)}};
}

} // namespace

nlohmann::ordered_json adapterJson(const std::optional<TAdapterInfo>& adapter) {
    if (!adapter) {
        return nullptr;
    }
    const auto text = [](const std::string& s) { return s.empty() ? json(nullptr) : json(s); };
    return {{"vendor_id", text(adapter->vendorId)},
            {"product_id", text(adapter->productId)},
            {"serial", text(adapter->serialNumber)}};
}

void TRecordCollector::statusMessage(std::int32_t code, std::int32_t value) {
    const auto word = static_cast<std::uint16_t>(value);
    switch (code) {
    case kStatusClass:
        FClass = word;
        break;
    case kStatusVersion:
        FVersion = word;
        break;
    case kStatusPlatform:
        FPlatform = word;
        break;
    case kStatusPrint:
        FPrint = word;
        break;
    default:
        break;
    }
}

void TRecordCollector::fill(TUpdateRecord& record) const {
    record.loggerClass = FClass;
    record.loggerVersion = FVersion;
    record.platform = FPlatform;
    record.print = FPrint;
}

std::string imageDigest(int image) {
    if (image < 0) {
        return {};
    }
    const int last = getFirmwareLastLine(image);
    std::string lines;
    for (int i = 0; i <= last; ++i) {
        std::string text;
        int unused = 0;
        TBl3FileHeader header;
        if (accessFirmware(image, kFwOpLine, i, text, unused, header)) {
            lines += text + "\n";
        }
    }
    return sha256Hex(lines);
}

nlohmann::ordered_json recordJson(const TUpdateRecord& record) {
    json logger = nullptr;
    if (record.loggerClass) {
        logger = {{"class", *record.loggerClass},
                  {"name", getClassName(*record.loggerClass, 0xFFFF)},
                  {"version", record.loggerVersion ? json(loggerVersionText(*record.loggerVersion))
                                                   : json(nullptr)}};
    }
    json sd = nullptr;
    if (record.platform || record.print) {
        sd = {{"platform", orNull(record.platform)}, {"print", orNull(record.print)}};
    }
    return {{"record", 1},
            {"tool", record.tool},
            {"tool_version", record.toolVersion},
            {"host", record.host},
            {"start", isoTimestamp(record.start)},
            {"end", isoTimestamp(record.end)},
            {"port", record.port},
            {"adapter", adapterJson(record.adapter)},
            {"logger", logger},
            {"sd", sd},
            {"image", imageJson(record)},
            {"result", resultJson(record)},
            {"restarts", record.restarts},
            {"lines_retried", record.linesRetried}};
}
