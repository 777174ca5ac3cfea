// The headless updater as it meets the field: signals at any moment, a closed stdout, ports
// that fail for every reason a port fails, the frame trace, option warnings and the bound on
// automatic restarts.
#include "cli/cli_fixture.h"
#include "cli/cli_process.h"
#include "e2e/e2e_support.h"
#include "sim/sim_server.h"

#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <regex>
#include <sstream>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;

// Generous: a run against a silent logger gives up after about 1.7 s, and every case here
// ends well before this unless something hangs.
constexpr auto kBound = 30s;

std::size_t countOf(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (std::size_t at = 0; (at = text.find(what, at)) != std::string::npos; at += what.size()) {
        ++n;
    }
    return n;
}

std::string lastLine(const std::string& text) {
    std::string line, last;
    std::istringstream lines(text);
    while (std::getline(lines, line)) {
        last = line;
    }
    return last;
}

class CliFieldTest : public CliScratchTest {};

// True once the child catches `sig`: its handlers are installed (/proc/PID/status, SigCgt).
bool catches(pid_t pid, int sig) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("SigCgt:", 0) == 0) {
            const unsigned long long mask = std::stoull(line.substr(7), nullptr, 16);
            return (mask >> (sig - 1)) & 1;
        }
    }
    return false;
}

// --- A cancel is never lost ------------------------------------------------------------------

struct TCancelCase {
    const char* name;
    std::vector<std::string> faults; // of the simulated logger
    std::uint32_t baud;
    // The report text after which the signal is sent (empty: as soon as the updater catches
    // signals, before its first worker runs), and a delay after it.
    const char* after;
    std::chrono::milliseconds delay;
    int signal;
};

class CancelAtAnyMoment : public CliFieldTest, public ::testing::WithParamInterface<TCancelCase> {};

