#include "support/test_worker.h"

#include "comm/uExceptions1V0.h"

#include <gtest/gtest.h>
#include <mutex>

namespace {
std::mutex gJobLock;
TTestWorker::TJob gNextJob;
} // namespace

void TTestWorker::setNextJob(TJob job) {
    std::lock_guard guard(gJobLock);
    gNextJob = std::move(job);
}

TTestWorker::TJob TTestWorker::takeNextJob() {
    std::lock_guard guard(gJobLock);
    return std::exchange(gNextJob, {});
}

void TTestWorker::doCmd() {
    if (FJob) {
        FJob(*this);
    }
}

std::vector<TStatusMessage> runTestWorker(TCmd cmd, const std::string& port,
                                          TTestWorker::TJob job) {
    TTestWorker::setNextJob(std::move(job));
    return runWorker(createWorker<TTestWorker>, cmd, port);
}

std::vector<TStatusMessage> runWorker(TWorkerClass workerClass, TCmd cmd, const std::string& port) {
    TMessageQueue queue;
    TCommThread::start(workerClass(queue.handle(), cmd, port));
    std::vector<TStatusMessage> messages;
    while (const auto message = queue.waitNext(std::chrono::seconds(30))) {
        messages.push_back(*message);
        if (message->code == kStatusCompleted || message->code == kStatusFailed ||
            message->code == kStatusRepeat) {
            break;
        }
    }
    EXPECT_TRUE(TCommThread::waitUntilNoneLive(std::chrono::seconds(10)))
        << "the worker did not delete itself";
    return messages;
}
