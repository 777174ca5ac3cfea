#include "comm/port_fault.h"
#include "comm/serial_port.h"
#include "support/pty_pair.h"

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <string>
#include <termios.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

struct TOpenPort {
    TPortHandle handle;
    explicit TOpenPort(const std::string& name, std::uint32_t baud = kLoggerBaudRate)
        : handle(openComPort(name, baud)) {}
    ~TOpenPort() { closeComPort(handle); }
    int fd() const { return static_cast<int>(handle); }
};

class SerialPortTest : public ::testing::Test {
protected:
    TPtyPair pty;
    void peerWrites(const std::string& bytes) {
        ASSERT_EQ(write(pty.master(), bytes.data(), bytes.size()), ssize_t(bytes.size()));
    }
};

TEST_F(SerialPortTest, AppliesRawLineSettings) {
    TOpenPort port(pty.slavePath());
    ASSERT_NE(port.handle, kInvalidPortHandle);
    termios tio{};
    ASSERT_EQ(tcgetattr(port.fd(), &tio), 0);
    EXPECT_EQ(cfgetispeed(&tio), B9600);
    EXPECT_EQ(cfgetospeed(&tio), B9600);
    EXPECT_EQ(tio.c_cflag & CSIZE, tcflag_t(CS8));
    EXPECT_EQ(tio.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
    EXPECT_EQ(tio.c_cflag & (CLOCAL | CREAD), tcflag_t(CLOCAL | CREAD));
    EXPECT_EQ(tio.c_iflag & (IXON | IXOFF | IXANY | ICRNL | INLCR | ISTRIP), 0u);
    EXPECT_EQ(tio.c_oflag & OPOST, 0u);
    EXPECT_EQ(tio.c_lflag & (ICANON | ECHO | ISIG), 0u);
    EXPECT_EQ(fcntl(port.fd(), F_GETFL) & O_NONBLOCK, 0);
}

TEST_F(SerialPortTest, SilentReadReturnsNothingAfterTheTimeOut) {
    TOpenPort port(pty.slavePath());
    ASSERT_NE(port.handle, kInvalidPortHandle);
    std::uint8_t buf[8];
    std::size_t received = 99;
    const auto start = Clock::now();
    ASSERT_TRUE(readPort(port.handle, buf, 8, received));
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
    EXPECT_EQ(received, 0u);
    EXPECT_GE(ms, 150);
    EXPECT_LE(ms, 1000);
}

TEST_F(SerialPortTest, ReadsWhatArrivedAndPassesControlBytes) {
    TOpenPort port(pty.slavePath());
    ASSERT_NE(port.handle, kInvalidPortHandle);
    // XON, XOFF, CR and LF must arrive untouched.
    peerWrites(std::string("\x11\x13\r", 3));
    std::uint8_t buf[8] = {};
    std::size_t received = 0;
    ASSERT_TRUE(readPort(port.handle, buf, 8, received));
    ASSERT_EQ(received, 3u);
    EXPECT_EQ(buf[0], 0x11);
    EXPECT_EQ(buf[1], 0x13);
    EXPECT_EQ(buf[2], '\r');

    peerWrites("ABCDEFGHIJ");
    ASSERT_TRUE(readPort(port.handle, buf, 8, received));
    EXPECT_EQ(received, 8u);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buf), 8), "ABCDEFGH");
}

TEST_F(SerialPortTest, WriteReachesThePeerUnchanged) {
    TOpenPort port(pty.slavePath());
    ASSERT_NE(port.handle, kInvalidPortHandle);
    const std::uint8_t frame[8] = {0x82, 0x0A, 0x11, 0x13, 0x0D, 0x00, 0xFF, 0x3C};
    std::size_t written = 0;
    ASSERT_TRUE(writePort(port.handle, frame, 8, written));
    EXPECT_EQ(written, 8u);
    std::uint8_t got[8] = {};
    std::size_t have = 0;
    while (have < 8) {
        const ssize_t n = read(pty.master(), got + have, 8 - have);
        ASSERT_GT(n, 0);
        have += std::size_t(n);
    }
    EXPECT_EQ(std::memcmp(got, frame, 8), 0);
}

