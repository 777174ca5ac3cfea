#pragma once
// Files the tests write into a fresh directory of their own, removed afterwards.

#include <filesystem>
#include <string>
#include <string_view>

class TTempDir {
public:
    TTempDir();
    ~TTempDir();
    TTempDir(const TTempDir&) = delete;
    TTempDir& operator=(const TTempDir&) = delete;

    // Writes `bytes` to a file `name` in the directory and returns its full name.
    std::string write(const std::string& name, std::string_view bytes) const;
    std::string path(const std::string& name) const;

private:
    std::filesystem::path FPath;
};
