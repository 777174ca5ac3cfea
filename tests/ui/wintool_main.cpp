// sdu-wintool: what the Windows build's tests do from a process of their own.
//   sdu-wintool device-change arrival COM8   WM_DEVICECHANGE to every top-level window, as
//   sdu-wintool device-change removal COM8   Windows sends it when a serial port arrives or is
//   sdu-wintool device-change volume         removed, or a volume (a device of another type)
//                                            arrives; the system carries the DEV_BROADCAST_*
//                                            structure over to each window's process
//   sdu-wintool window TITLE                 the client area of the visible top-level window
//                                            of that title, in screen coordinates: "left top
//                                            right bottom" (exit status 1: no such window)
//   sdu-wintool pixels LEFT TOP WIDTH HEIGHT the number of pixels of that screen rectangle that
//                                            differ from its top left pixel (0: an empty area)
// Exit status 0 when done, 2 on a usage error.
#include <windows.h>

#include <dbt.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

int usage() {
    std::fprintf(stderr, "usage: sdu-wintool device-change arrival|removal COMn | device-change "
                         "volume | window TITLE | pixels LEFT TOP WIDTH HEIGHT\n");
    return 2;
}

void broadcast(WPARAM event, const DEV_BROADCAST_HDR* header) {
    DWORD_PTR result = 0;
    SendMessageTimeoutW(HWND_BROADCAST, WM_DEVICECHANGE, event, reinterpret_cast<LPARAM>(header),
                        SMTO_ABORTIFHUNG, 5000, &result);
}

int deviceChange(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[2], "volume") == 0) {
        DEV_BROADCAST_VOLUME volume{};
        volume.dbcv_size = sizeof volume;
        volume.dbcv_devicetype = DBT_DEVTYP_VOLUME;
        volume.dbcv_unitmask = 1u << ('E' - 'A');
        broadcast(DBT_DEVICEARRIVAL, reinterpret_cast<const DEV_BROADCAST_HDR*>(&volume));
        return 0;
    }
    if (argc != 4) {
        return usage();
    }
    WPARAM event = 0;
    if (std::strcmp(argv[2], "arrival") == 0) {
        event = DBT_DEVICEARRIVAL;
    } else if (std::strcmp(argv[2], "removal") == 0) {
        event = DBT_DEVICEREMOVECOMPLETE;
    } else {
        return usage();
    }
    // DEV_BROADCAST_PORT_W with the port's name after its header, terminating zero included.
    const std::string name = argv[3];
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

int window(int argc, char** argv) {
    if (argc != 3) {
        return usage();
    }
    const HWND found = FindWindowA(nullptr, argv[2]);
    RECT client{};
    if (found == nullptr || !IsWindowVisible(found) || !GetClientRect(found, &client)) {
        return 1;
    }
    POINT topLeft{client.left, client.top};
    POINT bottomRight{client.right, client.bottom};
    ClientToScreen(found, &topLeft);
    ClientToScreen(found, &bottomRight);
    std::printf("%ld %ld %ld %ld\n", topLeft.x, topLeft.y, bottomRight.x, bottomRight.y);
    return 0;
}

int pixels(int argc, char** argv) {
    if (argc != 6) {
        return usage();
    }
    const int left = std::atoi(argv[2]);
    const int top = std::atoi(argv[3]);
    const int width = std::atoi(argv[4]);
    const int height = std::atoi(argv[5]);
    if (width <= 0 || height <= 0) {
        return usage();
    }
    const HDC screen = GetDC(nullptr);
    const HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    const HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    int result = 1;
    if (bitmap != nullptr && bits != nullptr) {
        const HGDIOBJ old = SelectObject(memory, bitmap);
        if (BitBlt(memory, 0, 0, width, height, screen, left, top, SRCCOPY)) {
            const auto* pixel = static_cast<const std::uint32_t*>(bits);
            const std::size_t count =
                static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
            std::size_t differing = 0;
            for (std::size_t i = 0; i < count; ++i) {
                differing += (pixel[i] & 0xFFFFFFu) != (pixel[0] & 0xFFFFFFu) ? 1 : 0;
            }
            std::printf("%zu\n", differing);
            result = 0;
        }
        SelectObject(memory, old);
        DeleteObject(bitmap);
    }
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return result;
}

} // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && std::strcmp(argv[1], "device-change") == 0) {
        return deviceChange(argc, argv);
    }
    if (argc >= 2 && std::strcmp(argv[1], "window") == 0) {
        return window(argc, argv);
    }
    if (argc >= 2 && std::strcmp(argv[1], "pixels") == 0) {
        return pixels(argc, argv);
    }
    return usage();
}
