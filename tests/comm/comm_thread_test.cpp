#include "comm/uCommThread.h"
#include "comm/uExceptions1V0.h"
#include "support/pty_pair.h"
#include "support/scripted_peer.h"
#include "support/test_worker.h"

#include <gtest/gtest.h>

namespace {

using Messages = std::vector<TStatusMessage>;
using Bytes = std::vector<std::uint8_t>;

const TFrame kWake{};
const TFrame kIdentify = buildCommandFrame(1, 0, 0, 0, 0, 0, 0);

class CommThreadTest : public ::testing::Test {
protected:
    void SetUp() override { gCancel = false; }
    void TearDown() override { gCancel = false; }

    TPtyPair pty;
    // The job most tests run: one identification exchange.
    static void identify(TTestWorker& w) { w.sendCmd(true, 1); }
};

TEST_F(CommThreadTest, PortThatCannotBeOpenedGivesOnlyError10) {
    EXPECT_EQ(runTestWorker(TCmd::tCMD0, "/dev/does-not-exist", identify),
              (Messages{{kStatusFailed, kErrPortNotReady}}));
}

TEST_F(CommThreadTest, CancelBeforeStartSendsNothing) {
    TScriptedPeer peer(pty.master(), [](const TFrame&, int) { return std::nullopt; });
    gCancel = true;
    EXPECT_EQ(runTestWorker(TCmd::tCMD0, pty.slavePath(), identify),
              (Messages{{kStatusFailed, kErrCancelled}}));
    EXPECT_TRUE(peer.received().empty());
}

TEST_F(CommThreadTest, SilentLoggerRepeatsTheCommandAfterFiveTries) {
    TScriptedPeer peer(pty.master(), [](const TFrame&, int) { return std::nullopt; });
    EXPECT_EQ(runTestWorker(TCmd::tCMD_TEST, pty.slavePath(), identify),
              (Messages{{kStatusRepeat, int(TCmd::tCMD_TEST)}}));
    const auto frames = peer.received();
    ASSERT_EQ(frames.size(), 7u);
    EXPECT_EQ(frames[0], kWake);
    EXPECT_EQ(frames[1], kWake);
    for (std::size_t i = 2; i < frames.size(); ++i) {
        EXPECT_EQ(frames[i], kIdentify);
    }
}

TEST_F(CommThreadTest, ReplyAcceptance) {
    struct Case {
        const char* what;
        int badRepliesFirst; // frames answered with a wrong check byte before the good one
        Bytes goodReply;
        Messages expected;
        std::size_t identifyFrames;
    } const cases[] = {
        {"four bad check bytes then a good reply",
         4,
         TScriptedPeer::reply(0x01),
         {{kStatusCompleted, 0}},
         5},
        {"device exception is not retried",
         0,
         TScriptedPeer::reply(0x21),
         {{kStatusFailed, kErrNotReady}},
         1},
        {"short reply counts as none", 4, Bytes{0x01, 0, 0}, {{kStatusRepeat, 0}}, 5},
    };
    for (const auto& c : cases) {
        TPtyPair line;
        int identifyCount = 0; // touched by the peer's thread only
        TScriptedPeer peer(line.master(), [&](const TFrame& f, int) -> std::optional<Bytes> {
            if (f == kWake) {
                return std::nullopt;
            }
            if (identifyCount++ < c.badRepliesFirst) {
                Bytes bad = TScriptedPeer::reply(0x21);
                bad[7] ^= 0x01; // wrong check byte, bit 0x20 set: still no valid reply
                return bad;
            }
            return c.goodReply;
        });
        EXPECT_EQ(runTestWorker(TCmd::tCMD0, line.slavePath(), identify), c.expected) << c.what;
        EXPECT_EQ(peer.received().size(), 2 + c.identifyFrames) << c.what;
    }
}

TEST_F(CommThreadTest, JobOutcomeGivesTheFinalMessage) {
    struct Case {
        const char* what;
        TCmd cmd;
        TTestWorker::TJob job;
        TStatusMessage expected;
    } const cases[] = {
        {"update ends normally", TCmd::tCMD0, {}, {kStatusCompleted, 0}},
        {"test command ends normally", TCmd::tCMD_TEST, {}, {kStatusCompleted, 3}},
        {"EZel from the job",
         TCmd::tCMD0,
         [](TTestWorker&) { throw EZel(kErrNoImage); },
         {kStatusFailed, kErrNoImage}},
        {"EZel 30 from the job",
         TCmd::tCMD2,
         [](TTestWorker&) { throw EZel(kErrNoReply); },
         {kStatusRepeat, 2}},
        {"other exception",
         TCmd::tCMD0,
         [](TTestWorker&) { throw std::logic_error("broken"); },
         {kStatusFailed, kErrFatal}},
    };
    TScriptedPeer peer(pty.master(), [](const TFrame&, int) { return std::nullopt; });
    for (const auto& c : cases) {
        EXPECT_EQ(runTestWorker(c.cmd, pty.slavePath(), c.job), Messages{c.expected}) << c.what;
    }
}

TEST_F(CommThreadTest, ProgressIsPostedWhenThePercentageChanges) {
    TScriptedPeer peer(pty.master(), [](const TFrame&, int) { return std::nullopt; });
    const auto messages = runTestWorker(TCmd::tCMD0, pty.slavePath(), [](TTestWorker& w) {
        w.setProgress(0, 10);                  // 0: equal to the reset value, nothing
        w.setProgress(3, 0);                   // total 0 gives 0
        w.setProgress(5, 10);                  // 49
        w.setProgress(5, 10);                  // unchanged
        w.setProgress(-1, 10);                 // clamped to 0
        w.setProgress(10, 10);                 // 99
        w.setProgress(30, 10);                 // clamped to 99, unchanged
        w.setProgress(2000000000, 2000000000); // no overflow: 99
    });
    EXPECT_EQ(messages, (Messages{{kStatusProgress, 49},
                                  {kStatusProgress, 0},
                                  {kStatusProgress, 99},
                                  {kStatusCompleted, 0}}));
}

TEST_F(CommThreadTest, PortIsClosedBeforeTheFinalMessage) {
    TScriptedPeer peer(pty.master(), [](const TFrame&, int) { return std::nullopt; });
    bool reopened = false;
    const TWindowHandle target = registerMessageTarget([&](std::uint32_t, TStatusMessage m) {
        if (m.code == kStatusCompleted) {
            const TPortHandle h = openComPort(pty.slavePath(), kLoggerBaudRate);
            reopened = h != kInvalidPortHandle;
            closeComPort(h);
        }
    });
    TCommThread::start(createWorker<TTestWorker>(target, TCmd::tCMD0, pty.slavePath()));
    ASSERT_TRUE(TCommThread::waitUntilNoneLive(std::chrono::seconds(10)));
    unregisterMessageTarget(target);
    EXPECT_TRUE(reopened);
}

} // namespace