TEST_F(SerialPortTest, PurgeDropsStaleInput) {
    TOpenPort port(pty.slavePath());
    ASSERT_NE(port.handle, kInvalidPortHandle);
    peerWrites("stale");
    usleep(20000);
    ASSERT_TRUE(clearPortErrors(port.handle));
    ASSERT_TRUE(purgePort(port.handle));
    std::uint8_t buf[8];
    std::size_t received = 0;
    ASSERT_TRUE(readPort(port.handle, buf, 8, received));
    EXPECT_EQ(received, 0u);
}

TEST_F(SerialPortTest, SecondOpenIsRefusedUntilTheFirstCloses) {
    {
        TOpenPort first(pty.slavePath());
        ASSERT_NE(first.handle, kInvalidPortHandle);
        TOpenPort second(pty.slavePath());
        EXPECT_EQ(second.handle, kInvalidPortHandle);
        EXPECT_EQ(lastPortFault().kind, TPortFaultKind::InUse);
        EXPECT_EQ(lastPortFault().call, "lock"); // refused by the lock file, before the open
        // The lock's owner: this process.
        EXPECT_NE(lastPortFault().holder.find("(PID " + std::to_string(getpid()) + ")"),
                  std::string::npos)
            << lastPortFault().holder;
    }
    TOpenPort again(pty.slavePath());
    EXPECT_NE(again.handle, kInvalidPortHandle);
}

TEST_F(SerialPortTest, FailedConfigurationLeavesNothingOpen) {
    // An unsupported baud rate fails the line settings after the device was opened.
    TOpenPort bad(pty.slavePath(), 12345);
    EXPECT_EQ(bad.handle, kInvalidPortHandle);
    TOpenPort good(pty.slavePath());
    EXPECT_NE(good.handle, kInvalidPortHandle);
}

TEST_F(SerialPortTest, HungUpLineFailsTheRead) {
    TPtyPair* other = new TPtyPair;
    TOpenPort port(other->slavePath());
    ASSERT_NE(port.handle, kInvalidPortHandle);
    delete other; // master and keeper closed: the line hangs up
    std::uint8_t buf[8];
    std::size_t received = 0;
    EXPECT_FALSE(readPort(port.handle, buf, 8, received));
    EXPECT_EQ(lastPortFault().kind, TPortFaultKind::DeviceGone);
}

TEST(SerialPortNames, BadNamesGiveTheInvalidHandle) {
    char dirTemplate[] = "/tmp/sdport-XXXXXX";
    ASSERT_NE(mkdtemp(dirTemplate), nullptr);
    const std::string dir = dirTemplate;
    const std::string file = dir + "/regular";
    close(open(file.c_str(), O_CREAT | O_WRONLY, 0600));
    // The reason the serial layer keeps for each (lastPortFault), besides the invalid handle.
    const struct {
        std::string name;
        TPortFaultKind kind;
        const char* fileType;
    } cases[] = {
        {"", TPortFaultKind::NoSuchPort, ""},
        {std::string(5000, 'A'), TPortFaultKind::Other, ""}, // name too long
        {"ttyDOESNOTEXIST9", TPortFaultKind::NoSuchPort, ""},
        {"/dev/does/not/exist", TPortFaultKind::NoSuchPort, ""},
        {file, TPortFaultKind::NotASerialPort, "a regular file"},
        {dir, TPortFaultKind::NotASerialPort, "a directory"},
        {"/dev/null", TPortFaultKind::NotASerialPort, "a device that is not a terminal"},
    };
    for (const auto& c : cases) {
        const auto start = Clock::now();
        const TPortHandle h = openComPort(c.name, kLoggerBaudRate);
        EXPECT_EQ(h, kInvalidPortHandle) << c.name.substr(0, 40);
        EXPECT_EQ(lastPortFault().kind, c.kind) << c.name.substr(0, 40);
        EXPECT_EQ(lastPortFault().fileType, c.fileType) << c.name.substr(0, 40);
        closeComPort(h);
        EXPECT_LT(Clock::now() - start, std::chrono::seconds(2)) << c.name.substr(0, 40);
    }
    unlink(file.c_str());
    rmdir(dir.c_str());
}

TEST(SerialPortNames, NameWithoutSlashOpensUnderDev) {
    // "ptmx" is only found as /dev/ptmx, and each open of it gives a fresh terminal.
    TOpenPort port("ptmx");
    EXPECT_NE(port.handle, kInvalidPortHandle);
}

} // namespace
