#pragma once
// A scratch folder per test (tests of one executable may run at the same time) and the lines
// of a file.

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <vector>

inline std::vector<std::string> linesOf(const std::string& file) {
    std::vector<std::string> lines;
    std::ifstream in(file);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

class RecordsFileTest : public ::testing::Test {
protected:
    std::string dir;
    void SetUp() override {
        dir = ::testing::TempDir() + "/records-" +
              ::testing::UnitTest::GetInstance()->current_test_info()->name();
        std::filesystem::remove_all(dir);
    }
    void TearDown() override { std::filesystem::remove_all(dir); }
};
