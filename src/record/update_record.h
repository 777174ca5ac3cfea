#pragma once
// The record of one update, written by the headless updater and the desktop program alike, so
// that a production line can prove later which logger got which firmware: the tool and host,
// the times, the port and its USB adapter, the logger, its SD controller, the image chosen
// (with the SHA-256 of its lines) and how the update ended. One JSON object per line of the
// records file (docs/json.md).

#include "comm/message_post.h"
#include "ports/adapter_info.h"

#include <nlohmann/json.hpp>

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

struct TUpdateRecord {
    std::string tool; // "sdupdate-cli", "sdupdate"
    std::string toolVersion;
    std::string host;
    std::chrono::system_clock::time_point start;
    std::chrono::system_clock::time_point end;
    std::string port;
    std::optional<TAdapterInfo> adapter;
    // From the run's status messages.
    std::optional<std::uint16_t> loggerClass;
    std::optional<std::uint16_t> loggerVersion;
    std::optional<std::uint16_t> platform;
    std::optional<std::uint16_t> print;
    // The image chosen (gSelectedImage after the run); -1: none.
    int image = -1;
    std::string imageFile; // for image 0: the description file it was loaded from
    std::optional<TStatusMessage> endedWith;
    int restarts = 0;
    int linesRetried = 0;
};

// Gathers the logger's class and version and the SD controller's platform and print from the
// status messages of a run (and of its restarts): hand it every message.
class TRecordCollector {
public:
    void statusMessage(std::int32_t code, std::int32_t value);
    // Copies what was gathered into `record`.
    void fill(TUpdateRecord& record) const;

private:
    std::optional<std::uint16_t> FClass;
    std::optional<std::uint16_t> FVersion;
    std::optional<std::uint16_t> FPlatform;
    std::optional<std::uint16_t> FPrint;
};

// The SHA-256 of an image's lines as sent: every Intel HEX line of the image, end-of-file
// record included, each followed by one LF (the image as a HEX file). Empty for no image.
std::string imageDigest(int image);

// The adapter as JSON (vendor_id, product_id, serial; null for what the system does not tell),
// null without an adapter; the records and the --json events show it alike.
nlohmann::ordered_json adapterJson(const std::optional<TAdapterInfo>& adapter);

// The record as JSON; the image's version, date and digest are read from the catalogue.
nlohmann::ordered_json recordJson(const TUpdateRecord& record);

// This machine's name ("" when the system does not tell); one implementation per OS.
std::string hostName();
