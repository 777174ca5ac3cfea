#include "temp_file.h"

#include <atomic>
#include <chrono>
#include <fstream>
#include <random>
#include <stdexcept>

TTempDir::TTempDir() {
    static std::atomic<int> counter{0};
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    FPath = std::filesystem::temp_directory_path() /
            ("sdu-fw-" + std::to_string(stamp) + "-" + std::to_string(std::random_device{}()) +
             "-" + std::to_string(counter++));
    std::filesystem::create_directories(FPath);
}

TTempDir::~TTempDir() {
    std::error_code ec;
    std::filesystem::remove_all(FPath, ec);
}

std::string TTempDir::path(const std::string& name) const {
    return (FPath / name).string();
}

std::string TTempDir::write(const std::string& name, std::string_view bytes) const {
    const std::string file = path(name);
    std::ofstream out(file, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        throw std::runtime_error("cannot write " + file);
    }
    return file;
}
