// The shared lock file of a serial port, on pseudo-terminals: taken before the open and removed
// at the close, stale locks cleared, a live one refusing the port with its owner.
#include "comm/port_fault.h"
#include "comm/port_lock.h"
#include "comm/serial_port.h"
#include "support/pty_pair.h"

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace {

std::string lockFileOf(const std::string& device) {
    return portLockFolder() + "/" + portLockName(device);
}

std::string contentOf(const std::string& file) {
    std::ifstream in(file);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void writeLock(const std::string& file, long pid) {
    std::FILE* f = std::fopen(file.c_str(), "w");
    ASSERT_NE(f, nullptr) << file;
    std::fprintf(f, "%10ld\n", pid);
    std::fclose(f);
}

// A PID that runs no process: a child that has ended and was reaped.
long endedPid() {
    const pid_t child = fork();
    if (child == 0) {
        _exit(0);
    }
    waitpid(child, nullptr, 0);
    return child;
}

class PortLockTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (portLockFolder().empty()) {
            GTEST_SKIP() << "no lock folder on this machine";
        }
        lock = lockFileOf(pty.slavePath());
        ASSERT_FALSE(portLockName(pty.slavePath()).empty());
    }
    void TearDown() override { std::filesystem::remove(lock); }
    TPtyPair pty;
    std::string lock;
};

TEST(PortLockName, DeviceNamesAndTheirLinks) {
    EXPECT_EQ(portLockName("/dev/null"), "LCK..null");
    EXPECT_EQ(portLockName("/dev/does-not-exist"), "");
    EXPECT_EQ(portLockName("/tmp"), ""); // not a device: no lock
    TPtyPair pty;
    const std::string link = ::testing::TempDir() + "/port-link";
    std::filesystem::remove(link);
    std::filesystem::create_symlink(pty.slavePath(), link);
    const std::string name = portLockName(pty.slavePath());
    EXPECT_EQ(name.rfind("LCK..pts_", 0), 0u) << name;
    EXPECT_EQ(portLockName(link), name); // one lock for every name of the device
    std::filesystem::remove(link);
}

TEST_F(PortLockTest, TakenAtOpenWithThisProcessAndRemovedAtClose) {
    const TPortHandle port = openComPort(pty.slavePath(), kLoggerBaudRate);
    ASSERT_NE(port, kInvalidPortHandle);
    char expected[16];
    std::snprintf(expected, sizeof expected, "%10ld\n", static_cast<long>(getpid()));
    EXPECT_EQ(contentOf(lock), expected); // ten characters and a newline
    closeComPort(port);
    EXPECT_FALSE(std::filesystem::exists(lock));
}

TEST_F(PortLockTest, StaleLockIsRemoved) {
    writeLock(lock, endedPid());
    const TPortHandle port = openComPort(pty.slavePath(), kLoggerBaudRate);
    ASSERT_NE(port, kInvalidPortHandle) << lastPortFault().osMessage;
    closeComPort(port);
    EXPECT_FALSE(std::filesystem::exists(lock));
}

TEST_F(PortLockTest, LiveLockRefusesThePortWithItsOwnerAndStays) {
    const pid_t holder = fork();
    if (holder == 0) {
        pause(); // a live process that holds the lock
        _exit(0);
    }
    writeLock(lock, holder);
    const TPortHandle port = openComPort(pty.slavePath(), kLoggerBaudRate);
    EXPECT_EQ(port, kInvalidPortHandle);
    EXPECT_EQ(lastPortFault().kind, TPortFaultKind::InUse);
    EXPECT_EQ(lastPortFault().call, "lock");
    EXPECT_NE(lastPortFault().holder.find("(PID " + std::to_string(holder) + ")"),
              std::string::npos)
        << lastPortFault().holder;
    EXPECT_TRUE(std::filesystem::exists(lock)); // another's lock is never removed
    kill(holder, SIGKILL);
    waitpid(holder, nullptr, 0);
    // Its owner gone, the lock is stale.
    const TPortHandle again = openComPort(pty.slavePath(), kLoggerBaudRate);
    EXPECT_NE(again, kInvalidPortHandle);
    closeComPort(again);
}

TEST_F(PortLockTest, FailedOpenLeavesNoLock) {
    // An unsupported baud rate fails after the device was opened and locked.
    EXPECT_EQ(openComPort(pty.slavePath(), 12345), kInvalidPortHandle);
    EXPECT_FALSE(std::filesystem::exists(lock));
}

TEST_F(PortLockTest, WithoutAWritableFolderTheOpenGoesOnWithoutALock) {
    const std::string folder = ::testing::TempDir() + "/no-lock-folder";
    EXPECT_EQ(takePortLock(pty.slavePath(), folder).outcome, TPortLock::TOutcome::Skipped);
    EXPECT_NE(takePortLock(pty.slavePath(), folder).note.find("flock and TIOCEXCL only"),
              std::string::npos);
}

} // namespace
