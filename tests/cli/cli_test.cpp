// The headless updater as scripts see it: exit codes, gates, the question, the report stream.
#include "sim/sim_server.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

struct TCliRun {
    int exitCode;
    std::string out, err;
};

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string shellQuoted(const std::string& arg) {
    std::string q = "'";
    for (char c : arg) {
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return q + "'";
}

class CliTest : public ::testing::Test {
protected:
    std::string dir;
    void SetUp() override {
        char tmpl[] = "/tmp/sdupdate-cli-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir = tmpl;
    }
    void TearDown() override { std::system(("rm -rf " + shellQuoted(dir)).c_str()); }

    // The internal switch as the INI file holds it; empty: no file.
    void setSwitch(const std::string& value) {
        std::system(("mkdir -p " + shellQuoted(dir + "/config/Quorvane")).c_str());
        std::ofstream(dir + "/config/Quorvane/Zel.conf") << "[General]\nintern=" << value << "\n";
    }

    // Runs the updater with stdin from /dev/null (no terminal to ask).
    TCliRun run(const std::vector<std::string>& args) {
        std::string cmd = "XDG_CONFIG_HOME=" + shellQuoted(dir + "/config") +
                          " XDG_DATA_HOME=" + shellQuoted(dir + "/data") + " " + SDUPDATE_CLI;
        for (const auto& a : args) {
            cmd += " " + shellQuoted(a);
        }
        cmd += " </dev/null >" + shellQuoted(dir + "/out") + " 2>" + shellQuoted(dir + "/err");
        const int status = std::system(cmd.c_str());
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, readFile(dir + "/out"),
                readFile(dir + "/err")};
    }
};

TEST_F(CliTest, ExitCodesAndGates) {
    const std::string missing = dir + "/no-such-port";
    struct Case {
        const char* what;
        const char* internalSwitch; // nullptr: no setting
        std::vector<std::string> args;
        int exitCode;
        const char* inErr; // text the error stream must hold, or nullptr
    } const cases[] = {
        {"no port", nullptr, {}, 2, "--port"},
        {"unknown option", nullptr, {"--bogus"}, 2, "--bogus"},
        {"help", nullptr, {"--help"}, 0, nullptr},
        {"question without a terminal", nullptr, {"--port", missing}, 3, "--yes"},
        {"mf:+ asks in internal mode too", "2483", {"--port", missing, "mf:+"}, 3, "--yes"},
        {"port not ready", nullptr, {"--port", missing, "--yes"}, 10, nullptr},
        {"internal mode asks nothing", "2483", {"--port", missing}, 10, nullptr},
        {"read-info-only needs internal mode",
         nullptr,
         {"--port", missing, "--read-info-only"},
         2,
         "internal mode"},
        {"switch of another value",
         "2484",
         {"--port", missing, "--read-info-only"},
         2,
         "internal mode"},
        {"switch that is not an integer",
         "abc",
         {"--port", missing, "--read-info-only"},
         2,
         "internal mode"},
        {"file needs f:+", "2483", {"--port", missing, "--file", "x.txt"}, 2, "f:+"},
        {"f:+ without internal mode",
         nullptr,
         {"--port", missing, "--file", "x.txt", "f:+"},
         2,
         "f:+"},
        {"file that cannot be read",
         "2483",
         {"--port", missing, "--file", dir + "/none", "f:+"},
         2,
         "/none"},
        {"bad restart count", nullptr, {"--port", missing, "--max-restarts", "x"}, 2, "x"},
    };
    for (const auto& c : cases) {
        std::remove((dir + "/config/Quorvane/Zel.conf").c_str());
        if (c.internalSwitch) {
            setSwitch(c.internalSwitch);
        }
        const TCliRun r = run(c.args);
        EXPECT_EQ(r.exitCode, c.exitCode) << c.what << "\n" << r.err;
        if (c.inErr) {
            EXPECT_NE(r.err.find(c.inErr), std::string::npos) << c.what << "\n" << r.err;
        }
    }
}

TEST_F(CliTest, ReportOfAFailedRunOnStdout) {
    const std::string missing = dir + "/no-such-port";
    const TCliRun r = run({"--port", missing, "--yes"});
    EXPECT_EQ(r.exitCode, 10);
    std::istringstream lines(r.out);
    std::string first, second, extra;
    std::getline(lines, first);
    std::getline(lines, second);
    EXPECT_FALSE(std::getline(lines, extra)) << r.out;
    ASSERT_EQ(first.size(), 12 + 23 + missing.size()) << first;
    EXPECT_EQ(first[2], '-');
    EXPECT_EQ(first[5], '-');
    EXPECT_EQ(first.substr(8), " -> Start at serial port \"" + missing + "\"");
    EXPECT_EQ(second.substr(8),
              " -> Aborted because serial port \"" + missing + "\" is not ready!");
}

TEST_F(CliTest, ListImagesNewestFirst) {
    const TCliRun r = run({"--list-images"});
    EXPECT_EQ(r.exitCode, 0);
    std::istringstream lines(r.out);
    std::string header, row;
    std::getline(lines, header);
    EXPECT_EQ(header, "Firmware\tVersion\tPlatform\tPrint\tDate\tBL");
    std::vector<std::string> versions;
    while (std::getline(lines, row)) {
        versions.push_back(row.substr(row.find('\t') + 1,
                                      row.find('\t', row.find('\t') + 1) - row.find('\t') - 1));
    }
    EXPECT_EQ(versions, (std::vector<std::string>{"4.108", "2.102", "1.04"}));
}

TEST_F(CliTest, NothingIsSentWithoutConfirmation) {
    TSimServer sim;
    EXPECT_EQ(run({"--port", sim.slavePath()}).exitCode, 3);
    EXPECT_EQ(sim.counters().frames + sim.counters().wakeFrames, 0u);
}

TEST_F(CliTest, SilentLoggerEndsPastTheRestartBound) {
    TSimOptions options;
    std::string error;
    options.faults.push_back(*parseFault("silence%1", &error));
    TSimServer sim(options);
    const TCliRun r = run({"--port", sim.slavePath(), "--yes", "--max-restarts", "1"});
    EXPECT_EQ(r.exitCode, 30) << r.err;
    // Two runs: each starts, each ends with the repeat text.
    std::size_t starts = 0, repeats = 0;
    for (std::size_t at = 0; (at = r.out.find("Start at serial port", at)) != std::string::npos;
         ++at) {
        ++starts;
    }
    for (std::size_t at = 0;
         (at = r.out.find("Repeat update because communication error!", at)) != std::string::npos;
         ++at) {
        ++repeats;
    }
    EXPECT_EQ(starts, 2u);
    EXPECT_EQ(repeats, 2u);
}

TEST_F(CliTest, ReadInfoOnlyFromAFileInInternalMode) {
    setSwitch("2483");
    TSimServer sim;
    const std::string file = dir + "/image.txt";
    std::ofstream(file) << "bootloader=2\nbootloader version=1\nclass=26122\nversionH=4\n"
                           "versionL=108\nplatform=25\nprint=52\ndate=now\n:00000001FF\n";
    const TCliRun r = run({"--port", sim.slavePath(), "--file", file, "--read-info-only", "f:+"});
    EXPECT_EQ(r.exitCode, 70) << r.err << r.out;
    EXPECT_NE(r.out.find("Only read update info!"), std::string::npos) << r.out;
    EXPECT_EQ(sim.counters().linesProgrammed, 0u);
}

} // namespace
