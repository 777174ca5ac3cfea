#include "comm/message_queue.h"
#include "comm/uCommThread.h"
#include "comm/uExceptions1V0.h"

#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;

// A restart creates the next worker while the last one is still ending its thread. Every
// worker must run to its final message, however their starts and ends interleave: a start that
// is lost leaves a front end waiting for a message that never comes.
TEST(WorkerStart, WorkersStartedWhileTheLastOneEndsAllRun) {
    constexpr int kWorkers = 3000;
    TMessageQueue queue;
    for (int i = 0; i < kWorkers; ++i) {
        // No port name: the worker fails at once with error 10 and ends.
        TCommThread::start(std::make_unique<TCommThread>(queue.handle(), TCmd::tCMD0, ""));
        const auto final = queue.waitNext(30s);
        ASSERT_TRUE(final) << "worker " << i << " never ran";
        ASSERT_EQ(*final, (TStatusMessage{kStatusFailed, kErrPortNotReady})) << "worker " << i;
    }
    EXPECT_TRUE(TCommThread::waitUntilNoneLive(60s));
}

} // namespace
