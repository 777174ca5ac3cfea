// Linux port list: the tty devices ttyUSBn whose USB serial driver is ftdi_sio, the driver of
// the same USB virtual COM port chips, ordered by the tty index n as the kernel numbers them.
// The list is read from sysfs: <root>/class/tty/ttyUSBn/device/driver links to the driver.
#include "ports/port_list.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <optional>
#include <string_view>
#include <system_error>
#include <utility>

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kUsbTtyPrefix = "ttyUSB";

// The index n of a kernel name "ttyUSBn" (decimal, no sign, no leading zero); nothing for any
// other name.
std::optional<unsigned long> usbTtyIndex(std::string_view name) {
    if (!name.starts_with(kUsbTtyPrefix)) {
        return std::nullopt;
    }
    const std::string_view digits = name.substr(kUsbTtyPrefix.size());
    if (digits.empty() || (digits.size() > 1 && digits.front() == '0')) {
        return std::nullopt;
    }
    unsigned long index = 0;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), index);
    if (ec != std::errc{} || end != digits.data() + digits.size()) {
        return std::nullopt;
    }
    return index;
}

// The name of the driver bound to the tty's device: the last element of the resolved link.
std::string driverOf(const fs::path& ttyDir) {
    std::error_code ec;
    const fs::path driver = fs::canonical(ttyDir / "device" / "driver", ec);
    if (ec) {
        return {};
    }
    return driver.filename().string();
}

} // namespace

TPortList getSerialPorts(const std::string& sysfsRoot) {
    try {
        std::vector<std::pair<unsigned long, std::string>> found;
        std::error_code ec;
        fs::directory_iterator it(fs::path(sysfsRoot) / "class" / "tty", ec);
        for (const fs::directory_iterator end; !ec && it != end; it.increment(ec)) {
            const std::string name = it->path().filename().string();
            const std::optional<unsigned long> index = usbTtyIndex(name);
            if (index && driverOf(it->path()) == kVcpLinuxDriver) {
                found.emplace_back(*index, name);
            }
        }
        std::sort(found.begin(), found.end());
        TPortList ports;
        ports.reserve(found.size());
        for (auto& [index, name] : found) {
            ports.push_back(std::move(name));
        }
        return ports;
    } catch (...) {
        return {}; // out of memory: no list rather than an exception in window creation
    }
}

TPortList getSerialPorts() {
    return getSerialPorts("/sys");
}
