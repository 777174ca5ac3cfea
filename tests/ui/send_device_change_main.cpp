// sdu-send-device-change: sends WM_DEVICECHANGE to every top-level window, as Windows does when
// a serial port arrives or is removed, or when a volume arrives (a device of another type):
//   sdu-send-device-change arrival COM8
//   sdu-send-device-change removal COM8
//   sdu-send-device-change volume
// The message goes from this process to the windows of others, so the system carries the
// DEV_BROADCAST_* structure over to each. Exit status 0 when it was sent, 2 on a usage error.
#include <windows.h>

#include <dbt.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

void broadcast(WPARAM event, const DEV_BROADCAST_HDR* header) {
    DWORD_PTR result = 0;
    SendMessageTimeoutW(HWND_BROADCAST, WM_DEVICECHANGE, event, reinterpret_cast<LPARAM>(header),
                        SMTO_ABORTIFHUNG, 5000, &result);
}

int usage() {
    std::fprintf(stderr, "usage: sdu-send-device-change arrival|removal COMn | volume\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "volume") == 0) {
        DEV_BROADCAST_VOLUME volume{};
        volume.dbcv_size = sizeof volume;
        volume.dbcv_devicetype = DBT_DEVTYP_VOLUME;
        volume.dbcv_unitmask = 1u << ('E' - 'A');
        broadcast(DBT_DEVICEARRIVAL, reinterpret_cast<const DEV_BROADCAST_HDR*>(&volume));
        return 0;
    }
    if (argc != 3) {
        return usage();
    }
    WPARAM event = 0;
    if (std::strcmp(argv[1], "arrival") == 0) {
        event = DBT_DEVICEARRIVAL;
    } else if (std::strcmp(argv[1], "removal") == 0) {
        event = DBT_DEVICEREMOVECOMPLETE;
    } else {
        return usage();
    }
    // DEV_BROADCAST_PORT_W with the port's name after its header, terminating zero included.
    const std::string name = argv[2];
    const std::size_t size =
        offsetof(DEV_BROADCAST_PORT_W, dbcp_name) + (name.size() + 1) * sizeof(wchar_t);
    std::vector<unsigned char> storage(size);
    auto* port = reinterpret_cast<DEV_BROADCAST_PORT_W*>(storage.data());
    port->dbcp_size = static_cast<DWORD>(size);
    port->dbcp_devicetype = DBT_DEVTYP_PORT;
    for (std::size_t i = 0; i < name.size(); ++i) {
        port->dbcp_name[i] = static_cast<wchar_t>(static_cast<unsigned char>(name[i]));
    }
    port->dbcp_name[name.size()] = L'\0';
    broadcast(event, reinterpret_cast<const DEV_BROADCAST_HDR*>(port));
    return 0;
}
