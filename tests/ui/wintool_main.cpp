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
//   sdu-wintool screen FILE.bmp              the whole screen as a bitmap file (what a check
//                                            that failed saw)
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
    std::fprintf(stderr,
                 "usage: sdu-wintool device-change arrival|removal COMn | device-change "
                 "volume | window TITLE | pixels LEFT TOP WIDTH HEIGHT | screen FILE.bmp\n");
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

// The pixels of a screen rectangle, top row first, 0x00RRGGBB; empty when they cannot be read.
std::vector<std::uint32_t> grab(int left, int top, int width, int height) {
    std::vector<std::uint32_t> pixels;
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
    if (bitmap != nullptr && bits != nullptr) {
        const HGDIOBJ old = SelectObject(memory, bitmap);
        if (BitBlt(memory, 0, 0, width, height, screen, left, top, SRCCOPY)) {
            const auto* first = static_cast<const std::uint32_t*>(bits);
            pixels.assign(first, first + static_cast<std::size_t>(width) *
                                             static_cast<std::size_t>(height));
            for (std::uint32_t& pixel : pixels) {
                pixel &= 0xFFFFFFu;
            }
        }
        SelectObject(memory, old);
        DeleteObject(bitmap);
    }
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return pixels;
}

int pixels(int argc, char** argv) {
    if (argc != 6) {
        return usage();
    }
    const int width = std::atoi(argv[4]);
    const int height = std::atoi(argv[5]);
    if (width <= 0 || height <= 0) {
        return usage();
    }
    const std::vector<std::uint32_t> area =
        grab(std::atoi(argv[2]), std::atoi(argv[3]), width, height);
    if (area.empty()) {
        return 1;
    }
    std::size_t differing = 0;
    for (const std::uint32_t pixel : area) {
        differing += pixel != area.front() ? 1u : 0u;
    }
    std::printf("%zu\n", differing);
    return 0;
}

void put16(std::FILE* f, unsigned value) {
    std::fputc(static_cast<int>(value & 0xFF), f);
    std::fputc(static_cast<int>((value >> 8) & 0xFF), f);
}

void put32(std::FILE* f, std::uint32_t value) {
    put16(f, value & 0xFFFF);
    put16(f, value >> 16);
}

int screen(int argc, char** argv) {
    if (argc != 3) {
        return usage();
    }
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    const std::vector<std::uint32_t> pixels = grab(0, 0, width, height);
    std::FILE* f = pixels.empty() ? nullptr : std::fopen(argv[2], "wb");
    if (f == nullptr) {
        return 1;
    }
    // A 32-bit bottom-up bitmap: the file header, the info header, the rows.
    const auto imageSize = static_cast<std::uint32_t>(pixels.size() * 4);
    std::fputs("BM", f);
    put32(f, 54 + imageSize);
    put32(f, 0);
    put32(f, 54);
    put32(f, 40);
    put32(f, static_cast<std::uint32_t>(width));
    put32(f, static_cast<std::uint32_t>(height));
    put16(f, 1);
    put16(f, 32);
    put32(f, BI_RGB);
    put32(f, imageSize);
    put32(f, 2835); // 72 dpi
    put32(f, 2835);
    put32(f, 0);
    put32(f, 0);
    for (int row = height - 1; row >= 0; --row) {
        for (int column = 0; column < width; ++column) {
            put32(f, pixels[static_cast<std::size_t>(row) * static_cast<std::size_t>(width) +
                            static_cast<std::size_t>(column)]);
        }
    }
    return std::fclose(f) == 0 ? 0 : 1;
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
    if (argc >= 2 && std::strcmp(argv[1], "screen") == 0) {
        return screen(argc, argv);
    }
    return usage();
}
