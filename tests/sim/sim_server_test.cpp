// The simulated logger served on a pty: reopening the port, stopping, the link, hang-up and
// the emulated line rate.

#include "sim/sim_client.h"
#include "sim/sim_server.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <poll.h>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;

const TFrame kIdent = buildCommandFrame(1, 0, 0, 0, 0, 0, 0);

std::string scratchPath(const std::string& name) {
    return (std::filesystem::temp_directory_path() /
            (name + "." + std::to_string(getpid()) + "." +
             ::testing::UnitTest::GetInstance()->current_test_info()->name()))
        .string();
}

TEST(SimServer, TheToolMayOpenThePortAgainAfterClosingIt) {
    TSimServer server;
    for (int run = 0; run < 3; ++run) {
        TSlavePort port(server.slavePath());
        const auto reply = port.exchange(kIdent);
        ASSERT_TRUE(reply) << "run " << run;
        EXPECT_EQ((*reply)[0], 0x01);
        EXPECT_EQ(bytesToWord((*reply)[2], (*reply)[3]), 0x6601);
    }
    EXPECT_EQ(server.counters().frames, 3u);
    EXPECT_FALSE(server.hungUp());
}

TEST(SimServer, ServesAWholeUpdateOverThePty) {
    TSimOptions options;
    options.loggerClass = 0x6607;
    TSimServer server(options);
    const std::vector<std::string> image = syntheticImage(0x4400, 6, 4);
    {
        TSlavePort port(server.slavePath());
        // Wake frames first, as the tool sends them; they get no answer.
        const TFrame wake = buildCommandFrame(255, 0, 0, 0, 0, 0, 0);
        EXPECT_FALSE(port.exchange(wake, 50ms));
        TSimClient client(port.transport(), 5, 20, 5);
        const TMiniUpdateResult result = runMiniUpdate(client, image);
        ASSERT_TRUE(result.ok) << result.failure;
    }
    EXPECT_TRUE(server.waitUntil([](const TSimLogger& d) { return d.restarted(); }, 5s));
    EXPECT_EQ(server.flashHexRecords(), image);
    EXPECT_TRUE(server.programmingEnded());
    EXPECT_EQ(server.counters().wakeFrames, 1u);
}

TEST(SimServer, StopsCleanlyWithThePortStillOpen) {
    auto server = std::make_unique<TSimServer>();
    TSlavePort port(server->slavePath());
    ASSERT_TRUE(port.exchange(kIdent));
    server->stop();
    server->stop();
    server->waitForEnd();
    EXPECT_FALSE(port.exchange(kIdent, 100ms));
    EXPECT_EQ(server->counters().frames, 1u);
    server.reset();
}

TEST(SimServer, LinkPointsToTheSlaveWhileServing) {
    const std::string link = scratchPath("sdsim-link");
    std::filesystem::remove(link);
    {
        TSimServer server({}, link);
        EXPECT_EQ(server.linkPath(), link);
        EXPECT_EQ(std::filesystem::read_symlink(link), server.slavePath());
        TSlavePort port(link);
        EXPECT_TRUE(port.exchange(kIdent));
        // A second server replaces the symlink.
        TSimServer second({}, link);
        EXPECT_EQ(std::filesystem::read_symlink(link), second.slavePath());
    }
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(link)));

    // A file that is not a symlink is never replaced.
    std::ofstream(link) << "keep";
    EXPECT_THROW(TSimServer({}, link), std::runtime_error);
    std::ifstream in(link);
    std::string text;
    in >> text;
    EXPECT_EQ(text, "keep");
    std::filesystem::remove(link);
}

TEST(SimServer, HangUpClosesTheLine) {
    TSimOptions options;
    options.faults.push_back(*parseFault("hangup@2"));
    TSimServer server(options);
    TSlavePort port(server.slavePath());
    ASSERT_TRUE(port.exchange(kIdent));
    EXPECT_FALSE(port.exchange(kIdent, 500ms));
    server.waitForEnd();
    EXPECT_TRUE(server.hungUp());
    pollfd pfd{port.fd(), POLLIN, 0};
    ASSERT_EQ(poll(&pfd, 1, 1000), 1);
    EXPECT_TRUE(pfd.revents & (POLLHUP | POLLERR));
    char byte = 0;
    errno = 0;
    EXPECT_LE(read(port.fd(), &byte, 1), 0);
}

TEST(SimServer, AStrayPartialFrameIsDroppedAfterAPause) {
    TSimServer server;
    TSlavePort port(server.slavePath());
    ASSERT_EQ(write(port.fd(), kIdent.data(), 3), 3);
    EXPECT_TRUE(
        server.waitUntil([](const TSimLogger& d) { return d.counters().droppedBytes == 3; }, 5s));
    const auto reply = port.exchange(kIdent);
    ASSERT_TRUE(reply);
    EXPECT_EQ((*reply)[0], 0x01);
}

TEST(SimServer, EmulatedLineRateDelaysTheReply) {
    TSimOptions options;
    options.baud = 1200; // 16 bytes of 10 bits: 133 ms
    TSimServer server(options);
    TSlavePort port(server.slavePath());
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(port.exchange(kIdent));
    EXPECT_GE(std::chrono::steady_clock::now() - start, 125ms);
}

} // namespace