TEST_P(CancelAtAnyMoment, EndsWithErrorTwentyAndThePortClosed) {
    const TCancelCase& c = GetParam();
    TSimServer sim(simWith(c.faults, c.baud));
    TCliProcess cli(dir, {{"--port", sim.slavePath(), "--yes", "--max-restarts", "5"}});
    const auto deadline = std::chrono::steady_clock::now() + kBound;
    if (*c.after == '\0') {
        while (!catches(cli.pid(), c.signal) && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(1ms);
        }
    } else {
        while (cli.out().find(c.after) == std::string::npos &&
               std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(10ms);
        }
        ASSERT_NE(cli.out().find(c.after), std::string::npos) << cli.out() << cli.err();
    }
    std::this_thread::sleep_for(c.delay);
    cli.signal(c.signal);
    const auto exitCode = cli.waitExit(kBound);
    ASSERT_TRUE(exitCode) << "no end within the bound\n" << cli.out() << cli.err();
    EXPECT_EQ(*exitCode, 20) << cli.out() << cli.err();
    // The final message comes after the worker closed the port.
    EXPECT_EQ(lastLine(cli.out()).substr(8), " -> Process cancelled!") << cli.out();
    EXPECT_NE(cli.err().find("failed with exit status 20"), std::string::npos) << cli.err();
    // Closed: the port opens again at once.
    const int fd = ::open(sim.slavePath().c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(::flock(fd, LOCK_EX | LOCK_NB), 0);
    ::close(fd);
}

const TCancelCase kCancelCases[] = {
    {"before_the_first_worker", {"silence%1"}, 0, "", 0ms, SIGINT},
    {"during_an_exchange", {"silence%1"}, 0, "Start at serial port", 600ms, SIGTERM},
    {"in_the_pause_before_a_restart",
     {"silence%1"},
     0,
     "Repeat update because communication error!",
     0ms,
     SIGHUP},
    {"in_the_second_run", {"silence%1"}, 0, "Repeat update", 2000ms, SIGINT},
    {"in_the_two_second_pause_of_the_procedure", {}, 0, "Version 6.0", 500ms, SIGTERM},
    {"while_writing_lines", {}, 9600, "Progress 1%", 0ms, SIGHUP},
    {"in_the_pause_before_the_module_restarts", {}, 0, "Progress 98%", 1500ms, SIGINT},
};

void PrintTo(const TCancelCase& c, std::ostream* os) {
    *os << c.name;
}

INSTANTIATE_TEST_SUITE_P(Moments, CancelAtAnyMoment, ::testing::ValuesIn(kCancelCases),
                         [](const auto& param) { return std::string(param.param.name); });

// --- A closed stdout never interrupts an update ----------------------------------------------

TEST_F(CliFieldTest, ClosedStdoutDoesNotStopTheUpdate) {
    TSimServer sim;
    int fds[2];
    ASSERT_EQ(::pipe2(fds, O_CLOEXEC), 0);
    TCliSpawn spawn{{"--port", sim.slavePath(), "--yes"}};
    spawn.stdoutFd = fds[1];
    TCliProcess cli(dir, spawn);
    ::close(fds[0]); // nobody reads: every write of the report fails (EPIPE)
    ::close(fds[1]);
    const auto exitCode = cli.waitExit(kBound);
    ASSERT_TRUE(exitCode) << "ended by a signal or hung\n" << cli.err();
    EXPECT_EQ(*exitCode, 0) << cli.err();
    EXPECT_TRUE(sim.restarted());
    EXPECT_EQ(sim.flashHexRecords(), dataLinesOf(3));
}

// --- Why a port failed ------------------------------------------------------------------------

TEST_F(CliFieldTest, PortFailuresNameTheirCauseAndFix) {
    TSimServer held;
    const int holder = ::open(held.slavePath().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(::flock(holder, LOCK_EX | LOCK_NB), 0);
    TSimServer unplugged(simWith({"hangup@line:5"}));
    const std::string file = dir + "/file";
    std::ofstream(file) << "not a port\n";

    struct Case {
        const char* what;
        std::string port;
        int exitCode;
        std::vector<std::string> inErr; // texts stderr must hold
        bool partlyProgrammed;
    } const cases[] = {
        {"missing", dir + "/none", 10, {"no such port", "--list-ports"}, false},
        {"directory", dir, 10, {"not a serial port but a directory", "give the logger's"}, false},
        {"regular file", file, 10, {"not a serial port but a regular file"}, false},
        {"not a terminal", "/dev/null", 10, {"not a terminal"}, false},
        {"held by another program",
         held.slavePath(),
         10,
         {"in use by cli_tests (PID " + std::to_string(::getpid()) + ")", "close the program"},
         false},
        {"unplugged during the run",
         unplugged.slavePath(),
         11,
         {"the device went away during the run (unplugged?)", "check the cable"},
         true},
    };
    for (const auto& c : cases) {
        TCliProcess cli(dir, {{"--port", c.port, "--yes"}});
        const auto exitCode = cli.waitExit(kBound);
        ASSERT_TRUE(exitCode) << c.what;
        EXPECT_EQ(*exitCode, c.exitCode) << c.what << "\n" << cli.err();
        const std::string err = cli.err();
        for (const auto& text : c.inErr) {
            EXPECT_NE(err.find(text), std::string::npos) << c.what << ": " << text << "\n" << err;
        }
        EXPECT_EQ(err.find("partly programmed") != std::string::npos, c.partlyProgrammed)
            << c.what << "\n"
            << err;
        // The report keeps its texts: the reason is on stderr only.
        EXPECT_EQ(cli.out().find("in use"), std::string::npos) << c.what;
    }
    ::close(holder);
}

TEST_F(CliFieldTest, PortTheUserMayNotOpen) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs root to run the updater as another user";
    }
    TSimServer sim; // its terminal belongs to root, mode 0620
    TCliSpawn spawn{{"--port", sim.slavePath(), "--yes"}};
    spawn.account = std::pair<uid_t, gid_t>{65534, 65534};
    TCliProcess cli(dir, spawn);
    const auto exitCode = cli.waitExit(kBound);
    ASSERT_TRUE(exitCode);
    if (*exitCode == 126) {
        GTEST_SKIP() << "cannot drop privileges here";
    }
    EXPECT_EQ(*exitCode, 10) << cli.err();
    EXPECT_NE(cli.err().find("permission denied: the device belongs to group"), std::string::npos)
        << cli.err();
    EXPECT_NE(cli.err().find("sudo usermod -aG"), std::string::npos) << cli.err();
}

TEST_F(CliFieldTest, EmptyPortNameIsAUsageError) {
    TCliProcess cli(dir, {{"--port", "", "--yes"}});
    EXPECT_EQ(cli.waitExit(kBound), 2);
    EXPECT_NE(cli.err().find("empty"), std::string::npos) << cli.err();
}

