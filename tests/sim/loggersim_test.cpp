// The loggersim program: its command line, and a run that is ended by a signal.

#include "sim/loggersim_args.h"
#include "sim/sim_client.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

TEST(LoggerSimArgs, TakesEveryOptionInDecimalOrHex) {
    TLoggerSimArgs args;
    std::string error;
    ASSERT_TRUE(parseLoggerSimArgs({"--class",    "0x6606",    "--version",   "1536",
                                    "--platform", "0x0B",      "--print",     "17",
                                    "--baud",     "9600",      "--seed",      "0xFFFFFFFFFFFFFFFF",
                                    "--fault",    "silence@3", "--fault",     "busy%0.5=2",
                                    "--link",     "/tmp/x",    "--flash-out", "f.hex"},
                                   args, error))
        << error;
    EXPECT_EQ(args.options.loggerClass, 0x6606);
    EXPECT_EQ(args.options.loggerVersion, 0x0600);
    EXPECT_EQ(args.options.platform, 11);
    EXPECT_EQ(args.options.print, 17);
    EXPECT_EQ(args.options.baud, 9600u);
    EXPECT_EQ(args.options.seed, 0xFFFFFFFFFFFFFFFFull);
    ASSERT_EQ(args.options.faults.size(), 2u);
    EXPECT_EQ(args.options.faults[1].kind, TFaultKind::Busy);
    EXPECT_EQ(args.linkPath, "/tmp/x");
    EXPECT_EQ(args.flashOut, "f.hex");
    EXPECT_FALSE(args.help);
}

TEST(LoggerSimArgs, RejectsBadCommandLines) {
    const std::vector<std::vector<std::string>> cases = {
        {"--class"},           {"--class", "0x10000"}, {"--print", "-1"}, {"--baud", "fast"},
        {"--fault", "nope@1"}, {"--colour", "red"},    {"stray"},         {"--version", "0x"},
    };
    for (const auto& argv : cases) {
        TLoggerSimArgs args;
        std::string error;
        EXPECT_FALSE(parseLoggerSimArgs(argv, args, error)) << argv[0];
        EXPECT_FALSE(error.empty()) << argv[0];
    }
    TLoggerSimArgs args;
    std::string error;
    EXPECT_TRUE(parseLoggerSimArgs({"--help"}, args, error));
    EXPECT_TRUE(args.help);
}

// --version alone is the program's version; with a number it is the logger's, as
// --logger-version is.
TEST(LoggerSimArgs, VersionOfTheProgramOrOfTheLogger) {
    struct Case {
        std::vector<std::string> argv;
        bool programVersion;
        std::uint16_t loggerVersion;
    } const cases[] = {
        {{"--version"}, true, 0x0600},
        {{"--version", "--class", "0x6605"}, true, 0x0600},
        {{"--version", "0x0501"}, false, 0x0501},
        {{"--logger-version", "0x0700"}, false, 0x0700},
    };
    for (const auto& c : cases) {
        TLoggerSimArgs args;
        std::string error;
        ASSERT_TRUE(parseLoggerSimArgs(c.argv, args, error)) << c.argv[0] << ": " << error;
        EXPECT_EQ(args.version, c.programVersion) << c.argv.size();
        EXPECT_EQ(args.options.loggerVersion, c.loggerVersion) << c.argv.size();
    }
}

// Runs loggersim with its stdout on a pipe.
class TLoggerSimProcess {
public:
    explicit TLoggerSimProcess(std::vector<std::string> args) {
        int fds[2];
        EXPECT_EQ(pipe(fds), 0);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, fds[0]);
        args.insert(args.begin(), SDU_LOGGERSIM_PATH);
        std::vector<char*> argv;
        for (auto& a : args) {
            argv.push_back(a.data());
        }
        argv.push_back(nullptr);
        EXPECT_EQ(posix_spawn(&FPid, SDU_LOGGERSIM_PATH, &actions, nullptr, argv.data(), environ),
                  0);
        posix_spawn_file_actions_destroy(&actions);
        close(fds[1]);
        FOut = fdopen(fds[0], "r");
    }
    ~TLoggerSimProcess() {
        if (FPid > 0) {
            kill(FPid, SIGKILL);
            waitpid(FPid, nullptr, 0);
        }
        fclose(FOut);
    }
    std::string readLine() {
        char line[4096] = {};
        if (!fgets(line, sizeof line, FOut)) {
            return {};
        }
        std::string text(line);
        if (!text.empty() && text.back() == '\n') {
            text.pop_back();
        }
        return text;
    }
    // Sends the signal and returns the exit status (-1 when it did not exit normally).
    int stop(int signal) {
        kill(FPid, signal);
        int status = 0;
        waitpid(FPid, &status, 0);
        FPid = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

private:
    pid_t FPid = -1;
    FILE* FOut = nullptr;
};

TEST(LoggerSim, ServesUntilASignalAndWritesTheFlash) {
    const std::string base =
        (std::filesystem::temp_directory_path() / ("loggersim." + std::to_string(getpid())))
            .string();
    const std::string link = base + ".tty";
    const std::string flash = base + ".hex";
    const std::vector<std::string> image = syntheticImage(0x4400, 3, 8);
    for (const int signal : {SIGTERM, SIGINT}) {
        TLoggerSimProcess sim(
            {"--class", "0x6605", "--link", link, "--flash-out", flash, "--fault", "readback@2"});
        const std::string path = sim.readLine();
        ASSERT_FALSE(path.empty());
        EXPECT_EQ(std::filesystem::read_symlink(link), path);
        {
            TSlavePort port(link);
            TSimClient client(port.transport(), 2, 200, 5);
            const TMiniUpdateResult result = runMiniUpdate(client, image);
            ASSERT_TRUE(result.ok) << result.failure;
            EXPECT_EQ(result.lineRetries, 1);
        }
        EXPECT_EQ(sim.stop(signal), 0);
        std::ifstream in(flash);
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);) {
            lines.push_back(line);
        }
        std::vector<std::string> expected = image;
        expected.push_back(":00000001FF");
        EXPECT_EQ(lines, expected);
        EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(link)));
        std::filesystem::remove(flash);
    }
}

TEST(LoggerSim, EndsByItselfWhenTheLineHangsUp) {
    TLoggerSimProcess sim({"--fault", "hangup@1"});
    const std::string path = sim.readLine();
    ASSERT_FALSE(path.empty());
    {
        TSlavePort port(path);
        EXPECT_FALSE(
            port.exchange(buildCommandFrame(1, 0, 0, 0, 0, 0, 0), std::chrono::milliseconds(500)));
    }
    // stdout reaches its end when the program has ended by itself.
    EXPECT_EQ(sim.readLine(), "");
    EXPECT_EQ(sim.stop(SIGTERM), 0);
}

} // namespace
