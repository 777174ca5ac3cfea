#include "comm/message_queue.h"

#include <gtest/gtest.h>
#include <thread>

namespace {

using namespace std::chrono_literals;

TEST(MessagePost, DeliversInOrderAcrossThreads) {
    TMessageQueue queue;
    std::thread poster([h = queue.handle()] {
        for (int i = 0; i < 100; ++i) {
            postMessage(h, WM_USER, 1, i);
        }
    });
    poster.join();
    for (int i = 0; i < 100; ++i) {
        const auto m = queue.waitNext(1s);
        ASSERT_TRUE(m);
        EXPECT_EQ(*m, (TStatusMessage{1, i}));
    }
    EXPECT_FALSE(queue.waitNext(10ms));
}

TEST(MessagePost, TargetThatIsGoneDropsTheMessage) {
    TWindowHandle gone = kNoWindow;
    {
        TMessageQueue queue;
        gone = queue.handle();
        EXPECT_TRUE(postMessage(gone, WM_USER, 0, 0));
    }
    EXPECT_FALSE(postMessage(gone, WM_USER, 0, 0));
    EXPECT_FALSE(postMessage(kNoWindow, WM_USER, 0, 0));
}

TEST(MessagePost, HandlesAreDistinct) {
    TMessageQueue a, b;
    EXPECT_NE(a.handle(), b.handle());
    postMessage(b.handle(), WM_USER, 22, 5);
    EXPECT_FALSE(a.waitNext(10ms));
    EXPECT_EQ(b.waitNext(1s), (TStatusMessage{22, 5}));
}

} // namespace
