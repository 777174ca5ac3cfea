#pragma once
// A worker whose job is a function given by the test, and a message target that records.

#include "comm/message_queue.h"
#include "comm/uCommThread.h"

#include <functional>
#include <vector>

class TTestWorker : public TCommThread {
public:
    using TCommThread::TCommThread;
    using TJob = std::function<void(TTestWorker&)>;

    // The job of the next worker constructed (set before it is created).
    static void setNextJob(TJob job);

    using TCommThread::FRxBuffer;
    using TCommThread::setProgress;

protected:
    void doCmd() override;

private:
    TJob FJob = takeNextJob();
    static TJob takeNextJob();
};

// Starts a worker through the factory as the window does, and collects the worker's messages
// until its final one (0, 10 or 13) and its end.
std::vector<TStatusMessage> runWorker(TWorkerClass workerClass, TCmd cmd, const std::string& port);
// The same for a TTestWorker running `job`.
std::vector<TStatusMessage> runTestWorker(TCmd cmd, const std::string& port,
                                          TTestWorker::TJob job = {});
