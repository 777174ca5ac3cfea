// A worker's thread on Windows: a thread of the C runtime. std::thread::detach is not used
// here: with mingw-w64's winpthreads (10.0) a thread that is detached while it ends can hand its
// bookkeeping record to the next thread created while its own exit code still writes to it;
// the next worker then never runs (or runs without its argument), and whoever waits for it
// waits forever. The handles of the threads are kept until the threads have ended, so that an
// orderly end of the process can wait for them (worker_threads.h).
#include "comm/uCommThread.h"
#include "comm/worker_threads.h"

#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <mutex>
#include <process.h>
#include <system_error>
#include <vector>

namespace {

struct TThreadHandles {
    std::mutex lock;
    std::vector<HANDLE> handles;
};

// Never destroyed: a worker may start or end while the process is already ending.
TThreadHandles& threads() {
    static auto* instance = new TThreadHandles;
    return *instance;
}

// Closes the handles of the threads as they end, waiting for them until `deadline`; true when
// none is left. Called with the lock held.
bool closeEnded(std::vector<HANDLE>& handles, std::chrono::steady_clock::time_point deadline) {
    for (auto it = handles.begin(); it != handles.end();) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        const DWORD waitMs = static_cast<DWORD>(std::max<long long>(left.count(), 0));
        if (WaitForSingleObject(*it, waitMs) != WAIT_OBJECT_0) {
            return false;
        }
        CloseHandle(*it);
        it = handles.erase(it);
    }
    return true;
}

} // namespace

void TCommThread::start(std::unique_ptr<TCommThread> worker) {
    // x64 has one calling convention, so the lambda is the __stdcall function it asks for.
    unsigned (*run)(void*) = [](void* argument) -> unsigned {
        const std::unique_ptr<TCommThread> self(static_cast<TCommThread*>(argument));
        self->Execute();
        return 0;
    };
    TThreadHandles& all = threads();
    std::lock_guard guard(all.lock);
    // The handles of threads that have ended meanwhile go first: the list stays as short as the
    // number of threads still running, however many runs a window makes.
    all.handles.erase(std::remove_if(all.handles.begin(), all.handles.end(),
                                     [](HANDLE h) {
                                         if (WaitForSingleObject(h, 0) != WAIT_OBJECT_0) {
                                             return false;
                                         }
                                         CloseHandle(h);
                                         return true;
                                     }),
                      all.handles.end());
    const std::uintptr_t thread = _beginthreadex(nullptr, 0, run, worker.get(), 0, nullptr);
    if (thread == 0) {
        // The worker is still the caller's and is deleted with `worker`.
        throw std::system_error(errno, std::generic_category(), "cannot start the worker thread");
    }
    worker.release(); // the thread owns it now
    all.handles.push_back(reinterpret_cast<HANDLE>(thread));
}

bool waitForEndedWorkerThreads(std::chrono::steady_clock::time_point deadline) {
    TThreadHandles& all = threads();
    std::lock_guard guard(all.lock);
    return closeEnded(all.handles, deadline);
}
