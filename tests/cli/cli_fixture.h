#pragma once
// What the tests of the headless updater share: a scratch folder per test (readable by other
// users, for the test that runs the updater as one) and simulated loggers with faults.

#include "sim/sim_options.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <string>
#include <sys/stat.h>
#include <vector>

class CliScratchTest : public ::testing::Test {
protected:
    std::string dir;
    void SetUp() override {
        char tmpl[] = "/tmp/sdupdate-cli-test-XXXXXX";
        ASSERT_NE(::mkdtemp(tmpl), nullptr);
        dir = tmpl;
        ::chmod(dir.c_str(), 0755);
    }
    void TearDown() override { std::filesystem::remove_all(dir); }
};

// A logger with these faults (loggersim's --fault syntax), emulating `baud` (0: full speed).
inline TSimOptions simWith(const std::vector<std::string>& faults, std::uint32_t baud = 0) {
    TSimOptions options;
    options.baud = baud;
    for (const auto& f : faults) {
        std::string error;
        const auto fault = parseFault(f, &error);
        EXPECT_TRUE(fault) << f << ": " << error;
        if (fault) {
            options.faults.push_back(*fault);
        }
    }
    return options;
}
