// Linux: the tty's device in sysfs is the USB serial port (…/1-1:1.0/ttyUSB0, which holds the
// FTDI latency_timer); its parent is the USB interface and the interface's parent the USB
// device with idVendor, idProduct and serial.
#include "ports/adapter_info.h"

#include <filesystem>
#include <fstream>
#include <system_error>

namespace fs = std::filesystem;

namespace {

std::string firstLine(const fs::path& file) {
    std::string line;
    std::ifstream in(file);
    std::getline(in, line);
    return line;
}

// "ttyUSB0" for "ttyUSB0", "/dev/ttyUSB0" or a link to it (/dev/serial/by-id/...).
std::string kernelName(const std::string& port) {
    if (port.find('/') == std::string::npos) {
        return port;
    }
    std::error_code ec;
    const fs::path resolved = fs::canonical(port, ec);
    return (ec ? fs::path(port) : resolved).filename().string();
}

} // namespace

std::optional<TAdapterInfo> adapterInfo(const std::string& port, const std::string& sysfsRoot) {
    try {
        const std::string name = kernelName(port);
        if (name.empty()) {
            return std::nullopt;
        }
        std::error_code ec;
        const fs::path serialPort =
            fs::canonical(fs::path(sysfsRoot) / "class" / "tty" / name / "device", ec);
        if (ec) {
            return std::nullopt;
        }
        const fs::path usbDevice = serialPort.parent_path().parent_path();
        TAdapterInfo info;
        info.vendorId = firstLine(usbDevice / "idVendor");
        info.productId = firstLine(usbDevice / "idProduct");
        info.serialNumber = firstLine(usbDevice / "serial");
        if (info.vendorId.empty() && info.productId.empty()) {
            return std::nullopt; // not a USB device
        }
        const std::string latency = firstLine(serialPort / "latency_timer");
        if (!latency.empty() && latency.find_first_not_of("0123456789") == std::string::npos) {
            info.latencyTimerMs = static_cast<unsigned>(std::stoul(latency));
        }
        return info;
    } catch (...) {
        return std::nullopt;
    }
}

std::optional<TAdapterInfo> adapterInfo(const std::string& port) {
    return adapterInfo(port, "/sys");
}