// --- Trace, warnings, restart bound -----------------------------------------------------------

TEST_F(CliFieldTest, TraceOfAShortRun) {
    // A logger without an update path: the run ends after the identification, which needs
    // three tries (a wrong check byte, then silence).
    TSimOptions options = simWith({"crc@ident:1", "silence@ident:2"});
    options.loggerClass = 0x6602;
    TSimServer sim(options);
    const std::string trace = dir + "/trace";
    TCliProcess cli(dir, {{"--port", sim.slavePath(), "--yes", "--trace", trace}});
    EXPECT_EQ(cli.waitExit(kBound), 40) << cli.err();

    std::vector<std::string> lines;
    std::istringstream in(fileContent(trace));
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    const char* const expected[] = {
        R"(open .*)",
        R"(phase: opening the port)",
        R"(note: low latency not available: TIOCGSERIAL: .*)", // a pseudo-terminal
        R"(phase: waking the logger)",
        R"(TX 00 00 00 00 00 00 00 00  try 1  not awaited)",
        R"(pause 100 ms)",
        R"(TX 00 00 00 00 00 00 00 00  try 1  not awaited)",
        R"(pause 100 ms)",
        R"(phase: identifying the logger)",
        R"(TX 81 00 00 00 00 00 00 AA  try 1)",
        R"(RX 01 00 66 02 06 00 00 [0-9A-F]{2}  try 1  wrong check byte)",
        R"(pause 100 ms)",
        R"(TX 81 00 00 00 00 00 00 AA  try 2)",
        R"(RX --  \(0 of 8 bytes\)  try 2  short read)",
        R"(pause 100 ms)",
        R"(TX 81 00 00 00 00 00 00 AA  try 3)",
        R"(RX 01 00 66 02 06 00 00 [0-9A-F]{2}  try 3  ok)",
    };
    ASSERT_EQ(lines.size(), std::size(expected)) << fileContent(trace);
    double previous = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::smatch m;
        ASSERT_TRUE(std::regex_match(lines[i], m, std::regex(R"( *([0-9]+\.[0-9]) (.*))")))
            << lines[i];
        EXPECT_TRUE(std::regex_match(m[2].str(), std::regex(expected[i]))) << lines[i];
        const double ms = std::stod(m[1].str());
        EXPECT_GE(ms, previous) << lines[i]; // monotonic
        previous = ms;
    }
}

TEST_F(CliFieldTest, OptionsThatChangeNothingAreNamed) {
    TCliProcess cli(dir, {{"--list-images", "xx:y", "cc:-", "mf:+", "MF:-", "f:x", "f:+"}});
    EXPECT_EQ(cli.waitExit(kBound), 0);
    const std::string err = cli.err();
    for (const char* arg : {"'xx:y'", "'cc:-'", "'MF:-'", "'f:x'", "'f:+'"}) {
        EXPECT_EQ(countOf(err, arg), 1u) << arg << "\n" << err;
    }
    EXPECT_EQ(countOf(err, "'mf:+'"), 0u) << err;
    EXPECT_EQ(countOf(err, "warning: "), 5u) << err;
}

TEST_F(CliFieldTest, ListPortsWithNoPortSaysSo) {
    // This machine has no USB adapter of the logger's type (the bench that has one runs apart).
    TCliProcess cli(dir, {{"--list-ports"}});
    EXPECT_EQ(cli.waitExit(kBound), 0);
    if (!cli.out().empty()) {
        GTEST_SKIP() << "an adapter is attached: " << cli.out();
    }
    EXPECT_EQ(countOf(cli.err(), "\n"), 1u) << cli.err();
    EXPECT_NE(cli.err().find("no serial port"), std::string::npos) << cli.err();
}

TEST_F(CliFieldTest, RestartsAreBoundedByDefault) {
    TSimServer sim(simWith({"silence%1"}));
    TCliProcess cli(dir, {{"--port", sim.slavePath(), "--yes"}});
    EXPECT_EQ(cli.waitExit(kBound), 30);
    EXPECT_EQ(countOf(cli.out(), "Start at serial port"), 4u) << cli.out();
    EXPECT_NE(cli.err().find("the logger did not answer in 4 runs: check the cable, the port "
                             "name and the logger's power"),
              std::string::npos)
        << cli.err();
    EXPECT_NE(cli.err().find("; 3 restarts"), std::string::npos) << cli.err();
}

} // namespace
