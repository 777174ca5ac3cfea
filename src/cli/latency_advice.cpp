#include "cli/latency_advice.h"

std::optional<std::string> latencyAdvice(const std::string& port, unsigned latencyMs) {
    if (latencyMs <= 1) {
        return std::nullopt;
    }
    const auto seconds = (latencyMs - 1) * kExchangesPerUpdate / 1000;
    const std::string cost = seconds >= 90 ? std::to_string((seconds + 30) / 60) + " minutes"
                                           : std::to_string(seconds) + " s";
    return port + ": the adapter's latency timer is " + std::to_string(latencyMs) +
           " ms, which makes an update about " + cost +
           " longer; set it to 1 ms in Device Manager: Ports (COM & LPT), " + port +
           ", Properties, Port Settings, Advanced, Latency Timer (administrator rights, then "
           "unplug and plug the adapter)";
}
